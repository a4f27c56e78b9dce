// Draws the status values and the about panel straight onto the controls'
// window DCs. What to draw comes from the portable status panel; this file
// only owns the fonts and DCs, each released on every path.
#include "ui/status_panel_win.h"

#include <cstring>
#include <string>

#include "base/app_state.h"
#include "base/gbk_text.h"
#include "base/gbk_text_win.h"
#include "base/gdi_win.h"
#include "base/report.h"
#include "base/version.h"
#include "coreapi/core_api.h"
#include "coreapi/core_records.h"
#include "ui/control_ids.h"
#include "ui/display_scale.h"
#include "ui/layout.h"
#include "ui/number_format.h"
#include "ui/status_panel.h"

namespace {

constexpr UINT IDS_HOME_PAGE = 1801;

// Bold Arial; the link font is a point smaller and underlined. Heights are
// 18 and 17 pixels at 96 DPI.
HFONT MakeFont(bool link, int dpi) {
  return CreateFontA(ScaleFontHeight(link ? 17 : 18, dpi), 0, 0, 0, FW_BOLD, FALSE, link ? TRUE : FALSE, FALSE,
                     static_cast<BYTE>(FontCharsetFor(GetACP())), OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                     DEFAULT_QUALITY, DEFAULT_PITCH, "Arial");
}

// A control's own DC, drawing text without a background.
struct TextDc {
  explicit TextDc(HWND window) : dc(window) {
    if (dc) SetBkMode(dc.get(), TRANSPARENT);
  }
  HDC get() const { return dc.get(); }
  ScopedGetDC dc;
};

// A font and a text colour for one draw; the previous font goes back after it.
struct DrawingWith {
  DrawingWith(HDC dc, HFONT font, COLORREF colour) : selected(dc, font) { SetTextColor(dc, colour); }
  ScopedSelectObject selected;
};

DWORD Point(int x, int y) { return MAKELONG(static_cast<WORD>(x), static_cast<WORD>(y)); }

// One draw at the top-left of a control, on its own DC.
void DrawValue(HWND control, HFONT font, COLORREF colour, const std::string& text) {
  const TextDc dc(control);
  if (!dc.get()) return;
  DrawingWith drawing(dc.get(), font, colour);
  DrawTextN(dc.get(), Point(0, 0), text.c_str(), text.size());
}

void PaintAboutPanel(HWND panel, const LayoutRecord& layout, int dpi) {
  const ScopedFont valueFont(MakeFont(false, dpi));
  const ScopedFont linkFont(MakeFont(true, dpi));
  if (!valueFont.get() || !linkFont.get()) return;
  const TextDc dc(panel);
  if (!dc.get()) return;
  {
    const std::string version = FormatVersion(ClientVersion);
    DrawingWith drawing(dc.get(), valueFont.get(), layout.aboutTextColor);
    DrawTextN(dc.get(), Point(layout.aboutVersionText.x, layout.aboutVersionText.y), version.c_str(), version.size());
  }
  DrawingWith drawing(dc.get(), linkFont.get(), layout.linkColor);
  DrawStringResource(dc.get(), Point(layout.aboutLink.x, layout.aboutLink.y), IDS_HOME_PAGE);
}

// The core is asked on every paint while connected (its figures move every
// second), but the record is logged once per second of connection.
CoreQueryRecord QueryCore(int32_t state) {
  static QueryLogMark logMark;
  CoreQueryRecord record{};
  if (state != RUN_CONNECTED) return record;
  Zephal_Get_QueryData(&record);
  if (TakeQueryLogTurn(&logMark, record)) {
    for (const std::string& line : QueryLogLines(record)) MsgBox(kReportDetail, "%s", line.c_str());
  }
  return record;
}

void PaintValues(HWND control, int controlId, const LayoutRecord& layout, int dpi) {
  const int32_t state = appState.runState;
  const StatusValues values = StatusPanelTexts(QueryCore(state), state);
  bool any = false;
  for (const StatusValue& v : values) any = any || (v.drawn && v.paintedWith == controlId);
  if (!any) return;
  // Made once per scale: the figures repaint every second, and making a font
  // costs more than drawing them.
  static ScopedFont font;
  static int fontDpi = 0;
  if (!font || fontDpi != dpi) {
    font.reset();  // the old one goes before its successor is made
    font.reset(MakeFont(false, dpi));
    fontDpi = dpi;
  }
  if (!font) return;
  HWND dialog = GetParent(control);
  for (const StatusValue& v : values) {
    if (!v.drawn || v.paintedWith != controlId) continue;
    // A sibling that is gone is skipped; the others still draw.
    HWND target = v.controlId == controlId ? control : (dialog ? GetDlgItem(dialog, v.controlId) : nullptr);
    if (target) DrawValue(target, font.get(), layout.statusTextColor, v.text);
  }
}

}  // namespace

void DrawTextN(HDC dc, DWORD point, const char* text, size_t n) {
  if (!dc || !text) return;
  const WideText shown = GbkToWide(std::string_view(text, strnlen(text, n)));
  TextOutW(dc, static_cast<SHORT>(LOWORD(point)), static_cast<SHORT>(HIWORD(point)), shown.c_str(),
           static_cast<int>(shown.text.size()));
}

void DrawStringResource(HDC dc, DWORD point, UINT id) {
  HINSTANCE module = appState.hInstance ? appState.hInstance : GetModuleHandleA(nullptr);
  const std::string text = LoadGbkString(module, id, 60);
  if (text.empty()) return;
  DrawTextN(dc, point, text.c_str(), text.size());
}

void PaintStatusValue(HWND control, const LayoutRecord* layout, int dpi) {
  if (!control || !layout || !IsWindow(control)) return;
  const int controlId = GetDlgCtrlID(control);
  if (controlId == IDC_ABOUT_PANEL) {
    PaintAboutPanel(control, *layout, SaneDpi(dpi));
  } else if (StatusControlReadsCore(controlId)) {
    PaintValues(control, controlId, *layout, SaneDpi(dpi));
  }
}
