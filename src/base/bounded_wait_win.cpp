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

namespace {

DWORD WINAPI RunCall(LPVOID param) {
  static_cast<const BoundedCall*>(param)->call();
  return 0;
}

}  // namespace

bool CallBounded(const BoundedCall& job, DWORD timeoutMs) {
  HANDLE thread = CreateThread(nullptr, 0, RunCall, const_cast<BoundedCall*>(&job), 0, nullptr);
  if (!thread) {
    job.call();  // no thread to spare: call it here, as without a bound
    return true;
  }
  const bool returned = WaitServingSent(thread, timeoutMs);
  CloseHandle(thread);
  return returned;
}
