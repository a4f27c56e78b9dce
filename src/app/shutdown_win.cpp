#include <atomic>
#include <cstdio>

#include "app/control_window_win.h"
#include "app/shutdown_plan.h"
#include "base/app_state.h"
#include "base/bounded_wait_win.h"
#include "base/gbk_text_win.h"
#include "base/report.h"
#include "coreapi/core_api.h"
#include "settings/settings_store_win.h"
#include "tray/tray_win.h"
#include "ui/layout.h"
#include "ui/main_window_win.h"
#include "ui/skin_win.h"

namespace {

using shutdown_plan::Phase;
using shutdown_plan::Step;

constexpr UINT IDS_EXIT_CONFIRM = 1852;

// Written on the control window's thread only; read by every thread that
// drops its requests once the shutdown runs.
std::atomic<Phase> phase{Phase::None};
// Set by the updater hand-over just before it posts its request, so that a
// posted message alone never ends the client without its question.
std::atomic<bool> handOverRequested{false};
// A thread the exit stopped waiting for: the main window's, or one calling the core.
std::atomic<bool> threadsLeft{false};

bool ConfirmExit() {
  const std::string format = LoadGbkString(appState.hInstance, IDS_EXIT_CONFIRM, 101);
  char text[256];
  std::snprintf(text, sizeof text, format.c_str(), kProductName);
  // A question, not a report: it does not count as an open report box.
  return MessageBoxW(nullptr, GbkToWide(text).c_str(), GbkToWide(kBoxCaption).c_str(),
                     MB_YESNO | MB_ICONINFORMATION | MB_DEFBUTTON2 | MB_SETFOREGROUND) == IDYES;
}

BOOL CALLBACK FindQuestion(HWND window, LPARAM found) {
  char cls[16] = "";
  GetClassNameA(window, cls, sizeof cls);
  // The question is the box of this thread with a No button.
  if (lstrcmpA(cls, "#32770") != 0 || !GetDlgItem(window, IDNO)) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

void RaiseQuestion() {
  HWND question = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindQuestion, reinterpret_cast<LPARAM>(&question));
  MsgBox(0x10004, "EXIT: already asking; the question is brought forward");
  if (question) SetForegroundWindow(question);
}

void StopCore() { Zephal_Stop(&appState, 2); }
void ReleaseCore() { Zephal_Clear(); }
const BoundedCall kStopCore{StopCore};
const BoundedCall kReleaseCore{ReleaseCore};

void StopAndWait() {
  // A core that holds its lock while a callback waits for the user may not
  // even return from the stop: the four seconds count from the request.
  const DWORD began = GetTickCount();
  if (!CallBounded(kStopCore, shutdown_plan::kStopWaitMs)) {
    threadsLeft = true;
    MsgBox(0x10001, "CORE: Zephal_Stop did not return within %u ms", static_cast<unsigned>(shutdown_plan::kStopWaitMs));
  }
  // The core reports Idle from its own thread.
  while (appState.runState != RUN_IDLE && GetTickCount() - began < shutdown_plan::kStopWaitMs) Sleep(50);
}

void TearDown() {
  if (appState.runState != RUN_IDLE) StopAndWait();
  MsgBox(1, "%s Closed Success.", kControlTitle);
  SaveSettings(&appState);
  TrayRemove();
  const bool mainEnded = CloseMainWindow(shutdown_plan::kMainThreadWaitMs);
  LogClose();
  // A main window thread still running may paint with these: they are left
  // to the end of the process instead.
  if (mainEnded) {
    SkinRelease();
    appState.layout = FreeLayoutRecord(appState.layout);
  } else {
    threadsLeft = true;
  }
  DestroyWindow(appState.hwndControl);
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

}  // namespace

void Shutdown(int skipConfirm) {
  Step step = shutdown_plan::OnRequest(phase, skipConfirm != 0, appState.runState);
  if (step == Step::Ask) {
    phase = Phase::Asking;
    const bool yes = ConfirmExit();
    step = shutdown_plan::AfterQuestion(phase, yes);
    if (step == Step::Cancel) phase = Phase::None;
  }
  switch (step) {
    case Step::Proceed:
      phase = Phase::Running;
      TearDown();
      return;
    case Step::RaiseQuestion:
      RaiseQuestion();
      return;
    case Step::Ignore:
      MsgBox(0x10004, "EXIT: a shutdown is already under way");
      return;
    case Step::Ask:
    case Step::Cancel:
      return;
  }
}

bool ShutdownRunning() { return phase == Phase::Running; }

void HandOverShutdown() {
  HWND control = appState.hwndControl;
  if (control && GetWindowThreadProcessId(control, nullptr) == GetCurrentThreadId()) {
    Shutdown(1);
    return;
  }
  handOverRequested = true;
  if (!control || !PostMessageA(control, WMU_HAND_OVER_EXIT, 0, 0))
    MsgBox(0x10001, "EXIT: the control window did not take the updater's exit request");
}

void OnHandOverExit() {
  if (handOverRequested.exchange(false)) Shutdown(1);
}

void ReleaseCoreBounded() {
  if (CallBounded(kReleaseCore, shutdown_plan::kCoreReleaseWaitMs)) return;
  threadsLeft = true;
  MsgBox(0x10001, "CORE: Zephal_Clear did not return within %u ms",
         static_cast<unsigned>(shutdown_plan::kCoreReleaseWaitMs));
}

bool ShutdownLeftThreads() { return threadsLeft; }

void ShutdownAtSessionEnd() {
  // The stop may take its bounded wait: Windows shows the user why meanwhile.
  if (appState.runState != RUN_IDLE) {
    const SessionEndBlock block(appState.hwndControl);
    Shutdown(1);
    return;
  }
  Shutdown(1);
}
