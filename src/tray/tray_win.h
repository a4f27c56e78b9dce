// The notification-area icon, its tooltip, balloon and menu.
#pragma once
#include <windows.h>

// Creates the menu and adds the icon in the idle state.
void TrayAdd(HINSTANCE module, HWND owner);
// Rebuilds tooltip and icon for `state`; adds the icon when `add`, else modifies it.
void TrayUpdate(int state, int add);
// Shows a balloon tip on the icon.
void TrayBalloon(HWND owner, const char* title, const char* text);
// Acts on a mouse message of the tray icon.
void TrayNotify(HWND owner, HWND mainWindow, UINT mouseMessage, int state);
// Destroys the menu and deletes the icon; harmless when already removed.
void TrayRemove();
