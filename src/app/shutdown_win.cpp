#include <cstdio>

#include "app/app_state.h"
#include "app/control_window_win.h"
#include "app/report.h"
#include "core/core_api.h"
#include "settings/settings_store_win.h"
#include "tray/tray_win.h"
#include "ui/layout.h"
#include "ui/main_window_win.h"
#include "ui/skin_win.h"

namespace {

constexpr UINT IDS_EXIT_CONFIRM = 1852;

bool ConfirmExit() {
  char format[101] = "";
  LoadStringA(appState.hInstance, IDS_EXIT_CONFIRM, format, sizeof format);
  char text[256];
  std::snprintf(text, sizeof text, format, kProductName);
  // A question, not a report: it does not count as an open report box.
  return MessageBoxA(nullptr, text, kBoxCaption, MB_YESNO | MB_ICONINFORMATION | MB_DEFBUTTON2 | MB_SETFOREGROUND) ==
         IDYES;
}

void StopAndWait() {
  Zephal_Stop(&appState, 2);
  // The core reports Idle from its own thread; give it at most four seconds.
  for (int i = 0; i < 4; ++i) {
    if (appState.runState == RUN_IDLE) break;
    Sleep(1000);
  }
}

}  // namespace

void Shutdown(int skipConfirm) {
  if (appState.runState != RUN_IDLE) {
    if (!skipConfirm && !ConfirmExit()) return;
    StopAndWait();
  }
  MsgBox(1, "%s Closed Success.", kControlTitle);
  SaveSettings(&appState);
  TrayRemove();
  CloseMainWindow();
  LogClose();
  SkinRelease();
  appState.layout = FreeLayoutRecord(appState.layout);
  DestroyWindow(appState.hwndControl);
}
