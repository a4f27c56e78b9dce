// The hidden control window that owns the process's lifetime.
#pragma once
#include <windows.h>

LRESULT CALLBACK ControlWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Asks (unless skipConfirm), stops the connection and tears everything down.
// Control window thread only. One shutdown at a time: a request while the
// question waits brings it forward, one after it does nothing.
void Shutdown(int skipConfirm);
// True once the teardown runs: requests that arrive now are dropped. Any thread.
// The lower folders ask through ShutdownBegun (base/top_calls.h).
bool ShutdownRunning();
// The updater has been started: end the client without its question, on the
// control window's thread. Any thread. Reached from below through
// RequestHandOverShutdown (base/top_calls.h).
void HandOverShutdown();
// Control window thread: a posted hand-over request.
void OnHandOverExit();
// Presses the main window's connect button, from any thread (posted).
void PressConnect();
// Releases the core once, waiting a bounded time for it (nothing when the
// teardown has done so, or when a stop still runs).
void ReleaseCoreAtDestroy();
// True when the exit stopped waiting for a thread that may still run.
bool ShutdownLeftThreads();
// Windows asks whether the session may end: while connected it is told why
// the end will take a moment.
void SessionMayEnd();
// The session goes on after all: the reason is taken back.
void SessionGoesOn();
// The session ends (log-off, restart): saves, stops the connection and
// releases the core within Windows' time, telling Windows why it waits.
void ShutdownAtSessionEnd();
// Logs the client, library and core versions.
void ReportVersion();
// True once the core initialisation failed and the window ended during its creation.
bool ControlWindowEndedEarly();
