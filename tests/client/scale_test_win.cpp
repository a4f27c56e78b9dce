// The main window of the real program at the display scale of the Wine
// session (LogPixels): size and place, every control on its scaled place, the
// pictures of that scale, and real clicks on the painted marks. Run once per
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

using L = LayoutRecord;
constexpr struct {
  int id;
  LayoutRect L::*rect;
} kPlaces[] = {
    {IDC_USER, &L::userEdit}, {IDC_PASSWORD, &L::passwordEdit}, {IDC_SAVE_LOGIN, &L::saveLoginBox},
    {IDC_SAVE_PASSWORD, &L::savePasswordBox}, {IDC_SAVE_LOGIN_LABEL, &L::saveLoginLabel},
    {IDC_SAVE_PASSWORD_LABEL, &L::savePasswordLabel}, {IDC_CONNECT, &L::connectButton},
    {IDC_REGISTER, &L::registerButton}, {IDC_SUPPORT, &L::supportLink}, {IDC_CANCEL, &L::cancelButton},
    {IDC_PROGRESS, &L::progressSlider}, {IDC_DISCONNECT, &L::disconnectButton}, {IDC_EXPIRY, &L::expiryValue},
    {IDC_ADDRESS, &L::addressValue}, {IDC_CONN_TIME, &L::timeValue}, {IDC_RECV_DATA, &L::receivedValue},
    {IDC_SENT_DATA, &L::sentValue}, {IDC_RECV_RATE, &L::receiveRateValue}, {IDC_SENT_RATE, &L::sendRateValue},
    {IDC_AUTORUN, &L::autorunBox}, {IDC_AUTO_LOGIN, &L::autoLoginBox}, {IDC_IMPORTANT_ONLY, &L::importantOnlyBox},
    {IDC_WRITE_LOG, &L::writeLogBox}, {IDC_AUTORUN_LABEL, &L::autorunLabel},
    {IDC_AUTO_LOGIN_LABEL, &L::autoLoginLabel}, {IDC_IMPORTANT_ONLY_LABEL, &L::importantOnlyLabel},
    {IDC_WRITE_LOG_LABEL, &L::writeLogLabel},
};

RECT WindowRect(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return r;
}

int Luma(const Rgb& c) { return c.r * 299 + c.g * 587 + c.b * 114; }

class DisplayScaleTest : public ClientTest {
 protected:
  void SetUp() override {
    SetProcessDPIAware();  // physical pixels: an unaware test sees Wine's virtualised rectangles
    ClientTest::SetUp();
    HDC screen = GetDC(nullptr);
    dpi_ = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    InitLayoutRecord(&base_);
  }
  HWND Start() {
    if (!StartClientAndWait("-debuglog")) return nullptr;
    HWND main = MainWindow();
    return main && WaitLog("VIEW: view 1901 for state 1") ? main : nullptr;
  }
  // Clicks the middle of a 96-DPI zone at its scaled place.
  bool ClickZone(HWND main, const LayoutRect& zone) {
    const LayoutRect z = ScaleLayoutRect(zone, dpi_);
    const RECT r = WindowRect(main);
    return desktop::ClickAt(r.left + z.x + z.width / 2, r.top + z.y + z.height / 2);
  }
  void ExpectPlaces(HWND main) {
    const RECT w = WindowRect(main);
    for (const auto& p : kPlaces) {
      const LayoutRect want = ScaleLayoutRect(base_.*p.rect, dpi_);
      const RECT r = WindowRect(GetDlgItem(main, p.id));
      SCOPED_TRACE(testing::Message() << "control " << p.id << " at " << dpi_ << " dpi");
      EXPECT_NEAR(r.left - w.left, want.x, 1);
      EXPECT_NEAR(r.top - w.top, want.y, 1);
      EXPECT_NEAR(r.right - r.left, want.width, 1);
      EXPECT_NEAR(r.bottom - r.top, want.height, 1);
    }
  }

  int dpi_ = 96;
  LayoutRecord base_{};
};

TEST_F(DisplayScaleTest, WholeWindowAtTheSessionScale) {
  if (const char* wanted = std::getenv("ZEPHAL_TEST_DPI")) {
    ASSERT_EQ(dpi_, std::atoi(wanted)) << "the Wine session did not take the LogPixels value";
  }
  HWND main = Start();
  ASSERT_NE(main, nullptr);
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
  ExpectPlaces(main);
  const RECT list = WindowRect(GetDlgItem(main, IDC_SERVICE));
  const LayoutRect listAt = ScaleLayoutRect(base_.serviceList, dpi_);
  EXPECT_NEAR(list.left - w.left, listAt.x, 1);
  EXPECT_NEAR(list.top - w.top, listAt.y, 1);
  EXPECT_NEAR(list.right - list.left, listAt.width, 1);
  EXPECT_LE(list.bottom - w.top, ScaleCoordinate(base_.userEdit.y, dpi_)) << "the list runs into the next row";

  // The title strip and toolbar are the background of this scale: at 96 and
  // 192 DPI pixel for pixel (the 200 % drawing, not an enlargement of the
  // 100 % one), in between the 200 % picture area-averaged to size.
  const Pixels picture = Pixels::FromPictureFile(std::string("Z:") + ZEPHAL_SOURCE_DIR + "/resources/pictures/" +
                                                 (dpi_ == 96 ? "" : "200/") + "1100_background.jpg");
  ASSERT_FALSE(picture.empty());
  std::vector<uint32_t> source, expected(static_cast<size_t>(width) * height);
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x) {
      const Rgb c = picture.At(x, y);
      source.push_back(static_cast<uint32_t>(c.r << 16 | c.g << 8 | c.b));
    }
  ASSERT_TRUE(ResampleArea(source.data(), picture.width(), picture.height(), expected.data(), width, height));
  Pixels shot;
  int differing = 0;
  auto ink = [&](int x, int y) { return Luma(shot.At(x, y)) < 235000; };
  // The inked extent of a check box in the shot, and its place in the window.
  auto inked = [&](int id, RECT* place) {
    const RECT c = WindowRect(GetDlgItem(main, id));
    const RECT r{c.left - w.left, c.top - w.top, c.right - w.left, c.bottom - w.top};
    RECT box{r.right, r.bottom, r.left - 1, r.top - 1};
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x)
        if (ink(x, y)) box = {std::min<LONG>(box.left, x), std::min<LONG>(box.top, y), std::max<LONG>(box.right, x),
                              std::max<LONG>(box.bottom, y)};
    *place = r;
    return box;
  };
  const int boxes[] = {IDC_SAVE_LOGIN, IDC_SAVE_PASSWORD};
  // The first paint at a new scale resamples every picture, and the check
  // boxes paint after the background: give it time.
  WaitFor([&] {
    shot = Pixels::FromScreen(w.left, w.top, width, height);
    differing = 0;
    for (int y = 0; y < ScaleCoordinate(78, dpi_); ++y)
      for (int x = 0; x < width; ++x) {
        const uint32_t p = expected[static_cast<size_t>(y) * width + x];
        differing += !(shot.At(x, y) == Rgb{static_cast<int>(p >> 16), static_cast<int>(p >> 8 & 0xFF),
                                           static_cast<int>(p & 0xFF)});
      }
    RECT place{};
    return differing == 0 && std::all_of(std::begin(boxes), std::end(boxes), [&](int id) {
             const RECT box = inked(id, &place);
             return box.left < box.right;
           });
  }, 5000);
  EXPECT_EQ(differing, 0) << "the title strip is not the picture of this scale";

  // The check boxes' glyphs grow with the scale and fit their places: the
  // frame is closed on all four sides inside the control (a clipped glyph
  // loses its right and bottom lines) and fills most of it.
  for (int id : boxes) {
    SCOPED_TRACE(testing::Message() << "check box " << id);
    RECT r{};
    const RECT box = inked(id, &r);
    ASSERT_LT(box.left, box.right) << "nothing drawn";
    EXPECT_GE((box.right - box.left + 1) * 10, (r.right - r.left) * 7);
    int right = 0, bottom = 0;
    for (int y = box.top; y <= box.bottom; ++y) right += ink(box.right, y);
    for (int x = box.left; x <= box.right; ++x) bottom += ink(x, box.bottom);
    EXPECT_GE(right * 10, (box.bottom - box.top + 1) * 6) << "no right frame line";
    EXPECT_GE(bottom * 10, (box.right - box.left + 1) * 6) << "no bottom frame line";
  }

  // From the keyboard, a check box's focus shows as a ring just around its
  // picture label at this scale; the picture itself is left as it was.
  const RECT label = WindowRect(GetDlgItem(main, IDC_SAVE_LOGIN_LABEL));
  const int margin = ScaleCoordinate(2, dpi_);
  RECT ring = label;
  InflateRect(&ring, margin, margin);
  const int ringWidth = ring.right - ring.left, ringHeight = ring.bottom - ring.top;
  const Pixels unfocused = Pixels::FromScreen(ring.left, ring.top, ringWidth, ringHeight);
  const RECT edit = WindowRect(GetDlgItem(main, IDC_USER));
  // xdotool runs on its own: each step waits for its effect.
  ASSERT_TRUE(desktop::ClickAt((edit.left + edit.right) / 2, (edit.top + edit.bottom) / 2));
  ASSERT_TRUE(WaitFor([&] { return FocusedId(main) == IDC_USER; }, 3000));
  for (int next : {IDC_PASSWORD, IDC_SAVE_LOGIN}) {
    ASSERT_TRUE(desktop::XDoTool("key Tab"));
    ASSERT_TRUE(WaitFor([&] { return FocusedId(main) == next; }, 3000)) << FocusedId(main);
  }
  const RECT inside{margin, margin, ringWidth - margin, ringHeight - margin};
  int around = 0, over = 0;
  WaitFor([&] {
    const Pixels now = Pixels::FromScreen(ring.left, ring.top, ringWidth, ringHeight);
    over = now.Differing(unfocused, inside, 0);
    around = now.Differing(unfocused, RECT{0, 0, ringWidth, ringHeight}, 0) - over;
    return around * 4 >= (ringWidth + ringHeight) * 3;  // dotted: about every other pixel of the frame
  }, 3000);
  EXPECT_GE(around * 4, (ringWidth + ringHeight) * 3) << "no ring around the label";
  EXPECT_EQ(over, 0) << "the ring covers the picture";
  ASSERT_TRUE(desktop::XDoTool("key Tab"));  // on to the service list: the ring goes with the focus
  EXPECT_TRUE(WaitFor([&] {
    return Pixels::FromScreen(ring.left, ring.top, ringWidth, ringHeight)
               .Differing(unfocused, RECT{0, 0, ringWidth, ringHeight}, 0) == 0;
  }, 3000));

  // Real clicks at the scaled places of the toolbar icons and marks act as at 100 %.
  auto opened = [&] { const std::string l = Log(); return l.find("WINDOW: open ") != l.rfind("WINDOW: open "); };
  ASSERT_TRUE(ClickZone(main, base_.tabSettings));
  EXPECT_TRUE(WaitLog("VIEW: view 1902 for state 1", 3000));
  ASSERT_TRUE(ClickZone(main, base_.tabAbout));
  EXPECT_TRUE(WaitLog("VIEW: view 1903 for state 1", 3000));
  ASSERT_TRUE(ClickZone(main, base_.tabMain));
  EXPECT_TRUE(WaitFor([&] { return Log().find("view 1901", Log().find("view 1903")) != std::string::npos; }, 3000));
  ASSERT_TRUE(ClickZone(main, base_.linkTopUp));
  EXPECT_TRUE(WaitLog("WINDOW: open ", 3000));
  ASSERT_TRUE(ClickZone(main, base_.linkRegister));
  EXPECT_TRUE(WaitFor(opened, 3000));
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
// new place, clicks act there; back again, the window is where it was.
TEST_F(DisplayScaleTest, FollowsAChangeOfScale) {
  HWND main = Start();
  ASSERT_NE(main, nullptr);
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
      ExpectPlaces(main);
      if (round == 0 && next == to) {
        ASSERT_TRUE(ClickZone(main, base_.tabSettings));
        EXPECT_TRUE(WaitLog("VIEW: view 1902 for state 1", 3000));
        ASSERT_TRUE(ClickZone(main, base_.tabMain));
      }
    }
  }
  const RECT after = WindowRect(main);
  EXPECT_TRUE(EqualRect(&after, &before));
  EXPECT_TRUE(IsWindowVisible(main));
}

}  // namespace
