// Message boxes, and windows Windows may refuse to make now and then.
#pragma once
#include <windows.h>

#include <string_view>

// How long a window that could not be made waits before its one more try.
// Seen under Wine while another thread of the process made icons or decoded
// pictures: one of the dialog's controls was refused, once.
constexpr DWORD kRefusedWindowRetryMs = 200;

// A message box with GBK texts: its answer, or 0 when it could not be shown
// even the second time (MessageBoxW gives 0 then; Wine gives -1).
int ShowBox(HWND owner, std::string_view text, std::string_view caption, UINT style);
