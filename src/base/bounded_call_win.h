// Work that may wait on another process (the shell, Task Scheduler), kept
// from holding the calling thread for longer than it may wait.
#pragma once
#include <windows.h>

// A piece of such work: allocate with new, hand to RunBounded, then let go
// of it with ReleaseJob; the job's thread lets go of its own share.
struct BoundedJob {
  virtual ~BoundedJob() = default;
  virtual void Run() = 0;
  LONG refs = 2;
};

void ReleaseJob(BoundedJob* job);

// Runs job->Run() on a thread of its own and waits at most `timeoutMs` for
// it, answering messages sent to the caller's windows meanwhile (the work may
// ask every top-level window, ours included). True when it finished in time;
// otherwise it goes on alone.
bool RunBounded(BoundedJob* job, DWORD timeoutMs);
