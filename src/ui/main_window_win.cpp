// The skinned main dialog on its own thread. Until the full view states land
// it shows the login face while idle and the status face otherwise.
#include "ui/main_window_win.h"

#include <atomic>

#include "app/app_state.h"
#include "app/report.h"
#include "core/core_connection_win.h"
#include "core/core_records.h"
#include "settings/settings_store_win.h"
#include "net/net_watch_win.h"
#include "tray/tray_win.h"
#include "ui/layout_win.h"
#include "ui/main_view.h"
#include "ui/skin_win.h"
#include "ui/status_panel_win.h"

namespace {

constexpr int IDD_MAIN = 1600;
// Requests from other threads, carried out on the window's own thread.
constexpr UINT WMU_SHOW_VIEW = WM_USER + 130;
constexpr UINT WMU_AUTO_HIDE = WM_USER + 131;
HANDLE mainThread = nullptr;
// Set by CloseMainWindow before it looks for the window, so a thread that
// publishes its window only afterwards still ends instead of running on.
std::atomic<bool> closing{false};

void ApplyMainView(HWND dialog) {
  const int32_t state = appState.runState;
  CoreQueryRecord query{};
  if (state == RUN_CONNECTED || state == RUN_DISCONNECTING) Zephal_Get_QueryData(&query);
  const MainFace face = MainFaceFor(state, query.status, appState.serviceIndex, appState.rememberUser != 0);
  for (const FaceControl& c : face.controls) {
    HWND control = GetDlgItem(dialog, c.id);
    if (!control) continue;
    ShowWindow(control, c.shown ? SW_SHOW : SW_HIDE);
    EnableWindow(control, c.enabled);
  }
  for (const FacePicture& p : face.pictures) SkinSetVisible(nullptr, p.id, p.shown ? 1 : 0);
  InvalidateRect(dialog, nullptr, FALSE);
}

// A posted WM_SHOWWINDOW is a request from another thread; ShowWindow sends the
// same message again while it applies it, hence the guard.
void OnShowRequest(HWND hwnd, WPARAM show, LPARAM reason) {
  static thread_local bool applying = false;
  appState.mainVisible = show ? 1 : 0;
  if (applying || reason != 0 || (IsWindowVisible(hwnd) != FALSE) == (show != 0)) return;
  MsgBox(0x10004, "WINDOW: main window show %u", static_cast<unsigned>(show));
  applying = true;
  if (show) ApplyMainView(hwnd);
  ShowWindow(hwnd, show ? SW_SHOW : SW_HIDE);
  if (show) SetForegroundWindow(hwnd);
  applying = false;
}

void OnPaint(HWND hwnd) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  SkinPaint(hwnd, dc);
  EndPaint(hwnd, &ps);
}

void OnShowView(HWND hwnd) {
  MsgBox(0x10004, "VIEW: main view for state %d", static_cast<int>(appState.runState));
  ApplyMainView(hwnd);
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

void FillLoginForm(HWND dialog) {
  SetDlgItemTextA(dialog, IDC_USER, appState.userName);
  SetDlgItemTextA(dialog, IDC_PASSWORD, appState.password);
  SendDlgItemMessageA(dialog, IDC_USER, EM_LIMITTEXT, 20, 0);
  SendDlgItemMessageA(dialog, IDC_PASSWORD, EM_LIMITTEXT, 20, 0);
  SendDlgItemMessageA(dialog, IDC_SERVICE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("上网加速"));
  SendDlgItemMessageA(dialog, IDC_SERVICE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("游戏加速"));
  SendDlgItemMessageA(dialog, IDC_SERVICE, CB_SETCURSEL, appState.serviceIndex <= 1 ? appState.serviceIndex : 0, 0);
}

INT_PTR OnInitDialog(HWND dialog) {
  SetWindowIcons(appState.hInstance, dialog);
  ApplyLayout(dialog, appState.layout);
  FillLoginForm(dialog);
  SkinSubclassControls(dialog);
  if (appState.autoLogin) StartNetWatch(OnNetworkChange, appState.redirectServer);
  return TRUE;
}

INT_PTR CALLBACK MainDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      return OnInitDialog(hwnd);
    case WM_SHOWWINDOW:
      OnShowRequest(hwnd, wParam, 0);
      return TRUE;
    case WM_ERASEBKGND:
      return TRUE;  // the background picture covers the whole window
    case WM_PAINT:
      OnPaint(hwnd);
      return TRUE;
    case WM_COMMAND:
      OnCommand(hwnd, LOWORD(wParam));
      return TRUE;
    case WM_TIMER:
      OnTimer(hwnd, wParam);
      return TRUE;
    case WMU_SHOW_VIEW:
      OnShowView(hwnd);
      return TRUE;
    case WMU_AUTO_HIDE:
      OnAutoHideRequest(hwnd);
      return TRUE;
    case WM_CLOSE:
      // Closing hides: the client lives on in the notification area.
      ShowWindow(hwnd, SW_HIDE);
      appState.mainVisible = 0;
      return TRUE;
    case WM_DESTROY:
      if (appState.autoLogin) StopNetWatch();
      PostQuitMessage(0);
      return TRUE;
    case WM_CTLCOLORSTATIC:
      PaintStatusValue(reinterpret_cast<HWND>(lParam), appState.layout);
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

DWORD WINAPI MainWindowThread(LPVOID) {
  HWND hwnd = CreateDialogParamA(appState.hInstance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, MainDialogProc, 0);
  if (!hwnd) {
    MsgBox(0x52020, "WINDOW: Create the main window failed(code=%d).", static_cast<int>(GetLastError()));
    return 1;
  }
  appState.hwndMain = hwnd;
  appState.mainCreated = 1;
  if (closing) {
    DestroyWindow(hwnd);
    return 0;
  }
  if (appState.mainVisible) {
    ShowWindow(hwnd, SW_SHOW);
    SetForegroundWindow(hwnd);
  }
  SkinRegisterMainWindow(hwnd, appState.layout);
  ApplyMainView(hwnd);

  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (IsDialogMessageA(hwnd, &msg)) continue;
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
