// Opening pages and folders as the desktop's user, never as this elevated process.
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

// The one way to open what the desktop's user should see: a web address in
// the default browser, or a folder (the log's), as the logged-on user. When no
// route works, or none has answered after a few seconds, the address is shown
// in the client's box for the user to copy, and nothing opens it later.
void OpenForDesktopUser(const char* target);
void OpenForDesktopUserWith(const PageRoutes& routes, const char* target);
// The web page whose address is string-table entry `id`, read as into a buffer
// of `bufferBytes`, logged at the verbose level and opened as above.
void OpenPageResource(UINT id, size_t bufferBytes = 1024);
