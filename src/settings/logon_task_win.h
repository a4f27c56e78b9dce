// The log-on task through Task Scheduler 2.0.
#pragma once
#include <windows.h>

// Registers (enable) or deletes the task that starts the client in
// `installDir` at an administrator's log-on, on a thread of its own: the
// caller never waits for Task Scheduler. The outcome is posted to `notify`
// as WMU_TASK_DONE (wParam: 1 registered, 0 deleted; lParam: the HRESULT),
// whose window passes it to ReportLogonTaskDone; without a window to take it
// the thread reports it itself. One change runs at a time: a request while
// one runs is made after it, and of several such only the last.
void RequestLogonTask(bool enable, const char* installDir, HWND notify);
// Logs the outcome of a change; the window that got WMU_TASK_DONE calls it.
void ReportLogonTaskDone(WPARAM enable, LPARAM result);
