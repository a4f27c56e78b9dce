// The main window and the thread it runs on.
#pragma once
#include <windows.h>

// Starts the main window thread on the first call; later calls show and raise the window.
void OpenMainWindow(HWND hwnd);
// Ends the main window and waits until its thread can no longer paint.
void CloseMainWindow();
DWORD WINAPI MainWindowThread(LPVOID);
