// The main window and the thread it runs on.
#pragma once
#include <windows.h>

#include "ui/control_ids.h"
#include "ui/layout.h"

// Starts the main window thread on the first call; later calls show and raise the window.
void OpenMainWindow(HWND hwnd);
// Asks the main window's thread to end, without waiting for it.
void EndMainWindow();
// Asks the main window's thread to end and waits for it at most `timeoutMs`.
// False when it still runs: what it paints with must then stay.
bool CloseMainWindow(DWORD timeoutMs);
DWORD WINAPI MainWindowThread(LPVOID);
// From any thread: lay the main view out for the current state, on the window's thread.
void ShowMainView();
// From any thread: hide the window after five seconds if it is shown now.
void StartAutoHide();

// Main window thread: the layout record scaled to the window's display scale
// (the 96-DPI record itself until the window is laid out).
const LayoutRecord* MainWindowLayout();
// Main window thread: the DPI the window is laid out for.
int MainWindowDpi();

constexpr UINT_PTR TIMER_AUTO_HIDE = 1908;
