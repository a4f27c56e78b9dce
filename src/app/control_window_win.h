// The hidden control window that owns the process's lifetime.
#pragma once
#include <windows.h>

LRESULT CALLBACK ControlWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Asks (unless skipConfirm), stops the connection and tears everything down.
void Shutdown(int skipConfirm);
// The session ends (log-off, restart): stops the connection and tears down
// like Shutdown(1), telling Windows why it waits meanwhile.
void ShutdownAtSessionEnd();
// Logs the client, library and core versions.
void ReportVersion();
// True once the core initialisation failed and the window ended during its creation.
bool ControlWindowEndedEarly();
