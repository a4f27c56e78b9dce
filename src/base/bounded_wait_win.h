// Waits with a time limit, for the exit: nothing it waits for may hang it.
#pragma once
#include <windows.h>

// Waits at most `timeoutMs` for `handle`, serving the messages other threads
// send to this one meanwhile (a thread that ends its window, or a box on
// another thread, may send to this thread's windows and wait for the answer).
// False when the time ran out.
bool WaitServingSent(HANDLE handle, DWORD timeoutMs);

// Waits at most `timeoutMs` until `done()` holds, serving sent messages as
// above. False when the time ran out first.
bool WaitServingSentUntil(bool (*done)(), DWORD timeoutMs);

// Threads doing bounded work (page openers, Task Scheduler, core calls) count
// themselves from start to end, so the exit knows whether one still runs.
void JobBegins();
void JobEnds();
bool NoJobRunning();

// A call made on a thread of its own; static, so a thread left running past
// the wait still finds it.
struct BoundedCall {
  void (*call)();
};

// Runs `job` on a thread of its own and waits for it as above. False when it
// has not returned in time: it is left to return (or to end with the process)
// on its thread. A call into the core may wait for the core's own threads,
// which may wait for a user's answer.
bool CallBounded(const BoundedCall& job, DWORD timeoutMs);
