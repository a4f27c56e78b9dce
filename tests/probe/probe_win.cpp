#include "probe_win.h"

#include <sddl.h>

#include <cstring>

#include "base/gbk_text_win.h"

namespace probe {
namespace {

const DWORD kPollMs = 20;
const UINT kSendTimeoutMs = 2000;

// True once timeoutMs has passed since start; also copes with tick wrap.
bool Expired(DWORD start, DWORD timeoutMs) {
    return GetTickCount() - start >= timeoutMs;
}

struct ProcessSearch {
    DWORD pid;
    const char* cls;
    const char* title;
    HWND found;
};

BOOL CALLBACK MatchProcessWindow(HWND hwnd, LPARAM lp) {
    ProcessSearch* s = reinterpret_cast<ProcessSearch*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != s->pid) return TRUE;
    if (s->cls && WindowClass(hwnd) != s->cls) return TRUE;
    if (s->title && WindowText(hwnd) != s->title) return TRUE;
    s->found = hwnd;
    return FALSE;
}

BOOL CALLBACK CollectControl(HWND hwnd, LPARAM lp) {
    std::vector<ControlInfo>* list = reinterpret_cast<std::vector<ControlInfo>*>(lp);
    ControlInfo c;
    c.hwnd = hwnd;
    c.id = GetDlgCtrlID(hwnd);
    c.cls = WindowClass(hwnd);
    c.text = WindowText(hwnd);
    c.visible = IsWindowVisible(hwnd) != FALSE;
    c.enabled = IsWindowEnabled(hwnd) != FALSE;
    if (!GetWindowRect(hwnd, &c.rect)) SetRectEmpty(&c.rect);
    list->push_back(c);
    return TRUE;
}

bool IsButtonClass(const std::string& cls) {
    return lstrcmpiA(cls.c_str(), "Button") == 0;
}

// Label without the '&' mnemonic markers ("是(&Y)" -> "是(Y)"); "&&" is a literal '&'.
std::string StripMnemonic(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '&' && i + 1 < s.size()) ++i;
        out += s[i];
    }
    return out;
}

bool StartsWith(const std::string& s, const char* prefix) {
    return s.compare(0, std::strlen(prefix), prefix) == 0;
}

}  // namespace

HWND WaitForWindow(const char* cls, const char* title, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        HWND hwnd = FindWindowW(cls ? GbkToWide(cls).c_str() : nullptr,
                                title ? GbkToWide(title).c_str() : nullptr);
        if (hwnd) return hwnd;
        if (Expired(start, timeoutMs)) return nullptr;
        Sleep(kPollMs);
    }
}

HWND WaitForWindowOfProcess(DWORD pid, const char* cls, const char* title,
                            DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        ProcessSearch s = {pid, cls, title, nullptr};
        EnumWindows(MatchProcessWindow, reinterpret_cast<LPARAM>(&s));
        if (s.found) return s.found;
        if (Expired(start, timeoutMs)) return nullptr;
        Sleep(kPollMs);
    }
}

bool WaitForWindowVisible(HWND hwnd, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        if (IsWindowVisible(hwnd)) return true;
        if (!IsWindow(hwnd) || Expired(start, timeoutMs)) return false;
        Sleep(kPollMs);
    }
}

bool WaitForWindowGone(HWND hwnd, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        if (!IsWindow(hwnd)) return true;
        if (Expired(start, timeoutMs)) return false;
        Sleep(kPollMs);
    }
}

std::u16string WindowTextW(HWND hwnd) {
    DWORD_PTR len = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG,
                             kSendTimeoutMs, &len))
        return std::u16string();
    std::u16string buf(len + 1, u'\0');
    DWORD_PTR got = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, buf.size(),
                             reinterpret_cast<LPARAM>(&buf[0]),
                             SMTO_ABORTIFHUNG, kSendTimeoutMs, &got))
        return std::u16string();
    return std::u16string(WideView(WideChars(buf)));
}

std::string WindowText(HWND hwnd) { return WideToLogText(WindowTextW(hwnd)); }

std::string WindowClass(HWND hwnd) {
    char buf[256] = "";
    GetClassNameA(hwnd, buf, sizeof buf);
    return buf;
}

std::vector<ControlInfo> ListControls(HWND parent) {
    std::vector<ControlInfo> list;
    EnumChildWindows(parent, CollectControl, reinterpret_cast<LPARAM>(&list));
    return list;
}

bool ReadMessageBox(HWND box, MessageBoxInfo* out) {
    if (!IsWindow(box) || !out) return false;
    out->hwnd = box;
    out->caption = WindowText(box);
    out->text.clear();
    out->buttons.clear();
    // The message is the static with id 0xFFFF (Windows and Wine alike); the
    // icon is a static too but without text, so any other labelled static is
    // only a fallback.
    std::string fallback;
    bool haveText = false;
    for (const ControlInfo& c : ListControls(box)) {
        if (IsButtonClass(c.cls)) {
            out->buttons.push_back(c.text);
        } else if (lstrcmpiA(c.cls.c_str(), "Static") == 0 && !haveText) {
            if (c.id == 0xFFFF || c.id == -1) {
                out->text = c.text;
                haveText = true;
            } else if (fallback.empty()) {
                fallback = c.text;
            }
        }
    }
    if (!haveText) out->text = fallback;
    return true;
}

bool PressButton(HWND box, int id) {
    HWND button = GetDlgItem(box, id);
    return PostMsg(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(button));
}

bool PressButtonByText(HWND box, const char* textPrefix) {
    if (!textPrefix) return false;
    for (const ControlInfo& c : ListControls(box)) {
        if (!IsButtonClass(c.cls)) continue;
        if (StartsWith(c.text, textPrefix) ||
            StartsWith(StripMnemonic(c.text), textPrefix))
            return PostMsg(c.hwnd, BM_CLICK, 0, 0);
    }
    return false;
}

bool PostMsg(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    return PostMessageA(hwnd, msg, wp, lp) != FALSE;
}

bool PostCommand(HWND hwnd, WORD id) {
    return PostMsg(hwnd, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

std::string ReadFileText(const char* path) {
    HANDLE f = CreateFileA(path, GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return std::string();
    std::string text;
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(f, buf, sizeof buf, &got, nullptr) && got > 0)
        text.append(buf, got);
    CloseHandle(f);
    return text;
}

bool WaitForFileText(const char* path, const char* needle, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        if (ReadFileText(path).find(needle) != std::string::npos) return true;
        if (Expired(start, timeoutMs)) return false;
        Sleep(kPollMs);
    }
}

std::string KeyDacl(const char* subkey) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, subkey, 0, READ_CONTROL, &key) != ERROR_SUCCESS) return "";
    DWORD size = 0;
    RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, nullptr, &size);
    std::vector<BYTE> descriptor(size ? size : 1);
    std::string dacl;
    char* text = nullptr;
    if (RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor.data(), &size) == ERROR_SUCCESS &&
        ConvertSecurityDescriptorToStringSecurityDescriptorA(descriptor.data(), SDDL_REVISION_1,
                                                             DACL_SECURITY_INFORMATION, &text, nullptr)) {
        dacl = text;
        LocalFree(text);
    }
    RegCloseKey(key);
    return dacl;
}

}  // namespace probe
