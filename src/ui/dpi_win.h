// The display scale of a window, from the calls each Windows version has:
// per-monitor on Windows 10 (1607 and later), the system DPI before that.
#pragma once
#include <windows.h>

// The DPI of the monitor the window is on (GetDpiForWindow), else the system DPI.
int WindowDpi(HWND window);
// GetSystemMetricsForDpi where it exists, else GetSystemMetrics (system DPI).
int SystemMetricForDpi(int index, int dpi);
// Tells the dialog manager of Windows 10 (1803 and later) to leave the dialog's
// size, fonts and controls alone on a change of DPI: the window lays itself out.
void KeepDialogScalingOurs(HWND dialog);
