#include "core/core_connection_win.h"

#include "app/app_state.h"
#include "app/report.h"

// Stores the state at once: Shutdown's wait on the process thread reads it.
void ZEPHAL_CDECL OnCoreStatus(int32_t state) {
  appState.runState.store(state);
  MsgBox(0x10004, "CORE: status %d", static_cast<int>(state));
}

void ZEPHAL_CDECL OnCoreMessage(uint32_t code, const char* text) { ReportDll(code, text ? text : ""); }
