// The painted figures of the main window: status values and the about panel.
#pragma once
#include <windows.h>

struct LayoutRecord;

// Draws what `control` shows (a status value or the about panel) onto its window DC.
void PaintStatusValue(HWND control, const LayoutRecord* layout);
