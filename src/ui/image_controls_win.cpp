#include "ui/image_controls_win.h"

#include <array>
#include <cstddef>
#include <utility>

#include "base/app_state.h"
#include "ui/control_ids.h"
#include "ui/skin_win.h"

namespace {

// Cursor rules of the picture controls.
enum class Hand { kNever, kAlways, kRememberUser, kRememberBoth, kAboutLink };

struct SubclassRow {
  int id;
  Hand hand;
  bool keepPrevious;  // the slider has no previous procedure, so it sends no notifications
};

constexpr SubclassRow kSubclassRows[] = {
    {IDC_PROGRESS, Hand::kNever, false},
    {IDC_CONNECT, Hand::kAlways, true},
    {IDC_CANCEL, Hand::kAlways, true},
    {IDC_DISCONNECT, Hand::kAlways, true},
    {IDC_SAVE_LOGIN_LABEL, Hand::kAlways, true},
    {IDC_SAVE_PASSWORD_LABEL, Hand::kRememberUser, true},
    {IDC_AUTORUN_LABEL, Hand::kAlways, true},
    {IDC_AUTO_LOGIN_LABEL, Hand::kRememberBoth, true},
    {IDC_IMPORTANT_ONLY_LABEL, Hand::kAlways, true},
    {IDC_WRITE_LOG_LABEL, Hand::kAlways, true},
    {IDC_ABOUT_PANEL, Hand::kAboutLink, true},
    {IDC_REGISTER, Hand::kAlways, true},
    {IDC_SUPPORT, Hand::kAlways, true},
};
constexpr size_t kSubclassCount = sizeof kSubclassRows / sizeof kSubclassRows[0];
constexpr size_t kAboutRow = 10;
static_assert(kSubclassRows[kAboutRow].id == IDC_ABOUT_PANEL, "about panel row");

// One previous procedure per row of the table, written on the main window thread.
WNDPROC previousProcs[kSubclassCount] = {};
// Where the about panel finds its link; null: the 96-DPI record in AppState.
LayoutSource layoutSource = nullptr;

// Read at every WM_SETCURSOR so the cursor tells whether a click on the label acts.
int HandWanted(Hand hand) {
  switch (hand) {
    case Hand::kAlways:
      return 1;
    case Hand::kRememberUser:
      return appState.rememberUser ? 1 : 0;
    case Hand::kRememberBoth:
      return appState.rememberUser && appState.rememberPassword ? 1 : 0;
    default:
      return 0;
  }
}

template <size_t Row>
LRESULT CALLBACK ImageControlThunk(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return ImageControlProc(HandWanted(kSubclassRows[Row].hand), previousProcs[Row], window, message, wParam, lParam);
}

template <size_t... Rows>
constexpr std::array<WNDPROC, sizeof...(Rows)> MakeThunks(std::index_sequence<Rows...>) {
  return {{&ImageControlThunk<Rows>...}};
}
constexpr std::array<WNDPROC, kSubclassCount> kThunks = MakeThunks(std::make_index_sequence<kSubclassCount>{});

LRESULT PassOn(WNDPROC previous, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return previous ? CallWindowProcW(previous, window, message, wParam, lParam)
                  : DefWindowProcW(window, message, wParam, lParam);
}

// The transparent statics whose figures the dialog paints when they ask for
// their colour: the seven status values and the status panel over them.
constexpr int kPaintedStatics[] = {IDC_STATUS_PANEL, IDC_ADDRESS, IDC_CONN_TIME, IDC_RECV_DATA,
                                   IDC_RECV_RATE,    IDC_SENT_DATA, IDC_SENT_RATE, IDC_EXPIRY};
WNDPROC paintedStaticProc = nullptr;

// Paints like a static without a picture: it only asks its parent for the
// colour, which is when the figures are drawn. The common controls 6 static
// buffers its painting and would copy the background over the drawn figures.
void PaintTransparentStatic(HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  if (!dc) return;
  if (HWND parent = GetParent(window))
    SendMessageW(parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(window));
  EndPaint(window, &paint);
}

LRESULT CALLBACK PaintedStaticProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PaintTransparentStatic(window);
    return 0;
  }
  return PassOn(paintedStaticProc, window, message, wParam, lParam);
}

}  // namespace

LRESULT ImageControlProc(int handCursor, WNDPROC previous, HWND window, UINT message, WPARAM wParam,
                         LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      if (HDC dc = BeginPaint(window, &paint)) {
        SkinPaint(window, dc);
        EndPaint(window, &paint);
      }
      // The update region is now empty, so the control's own painting draws nothing over the pictures.
      break;
    }
    case WM_SETCURSOR:
      SetCursor(LoadCursor(nullptr, handCursor ? IDC_HAND : IDC_ARROW));
      return TRUE;
    default:
      break;
  }
  return PassOn(previous, window, message, wParam, lParam);
}

LRESULT CALLBACK AboutPanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PaintTransparentStatic(window);  // the version and the link are drawn then
    return 0;
  }
  if (message != WM_SETCURSOR) return PassOn(previousProcs[kAboutRow], window, message, wParam, lParam);
  const LayoutRecord* layout = layoutSource ? layoutSource() : appState.layout;
  if (!layout || reinterpret_cast<HWND>(wParam) != window) return FALSE;
  // The link rectangle is in the panel's own coordinates.
  POINT cursor;
  RECT panel;
  const bool overLink = GetCursorPos(&cursor) && GetWindowRect(window, &panel) &&
                        PointInLayoutRect(layout->aboutLink, cursor.x - panel.left, cursor.y - panel.top);
  SetCursor(LoadCursor(nullptr, overLink ? IDC_HAND : IDC_ARROW));
  return TRUE;
}

int SkinSubclassControls(HWND dialog, LayoutSource layout) {
  if (!dialog) return 0;
  layoutSource = layout;
  int subclassed = 0;
  for (size_t row = 0; row < kSubclassCount; ++row) {
    HWND control = GetDlgItem(dialog, kSubclassRows[row].id);
    if (!control) continue;
    const WNDPROC procedure = kSubclassRows[row].hand == Hand::kAboutLink ? AboutPanelProc : kThunks[row];
    // A second call must not keep our own procedure as the previous one: it would call itself.
    if (reinterpret_cast<WNDPROC>(GetWindowLongPtrW(control, GWLP_WNDPROC)) == procedure) continue;
    const LONG_PTR previous = SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure));
    if (!previous) continue;
    if (kSubclassRows[row].keepPrevious) previousProcs[row] = reinterpret_cast<WNDPROC>(previous);
    ++subclassed;
  }
  for (int id : kPaintedStatics) {
    HWND control = GetDlgItem(dialog, id);
    if (!control || reinterpret_cast<WNDPROC>(GetWindowLongPtrW(control, GWLP_WNDPROC)) == PaintedStaticProc) continue;
    const LONG_PTR previous =
        SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PaintedStaticProc));
    if (!previous) continue;
    // Every one of them is a STATIC: they share the class procedure.
    paintedStaticProc = reinterpret_cast<WNDPROC>(previous);
    ++subclassed;
  }
  return subclassed;
}
