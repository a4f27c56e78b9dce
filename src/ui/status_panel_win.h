// The painted figures of the main window: status values and the about panel.
#pragma once
#include <windows.h>

#include <cstddef>

struct LayoutRecord;

// Draws what `control` shows (a status value or the about panel) onto its
// window DC. `layout` is the record as the window uses it (scaled to its DPI);
// the fonts are made for `dpi`.
void PaintStatusValue(HWND control, const LayoutRecord* layout, int dpi = 96);

// Draws the first min(n, length) characters of `text` at the point packed as
// x in the low and y in the high 16 bits.
void DrawTextN(HDC dc, DWORD point, const char* text, size_t n);
// Draws string resource `id` of the program (at most 59 characters) at the packed point.
void DrawStringResource(HDC dc, DWORD point, UINT id);
