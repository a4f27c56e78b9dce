#include "core/core_connection_win.h"

#include <atomic>
#include <cstring>
#include <string>

#include "base/app_state.h"
#include "base/catalogue.h"
#include "base/report.h"
#include "base/top_calls.h"
#include "base/web_page_win.h"
#include "core/conflicts_win.h"
#include "coreapi/core_records.h"

namespace {

// Zephal_Stop calls that have not returned yet, on any thread.
std::atomic<int> stopsRunning{0};

}  // namespace

void StartConnection(const AppState& account) {
  CoreStartRecord record = MakeCoreStartRecord(account.userName, account.password, account.serviceIndex);
  Zephal_Start(&record, 0);
}

void StopCore(void* context, uint32_t reason) {
  ++stopsRunning;
  Zephal_Stop(context, reason);
  --stopsRunning;
}

void StopConnection() { StopCore(nullptr, 0); }

bool NoStopRunning() { return stopsRunning == 0; }

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

void HandleCoreMessage(uint32_t code) {
  // Once the client is ending nothing new is offered or started.
  if (ShutdownBegun()) return;
  const CoreCodeRow* row = FindCoreCode(code);
  if (!row) return;
  switch (row->then) {
    case CoreFollowUp::kClosableConflicts:
      if (const std::unique_ptr<ConflictList> conflicts = ReadConflictList()) HandleClosableConflicts(*conflicts);
      break;
    case CoreFollowUp::kUnclosableConflicts:
      if (const std::unique_ptr<ConflictList> conflicts = ReadConflictList()) HandleUnclosableConflicts(*conflicts);
      break;
    case CoreFollowUp::kUpgrade:
      HandleUpgradeRequired();
      break;
    case CoreFollowUp::kNothing:
      break;
  }
  if (row->page) OpenPageResource(row->page);
}
