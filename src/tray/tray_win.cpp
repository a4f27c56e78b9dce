// Placeholder until the tray icon arrives: records each call in the verbose log
// so the control window's dispatch can be observed.
#include "tray/tray_win.h"

#include "app/report.h"

void TrayAdd(HINSTANCE, HWND) { MsgBox(0x10004, "TRAY: add (placeholder)"); }

void TrayUpdate(int state, int add) { MsgBox(0x10004, "TRAY: update state %d add %d (placeholder)", state, add); }

void TrayBalloon(HWND, const char* title, const char* text) {
  MsgBox(0x10004, "TRAY: balloon \"%s\" \"%s\" (placeholder)", title, text);
}

void TrayNotify(HWND, HWND, UINT mouseMessage, int state) {
  MsgBox(0x10004, "TRAY: notify 0x%x state %d (placeholder)", mouseMessage, state);
}

void TrayRemove() { MsgBox(0x10004, "TRAY: remove (placeholder)"); }
