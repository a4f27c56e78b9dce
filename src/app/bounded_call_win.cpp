#include "app/bounded_call_win.h"

#include <memory>

namespace {

DWORD WINAPI BoundedThread(LPVOID parameter) {
  const std::unique_ptr<std::function<void()>> work(static_cast<std::function<void()>*>(parameter));
  (*work)();
  return 0;
}

}  // namespace

bool RunBounded(std::function<void()> work, DWORD timeoutMs) {
  auto* owned = new std::function<void()>(std::move(work));
  HANDLE thread = CreateThread(nullptr, 0, BoundedThread, owned, 0, nullptr);
  if (!thread) {
    // No thread to spare: do it here rather than not at all.
    (*owned)();
    delete owned;
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
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
  CloseHandle(thread);
  return done;
}
