// The image controls of the skinned main window: the dialog's picture
// controls paint their placements from the picture store (skin_win.h) and
// show the hand or the arrow; the status values and the about panel paint
// transparently so the dialog can draw their figures.
//
// Threads: the main window thread only, like the placements they paint.
#pragma once
#include <windows.h>

#include "ui/layout.h"

// The layout record the dialog is laid out with now (its scaled copy).
using LayoutSource = const LayoutRecord* (*)();

// The shared procedure of the image controls: paints the control's placements
// and shows the hand or the arrow; everything else goes to previous, or to
// DefWindowProc when there is none.
LRESULT ImageControlProc(int handCursor, WNDPROC previous, HWND window, UINT message, WPARAM wParam,
                         LPARAM lParam);
// The about panel: the hand over the home-page link of the layout source's
// record, the arrow elsewhere on the panel; painted like the value statics.
LRESULT CALLBACK AboutPanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Puts the image-control procedures on the dialog's thirteen picture controls
// and keeps their previous procedures; the status panel and the seven value
// statics get a procedure that paints them transparently and asks the dialog
// for their colour, when their figures are drawn. The about panel finds its
// link in `layout`'s record (null: the 96-DPI record in AppState). Missing
// controls are skipped. Returns how many controls were subclassed.
int SkinSubclassControls(HWND dialog, LayoutSource layout = nullptr);
