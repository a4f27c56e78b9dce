// The main window of the real program at the display scale of the Wine
// session (LogPixels): size and place, every control on its scaled place,
// real clicks on the painted marks, and a sharp picture edge. Run once per
// DPI by tests/client/dpi_run.sh, which sets the scale and says which it set.
#include <algorithm>
#include <cstdlib>
#include <functional>
#include <vector>

#include "desktop_win.h"
#include "harness_win.h"
#include "screen_win.h"
#include "ui/control_ids.h"
#include "ui/display_scale.h"

#ifndef ZEPHAL_SOURCE_DIR
#error "ZEPHAL_SOURCE_DIR must name the source tree, for the background pictures"
#endif

namespace {

struct Place {
  int id;
  LayoutRect LayoutRecord::*rect;
};

// Every control the layout places, with the two panels' fixed places apart.
constexpr Place kPlaces[] = {
    {IDC_USER, &LayoutRecord::userEdit},
    {IDC_PASSWORD, &LayoutRecord::passwordEdit},
    {IDC_SAVE_LOGIN, &LayoutRecord::saveLoginBox},
    {IDC_SAVE_PASSWORD, &LayoutRecord::savePasswordBox},
    {IDC_SAVE_LOGIN_LABEL, &LayoutRecord::saveLoginLabel},
    {IDC_SAVE_PASSWORD_LABEL, &LayoutRecord::savePasswordLabel},
    {IDC_CONNECT, &LayoutRecord::connectButton},
    {IDC_REGISTER, &LayoutRecord::registerButton},
    {IDC_SUPPORT, &LayoutRecord::supportLink},
    {IDC_CANCEL, &LayoutRecord::cancelButton},
    {IDC_PROGRESS, &LayoutRecord::progressSlider},
    {IDC_DISCONNECT, &LayoutRecord::disconnectButton},
    {IDC_EXPIRY, &LayoutRecord::expiryValue},
    {IDC_ADDRESS, &LayoutRecord::addressValue},
    {IDC_CONN_TIME, &LayoutRecord::timeValue},
    {IDC_RECV_DATA, &LayoutRecord::receivedValue},
    {IDC_SENT_DATA, &LayoutRecord::sentValue},
    {IDC_RECV_RATE, &LayoutRecord::receiveRateValue},
    {IDC_SENT_RATE, &LayoutRecord::sendRateValue},
    {IDC_AUTORUN, &LayoutRecord::autorunBox},
    {IDC_AUTO_LOGIN, &LayoutRecord::autoLoginBox},
    {IDC_IMPORTANT_ONLY, &LayoutRecord::importantOnlyBox},
    {IDC_WRITE_LOG, &LayoutRecord::writeLogBox},
    {IDC_AUTORUN_LABEL, &LayoutRecord::autorunLabel},
    {IDC_AUTO_LOGIN_LABEL, &LayoutRecord::autoLoginLabel},
    {IDC_IMPORTANT_ONLY_LABEL, &LayoutRecord::importantOnlyLabel},
    {IDC_WRITE_LOG_LABEL, &LayoutRecord::writeLogLabel},
};

RECT WindowRect(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return r;
}

bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs) {
  for (DWORD waited = 0;; waited += 50, Sleep(50)) {
    if (done()) return true;
    if (waited >= timeoutMs) return false;
  }
}

int Luma(const Rgb& c) { return c.r * 299 + c.g * 587 + c.b * 114; }

class DisplayScaleTest : public ClientTest {
 protected:
  void SetUp() override {
    // Physical pixels: an unaware test would see Wine's virtualised rectangles.
    SetProcessDPIAware();
    ClientTest::SetUp();
    HDC screen = GetDC(nullptr);
    dpi_ = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    InitLayoutRecord(&base_);
  }
  int S(int v) const { return ScaleCoordinate(v, dpi_); }
  // Clicks the middle of a 96-DPI zone at its scaled place.
  bool ClickZone(HWND main, const LayoutRect& zone) {
    const LayoutRect z = ScaleLayoutRect(zone, dpi_);
    const RECT r = WindowRect(main);
    return desktop::ClickAt(r.left + z.x + z.width / 2, r.top + z.y + z.height / 2);
  }
  void ExpectPlace(HWND main, int id, const LayoutRect& at96) {
    const LayoutRect want = ScaleLayoutRect(at96, dpi_);
    const RECT w = WindowRect(main);
    const RECT r = WindowRect(GetDlgItem(main, id));
    SCOPED_TRACE(testing::Message() << "control " << id << " at " << dpi_ << " dpi");
    EXPECT_NEAR(r.left - w.left, want.x, 1);
    EXPECT_NEAR(r.top - w.top, want.y, 1);
    EXPECT_NEAR(r.right - r.left, want.width, 1);
    EXPECT_NEAR(r.bottom - r.top, want.height, 1);
  }

  int dpi_ = 96;
  LayoutRecord base_{};
};

TEST_F(DisplayScaleTest, WholeWindowAtTheSessionScale) {
  if (const char* wanted = std::getenv("ZEPHAL_TEST_DPI")) {
    ASSERT_EQ(dpi_, std::atoi(wanted)) << "the Wine session did not take the LogPixels value";
  }
  ASSERT_TRUE(StartClientAndWait("-debuglog"));
  HWND main = MainWindow();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(WaitLog("VIEW: view 1901 for state 1"));
  EXPECT_NE(Log().find("WINDOW: laid out at " + std::to_string(dpi_) + " dpi"), std::string::npos) << Log();

  // 500 × 300 at 96 DPI, times the scale, centred on the desktop.
  RECT desk{};
  GetClientRect(GetDesktopWindow(), &desk);
  const RECT w = WindowRect(main);
  const int width = w.right - w.left, height = w.bottom - w.top;
  EXPECT_NEAR(width, 500.0 * dpi_ / 96, 1);
  EXPECT_NEAR(height, 300.0 * dpi_ / 96, 1);
  EXPECT_NEAR(w.left, desk.right / 2 - width / 2, 1);
  EXPECT_NEAR(w.top, desk.bottom / 2 - height / 2, 1);

  // Every control on its scaled place; the service list's field (its dropped
  // list aside) starts on its place and ends above the user-name row.
  for (const Place& p : kPlaces) ExpectPlace(main, p.id, base_.*p.rect);
  ExpectPlace(main, IDC_STATUS_PANEL, {1, 78, 498, 176});
  ExpectPlace(main, IDC_ABOUT_PANEL, {100, 78, 498, 176});
  const RECT list = WindowRect(GetDlgItem(main, IDC_SERVICE));
  const LayoutRect listAt = ScaleLayoutRect(base_.serviceList, dpi_);
  EXPECT_NEAR(list.left - w.left, listAt.x, 1);
  EXPECT_NEAR(list.top - w.top, listAt.y, 1);
  EXPECT_NEAR(list.right - list.left, listAt.width, 1);
  EXPECT_LE(list.bottom - w.top, S(base_.userEdit.y)) << "the service list runs into the user-name row";
  EXPECT_GE(list.bottom - list.top, S(18)) << "the service list's field is too low for its text";

  // The picture is drawn for this scale: the title strip's lower edge (one
  // pixel of frame at y 77, white from y 78) steps from dark to light within
  // one pixel row wherever it lands on a whole pixel; an enlarged picture
  // would smear it over two or more.
  const Pixels shot = Pixels::FromScreen(w.left, w.top, width, height);
  ASSERT_FALSE(shot.empty());
  if (78 * dpi_ % 96 == 0) {
    const int edge = S(78), x = S(230);
    const int dark = Luma(shot.At(x, edge - 1)), light = Luma(shot.At(x, edge + S(1)));
    EXPECT_GT(light - dark, 150000) << shot.At(x, edge - 1) << " above, " << shot.At(x, edge + S(1)) << " below";
    int biggest = 0;
    for (int y = edge - S(2); y < edge + S(2); ++y)
      biggest = std::max(biggest, Luma(shot.At(x, y + 1)) - Luma(shot.At(x, y)));
    EXPECT_GE(biggest * 10, (light - dark) * 9) << "the edge is spread over several rows";
  }
  // At 96 and 192 DPI the title strip and toolbar are the background picture
  // of that scale pixel for pixel (the 200 % drawing, not an enlargement);
  // in between, the 200 % picture area-averaged to the window's size.
  const char* file = dpi_ == 96 ? "/resources/pictures/1100_background.jpg"
                                : "/resources/pictures/200/1100_background.jpg";
  const Pixels picture = Pixels::FromPictureFile(std::string("Z:") + ZEPHAL_SOURCE_DIR + file);
  ASSERT_FALSE(picture.empty());
  if (dpi_ == 96 || dpi_ == 192) {
    EXPECT_EQ(shot.Differing(picture, RECT{0, 0, width, S(78)}, 0), 0);
  } else {
    std::vector<uint32_t> source, reduced(static_cast<size_t>(width) * height);
    for (int y = 0; y < picture.height(); ++y)
      for (int x = 0; x < picture.width(); ++x) {
        const Rgb c = picture.At(x, y);
        source.push_back(static_cast<uint32_t>(c.r << 16 | c.g << 8 | c.b));
      }
    ASSERT_TRUE(ResampleArea(source.data(), picture.width(), picture.height(), reduced.data(), width, height));
    int differing = 0;
    for (int y = 0; y < S(78); ++y)
      for (int x = 0; x < width; ++x) {
        const uint32_t p = reduced[static_cast<size_t>(y) * width + x];
        differing += !(shot.At(x, y) == Rgb{static_cast<int>(p >> 16 & 0xFF), static_cast<int>(p >> 8 & 0xFF),
                                           static_cast<int>(p & 0xFF)});
      }
    EXPECT_EQ(differing, 0) << "the title strip is not the 200 % picture area-averaged to size";
  }

  // The check boxes' glyphs grow with the scale and fit their places: the
  // frame is closed on all four sides inside the control (a clipped glyph
  // loses its right and bottom lines) and fills most of it.
  for (int id : {IDC_SAVE_LOGIN, IDC_SAVE_PASSWORD}) {
    SCOPED_TRACE(testing::Message() << "check box " << id);
    const RECT c = WindowRect(GetDlgItem(main, id));
    const RECT r{c.left - w.left, c.top - w.top, c.right - w.left, c.bottom - w.top};
    auto ink = [&](int x, int y) { return Luma(shot.At(x, y)) < 235000; };
    RECT box{r.right, r.bottom, r.left - 1, r.top - 1};
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x)
        if (ink(x, y)) box = {std::min<LONG>(box.left, x), std::min<LONG>(box.top, y), std::max<LONG>(box.right, x),
                              std::max<LONG>(box.bottom, y)};
    ASSERT_LT(box.left, box.right) << "nothing drawn";
    EXPECT_GE((box.right - box.left + 1) * 10, (r.right - r.left) * 7);
    int right = 0, bottom = 0;
    for (int y = box.top; y <= box.bottom; ++y) right += ink(box.right, y);
    for (int x = box.left; x <= box.right; ++x) bottom += ink(x, box.bottom);
    EXPECT_GE(right * 10, (box.bottom - box.top + 1) * 6) << "no right frame line";
    EXPECT_GE(bottom * 10, (box.right - box.left + 1) * 6) << "no bottom frame line";
  }

  // Real clicks at the scaled places of the toolbar icons and the marks act as at 100 %.
  ASSERT_TRUE(ClickZone(main, base_.tabSettings));
  EXPECT_TRUE(WaitLog("VIEW: view 1902 for state 1", 3000));
  ASSERT_TRUE(ClickZone(main, base_.tabAbout));
  EXPECT_TRUE(WaitLog("VIEW: view 1903 for state 1", 3000));
  ASSERT_TRUE(ClickZone(main, base_.tabMain));
  EXPECT_TRUE(WaitFor([&] { return Log().find("VIEW: view 1901 for state 1", Log().find("view 1903")) != std::string::npos; }, 3000));
  ASSERT_TRUE(ClickZone(main, base_.linkTopUp));
  EXPECT_TRUE(WaitLog("WINDOW: open ", 3000));
  ASSERT_TRUE(ClickZone(main, base_.linkRegister));
  EXPECT_TRUE(WaitFor([&] { const std::string l = Log(); return l.find("WINDOW: open ") != l.rfind("WINDOW: open "); }, 3000));
  ASSERT_TRUE(ClickZone(main, base_.minimizeBox));
  EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(main); }, 3000));
  PostMessageA(main, WM_SHOWWINDOW, 1, 0);
  ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(main) != FALSE; }, 3000));
  ASSERT_TRUE(ClickZone(main, base_.closeBox));
  EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(main); }, 3000));
}

// A move to a monitor of another scale: Windows sends WM_DPICHANGED (Wine,
// with one scale for all, never does; the test sends it with no suggested
// place). The window takes the new size around its centre, every control its
// new place, and clicks act at the new places; back again, all is as before.
TEST_F(DisplayScaleTest, FollowsAChangeOfScale) {
  ASSERT_TRUE(StartClientAndWait("-debuglog"));
  HWND main = MainWindow();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(WaitLog("VIEW: view 1901 for state 1"));
  const RECT before = WindowRect(main);
  const int from = dpi_, to = dpi_ == 192 ? 144 : 192;
  for (int round = 0; round < 3; ++round) {
    for (int next : {to, from}) {
      SendMessageA(main, WM_DPICHANGED, MAKEWPARAM(next, next), 0);
      dpi_ = next;
      const RECT w = WindowRect(main);
      EXPECT_NEAR(w.right - w.left, 500.0 * next / 96, 1);
      EXPECT_NEAR(w.bottom - w.top, 300.0 * next / 96, 1);
      EXPECT_NEAR((w.left + w.right) / 2, (before.left + before.right) / 2, 1);
      for (const Place& p : kPlaces) ExpectPlace(main, p.id, base_.*p.rect);
      if (round == 0 && next == to) {
        ASSERT_TRUE(ClickZone(main, base_.tabSettings));
        EXPECT_TRUE(WaitLog("VIEW: view 1902 for state 1", 3000));
        ASSERT_TRUE(ClickZone(main, base_.tabMain));
      }
    }
  }
  const RECT after = WindowRect(main);
  EXPECT_EQ(after.left, before.left);
  EXPECT_EQ(after.top, before.top);
  EXPECT_EQ(after.right, before.right);
  EXPECT_EQ(after.bottom, before.bottom);
  EXPECT_TRUE(IsWindowVisible(main));
}

}  // namespace
