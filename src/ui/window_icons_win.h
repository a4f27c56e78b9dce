// The program's icon on a window's title bar and task button.
#pragma once
#include <windows.h>

// Gives a window icon 1000 as its big and small icon, each from the image that
// fits `dpi` (0: the system's metrics); fatal after three failures. Icons set
// by an earlier call are freed once the window holds the new ones.
void SetWindowIcons(HINSTANCE module, HWND window, int dpi = 0);
