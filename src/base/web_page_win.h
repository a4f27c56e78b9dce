// Opening web pages as the desktop's user, never as this elevated process.
#pragma once
#include <windows.h>

#include <string>

// The ways a page may be opened unelevated, tried in this order; each gives
// S_OK when it opened the page, otherwise why not. Replaceable for a test.
struct PageRoutes {
  // The desktop shell's own IShellDispatch2::ShellExecute.
  HRESULT (*desktopShell)(const std::string& address);
  // A page handler started with the desktop shell's token.
  HRESULT (*desktopUser)(const std::string& address);
};
PageRoutes DesktopUserRoutes();

// Opens `address` in the default browser as the logged-on user. When no route
// works, or none has answered after a few seconds, the address is shown in
// the client's box for the user to copy, and nothing opens it later.
void OpenWebPage(const char* address);
void OpenWebPageWith(const PageRoutes& routes, const char* address);
