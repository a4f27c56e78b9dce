// Puts the main dialog and its controls where the layout record says.
#pragma once
#include <windows.h>

#include "ui/layout.h"

// Called once from WM_INITDIALOG: centres the 500 × 300 dialog on the desktop,
// moves and sizes the controls, and sets the check boxes, their enabled state
// and the remembered login texts from the options in AppState. Controls the
// dialog does not have are skipped; a null record skips only the record's moves.
void ApplyLayout(HWND dialog, const LayoutRecord* layout);
