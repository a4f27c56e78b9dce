#include "core/core_connection_win.h"

#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include "app/app_state.h"
#include "app/control_window_win.h"
#include "app/report.h"
#include "core/account_notice.h"
#include "core/conflicts_win.h"
#include "core/core_records.h"
#include "tray/tray_win.h"
#include "ui/main_window_win.h"

namespace {

constexpr UINT IDS_CONNECTED_TITLE = 1821;
constexpr UINT IDS_CONNECTED_ADDRESS = 1822;
constexpr char kBalloonName[] = "lumora_zephal";
constexpr uint32_t kClosableConflicts = 0x30170004;
constexpr uint32_t kUnclosableConflicts = 0x50170005;

std::string LoadText(UINT id) {
  char buffer[1000] = "";
  LoadStringA(appState.hInstance, id, buffer, sizeof buffer);
  return buffer;
}

// The address field holds 17 bytes that need not be terminated.
std::string AssignedAddress(const CoreQueryRecord& record) {
  return std::string(record.ip, strnlen(record.ip, sizeof record.ip));
}

void RaiseAccountNotice(const CoreQueryRecord& record) {
  const std::string dateText(record.date, strnlen(record.date, sizeof record.date));
  switch (DecideAccountNotice(record.status, record.date, record.minutesLeft, std::time(nullptr))) {
    case AccountNotice::EndDate:
      MsgBox(0x132003, "INFO: the end-date is %s", dateText.c_str());
      break;
    case AccountNotice::EndTime:
      MsgBox(0x122003, "INFO: the end-time is %u.", static_cast<unsigned>(record.minutesLeft));
      break;
    case AccountNotice::None:
      break;
  }
}

void OnConnected() {
  CoreQueryRecord record{};
  Zephal_Get_QueryData(&record);
  TrayUpdate(RUN_CONNECTED, 0);

  char title[200];
  char text[200];
  std::snprintf(title, sizeof title, LoadText(IDS_CONNECTED_TITLE).c_str(), kBalloonName);
  const std::string address = AssignedAddress(record);
  if (address.empty())
    std::snprintf(text, sizeof text, " ");
  else
    std::snprintf(text, sizeof text, LoadText(IDS_CONNECTED_ADDRESS).c_str(), address.c_str());
  TrayBalloon(appState.hwndControl, title, text);

  ShowMainView();
  StartAutoHide();
  RaiseAccountNotice(record);
}

}  // namespace

void StartConnection(const AppState& account) {
  CoreStartRecord record = MakeCoreStartRecord(account.userName, account.password, account.serviceIndex);
  Zephal_Start(&record, 0);
}

void StopConnection() { Zephal_Stop(nullptr, 0); }

void ZEPHAL_CDECL OnCoreStatus(int32_t state) {
  // Stored at once: Shutdown's wait on the process thread reads it while this
  // thread may be anywhere.
  appState.runState.store(state);
  if (HWND control = appState.hwndControl) PostMessageA(control, WMU_CORE_STATUS, static_cast<WPARAM>(state), 0);
}

void ZEPHAL_CDECL OnCoreMessage(uint32_t code, const char* text) {
  // The core promises a terminator; read no further than a report can hold anyway.
  const std::string bounded = text ? std::string(text, strnlen(text, 1023)) : std::string();
  ReportDll(code, bounded.c_str());
  // Handled here, on the core's thread: the core waits for this callback, so
  // the conflict list holds still until the user has answered, and
  // Zephal_Proc_Kill closes the list the user saw.
  HandleCoreMessage(code);
}

void HandleCoreStatus(int32_t state) {
  MsgBox(0x10004, "CORE: status %d", static_cast<int>(state));
  switch (state) {
    case RUN_IDLE:
      TrayUpdate(RUN_IDLE, 0);
      ShowMainView();
      break;
    case RUN_CONNECTING:
    case RUN_DISCONNECTING:
      ShowMainView();
      TrayUpdate(state, 0);
      break;
    case RUN_CONNECTED:
      OnConnected();
      break;
    default:
      break;  // stored, nothing else to show
  }
}

void HandleCoreMessage(uint32_t code) {
  // Once the client is ending nothing new is offered or started.
  if (ShutdownBegun()) return;
  switch (code) {
    case kClosableConflicts:
      if (const std::unique_ptr<ConflictList> conflicts = ReadConflictList()) HandleClosableConflicts(*conflicts);
      break;
    case kUnclosableConflicts:
      if (const std::unique_ptr<ConflictList> conflicts = ReadConflictList()) HandleUnclosableConflicts(*conflicts);
      break;
    case 0x301B0003:
    case 0x301B0004:
    case 0x50000A09:
      HandleUpgradeRequired();
      break;
    default:
      break;
  }
}
