// The bare program the client is measured against: a hidden window that owns
// the process, a tray icon, and a 500 x 300 popup painted from one JPEG.
// Nothing else, so the benchmark's ratios show what the client adds.
#include <windows.h>
#include <ole2.h>
#include <olectl.h>
#include <shellapi.h>

namespace {

constexpr int kIcon = 1;
constexpr int kPicture = 2;
constexpr UINT kTrayMessage = WM_USER + 1;
constexpr char kHiddenClass[] = "ZephalReference";
constexpr char kPopupClass[] = "ZephalReferencePopup";

HWND popup = nullptr;
IPicture* picture = nullptr;
NOTIFYICONDATAA tray{};

IPicture* LoadJpegResource(HINSTANCE instance, int id) {
  HRSRC found = FindResourceA(instance, MAKEINTRESOURCEA(id), "BINARY");
  HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
  const DWORD size = found ? SizeofResource(instance, found) : 0;
  if (!loaded || !size) return nullptr;
  HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
  if (!copy) return nullptr;
  CopyMemory(GlobalLock(copy), LockResource(loaded), size);
  GlobalUnlock(copy);
  IStream* stream = nullptr;
  IPicture* result = nullptr;
  if (SUCCEEDED(CreateStreamOnHGlobal(copy, TRUE, &stream))) {
    OleLoadPicture(stream, static_cast<LONG>(size), FALSE, IID_IPicture, reinterpret_cast<void**>(&result));
    stream->Release();
  } else {
    GlobalFree(copy);
  }
  return result;
}

void PaintPopup(HWND hwnd) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  if (picture) {
    OLE_XSIZE_HIMETRIC w = 0;
    OLE_YSIZE_HIMETRIC h = 0;
    picture->get_Width(&w);
    picture->get_Height(&h);
    picture->Render(dc, 0, 0, 500, 300, 0, h, w, -h, nullptr);
  }
  EndPaint(hwnd, &ps);
}

LRESULT CALLBACK PopupProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT:
      PaintPopup(hwnd);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_CLOSE:
      ShowWindow(hwnd, SW_HIDE);
      return 0;
    default:
      return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
}

LRESULT CALLBACK HiddenProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE: {
      tray.cbSize = sizeof tray;
      tray.hWnd = hwnd;
      tray.uID = 1;
      tray.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
      tray.uCallbackMessage = kTrayMessage;
      tray.hIcon = LoadIconA(reinterpret_cast<LPCREATESTRUCTA>(lParam)->hInstance, MAKEINTRESOURCEA(kIcon));
      lstrcpynA(tray.szTip, "Reference", sizeof tray.szTip);
      Shell_NotifyIconA(NIM_ADD, &tray);
      return 0;
    }
    case kTrayMessage:
      if (lParam == WM_LBUTTONDBLCLK && popup) ShowWindow(popup, SW_SHOW);
      return 0;
    case WM_CLOSE:
      Shell_NotifyIconA(NIM_DELETE, &tray);
      if (popup) DestroyWindow(popup);
      DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
}

bool Register(HINSTANCE instance, const char* name, WNDPROC proc) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(kIcon));
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.lpszClassName = name;
  return RegisterClassExA(&wc) != 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  if (!Register(instance, kHiddenClass, HiddenProc) || !Register(instance, kPopupClass, PopupProc)) return 1;
  if (!CreateWindowExA(0, kHiddenClass, "Reference", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 230, 200,
                       nullptr, nullptr, instance, nullptr))
    return 1;
  picture = LoadJpegResource(instance, kPicture);
  popup = CreateWindowExA(WS_EX_APPWINDOW, kPopupClass, "Reference", WS_POPUP, 200, 200, 500, 300, nullptr, nullptr,
                          instance, nullptr);
  if (popup) ShowWindow(popup, SW_SHOW);

  MSG msg{};
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  if (picture) picture->Release();
  return static_cast<int>(msg.wParam);
}
