// Placeholder until the painted status figures land: nothing is drawn yet.
#include "ui/status_panel_win.h"

void PaintStatusValue(HWND, const LayoutRecord*) {}
