#include "base/web_page_win.h"

#include <windows.h>
#include <exdisp.h>
#include <shldisp.h>
#include <shlobj.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/app_state.h"
#include "base/bounded_call_win.h"
#include "base/com_win.h"
#include "base/gbk_text_win.h"
#include "base/report.h"

namespace {

// A shell that is restarting or hung must not hold a window thread longer.
constexpr DWORD kOpenWaitMs = 5000;
// "%s" stands for the address the client could not open.
constexpr UINT kPageAddressText = 1816;

const CLSID kClsidShellWindows = {0x9ba05972, 0xf6a8, 0x11cf, {0xa4, 0x42, 0x00, 0xa0, 0xc9, 0x0a, 0x8f, 0x39}};
const GUID kSidTopLevelBrowser = {0x4c96be40, 0x915c, 0x11cf, {0x99, 0xd3, 0x00, 0xaa, 0x00, 0x4a, 0xe8, 0x37}};

// The desktop's own IShellDispatch2: it lives in the shell process, which runs
// with the user's unelevated token, so what it starts gets that token too.
HRESULT DesktopShellDispatch(ComRef<IShellDispatch2>* shell) {
  ComRef<IShellWindows> windows;
  HRESULT hr = CoCreateInstance(kClsidShellWindows, nullptr, CLSCTX_LOCAL_SERVER, __uuidof(IShellWindows),
                                windows.OutVoid());
  if (FAILED(hr)) return hr;
  EmptyVariant location, root;
  long hwnd = 0;
  ComRef<IDispatch> desktop;
  hr = windows->FindWindowSW(&location.v, &root.v, SWC_DESKTOP, &hwnd, SWFO_NEEDDISPATCH, desktop.Out());
  if (hr != S_OK || !desktop) return FAILED(hr) ? hr : E_NOINTERFACE;
  ComRef<IServiceProvider> provider;
  hr = desktop->QueryInterface(__uuidof(IServiceProvider), provider.OutVoid());
  if (FAILED(hr)) return hr;
  ComRef<IShellBrowser> browser;
  hr = provider->QueryService(kSidTopLevelBrowser, __uuidof(IShellBrowser), browser.OutVoid());
  if (FAILED(hr)) return hr;
  ComRef<IShellView> view;
  hr = browser->QueryActiveShellView(view.Out());
  if (FAILED(hr)) return hr;
  ComRef<IDispatch> background;
  hr = view->GetItemObject(SVGIO_BACKGROUND, __uuidof(IDispatch), background.OutVoid());
  if (FAILED(hr)) return hr;
  ComRef<IShellFolderViewDual> folderView;
  hr = background->QueryInterface(__uuidof(IShellFolderViewDual), folderView.OutVoid());
  if (FAILED(hr)) return hr;
  ComRef<IDispatch> application;
  hr = folderView->get_Application(application.Out());
  if (FAILED(hr)) return hr;
  return application->QueryInterface(__uuidof(IShellDispatch2), shell->OutVoid());
}

HRESULT OpenThroughDesktop(const std::string& address) {
  ComRef<IShellDispatch2> shell;
  HRESULT hr = DesktopShellDispatch(&shell);
  if (FAILED(hr)) return hr;
  Bstr file(address.c_str());
  VARIANT arguments, directory, operation, show;
  VariantInit(&arguments);
  VariantInit(&directory);
  VariantInit(&operation);
  VariantInit(&show);
  operation.vt = VT_BSTR;
  operation.bstrVal = SysAllocString(L"open");
  show.vt = VT_I4;
  show.lVal = SW_SHOWNORMAL;
  hr = file ? shell->ShellExecute(file.Get(), arguments, directory, operation, show) : E_OUTOFMEMORY;
  VariantClear(&operation);
  return hr;
}

// Closes a kernel handle when it goes.
struct Handle {
  HANDLE h = nullptr;
  ~Handle() {
    if (h) CloseHandle(h);
  }
};

HRESULT LastError() { return HRESULT_FROM_WIN32(GetLastError()); }

HRESULT OpenThroughDesktopShell(const std::string& address) {
  ComApartment apartment;
  return apartment.Usable() ? OpenThroughDesktop(address) : apartment.Result();
}

// The desktop's user starts the page handler: a process made with the token
// of the shell that owns the desktop (or its taskbar), which is that user's
// own and unelevated, through the documented CreateProcessWithTokenW. The
// handler is the system's own: rundll32 with url.dll's FileProtocolHandler,
// which hands the address to the shell as that user.
HRESULT OpenAsDesktopUser(const std::string& address) {
  HWND shell = GetShellWindow();
  if (!shell) shell = FindWindowW(L"Shell_TrayWnd", nullptr);
  DWORD pid = 0;
  if (!shell || !GetWindowThreadProcessId(shell, &pid) || !pid) return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
  Handle process{OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid)};
  if (!process.h) return LastError();
  Handle token, primary;
  if (!OpenProcessToken(process.h, TOKEN_DUPLICATE | TOKEN_QUERY, &token.h)) return LastError();
  if (!DuplicateTokenEx(token.h, TOKEN_QUERY | TOKEN_DUPLICATE | TOKEN_ASSIGN_PRIMARY | TOKEN_ADJUST_DEFAULT |
                                     TOKEN_ADJUST_SESSIONID,
                        nullptr, SecurityImpersonation, TokenPrimary, &primary.h))
    return LastError();
  wchar_t program[MAX_PATH];
  const UINT n = GetSystemDirectoryW(program, MAX_PATH - 16);
  if (n == 0 || n >= MAX_PATH - 16) return HRESULT_FROM_WIN32(ERROR_BUFFER_OVERFLOW);
  lstrcatW(program, L"\\rundll32.exe");
  // "program" url.dll,FileProtocolHandler address
  const WideText wide = GbkToWide(address);
  std::vector<wchar_t> commandLine(MAX_PATH + 40 + wide.text.size() + 1);
  wsprintfW(commandLine.data(), L"\"%s\" url.dll,FileProtocolHandler ", program);
  const int used = lstrlenW(commandLine.data());
  lstrcpynW(commandLine.data() + used, wide.c_str(), static_cast<int>(wide.text.size() + 1));
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!CreateProcessWithTokenW(primary.h, 0, program, commandLine.data(), 0, nullptr, nullptr, &startup, &started))
    return LastError();
  CloseHandle(started.hThread);
  CloseHandle(started.hProcess);
  return S_OK;
}

// The box the user copies the address from (Ctrl+C copies a box's text).
void ShowAddress(const std::string& address) {
  std::string format = LoadGbkString(appState.hInstance, kPageAddressText, 256);
  if (format.empty()) format = "%s";
  std::vector<char> text(256 + address.size());
  std::snprintf(text.data(), text.size(), format.c_str(), address.c_str());
  ShowReportBox(nullptr, text.data(), MB_ICONINFORMATION | MB_SETFOREGROUND | MB_TOPMOST);
}

enum PageState : LONG { kRunning, kOpened, kNotOpened, kAbandoned };

}  // namespace

PageRoutes DesktopUserRoutes() { return PageRoutes{OpenThroughDesktopShell, OpenAsDesktopUser}; }

void OpenForDesktopUser(const char* target) { OpenForDesktopUserWith(DesktopUserRoutes(), target); }

void OpenPageResource(UINT id, size_t bufferBytes) {
  const std::string address = LoadGbkString(appState.hInstance, id, bufferBytes);
  if (address.empty()) return;
  MsgBox(kReportDetail, "WINDOW: open %s", address.c_str());
  OpenForDesktopUser(address.c_str());
}

void OpenForDesktopUserWith(const PageRoutes& routes, const char* address) {
  if (!address || !*address) return;
  struct PageJob : BoundedJob {
    PageRoutes routes;
    std::string address;
    LONG state = kRunning;
    HRESULT shell = E_PENDING, user = E_PENDING;
    // Once the caller has stopped waiting no further route is tried: a page
    // that opens out of the blue long after the click helps nobody.
    bool Settle(LONG outcome) { return InterlockedCompareExchange(&state, outcome, kRunning) == kRunning; }
    void Run() override {
      shell = routes.desktopShell(address);
      if (SUCCEEDED(shell)) {
        Settle(kOpened);
        return;
      }
      if (InterlockedCompareExchange(&state, kRunning, kRunning) != kRunning) return;
      user = routes.desktopUser(address);
      Settle(SUCCEEDED(user) ? kOpened : kNotOpened);
    }
  };
  auto* job = new PageJob;
  job->routes = routes;
  job->address = address;
  // A thread of its own: its apartment is its own business, whatever thread asks.
  const bool done = RunBounded(job, kOpenWaitMs);
  bool show = false;
  if (!done && job->Settle(kAbandoned)) {
    MsgBox(kReportFailure, "WINDOW: the shell has not opened the page after %lu ms; not waiting longer",
           static_cast<unsigned long>(kOpenWaitMs));
    show = true;
  } else if (job->state == kOpened && SUCCEEDED(job->shell)) {
    MsgBox(kReportDetail, "WINDOW: page opened through the desktop shell");
  } else if (job->state == kOpened) {
    MsgBox(kReportDetail, "WINDOW: page opened as the desktop's user (desktop shell 0x%08lX)",
           static_cast<unsigned long>(job->shell));
  } else {
    // Never with this process's own token: an elevated browser is the worst
    // place for a web page. The user gets the address instead.
    MsgBox(kReportFailure,
           "WINDOW: page not opened, no way as the desktop's user (desktop shell 0x%08lX, user 0x%08lX)",
           static_cast<unsigned long>(job->shell), static_cast<unsigned long>(job->user));
    show = true;
  }
  ReleaseJob(job);
  if (show) ShowAddress(address);
}
