// The hidden control window that owns the process's lifetime.
#pragma once
#include <windows.h>

LRESULT CALLBACK ControlWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Asks (unless skipConfirm), stops the connection and tears everything down.
// Control window thread only. One shutdown at a time: a request while the
// question waits brings it forward, one after it does nothing.
void Shutdown(int skipConfirm);
// True once the teardown runs: requests that arrive now are dropped. Any thread.
bool ShutdownBegun();
// The updater has been started: end the client without its question, on the
// control window's thread. Any thread.
void RequestHandOverShutdown();
// Control window thread: a posted hand-over request.
void OnHandOverExit();
// Releases the core, waiting a bounded time for it.
void ReleaseCoreBounded();
// True when the exit stopped waiting for a thread that may still run.
bool ShutdownLeftThreads();
// The session ends (log-off, restart): stops the connection and tears down
// like Shutdown(1), telling Windows why it waits meanwhile.
void ShutdownAtSessionEnd();
// Logs the client, library and core versions.
void ReportVersion();
// True once the core initialisation failed and the window ended during its creation.
bool ControlWindowEndedEarly();
