#include <atomic>
#include <cstdio>

#include "app/control_window_win.h"
#include "app/shutdown_plan.h"
#include "base/app_state.h"
#include "base/bounded_wait_win.h"
#include "base/box_win.h"
#include "base/gbk_text_win.h"
#include "base/report.h"
#include "core/core_connection_win.h"
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
  const int answer = ShowBox(nullptr, text, kBoxCaption, MB_YESNO | MB_ICONINFORMATION | MB_DEFBUTTON2 | MB_SETFOREGROUND);
  // A question that could not be asked ends nothing, but says so.
  if (answer == 0)
    MsgBox(kReportFailure, "EXIT: the exit question could not be shown (code=%lu); the client goes on",
           GetLastError());
  return answer == IDYES;
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
  MsgBox(kReportDetail, "EXIT: already asking; the question is brought forward");
  if (question) SetForegroundWindow(question);
}

void StopForExit() { StopCore(&appState, 2); }
void ReleaseCore() { Zephal_Clear(); }
const BoundedCall kStopCore{StopForExit};
const BoundedCall kReleaseCore{ReleaseCore};

// Set while the session ends: the teardown then keeps to Windows' time.
bool sessionEnding = false;
DWORD sessionEndBegan = 0;
bool coreReleased = false;

DWORD SessionEndLeft(uint32_t reserveMs) {
  return shutdown_plan::SessionEndLeftMs(GetTickCount() - sessionEndBegan, reserveMs);
}

void StopAndWait(DWORD boundMs) {
  // A core that holds its lock while a callback waits for the user may not
  // even return from the stop: the bound counts from the request.
  const DWORD began = GetTickCount();
  if (!CallBounded(kStopCore, boundMs)) {
    threadsLeft = true;
    MsgBox(kReportFailure, "CORE: Zephal_Stop did not return within %u ms", static_cast<unsigned>(boundMs));
  }
  // The core reports Idle from its own thread.
  while (appState.runState != RUN_IDLE && GetTickCount() - began < boundMs) Sleep(50);
}

// The core's clean-up never runs beside a stop that has not returned: whether
// the closed core survives that is unknown, so the process then ends without
// it. Waits at most `boundMs` in all, for such a stop and for the release.
void ReleaseCoreOnce(DWORD boundMs) {
  if (coreReleased) return;
  coreReleased = true;
  const DWORD began = GetTickCount();
  if (!WaitServingSentUntil(NoStopRunning, boundMs)) {
    threadsLeft = true;
    MsgBox(kReportFailure,
           "CORE: Zephal_Stop has still not returned; Zephal_Clear is not called, the process ends without it");
    return;
  }
  const DWORD left = boundMs - (GetTickCount() - began);
  if (CallBounded(kReleaseCore, left <= boundMs ? left : 0)) return;
  threadsLeft = true;
  MsgBox(kReportFailure, "CORE: Zephal_Clear did not return within %u ms", static_cast<unsigned>(boundMs));
}

// Work on threads of its own would race the runtime's teardown: it gets a
// bounded time, then the process ends at once instead (no static destructor runs).
void WaitForJobs(DWORD boundMs) {
  if (threadsLeft || WaitServingSentUntil(NoJobRunning, boundMs)) return;
  threadsLeft = true;
  MsgBox(kReportFailure, "EXIT: work on another thread is still running; the process ends without waiting for it");
}

// A main window thread still running may paint with these: they are left to
// the end of the process instead.
void ReleasePictures(bool mainEnded) {
  if (mainEnded) {
    SkinRelease();
    appState.layout = FreeLayoutRecord(appState.layout);
  } else {
    threadsLeft = true;
  }
}

void TearDown() {
  if (appState.runState != RUN_IDLE) StopAndWait(shutdown_plan::kStopWaitMs);
  MsgBox(kReportNote, "%s Closed Success.", kControlTitle);
  SaveSettings(&appState);
  TrayRemove();
  const bool mainEnded = CloseMainWindow(shutdown_plan::kMainThreadWaitMs);
  ReleaseCoreOnce(shutdown_plan::kCoreReleaseWaitMs);
  WaitForJobs(shutdown_plan::kJobWaitMs);
  LogClose();
  ReleasePictures(mainEnded);
  DestroyWindow(appState.hwndControl);
}

// Everything within Windows' time: the choices are saved before anything can
// run out of it, the core is released before the main window's thread is
// waited for.
void TearDownAtSessionEnd() {
  SaveSettings(&appState);
  EndMainWindow();
  if (appState.runState != RUN_IDLE) StopAndWait(shutdown_plan::kSessionStopWaitMs);
  ReleaseCoreOnce(SessionEndLeft(shutdown_plan::kSessionEndReserveMs));
  TrayRemove();
  MsgBox(kReportNote, "%s Closed Success.", kControlTitle);
  const bool mainEnded = CloseMainWindow(SessionEndLeft(shutdown_plan::kSessionEndReserveMs));
  WaitForJobs(SessionEndLeft(shutdown_plan::kSessionEndReserveMs));
  MsgBox(kReportDetail, "EXIT: the session end took %lu ms",
         static_cast<unsigned long>(GetTickCount() - sessionEndBegan));
  LogClose();
  ReleasePictures(mainEnded);
  DestroyWindow(appState.hwndControl);
}

// While the session end waits, Windows shows the user why. The reason goes on
// the control window: the process's one top-level window through the whole
// end (the main window is ended first), owned by the thread that handles the
// end, as the call requires; Windows lists a window that gives a reason even
// when it is hidden. Vista and later; looked up.
bool blockReasonSet = false;
bool blockReasonTried = false;

void SetBlockReason() {
  if (blockReasonTried) return;
  blockReasonTried = true;
  using CreateCall = BOOL(WINAPI*)(HWND, LPCWSTR);
  const auto create = reinterpret_cast<CreateCall>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "ShutdownBlockReasonCreate")));
  blockReasonSet = create && create(appState.hwndControl, L"Lumora Zephal 正在断开加速连接，请稍候");
  if (blockReasonSet)
    MsgBox(kReportDetail, "WINDOW: the reason for the wait is shown on the control window");
  else
    MsgBox(kReportDetail, "WINDOW: no reason for the wait could be given (code=%lu)", create ? GetLastError() : 0ul);
}

void ClearBlockReason() {
  blockReasonTried = false;
  if (!blockReasonSet) return;
  using DestroyCall = BOOL(WINAPI*)(HWND);
  const auto destroy = reinterpret_cast<DestroyCall>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "ShutdownBlockReasonDestroy")));
  if (destroy) destroy(appState.hwndControl);
  blockReasonSet = false;
}

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
      if (sessionEnding)
        TearDownAtSessionEnd();
      else
        TearDown();
      return;
    case Step::RaiseQuestion:
      RaiseQuestion();
      return;
    case Step::Ignore:
      MsgBox(kReportDetail, "EXIT: a shutdown is already under way");
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
    MsgBox(kReportFailure, "EXIT: the control window did not take the updater's exit request");
}

void OnHandOverExit() {
  if (handOverRequested.exchange(false)) Shutdown(1);
}

void ReleaseCoreAtDestroy() { ReleaseCoreOnce(shutdown_plan::kCoreReleaseWaitMs); }

bool ShutdownLeftThreads() { return threadsLeft; }

void SessionMayEnd() {
  if (appState.runState != RUN_IDLE) SetBlockReason();
}

void SessionGoesOn() { ClearBlockReason(); }

void ShutdownAtSessionEnd() {
  sessionEnding = true;
  sessionEndBegan = GetTickCount();
  // The stop may take its bounded wait: Windows shows the user why meanwhile.
  if (appState.runState != RUN_IDLE) SetBlockReason();
  Shutdown(1);
  ClearBlockReason();
}
