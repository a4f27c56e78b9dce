// What a reported connection state does to the tray, the main window and the
// account notices. Runs on the control window's thread: the core's status
// callback posts the state there.
#include "app/core_events_win.h"

#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include "base/app_state.h"
#include "base/gbk_text_win.h"
#include "base/report.h"
#include "core/account_notice.h"
#include "coreapi/core_api.h"
#include "coreapi/core_records.h"
#include "tray/tray_win.h"
#include "ui/main_window_win.h"

namespace {

constexpr UINT IDS_CONNECTED_TITLE = 1821;
constexpr UINT IDS_CONNECTED_ADDRESS = 1822;
constexpr char kBalloonName[] = "lumora_zephal";

constexpr size_t kFormatBytes = 1000;

// The address field holds 17 bytes that need not be terminated.
std::string AssignedAddress(const CoreQueryRecord& record) {
  return std::string(record.ip, strnlen(record.ip, sizeof record.ip));
}

void RaiseAccountNotice(const CoreQueryRecord& record) {
  const std::string dateText(record.date, strnlen(record.date, sizeof record.date));
  switch (DecideAccountNotice(record.status, record.date, record.minutesLeft, std::time(nullptr))) {
    case AccountNotice::EndDate:
      MsgBox(kReportEndDate, "INFO: the end-date is %s", dateText.c_str());
      break;
    case AccountNotice::EndTime:
      MsgBox(kReportEndTime, "INFO: the end-time is %u.", static_cast<unsigned>(record.minutesLeft));
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
  const std::string titleFormat = LoadGbkString(appState.hInstance, IDS_CONNECTED_TITLE, kFormatBytes);
  std::snprintf(title, sizeof title, titleFormat.c_str(), kBalloonName);
  const std::string address = AssignedAddress(record);
  if (address.empty())
    std::snprintf(text, sizeof text, " ");
  else
    std::snprintf(text, sizeof text, LoadGbkString(appState.hInstance, IDS_CONNECTED_ADDRESS, kFormatBytes).c_str(),
                  address.c_str());
  TrayBalloon(appState.hwndControl, title, text);

  ShowMainView();
  StartAutoHide();
  RaiseAccountNotice(record);
}

}  // namespace

void HandleCoreStatus(int32_t state) {
  MsgBox(kReportDetail, "CORE: status %d", static_cast<int>(state));
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
