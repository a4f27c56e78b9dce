// Work that may wait on another process (the shell, Task Scheduler), kept
// from holding the calling thread for longer than it may wait.
#pragma once
#include <windows.h>

#include <functional>

// Runs `work` on a thread of its own and waits at most `timeoutMs` for it,
// answering messages sent to the caller's windows meanwhile (the work may
// ask every top-level window, ours included). True when it finished in time;
// otherwise it goes on alone, and owns what it captured.
bool RunBounded(std::function<void()> work, DWORD timeoutMs);
