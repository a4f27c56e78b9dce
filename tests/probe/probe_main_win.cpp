// zephal_probe.exe: command-line front end of the test probe, so shell and
// CTest scripts can find, read and drive the client's windows.
// Exit codes: 0 success, 1 not found / timed out / failed, 2 bad usage.
#include "probe_win.h"

#include <fcntl.h>
#include <io.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const int kOk = 0;
const int kNotFound = 1;
const int kUsage = 2;
const DWORD kDefaultTimeoutMs = 5000;

const char kUsageText[] =
    "usage: zephal_probe <command> [options]\n"
    "  wait     --class C --title T [--visible] [--timeout MS]\n"
    "  controls --class C --title T | --hwnd H\n"
    "  msgbox   --pid P | --caption T [--press ID | --press-text PREFIX] [--timeout MS]\n"
    "  post     --class C [--title T] | --hwnd H  MSG WPARAM LPARAM\n"
    "  command  --class C [--title T] | --hwnd H  ID\n"
    "  text     --class C [--title T] | --hwnd H\n"
    "  keydacl  SUBKEY   (of HKLM, in this program's registry view: its DACL in SDDL)\n"
    "  hold     --timeout MS   keep the Wine session's desktop in use that long\n"
    "Every window lookup waits up to --timeout MS (default 5000).\n"
    "Numbers are decimal or 0x hex.\n";

struct Args {
    const char* cls = nullptr;
    const char* title = nullptr;
    const char* caption = nullptr;
    const char* pressText = nullptr;
    bool hasHwnd = false;
    HWND hwnd = nullptr;
    bool hasPid = false;
    DWORD pid = 0;
    bool hasPress = false;
    bool visible = false;
    int press = 0;
    DWORD timeoutMs = kDefaultTimeoutMs;
    std::vector<const char*> positional;
};

// Decimal (optionally negative) or 0x hex; false on anything else.
bool ParseNumber(const char* s, long long* out) {
    if (!s || !*s) return false;
    const char* digits = s;
    int base = 10;
    if (s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        digits = s + 2;
        base = 16;
    }
    if (!*digits) return false;
    char* end = nullptr;
    *out = base == 16 ? static_cast<long long>(std::strtoull(digits, &end, 16))
                      : std::strtoll(digits, &end, 10);
    return *end == '\0';
}

bool ParseArgs(int argc, char** argv, Args* a) {
    for (int i = 2; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strncmp(arg, "--", 2) != 0) {
            a->positional.push_back(arg);
            continue;
        }
        if (!std::strcmp(arg, "--visible")) {
            a->visible = true;
            continue;
        }
        if (i + 1 >= argc) return false;
        const char* val = argv[++i];
        long long n = 0;
        if (!std::strcmp(arg, "--class")) {
            a->cls = val;
        } else if (!std::strcmp(arg, "--title")) {
            a->title = val;
        } else if (!std::strcmp(arg, "--caption")) {
            a->caption = val;
        } else if (!std::strcmp(arg, "--press-text")) {
            a->pressText = val;
        } else if (!std::strcmp(arg, "--hwnd") && ParseNumber(val, &n)) {
            a->hasHwnd = true;
            a->hwnd = reinterpret_cast<HWND>(static_cast<intptr_t>(n));
        } else if (!std::strcmp(arg, "--pid") && ParseNumber(val, &n)) {
            a->hasPid = true;
            a->pid = static_cast<DWORD>(n);
        } else if (!std::strcmp(arg, "--press") && ParseNumber(val, &n)) {
            a->hasPress = true;
            a->press = static_cast<int>(n);
        } else if (!std::strcmp(arg, "--timeout") && ParseNumber(val, &n) && n >= 0) {
            a->timeoutMs = static_cast<DWORD>(n);
        } else {
            return false;
        }
    }
    return true;
}

// CR and LF would break the one-item-per-line output.
std::string Escape(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (c == '\r') out += "\\r";
        else if (c == '\n') out += "\\n";
        else out += c;
    }
    return out;
}

void PrintLine(const std::string& s) {
    std::string line = Escape(s) + "\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
}

std::string HexHwnd(HWND hwnd) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "0x%llx",
                  static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(hwnd)));
    return buf;
}

// The target window of commands taking --hwnd or --class/--title.
bool NeedsWindow(const Args& a) { return a.hasHwnd || a.cls || a.title; }

HWND FindTarget(const Args& a) {
    if (a.hasHwnd) return IsWindow(a.hwnd) ? a.hwnd : nullptr;
    return probe::WaitForWindow(a.cls, a.title, a.timeoutMs);
}

int CmdWait(const Args& a) {
    if (!NeedsWindow(a) || !a.positional.empty()) return kUsage;
    HWND hwnd = FindTarget(a);
    if (!hwnd) return kNotFound;
    // The window may exist a moment before it is shown.
    if (a.visible && !probe::WaitForWindowVisible(hwnd, a.timeoutMs)) return kNotFound;
    PrintLine(HexHwnd(hwnd));
    return kOk;
}

int CmdControls(const Args& a) {
    if (!NeedsWindow(a) || !a.positional.empty()) return kUsage;
    HWND hwnd = FindTarget(a);
    if (!hwnd) return kNotFound;
    for (const probe::ControlInfo& c : probe::ListControls(hwnd)) {
        char head[160];
        std::snprintf(head, sizeof head, "%d\t%s\t%d\t%d\t%ld,%ld,%ld,%ld\t", c.id,
                      c.cls.c_str(), c.visible ? 1 : 0, c.enabled ? 1 : 0,
                      c.rect.left, c.rect.top, c.rect.right, c.rect.bottom);
        PrintLine(head + Escape(c.text));
    }
    return kOk;
}

int CmdMsgBox(const Args& a) {
    if (a.hasPid == (a.caption != nullptr) || !a.positional.empty()) return kUsage;
    if (a.hasPress && a.pressText) return kUsage;
    HWND box = a.hasPid
                   ? probe::WaitForWindowOfProcess(a.pid, "#32770", nullptr, a.timeoutMs)
                   : probe::WaitForWindow("#32770", a.caption, a.timeoutMs);
    probe::MessageBoxInfo info;
    if (!box || !probe::ReadMessageBox(box, &info)) return kNotFound;
    PrintLine(info.caption);
    PrintLine(info.text);
    for (const std::string& b : info.buttons) PrintLine(b);
    std::fflush(stdout);
    if (!a.hasPress && !a.pressText) return kOk;
    bool pressed = a.hasPress ? probe::PressButton(box, a.press)
                              : probe::PressButtonByText(box, a.pressText);
    // A press counts only once the box has really closed.
    if (!pressed || !probe::WaitForWindowGone(box, a.timeoutMs)) return kNotFound;
    return kOk;
}

int CmdPost(const Args& a) {
    long long msg = 0, wp = 0, lp = 0;
    if (!NeedsWindow(a) || a.positional.size() != 3 ||
        !ParseNumber(a.positional[0], &msg) || !ParseNumber(a.positional[1], &wp) ||
        !ParseNumber(a.positional[2], &lp))
        return kUsage;
    HWND hwnd = FindTarget(a);
    if (!hwnd) return kNotFound;
    return probe::PostMsg(hwnd, static_cast<UINT>(msg), static_cast<WPARAM>(wp),
                          static_cast<LPARAM>(lp))
               ? kOk
               : kNotFound;
}

int CmdCommand(const Args& a) {
    long long id = 0;
    if (!NeedsWindow(a) || a.positional.size() != 1 || !ParseNumber(a.positional[0], &id))
        return kUsage;
    HWND hwnd = FindTarget(a);
    if (!hwnd) return kNotFound;
    return probe::PostCommand(hwnd, static_cast<WORD>(id)) ? kOk : kNotFound;
}

int CmdText(const Args& a) {
    if (!NeedsWindow(a) || !a.positional.empty()) return kUsage;
    HWND hwnd = FindTarget(a);
    if (!hwnd) return kNotFound;
    PrintLine(probe::WindowText(hwnd));
    return kOk;
}

int CmdKeyDacl(const Args& a) {
    if (a.positional.size() != 1) return kUsage;
    const std::string dacl = probe::KeyDacl(a.positional[0]);
    if (dacl.empty()) return kNotFound;
    PrintLine(dacl);
    return kOk;
}

// Wine ends a session about 3 s after its last program has left the desktop;
// a test program started while that session goes away finds no shell and no
// desktop window. A test run keeps one session with this in the background.
int CmdHold(const Args& a) {
    if (!a.positional.empty()) return kUsage;
    if (!GetDesktopWindow()) return kNotFound;
    Sleep(a.timeoutMs);
    return kOk;
}

}  // namespace

int main(int argc, char** argv) {
    // Plain "\n" line ends and the ANSI bytes exactly as Windows returns them.
    _setmode(_fileno(stdout), _O_BINARY);
    Args a;
    if (argc < 2 || !ParseArgs(argc, argv, &a)) {
        std::fputs(kUsageText, stderr);
        return kUsage;
    }
    const std::string cmd = argv[1];
    int rc = kUsage;
    if (cmd == "wait") rc = CmdWait(a);
    else if (cmd == "controls") rc = CmdControls(a);
    else if (cmd == "msgbox") rc = CmdMsgBox(a);
    else if (cmd == "post") rc = CmdPost(a);
    else if (cmd == "command") rc = CmdCommand(a);
    else if (cmd == "text") rc = CmdText(a);
    else if (cmd == "keydacl") rc = CmdKeyDacl(a);
    else if (cmd == "hold") rc = CmdHold(a);
    if (rc == kUsage) std::fputs(kUsageText, stderr);
    std::fflush(stdout);
    return rc;
}
