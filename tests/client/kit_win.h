// What every Windows-side test waits and counts with; the real-program
// fixture (harness_win.h) adds starting the client and reading it.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

// How often `needle` occurs in `text` from `from` on.
inline size_t CountOf(const std::string& text, const std::string& needle, size_t from = 0) {
  size_t n = 0;
  for (size_t at = text.find(needle, from); at != std::string::npos; at = text.find(needle, at + 1)) ++n;
  return n;
}

// Asks `done` every 50 ms until it holds or `timeoutMs` has passed; its last answer.
inline bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs) {
  for (const DWORD start = GetTickCount();; Sleep(50)) {
    if (done()) return true;
    if (GetTickCount() - start >= timeoutMs) return done();
  }
}

// The control that has the keyboard focus on the thread of `window`, or 0.
inline int FocusedId(HWND window) {
  GUITHREADINFO gui{};
  gui.cbSize = sizeof gui;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &gui) || !gui.hwndFocus) return 0;
  return GetDlgCtrlID(gui.hwndFocus);
}
