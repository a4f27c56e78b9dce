#include "app/control_window_win.h"


#include "app/app_state.h"
#include "app/report.h"
#include "core/core_api.h"
#include "core/core_connection_win.h"
#include "core/core_records.h"
#include "settings/settings_store_win.h"
#include "tray/tray_win.h"
#include "ui/main_window_win.h"
#include "ui/number_format.h"

namespace {

// Set when the core failed to initialise: Shutdown then runs inside WM_CREATE,
// and the process ends with code 1 instead of reporting a creation failure.
bool endedEarly = false;

const char* InitFailureText(uint32_t result) {
  switch (result) {
    case 0x50000A0B: return "Zephal 正在进行升级";
    case 0x50000A0C: return "Zephal 已经被其他程序控制";
    case 0x501A0A00: return "Zephal 服务没有安装";
    case 0x501A0A01: return "Zephal 服务没有启动";
    default: return "Zephal 初始化失败";
  }
}

LRESULT OnCreate(HWND hwnd) {
  appState.hwndControl = hwnd;
  taskbarCreatedMsg = RegisterWindowMessageA("TaskbarCreated");
  TrayAdd(appState.hInstance, hwnd);
  OpenMainWindow(appState.hwndMain);

  CoreInitRecord record = MakeCoreInitRecord(appState.redirectServer);
  const uint32_t result = Zephal_Init(&record, OnCoreMessage, OnCoreStatus);
  if (result <= 4) {
    if (result != 0) OnCoreStatus(static_cast<int32_t>(result));
    ReportVersion();
    StoreLibraryVersion(Zephal_GetDllVersion());
    return 0;
  }
  ReportVersion();
  ReportDll(result, InitFailureText(result));
  endedEarly = true;
  Shutdown(1);
  return 0;
}

void OnDestroy() {
  ReleaseCoreBounded();
  TrayRemove();
  PostQuitMessage(endedEarly ? 1 : 0);
}

void OnCommand(WORD id) {
  if (ShutdownBegun()) return;
  if (boxOpen) {
    RaiseReportBox();
    return;
  }
  if (id == IDM_TRAY_OPEN)
    OpenMainWindow(appState.hwndMain);
  else if (id == IDM_TRAY_EXIT)
    Shutdown(0);
}

void OnShowMainRequest() {
  MsgBox(0x10004, "WINDOW: show request from another instance");
  PostMessageA(appState.hwndMain, WM_SHOWWINDOW, 1, 0);
}

void OnTrayMessage(HWND hwnd, LPARAM mouseMessage) {
  if (ShutdownBegun()) return;
  if (boxOpen) {
    RaiseReportBox();
    return;
  }
  TrayNotify(hwnd, appState.hwndMain, static_cast<UINT>(mouseMessage), appState.runState);
}

}  // namespace

bool ControlWindowEndedEarly() { return endedEarly; }

void ReportVersion() {
  const std::string client = FormatVersion(ClientVersion);
  const std::string library = FormatVersion(Zephal_GetDllVersion());
  const std::string core = FormatVersion(Zephal_GetCoreVersion());
  MsgBox(1, "%s %s (%s, %s) built on Mar 20 2013", kControlTitle, client.c_str(), library.c_str(), core.c_str());
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
      OnShowMainRequest();
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
    case WMU_TRAY:
      OnTrayMessage(hwnd, lParam);
      return 1;
    default:
      if (msg == taskbarCreatedMsg && msg != 0) {
        TrayUpdate(appState.runState, 1);
        return 0;
      }
      return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
}
