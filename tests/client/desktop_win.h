// The desktop as a user meets it: the real X pointer (through xdotool; the
// tray icon and hover tooltips only follow X motion, not SetCursorPos) and the
// web browser (Wine's browser list pointed at a capture script).
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace desktop {

// Runs xdotool with `args`; Wine starts the Linux program directly.
bool XDoTool(const std::string& args);
bool PointerTo(int x, int y);
// Moves the pointer there, then presses and releases the left button.
bool ClickAt(int x, int y);

// Sends every web page the shell opens to the capture script and forgets what it captured before.
bool CaptureBrowser();
// The addresses captured so far, oldest first.
std::vector<std::string> CapturedUrls();
// Polls until at least `count` addresses were captured; they arrive asynchronously.
bool WaitUrls(size_t count, DWORD timeoutMs = 10000);

}  // namespace desktop
