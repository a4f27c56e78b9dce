#include "base/web_page_win.h"

#include <windows.h>
#include <exdisp.h>
#include <shellapi.h>
#include <shldisp.h>
#include <shlobj.h>

#include <string>

#include "base/bounded_call_win.h"
#include "base/com_win.h"
#include "base/gbk_text_win.h"
#include "base/report.h"

namespace {

// A shell that is restarting or hung must not hold a window thread longer.
constexpr DWORD kOpenWaitMs = 5000;

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

void OpenPage(const std::string& address) {
  ComApartment apartment;
  const HRESULT hr = apartment.Usable() ? OpenThroughDesktop(address) : apartment.Result();
  if (SUCCEEDED(hr)) {
    MsgBox(0x10004, "WINDOW: page opened through the desktop shell");
    return;
  }
  const INT_PTR r = reinterpret_cast<INT_PTR>(
      ShellExecuteW(nullptr, L"open", GbkToWide(address).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  MsgBox(0x10004, "WINDOW: page opened through ShellExecute (%d; desktop shell 0x%08lX)", static_cast<int>(r),
         static_cast<unsigned long>(hr));
}

}  // namespace

void OpenWebPage(const char* address) {
  if (!address || !*address) return;
  struct PageJob : BoundedJob {
    std::string address;
    void Run() override { OpenPage(address); }
  };
  auto* job = new PageJob;
  job->address = address;
  // A thread of its own: its apartment is its own business, whatever thread asks.
  if (!RunBounded(job, kOpenWaitMs))
    MsgBox(0x10001, "WINDOW: the shell has not opened the page after %lu ms; not waiting longer",
           static_cast<unsigned long>(kOpenWaitMs));
  ReleaseJob(job);
}
