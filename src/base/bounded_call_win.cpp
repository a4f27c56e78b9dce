#include "base/bounded_call_win.h"

#include "base/bounded_wait_win.h"

namespace {

DWORD WINAPI BoundedThread(LPVOID parameter) {
  auto* job = static_cast<BoundedJob*>(parameter);
  job->Run();
  ReleaseJob(job);
  JobEnds();
  return 0;
}

}  // namespace

void ReleaseJob(BoundedJob* job) {
  if (InterlockedDecrement(&job->refs) == 0) delete job;
}

bool RunBounded(BoundedJob* job, DWORD timeoutMs) {
  JobBegins();
  HANDLE thread = CreateThread(nullptr, 0, BoundedThread, job, 0, nullptr);
  if (!thread) {
    // No thread to spare: do it here rather than not at all.
    BoundedThread(job);
    return true;
  }
  const DWORD start = GetTickCount();
  bool done = false;
  for (;;) {
    const DWORD elapsed = GetTickCount() - start;
    const DWORD r = MsgWaitForMultipleObjects(1, &thread, FALSE, elapsed < timeoutMs ? timeoutMs - elapsed : 0,
                                              QS_SENDMESSAGE);
    if (r == WAIT_OBJECT_0) {
      done = true;
      break;
    }
    if (r != WAIT_OBJECT_0 + 1) break;
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
  CloseHandle(thread);
  return done;
}
