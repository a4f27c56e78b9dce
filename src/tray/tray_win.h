// The notification-area icon, its tooltip, balloon and menu. All of it runs on
// the control window's thread: the core's callbacks hand their work over.
#pragma once
#include <windows.h>

// Creates the menu and adds the icon in the idle state; fatal after three failures.
void TrayAdd(HINSTANCE module, HWND owner);
// Rebuilds tooltip and icon for `state`; adds the icon when `add`, else modifies it.
void TrayUpdate(int state, int add);
// Shows a balloon on the existing icon; icon and tooltip stay as they are.
void TrayBalloon(HWND owner, const char* title, const char* text);
// Acts on a mouse message of the tray icon.
void TrayNotify(HWND owner, HWND mainWindow, UINT mouseMessage, int state);
// Destroys the menu and deletes the icon; harmless when already removed.
void TrayRemove();
// The control window's timer that retries adding an icon the shell refused.
void TrayRetryTimer();

constexpr UINT_PTR TIMER_TRAY_RETRY = 1001;
