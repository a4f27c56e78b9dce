// The hidden control window that owns the process's lifetime.
#pragma once
#include <windows.h>

LRESULT CALLBACK ControlWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Asks (unless skipConfirm), stops the connection and tears everything down.
void Shutdown(int skipConfirm);
// Logs the client, library and core versions.
void ReportVersion();
// True once the core initialisation failed and the window ended during its creation.
bool ControlWindowEndedEarly();
