#include "app/control_window_win.h"

#include "app/core_events_win.h"
#include "base/app_state.h"
#include "base/catalogue.h"
#include "base/report.h"
#include "base/version.h"
#include "core/core_connection_win.h"
#include "coreapi/core_api.h"
#include "coreapi/core_records.h"
#include "settings/logon_task_win.h"
#include "settings/settings_store_win.h"
#include "tray/tray_win.h"
#include "ui/control_ids.h"
#include "ui/main_window_win.h"

namespace {

// Set when the core failed to initialise: Shutdown then runs inside WM_CREATE,
// and the process ends with code 1 instead of reporting a creation failure.
bool endedEarly = false;

// The shell broadcasts TaskbarCreated from a process of lower integrity than
// this elevated one; Windows drops it at our window unless we let it through,
// and the icon would be gone for good after the shell restarts. Looked up
// because systems before Windows 7 lack the call (and need none).
void LetTaskbarCreatedThrough(HWND hwnd) {
  using FilterCall = BOOL(WINAPI*)(HWND, UINT, DWORD, PCHANGEFILTERSTRUCT);
  const auto filter = reinterpret_cast<FilterCall>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "ChangeWindowMessageFilterEx")));
  if (!filter) {
    MsgBox(kReportDetail, "TRAY: no window message filter here; TaskbarCreated needs no exception");
    return;
  }
  if (filter(hwnd, taskbarCreatedMsg, MSGFLT_ALLOW, nullptr))
    MsgBox(kReportDetail, "TRAY: TaskbarCreated let through the window message filter");
  else
    MsgBox(kReportFailure, "TRAY: couldn't let TaskbarCreated through the message filter(code=%lu).", GetLastError());
}

LRESULT OnCreate(HWND hwnd) {
  appState.hwndControl = hwnd;
  taskbarCreatedMsg = RegisterWindowMessageA("TaskbarCreated");
  LetTaskbarCreatedThrough(hwnd);
  TrayAdd(appState.hInstance, hwnd);
  OpenMainWindow(appState.hwndMain);

  CoreInitRecord record = MakeCoreInitRecord(appState.redirectServer);
  const uint32_t result = Zephal_Init(&record, OnCoreMessage, OnCoreStatus);
  if (result <= 4) {
    if (result != 0) OnCoreStatus(static_cast<int32_t>(result));
    ReportVersion();
    StoreLibraryVersion(Zephal_GetDllVersion());
    // An installation switched on before the task was the machine's (or by a
    // version that knew none) gets it now; the same task whoever starts.
    if (appState.autoRun) RequestLogonTask(true, appState.installDir, hwnd);
    return 0;
  }
  ReportVersion();
  ReportDll(result, InitFailureText(result));
  endedEarly = true;
  Shutdown(1);
  return 0;
}

void OnDestroy() {
  ReleaseCoreAtDestroy();
  TrayRemove();
  PostQuitMessage(endedEarly ? 1 : 0);
}

void OnCommand(WORD id) {
  if (ShutdownRunning()) return;
  if (boxOpen) {
    RaiseReportBox();
    return;
  }
  if (id == IDM_TRAY_OPEN)
    OpenMainWindow(appState.hwndMain);
  else if (id == IDM_TRAY_EXIT)
    Shutdown(0);
}

void OnShowMainRequest(WPARAM flags) {
  MsgBox(kReportDetail, "WINDOW: show request from another instance%s",
         (flags & kShowMainForegroundPassed) ? " (foreground passed on)" : "");
  PostMessageA(appState.hwndMain, WM_SHOWWINDOW, 1, 0);
}

void OnTrayMessage(HWND hwnd, LPARAM mouseMessage) {
  if (ShutdownRunning()) return;
  if (boxOpen) {
    RaiseReportBox();
    return;
  }
  TrayNotify(hwnd, appState.hwndMain, static_cast<UINT>(mouseMessage), appState.runState);
}

const char* SessionEndReason(LPARAM reason) {
  if (reason & ENDSESSION_CRITICAL) return "forced end of the session";
  if (reason & ENDSESSION_LOGOFF) return "log-off";
  if (reason & ENDSESSION_CLOSEAPP) return "closed for an update or restart";
  return "shut-down or restart";
}

// Windows asks before it ends the session: the client never holds it up here;
// it closes properly once the end is certain (WM_ENDSESSION).
LRESULT OnQueryEndSession(LPARAM reason) {
  MsgBox(kReportDetail, "WINDOW: the session may end (%s); agreed", SessionEndReason(reason));
  SessionMayEnd();
  return TRUE;
}

void OnEndSession(WPARAM ending, LPARAM reason) {
  if (!ending) {
    MsgBox(kReportDetail, "WINDOW: the session goes on");
    SessionGoesOn();
    return;
  }
  // Once this returns Windows may end the process: everything happens now.
  MsgBox(kReportNote, "WINDOW: the session ends (%s); closing without asking", SessionEndReason(reason));
  ShutdownAtSessionEnd();
}

}  // namespace

bool ControlWindowEndedEarly() { return endedEarly; }

void PressConnect() { PostMessageA(appState.hwndMain, WM_COMMAND, MAKEWPARAM(IDC_CONNECT, 0), 0); }

void ReportVersion() {
  const std::string client = FormatVersion(ClientVersion);
  const std::string library = FormatVersion(Zephal_GetDllVersion());
  const std::string core = FormatVersion(Zephal_GetCoreVersion());
  MsgBox(kReportNote, "%s %s (%s, %s) built on Mar 20 2013", kControlTitle, client.c_str(), library.c_str(),
         core.c_str());
}

LRESULT CALLBACK ControlWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE:
      return OnCreate(hwnd);
    case WM_DESTROY:
      OnDestroy();
      return 0;
    case WM_CLOSE:
      Shutdown(0);
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam));
      return 0;
    case WMU_SHOW_MAIN:
      OnShowMainRequest(wParam);
      return 0;
    case WM_QUERYENDSESSION:
      return OnQueryEndSession(lParam);
    case WM_ENDSESSION:
      OnEndSession(wParam, lParam);
      return 0;
    case WM_TIMER:
      if (wParam == TIMER_TRAY_RETRY) TrayRetryTimer();
      return 0;
    case WMU_CORE_STATUS:
      HandleCoreStatus(static_cast<int32_t>(wParam));
      return 0;
    case WMU_HAND_OVER_EXIT:
      OnHandOverExit();
      return 0;
    case WMU_TASK_DONE:
      ReportLogonTaskDone(wParam, lParam);
      return 0;
    case WMU_TRAY:
      OnTrayMessage(hwnd, lParam);
      return 1;
    default:
      if (msg == taskbarCreatedMsg && msg != 0) {
        TrayUpdate(appState.runState, 1);
        return 0;
      }
      return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
}
