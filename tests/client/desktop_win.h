// The desktop as a user meets it: the real X pointer (through xdotool; the
// tray icon and hover tooltips only follow X motion, not SetCursorPos) and the
// web browser (Wine's browser list pointed at a capture script).
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace desktop {

// Starts a Linux program ("Z:\\usr\\bin\\..." and its arguments), which Wine
// runs directly; false when it could not be started. Wine gives no handle to
// wait on or read an exit code from: callers watch for its effect.
bool RunLinux(const std::string& commandLine);
// Runs xdotool with `args`.
bool XDoTool(const std::string& args);
bool PointerTo(int x, int y);
// Moves the pointer there, then presses and releases the left button.
bool ClickAt(int x, int y);

// Icons in Wine's stand-alone tray (children of class __winex11_tray_icon of
// explorer's "Wine System Tray" window).
int WineTrayIcons();
// The tooltip as the shell shows it, in UTF-16: hovering the (last) icon makes
// explorer show its tooltips_class32 window with the text the client handed
// over. "" when none showed, "<no icon>" or "<no xdotool>" when it cannot hover.
std::u16string HoverTrayTooltip();

// Sends every web page the shell opens to the capture script and forgets what it captured before.
bool CaptureBrowser();
// The addresses captured so far, oldest first.
std::vector<std::string> CapturedUrls();
// Polls until at least `count` addresses were captured; they arrive asynchronously.
bool WaitUrls(size_t count, DWORD timeoutMs = 10000);

}  // namespace desktop
