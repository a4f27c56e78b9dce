#include "ui/access_win.h"

#include <algorithm>
#include <vector>

#include "base/gbk_text_win.h"
#include "base/gdi_win.h"
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
// The window's scale, which sets the ring's margin.
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
  return keyboardNavigated && !(SendMessageW(box, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS);
}

// The picture label of an option box, or null for any other window.
HWND LabelOf(HWND dialog, HWND box) {
  const int label = LabelOfOptionBox(GetDlgCtrlID(box));
  return label ? GetDlgItem(dialog, label) : nullptr;
}

// The label of the visible option box that has the keyboard focus, or null.
HWND FocusedLabel(HWND dialog) {
  HWND focus = GetFocus();
  if (!focus || GetParent(focus) != dialog || !IsWindowVisible(focus)) return nullptr;
  return LabelOf(dialog, focus);
}

// The label's place on the dialog, and the ring 2 pixels (at 96 DPI) around it.
RECT PlaceOn(HWND dialog, HWND label) {
  RECT r{};
  GetWindowRect(label, &r);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

RECT RingAround(HWND dialog, HWND label) {
  RECT r = PlaceOn(dialog, label);
  const int margin = ScaleCoordinate(2, ringDpi);
  InflateRect(&r, margin, margin);
  return r;
}

// Only the margin around the label: the label itself keeps its picture.
void InvalidateRing(HWND dialog, HWND label) {
  const RECT inner = PlaceOn(dialog, label);
  const RECT outer = RingAround(dialog, label);
  const ScopedRegion ring(CreateRectRgnIndirect(&outer));
  const ScopedRegion hole(CreateRectRgnIndirect(&inner));
  if (ring && hole && CombineRgn(ring.get(), ring.get(), hole.get(), RGN_DIFF) != ERROR)
    InvalidateRgn(dialog, ring.get(), FALSE);
  else
    InvalidateRect(dialog, &outer, FALSE);
}

LRESULT CALLBACK OptionBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
  if ((message == WM_GETTEXT || message == WM_GETTEXTLENGTH) && BoxAsksItself(box)) {
    if (message == WM_GETTEXT && wParam > 0 && lParam) reinterpret_cast<wchar_t*>(lParam)[0] = L'\0';
    return 0;
  }
  boxesAtWork.push_back(box);
  const LRESULT result = boxClassProc ? CallWindowProcW(boxClassProc, box, message, wParam, lParam)
                                      : DefWindowProcW(box, message, wParam, lParam);
  boxesAtWork.pop_back();
  if (message == WM_SETFOCUS || message == WM_KILLFOCUS) {
    HWND dialog = GetParent(box);
    if (HWND label = LabelOf(dialog, box)) InvalidateRing(dialog, label);
  }
  return result;
}

}  // namespace

void NameControls(HWND dialog) {
  for (const ControlName& n : ControlNames()) {
    if (HWND control = GetDlgItem(dialog, n.id))
      DefWindowProcW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(GbkToWide(n.name).c_str()));
  }
}

void SubclassOptionBoxes(HWND dialog) {
  for (const OptionLabel& o : kOptionLabels) {
    HWND box = GetDlgItem(dialog, o.box);
    if (!box || reinterpret_cast<WNDPROC>(GetWindowLongPtrW(box, GWLP_WNDPROC)) == OptionBoxProc) continue;
    const LONG_PTR previous = SetWindowLongPtrW(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(OptionBoxProc));
    // Every one of them is a BUTTON: they share the class procedure.
    if (previous) boxClassProc = reinterpret_cast<WNDPROC>(previous);
  }
}

void SetFocusRingScale(int dpi) { ringDpi = dpi; }

void PaintFocusRing(HWND dialog, HDC dc) {
  HWND label = FocusedLabel(dialog);
  if (label && FocusCuesShown(GetFocus())) {
    const RECT ring = RingAround(dialog, label);
    DrawFocusRect(dc, &ring);
  }
}

void RefreshFocusRing(HWND dialog) {
  if (HWND label = FocusedLabel(dialog)) InvalidateRing(dialog, label);
}

void NoteDialogKey(HWND dialog, const MSG& msg) {
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
  RefreshFocusRing(dialog);
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
