#include "base/bounded_wait_win.h"

#include <cstdint>

bool WaitServingSent(HANDLE handle, DWORD timeoutMs) {
  const DWORD deadline = GetTickCount() + timeoutMs;
  for (;;) {
    const int32_t left = static_cast<int32_t>(deadline - GetTickCount());
    const DWORD r = MsgWaitForMultipleObjects(1, &handle, FALSE, left > 0 ? static_cast<DWORD>(left) : 0, QS_SENDMESSAGE);
    if (r == WAIT_OBJECT_0) return true;
    if (r != WAIT_OBJECT_0 + 1) return false;
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

bool WaitServingSentUntil(bool (*done)(), DWORD timeoutMs) {
  constexpr DWORD kLookMs = 20;
  const DWORD start = GetTickCount();
  for (;;) {
    if (done()) return true;
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= timeoutMs) return false;
    const DWORD left = timeoutMs - elapsed;
    if (MsgWaitForMultipleObjects(0, nullptr, FALSE, left < kLookMs ? left : kLookMs, QS_SENDMESSAGE) == WAIT_OBJECT_0) {
      MSG msg;
      PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
  }
}

namespace {

volatile LONG jobsRunning = 0;

DWORD WINAPI RunCall(LPVOID param) {
  static_cast<const BoundedCall*>(param)->call();
  JobEnds();
  return 0;
}

}  // namespace

void JobBegins() { InterlockedIncrement(&jobsRunning); }

void JobEnds() { InterlockedDecrement(&jobsRunning); }

bool NoJobRunning() { return InterlockedCompareExchange(&jobsRunning, 0, 0) == 0; }

bool CallBounded(const BoundedCall& job, DWORD timeoutMs) {
  JobBegins();
  HANDLE thread = CreateThread(nullptr, 0, RunCall, const_cast<BoundedCall*>(&job), 0, nullptr);
  if (!thread) {
    JobEnds();
    job.call();  // no thread to spare: call it here, as without a bound
    return true;
  }
  const bool returned = WaitServingSent(thread, timeoutMs);
  CloseHandle(thread);
  return returned;
}
