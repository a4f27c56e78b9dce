// Puts the main dialog and its controls where the layout record says.
#pragma once
#include <windows.h>

#include "ui/layout.h"

// Called once from WM_INITDIALOG: centres the dialog (500 × 300 at 96 DPI) on
// the desktop, moves and sizes the controls, and sets the check boxes, their
// enabled state and the remembered login texts from the options in AppState.
// `layout` is the 96-DPI record; every place is scaled to `dpi`. Controls the
// dialog does not have are skipped; a null record skips only the record's moves.
void ApplyLayout(HWND dialog, const LayoutRecord* layout, int dpi = 96);
// Moves and sizes every control for `dpi` (nothing else): the part of
// ApplyLayout a change of display scale repeats.
void PlaceControls(HWND dialog, const LayoutRecord* layout, int dpi);
// The dialog's window size at `dpi`.
SIZE MainWindowSize(int dpi);
