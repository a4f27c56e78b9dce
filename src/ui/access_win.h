// Keyboard and screen-reader access to the main dialog: the names its
// controls carry and the focus ring of the option check boxes, whose captions
// are pictures beside them.
#pragma once
#include <windows.h>

// Gives every control of ControlNames() its name as window text. The text is
// stored without the control seeing it: a bitmap static would take it for a
// resource name, and none of them draws it.
void NameControls(HWND dialog);
// Subclasses the six option boxes: a box's own painting finds no caption (so it
// draws its glyph alone, as before it had a name), and a change of its focus
// repaints the ring around its picture label.
void SubclassOptionBoxes(HWND dialog);
// Draws the focus ring around the label of the option box that has the
// keyboard focus, once the user moves around by keyboard (and unless Windows
// hides focus cues for now).
void PaintFocusRing(HWND dialog, HDC dc);
// The focus cues were switched on or off: the ring of the focused box follows.
void RefreshFocusRing(HWND dialog);
// The window's scale, for the ring's margin (2 pixels at 96 DPI).
void SetFocusRingScale(int dpi);
// Watches the dialog's messages for the first Tab or arrow key, which shows the ring.
void NoteDialogKey(HWND dialog, const MSG& msg);
// Keys reach the dialog only through a focused window of it. When the view
// disabled or hid the control that had the focus (the login form once the
// connection starts), the dialog itself takes it, so Enter, Escape and Tab still
// work; no control gets a focus (or a caret) it did not have.
void KeepKeyboardFocus(HWND dialog);
// True while that happens: the dialog procedure keeps the dialog manager from
// passing the focus on to its first control.
bool DialogTakesFocus();
