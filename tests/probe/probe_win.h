// Test probe: finds, reads and drives the windows of another process through
// the Win32 API, so GUI tests can check what the client shows. Texts are read
// wide, as a user sees them, and handed over in GBK (code page 936) whatever
// the system's code page: a character GBK cannot hold reads as "?".
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace probe {

// cls/title may be null (= any). Polls about every 20 ms; 0 on timeout.
HWND WaitForWindow(const char* cls, const char* title, DWORD timeoutMs);

// First top-level window of process pid whose class and title match exactly
// (null = any); e.g. a message box ("#32770") of one process. 0 on timeout.
HWND WaitForWindowOfProcess(DWORD pid, const char* cls, const char* title,
                            DWORD timeoutMs);

// True once hwnd is shown (IsWindowVisible).
bool WaitForWindowVisible(HWND hwnd, DWORD timeoutMs);

// True once hwnd is no longer a window.
bool WaitForWindowGone(HWND hwnd, DWORD timeoutMs);

// WM_GETTEXT through SendMessageTimeoutW: GetWindowText cannot read another
// process's EDIT controls.
std::u16string WindowTextW(HWND hwnd);
std::string WindowText(HWND hwnd);
std::string WindowClass(HWND hwnd);

struct ControlInfo {
    HWND hwnd;
    int id;
    std::string cls;
    std::string text;
    bool visible;
    bool enabled;
    RECT rect;  // screen coordinates
};

// All descendants of parent, in EnumChildWindows order.
std::vector<ControlInfo> ListControls(HWND parent);

struct MessageBoxInfo {
    HWND hwnd;
    std::string caption;
    std::string text;                  // the message itself
    std::vector<std::string> buttons;  // labels of the Button children
};

bool ReadMessageBox(HWND box, MessageBoxInfo* out);

// Posts WM_COMMAND(id, BN_CLICKED) to the box, e.g. IDOK, IDYES, IDNO.
bool PressButton(HWND box, int id);
// Posts BM_CLICK to the first Button child whose text starts with textPrefix.
bool PressButtonByText(HWND box, const char* textPrefix);

bool PostMsg(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
bool PostCommand(HWND hwnd, WORD id);

// Whole file content, "" if it cannot be opened; opened with full sharing so
// a log that is still being written can be read.
std::string ReadFileText(const char* path);
// Polls about every 20 ms until the file contains needle.
bool WaitForFileText(const char* path, const char* needle, DWORD timeoutMs);

// The DACL of HKLM\<subkey> (this program's registry view) in SDDL; "" when unreadable.
std::string KeyDacl(const char* subkey);

}  // namespace probe
