#include "ui/access_win.h"

#include <algorithm>
#include <vector>

#include "ui/control_names.h"
#include "ui/display_scale.h"

namespace {

WNDPROC boxClassProc = nullptr;  // the button procedure the six boxes share
// Boxes inside their own handling of a message, innermost last; main window thread only.
std::vector<HWND> boxesAtWork;
// Set by the first Tab or arrow key in the dialog: from then on the user finds
// the focus by its ring. Until then a focus a click or a view change left on a
// box shows nothing, as before the ring existed.
bool keyboardNavigated = false;
// Set while the dialog takes the keyboard focus for itself (KeepKeyboardFocus).
bool takingFocus = false;
// The scale the ring was last drawn at, so a focus change clears the margin it covers.
int ringDpi = kBaseDpi;

// A text query the box makes of itself while it paints or measures: one from
// another thread or process (the accessibility layer, a test) is never that.
bool BoxAsksItself(HWND box) {
  return !InSendMessage() && std::find(boxesAtWork.begin(), boxesAtWork.end(), box) != boxesAtWork.end();
}

// The ring is the keyboard user's: it waits for the dialog's own record of
// keyboard use rather than the system's cue setting, which Wine always has on,
// so a mouse user sees the window as before. Windows may still hide focus cues.
bool FocusCuesShown(HWND box) {
  return keyboardNavigated && !(SendMessageA(box, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS);
}

// The option box with the keyboard focus, and its label, or null.
HWND FocusedBox(HWND dialog, HWND* label) {
  HWND focus = GetFocus();
  if (!focus || GetParent(focus) != dialog || !IsWindowVisible(focus)) return nullptr;
  const int labelId = LabelOfOptionBox(GetDlgCtrlID(focus));
  *label = labelId ? GetDlgItem(dialog, labelId) : nullptr;
  return *label ? focus : nullptr;
}

// The ring: the label's place on the dialog with a margin of 2 pixels at 96 DPI.
RECT RingAround(HWND dialog, HWND label, int dpi) {
  RECT r{};
  GetWindowRect(label, &r);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  const int margin = ScaleCoordinate(2, dpi);
  InflateRect(&r, margin, margin);
  return r;
}

// Only the margin around the label: the label itself keeps its picture.
void InvalidateRing(HWND dialog, HWND label, int dpi) {
  RECT inner{};
  GetWindowRect(label, &inner);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&inner), 2);
  const RECT outer = RingAround(dialog, label, dpi);
  HRGN ring = CreateRectRgnIndirect(&outer);
  HRGN hole = CreateRectRgnIndirect(&inner);
  if (ring && hole && CombineRgn(ring, ring, hole, RGN_DIFF) != ERROR)
    InvalidateRgn(dialog, ring, FALSE);
  else
    InvalidateRect(dialog, &outer, FALSE);
  if (ring) DeleteObject(ring);
  if (hole) DeleteObject(hole);
}

LRESULT CALLBACK OptionBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
  if ((message == WM_GETTEXT || message == WM_GETTEXTLENGTH) && BoxAsksItself(box)) {
    if (message == WM_GETTEXT && wParam > 0 && lParam) reinterpret_cast<char*>(lParam)[0] = '\0';
    return 0;
  }
  boxesAtWork.push_back(box);
  const LRESULT result = boxClassProc ? CallWindowProcA(boxClassProc, box, message, wParam, lParam)
                                      : DefWindowProcA(box, message, wParam, lParam);
  boxesAtWork.pop_back();
  if (message == WM_SETFOCUS || message == WM_KILLFOCUS) {
    HWND dialog = GetParent(box);
    const int labelId = LabelOfOptionBox(GetDlgCtrlID(box));
    if (HWND label = labelId ? GetDlgItem(dialog, labelId) : nullptr) InvalidateRing(dialog, label, ringDpi);
  }
  return result;
}

}  // namespace

void NameControls(HWND dialog) {
  for (const ControlName& n : ControlNames()) {
    if (HWND control = GetDlgItem(dialog, n.id))
      DefWindowProcA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(n.name));
  }
}

void SubclassOptionBoxes(HWND dialog, int dpi) {
  ringDpi = dpi;
  for (const OptionLabel& o : kOptionLabels) {
    HWND box = GetDlgItem(dialog, o.box);
    if (!box || reinterpret_cast<WNDPROC>(GetWindowLongPtrA(box, GWLP_WNDPROC)) == OptionBoxProc) continue;
    const LONG_PTR previous = SetWindowLongPtrA(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(OptionBoxProc));
    // Every one of them is a BUTTON: they share the class procedure.
    if (previous) boxClassProc = reinterpret_cast<WNDPROC>(previous);
  }
}

void PaintFocusRing(HWND dialog, HDC dc, int dpi) {
  ringDpi = dpi;
  HWND label = nullptr;
  HWND box = FocusedBox(dialog, &label);
  if (!box || !FocusCuesShown(box)) return;
  const RECT ring = RingAround(dialog, label, dpi);
  DrawFocusRect(dc, &ring);
}

void RefreshFocusRing(HWND dialog, int dpi) {
  ringDpi = dpi;
  HWND label = nullptr;
  if (FocusedBox(dialog, &label)) InvalidateRing(dialog, label, dpi);
}

void NoteDialogKey(HWND dialog, const MSG& msg, int dpi) {
  if (keyboardNavigated || msg.message != WM_KEYDOWN) return;
  switch (msg.wParam) {
    case VK_TAB:
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
      break;
    default:
      return;
  }
  if (msg.hwnd != dialog && !IsChild(dialog, msg.hwnd)) return;
  keyboardNavigated = true;
  RefreshFocusRing(dialog, dpi);
}

void KeepKeyboardFocus(HWND dialog) {
  HWND focus = GetFocus();
  if (focus == dialog) return;
  if (focus && (!IsChild(dialog, focus) || (IsWindowVisible(focus) && IsWindowEnabled(focus)))) return;
  takingFocus = true;
  SetFocus(dialog);
  takingFocus = false;
}

bool DialogTakesFocus() { return takingFocus; }
