// The painted status figures of the real program, as they reach the screen:
// the live values while connected, nothing while disconnecting, the debug log
// lines of each refresh, and the about view's version and link.
#include <algorithm>
#include <map>
#include <regex>

#include "desktop_win.h"
#include "harness_win.h"
#include "probe_win.h"
#include "screen_win.h"
#include "value_areas.h"
#include "ui/control_ids.h"
#include "ui/layout.h"

#ifndef ZEPHAL_SOURCE_DIR
#error "ZEPHAL_SOURCE_DIR must name the source tree, for the background picture"
#endif

namespace {

LayoutRecord BuiltInLayout() {
  LayoutRecord layout{};
  InitLayoutRecord(&layout);
  return layout;
}



// The main window's background picture as the client's decoder renders it.
Pixels Background() {
  std::string path = std::string("Z:") + ZEPHAL_SOURCE_DIR + "/resources/pictures/1100_background.jpg";
  std::replace(path.begin(), path.end(), '/', '\\');
  return Pixels::FromPictureFile(path);
}

Pixels WindowShot(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return Pixels::FromScreen(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

// A real click of the X pointer at a point of the window.
bool XClick(HWND window, int x, int y) {
  RECT r{};
  GetWindowRect(window, &r);
  return desktop::ClickAt(r.left + x, r.top + y);
}

bool WaitControlShown(HWND dialog, int id, DWORD timeoutMs = 5000) {
  return WaitFor([&] {
    for (const auto& c : probe::ListControls(dialog))
      if (c.id == id && c.visible) return true;
    return false;
  }, timeoutMs);
}

class StatusPanelTest : public ClientTest {
 protected:
  void SetUp() override {
    ClientTest::SetUp();
    Install(install::AccountCert());
  }
  // Clicks the about icon of the toolbar and waits for the about panel.
  bool ShowAbout(HWND main) {
    const LayoutRect& tab = layout_.tabAbout;
    return XClick(main, tab.x + tab.width / 2, tab.y + tab.height / 2) && WaitControlShown(main, IDC_ABOUT_PANEL);
  }
  // Version and link in their colours at their places on the about panel,
  // once the panel has painted them.
  void ExpectAboutText(HWND main, const char* when) {
    Pixels shot;
    const auto count = [&](const RECT& r, COLORREF colour) { return shot.Count(r, FromColorref(colour)); };
    RECT panel{};
    GetWindowRect(GetDlgItem(main, IDC_ABOUT_PANEL), &panel);
    RECT window{};
    GetWindowRect(main, &window);
    const int px = panel.left - window.left;
    const int py = panel.top - window.top;
    const LayoutRect& v = layout_.aboutVersionText;
    const LayoutRect& l = layout_.aboutLink;
    const RECT version = {px + v.x, py + v.y, px + v.x + 120, py + v.y + 20};
    const RECT link = {px + l.x, py + l.y, std::min(px + l.x + 300, kMainWindowWidth), py + l.y + 20};
    WaitFor([&] {
      shot = WindowShot(main);
      return count(version, layout_.aboutTextColor) > 10 && count(link, layout_.linkColor) > 50;
    }, 3000);
    EXPECT_GT(count(version, layout_.aboutTextColor), 10) << when << ": version text";
    EXPECT_GT(count(link, layout_.linkColor), 50) << when << ": underlined link";
  }
  const LayoutRecord layout_ = BuiltInLayout();
};

TEST_F(StatusPanelTest, ConnectedFiguresArePaintedAndDisconnectingLeavesThemBare) {
  const Pixels background = Background();
  ASSERT_FALSE(background.empty());
  HWND main = StartConnected("stop 4000\n");
  ASSERT_NE(main, nullptr) << Log();
  // A refresh paints the backgrounds and then the figures: wait for every
  // figure on the screen, within the 5 s after which the window hides itself.
  Pixels connected;
  const auto allDrawn = [&] {
    connected = WindowShot(main);
    for (const ValueArea& v : kValueAreas)
      if (connected.Differing(background, AreaInWindow(layout_.*v.rect), 40) <= 20) return false;
    return true;
  };
  WaitFor(allDrawn, 4000);
  for (const ValueArea& v : kValueAreas)
    EXPECT_GT(connected.Differing(background, AreaInWindow(layout_.*v.rect), 40), 20) << "connected, control " << v.id;

  PostMessageA(main, WM_COMMAND, IDC_DISCONNECT, 0);
  ASSERT_TRUE(WaitLog("CORE: status 4"));
  Sleep(1500);  // proves no refresh paints while disconnecting: one would have come by now
  ASSERT_TRUE(IsWindowVisible(main));
  const Pixels disconnecting = WindowShot(main);
  for (const ValueArea& v : kValueAreas)
    EXPECT_EQ(disconnecting.Differing(background, AreaInWindow(layout_.*v.rect), 24), 0) << "disconnecting, control " << v.id;
}

TEST_F(StatusPanelTest, DebugLogCarriesTheCoreFiguresOncePerRefresh) {
  HWND main = StartConnected();
  ASSERT_NE(main, nullptr) << Log();
  const DWORD start = GetTickCount();
  Sleep(4000);  // a window of time in which the refreshes are counted
  const DWORD elapsed = GetTickCount() - start;
  const std::string log = Log();
  const std::string calls = CallLog();

  const std::regex first(R"(INFO: ID = 770023; Status = 1168; Time = 0; Date = \d{4}-\d\d-\d\d\r\n)");
  const std::regex second(R"(INFO: IP = 10\.77\.0\.23 \(10\); Start = (\d+); Time = (\d+)\r\n)");
  const std::regex third(R"(INFO: Recv: (\d+); Out: (\d+)\r\n)");
  const auto count = [&](const std::regex& re) {
    return std::distance(std::sregex_iterator(log.begin(), log.end(), re), std::sregex_iterator());
  };
  const long refreshes = count(second);
  EXPECT_EQ(count(first), refreshes);
  EXPECT_EQ(count(third), refreshes);
  // One refresh a second, and the first paint after connecting.
  EXPECT_GE(refreshes, static_cast<long>(elapsed / 1000) - 1) << log;
  EXPECT_LE(refreshes, static_cast<long>(elapsed / 1000) + 2) << log;

  // Each second of the connection is logged once, and the figures are the core's own.
  std::map<unsigned long, int> seconds;
  for (std::sregex_iterator it(log.begin(), log.end(), second), end; it != end; ++it) {
    ++seconds[std::stoul((*it)[2])];
    EXPECT_NE((*it)[1], "0");
  }
  for (const auto& s : seconds) EXPECT_EQ(s.second, 1) << "second " << s.first;
  for (std::sregex_iterator it(log.begin(), log.end(), third), end; it != end; ++it) {
    char words[24];
    const uint32_t recv = std::stoul((*it)[1]);
    const uint32_t out = std::stoul((*it)[2]);
    // The counters at offsets 48 and 52 as the call log writes them: little-endian hex.
    std::snprintf(words, sizeof words, "%02x%02x%02x%02x%02x%02x%02x%02x", recv & 0xFF, recv >> 8 & 0xFF,
                  recv >> 16 & 0xFF, recv >> 24, out & 0xFF, out >> 8 & 0xFF, out >> 16 & 0xFF, out >> 24);
    EXPECT_NE(calls.find(words), std::string::npos) << (*it)[0];
  }
}

TEST_F(StatusPanelTest, AboutViewShowsVersionAndLinkWithoutAskingTheCore) {
  ASSERT_NE(StartClientAndWait("-debuglog"), nullptr);
  HWND main = MainWindow();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(ShowAbout(main));
  ExpectAboutText(main, "idle");

  PostMessageA(main, WM_COMMAND, IDC_CONNECT, 0);  // the state change brings the main view back
  ASSERT_TRUE(WaitLog("CORE: status 3"));
  ASSERT_TRUE(ShowAbout(main));
  const size_t shownAt = Log().size();
  ExpectAboutText(main, "connected");
  Sleep(2500);  // proves the about view asks the core nothing
  EXPECT_EQ(CountOf(Log(), "INFO:", shownAt), 0u) << Log().substr(shownAt);
}

}  // namespace
