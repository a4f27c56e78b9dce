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

// While the connection is stopped at the end of a session, Windows shows the
// user why the client holds the session up. Vista and later; looked up.
class SessionEndBlock {
 public:
  explicit SessionEndBlock(HWND hwnd) : hwnd_(hwnd) {
    using CreateCall = BOOL(WINAPI*)(HWND, LPCWSTR);
    const auto create = reinterpret_cast<CreateCall>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "ShutdownBlockReasonCreate")));
    active_ = create && create(hwnd_, L"Lumora Zephal 正在断开加速连接，请稍候");
  }
  ~SessionEndBlock() {
    using DestroyCall = BOOL(WINAPI*)(HWND);
    const auto destroy = reinterpret_cast<DestroyCall>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "ShutdownBlockReasonDestroy")));
    if (active_ && destroy) destroy(hwnd_);
  }
  SessionEndBlock(const SessionEndBlock&) = delete;
  SessionEndBlock& operator=(const SessionEndBlock&) = delete;

 private:
  HWND hwnd_;
  bool active_ = false;
};

// Set once the tear-down ran: a session end that arrives while the exit
// question is open tears down inside it, and the question's answer must not
// do it again.
bool tornDown = false;

void TearDown() {
  if (tornDown) return;
  tornDown = true;
  MsgBox(1, "%s Closed Success.", kControlTitle);
  SaveSettings(&appState);
  TrayRemove();
  CloseMainWindow();
  LogClose();
  SkinRelease();
  appState.layout = FreeLayoutRecord(appState.layout);
  DestroyWindow(appState.hwndControl);
}

}  // namespace

void Shutdown(int skipConfirm) {
  if (tornDown) return;
  if (appState.runState != RUN_IDLE) {
    if (!skipConfirm && !ConfirmExit()) return;
    if (tornDown) return;
    StopAndWait();
  }
  TearDown();
}

void ShutdownAtSessionEnd() {
  if (tornDown) return;
  if (appState.runState != RUN_IDLE) {
    const SessionEndBlock block(appState.hwndControl);
    StopAndWait();
  }
  TearDown();
}
