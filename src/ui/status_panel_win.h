// The painted figures of the main window: status values and the about panel.
#pragma once
#include <windows.h>

#include <cstddef>

struct LayoutRecord;

// Draws what `control` shows (a status value or the about panel) onto its window DC.
void PaintStatusValue(HWND control, const LayoutRecord* layout);

// Draws the first min(n, length) characters of `text` at the point packed as
// x in the low and y in the high 16 bits.
void DrawTextN(HDC dc, DWORD point, const char* text, size_t n);
// Draws string resource `id` of the program (at most 59 characters) at the packed point.
void DrawStringResource(HDC dc, DWORD point, UINT id);
