// Placeholder main window until the skinned dialog arrives: a plain window on
// its own thread that shows the product name and follows the show requests.
#include "ui/main_window_win.h"

#include <atomic>
#include <cstdio>

#include "app/app_state.h"
#include "app/report.h"
#include "core/core_connection_win.h"
#include "settings/settings_store_win.h"
#include "tray/tray_win.h"

namespace {

constexpr char kMainClass[] = "Zephal_Main";
// Requests from other threads, carried out on the window's own thread.
constexpr UINT WMU_SHOW_VIEW = WM_USER + 130;
constexpr UINT WMU_AUTO_HIDE = WM_USER + 131;
HANDLE mainThread = nullptr;
// Set by CloseMainWindow before it looks for the window, so a thread that
// publishes its window only afterwards still ends instead of running on.
std::atomic<bool> closing{false};

// A posted WM_SHOWWINDOW is a request from another thread; ShowWindow sends the
// same message again while it applies it, hence the guard.
void OnShowRequest(HWND hwnd, WPARAM show, LPARAM reason) {
  static thread_local bool applying = false;
  appState.mainVisible = show ? 1 : 0;
  if (applying || reason != 0 || (IsWindowVisible(hwnd) != FALSE) == (show != 0)) return;
  MsgBox(0x10004, "WINDOW: main window show %u", static_cast<unsigned>(show));
  applying = true;
  ShowWindow(hwnd, show ? SW_SHOW : SW_HIDE);
  applying = false;
}

void OnPaint(HWND hwnd) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT rc;
  GetClientRect(hwnd, &rc);
  FillRect(dc, &rc, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
  SetBkMode(dc, TRANSPARENT);
  static const char* const kStates[] = {"", "无连接", "正在连接", "已连接", "正在断开"};
  const int32_t state = appState.runState;
  char text[64];
  std::snprintf(text, sizeof text, "%s - %s", kProductName, state >= 1 && state <= 4 ? kStates[state] : "?");
  DrawTextA(dc, text, -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  EndPaint(hwnd, &ps);
}

void OnShowView(HWND hwnd) {
  MsgBox(0x10004, "VIEW: main view for state %d", static_cast<int>(appState.runState));
  InvalidateRect(hwnd, nullptr, TRUE);
}

void OnAutoHideRequest(HWND hwnd) {
  if (appState.mainVisible) SetTimer(hwnd, TIMER_AUTO_HIDE, 5000, nullptr);
}

void OnTimer(HWND hwnd, UINT_PTR id) {
  if (id != TIMER_AUTO_HIDE) return;
  KillTimer(hwnd, TIMER_AUTO_HIDE);
  ShowWindow(hwnd, SW_HIDE);
  appState.mainVisible = 0;
}

void OnCommand(HWND hwnd, WORD id) {
  if (boxOpen) {
    RaiseReportBox();
    return;
  }
  const int32_t state = appState.runState;
  if (id == IDC_CONNECT && state == RUN_IDLE) {
    SaveSettings(&appState);
    StartConnection(appState);
  } else if (id == IDC_DISCONNECT && state == RUN_CONNECTED) {
    KillTimer(hwnd, TIMER_AUTO_HIDE);
    StopConnection();
  } else if (id == IDC_CANCEL && state == RUN_CONNECTING) {
    StopConnection();
  }
}

LRESULT CALLBACK MainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SHOWWINDOW:
      OnShowRequest(hwnd, wParam, lParam);
      return 0;
    case WM_PAINT:
      OnPaint(hwnd);
      return 0;
    case WM_COMMAND:
      OnCommand(hwnd, LOWORD(wParam));
      return 0;
    case WM_TIMER:
      OnTimer(hwnd, wParam);
      return 0;
    case WMU_SHOW_VIEW:
      OnShowView(hwnd);
      return 0;
    case WMU_AUTO_HIDE:
      OnAutoHideRequest(hwnd);
      return 0;
    case WM_CLOSE:
      // Closing hides: the client lives on in the notification area.
      ShowWindow(hwnd, SW_HIDE);
      appState.mainVisible = 0;
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
}

}  // namespace

DWORD WINAPI MainWindowThread(LPVOID) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = MainProc;
  wc.hInstance = appState.hInstance;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hIcon = LoadIconA(appState.hInstance, MAKEINTRESOURCEA(1000));
  wc.lpszClassName = kMainClass;
  RegisterClassA(&wc);
  HWND hwnd = CreateWindowExA(0, kMainClass, kProductName, WS_POPUP | WS_CAPTION | WS_SYSMENU, 200, 150, 500, 300,
                              nullptr, nullptr, appState.hInstance, nullptr);
  if (!hwnd) {
    MsgBox(0x52020, "WINDOW: Create the main window failed(code=%d).", static_cast<int>(GetLastError()));
    return 1;
  }
  SetWindowIcons(appState.hInstance, hwnd);
  appState.hwndMain = hwnd;
  appState.mainCreated = 1;
  if (closing) {
    DestroyWindow(hwnd);
    return 0;
  }
  if (appState.mainVisible) ShowWindow(hwnd, SW_SHOW);

  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  // The destroy request only asked the loop to end; the window dies on its own thread.
  DestroyWindow(hwnd);
  return 0;
}

void OpenMainWindow(HWND hwnd) {
  if (boxOpen) {
    RaiseReportBox();
    return;
  }
  if (!appState.mainCreated) {
    if (mainThread) return;  // already starting
    mainThread = CreateThread(nullptr, 0, MainWindowThread, nullptr, 0, nullptr);
    if (!mainThread) MsgBox(0x52020, "WINDOW: Create the main window failed(code=%d).", static_cast<int>(GetLastError()));
    return;
  }
  PostMessageA(hwnd, WM_SHOWWINDOW, 1, 0);
  SetForegroundWindow(hwnd);
}

// A window that does not exist yet lays itself out for the state when it is created.
void ShowMainView() {
  if (HWND hwnd = appState.hwndMain) PostMessageA(hwnd, WMU_SHOW_VIEW, 0, 0);
}

void StartAutoHide() {
  if (HWND hwnd = appState.hwndMain) PostMessageA(hwnd, WMU_AUTO_HIDE, 0, 0);
}

void CloseMainWindow() {
  closing = true;
  if (HWND hwnd = appState.hwndMain) SendMessageA(hwnd, WM_DESTROY, 0, 0);
  if (!mainThread) return;
  // Pictures and the layout are released right after this: wait until the
  // thread has left its loop so it cannot paint with them any more. Destroying
  // its window sends activation messages to this thread, so keep serving them.
  const DWORD deadline = GetTickCount() + 5000;
  for (;;) {
    const DWORD now = GetTickCount();
    const DWORD left = static_cast<int32_t>(deadline - now) > 0 ? deadline - now : 0;
    const DWORD r = MsgWaitForMultipleObjects(1, &mainThread, FALSE, left, QS_SENDMESSAGE);
    if (r == WAIT_OBJECT_0) break;
    if (r != WAIT_OBJECT_0 + 1) {
      MsgBox(0x10001, "THREAD: main window thread did not end in time");
      break;
    }
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
  CloseHandle(mainThread);
  mainThread = nullptr;
}
