// The tray icon of the real program. Under Wine without an XEmbed tray the
// icons are children (class __winex11_tray_icon) of explorer's stand-alone
// "Wine System Tray" window; the client logs each icon and tooltip it hands
// the shell at verbose level, which is what the tooltip checks read.
#include <regex>

#include "base/gbk_text_win.h"
#include "desktop_win.h"
#include "harness_win.h"
#include "probe_win.h"

namespace {

bool WaitTrayIcons(int expected, DWORD timeoutMs = 5000) {
  return WaitFor([&] { return desktop::WineTrayIcons() == expected; }, timeoutMs);
}

class TrayTest : public ClientTest {
 protected:
  void SetUp() override {
    ClientTest::SetUp();
    Install(install::AccountCert());
  }
  void Connect() {
    HWND main = MainWindow();
    ASSERT_NE(main, nullptr);
    PostMessageA(main, WM_COMMAND, 1610, 0);
  }
  void HideMain(HWND main) {
    PostMessageA(main, WM_CLOSE, 0, 0);  // closing hides
    ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(main); }, 2000));
  }
  bool WaitVisible(HWND hwnd) {
    return WaitFor([&] { return IsWindowVisible(hwnd) != FALSE; }, 3000);
  }
};

const char kConnectedTip[] =
    R"(TRAY: icon 1001 tip Lumora Zephal\\n已连接到: lumora_zephal\\n连接时间: \d\d-\d\d-\d\d \d\d:\d\d)";

TEST_F(TrayTest, IconFollowsEveryStateWithItsTooltip) {
  HWND control = StartClientAndWait("-debuglog");
  ASSERT_NE(control, nullptr);
  EXPECT_TRUE(WaitLog("TRAY: icon 1003 tip Lumora Zephal\\n无连接\r\n"));
  EXPECT_TRUE(WaitTrayIcons(1)) << "the icon is not in the Wine system tray";

  Connect();
  EXPECT_TRUE(WaitLog("TRAY: icon 1002 tip Lumora Zephal\\n正在连接: lumora_zephal\r\n"));
  ASSERT_TRUE(WaitLog("TRAY: icon 1001"));
  EXPECT_TRUE(std::regex_search(Log(), std::regex(std::string(kConnectedTip) + R"(\\n分配地址: 10\.77\.0\.23\r\n)")))
      << Log();

  PostMessageA(MainWindow(), WM_COMMAND, 1611, 0);  // disconnect
  EXPECT_TRUE(WaitLog("TRAY: icon 1002 tip Lumora Zephal\\n正在断开: lumora_zephal\r\n"));
  EXPECT_TRUE(WaitLog("CORE: status 1"));
  EXPECT_EQ(CloseClient(), 0u);
  EXPECT_TRUE(WaitTrayIcons(0)) << "the icon outlived the client";
}

TEST_F(TrayTest, ConnectedWithoutAnAddressEndsAfterTheStartTime) {
  ASSERT_TRUE(WriteScenario("address none\n"));
  ASSERT_NE(StartClientAndWait("-debuglog"), nullptr);
  Connect();
  ASSERT_TRUE(WaitLog("TRAY: icon 1001"));
  EXPECT_TRUE(std::regex_search(Log(), std::regex(std::string(kConnectedTip) + "\r\n"))) << Log();
}

TEST_F(TrayTest, ShellRestartAddsTheConnectedIconBack) {
  ASSERT_NE(StartClientAndWait("-debuglog"), nullptr);
  Connect();
  ASSERT_TRUE(WaitLog("TRAY: balloon"));
  const size_t before = Log().size();
  // A rebuilt taskbar announces itself to every top-level window.
  PostMessageA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
  WaitFor([&] { return Log().find("TRAY: icon 1001", before) != std::string::npos; }, 5000);
  const std::string after = Log().substr(before);
  EXPECT_TRUE(std::regex_search(after, std::regex(std::string(kConnectedTip) + R"(\\n分配地址: 10\.77\.0\.23\r\n)")))
      << after;
  EXPECT_TRUE(WaitTrayIcons(1));
}

TEST_F(TrayTest, DoubleClickOpensTheMainWindow) {
  HWND control = StartClientAndWait("-debuglog");
  HWND main = MainWindow();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(WaitVisible(main));
  HideMain(main);
  PostMessageA(control, WM_USER + 110, 0, WM_LBUTTONDBLCLK);
  EXPECT_TRUE(WaitVisible(main));
}

TEST_F(TrayTest, RightButtonWhileConnectingOpensTheMainWindowNotTheMenu) {
  ASSERT_TRUE(WriteScenario("connect-delay never\n"));
  HWND control = StartClientAndWait("-debuglog");
  HWND main = MainWindow();
  ASSERT_TRUE(WaitVisible(main));
  Connect();
  ASSERT_TRUE(WaitLog("CORE: status 2"));
  HideMain(main);
  PostMessageA(control, WM_USER + 110, 0, WM_RBUTTONDOWN);
  EXPECT_TRUE(WaitVisible(main));
  EXPECT_EQ(Log().find("TRAY: menu at"), std::string::npos);
  EXPECT_EQ(FindWindowA("#32768", nullptr) && IsWindowVisible(FindWindowA("#32768", nullptr)), false);
}

// The menu's items live in the client's process; the test reads their order
// and commands by choosing them from the keyboard, as a user would.
class TrayMenuTest : public TrayTest {
 protected:
  HWND OpenMenu(HWND control) {
    SetCursorPos(400, 300);
    PostMessageA(control, WM_USER + 110, 0, WM_RBUTTONDOWN);
    HWND menu = nullptr;
    const bool shown = WaitFor([&] { return (menu = FindWindowA("#32768", nullptr)) && IsWindowVisible(menu); }, 2000);
    return shown ? menu : nullptr;
  }
  void Choose(HWND menu, WPARAM key) {
    PostMessageA(menu, WM_KEYDOWN, key, 0);
    PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
  }
};

TEST_F(TrayMenuTest, OpensRightAlignedAtTheCursorAndItsFirstItemOpensTheMainWindow) {
  HWND control = StartClientAndWait("-debuglog");
  HWND main = MainWindow();
  ASSERT_TRUE(WaitVisible(main));
  HideMain(main);
  HWND menu = OpenMenu(control);
  ASSERT_NE(menu, nullptr) << "no popup menu";
  RECT rc;
  GetWindowRect(menu, &rc);
  EXPECT_LE(std::abs(rc.right - 400), 2) << "the menu is not right-aligned at the cursor";
  EXPECT_GE(rc.top, 299);
  Choose(menu, VK_DOWN);
  EXPECT_TRUE(WaitVisible(main)) << "the first item is not 打开主界面 (221)";
}

TEST_F(TrayMenuTest, ItsLastItemExits) {
  HWND control = StartClientAndWait("-debuglog");
  HWND menu = OpenMenu(control);
  ASSERT_NE(menu, nullptr);
  Choose(menu, VK_UP);  // from no selection, up selects the last item
  EXPECT_EQ(WaitExit(client_), 0u) << "the last item is not 退出 (220)";
}

TEST_F(TrayTest, MenuExitWhileConnectedAsksAndNoChangesNothing) {
  HWND control = StartClientAndWait("-debuglog");
  Connect();
  ASSERT_TRUE(WaitLog("TRAY: balloon"));
  const size_t before = Log().size();
  PostMessageA(control, WM_COMMAND, 220, 0);
  EXPECT_EQ(AnswerBox(IDNO), "Lumora Zephal 软件正在连接状态中，您是否确认要退出本软件?");
  Sleep(300);  // proves No changes nothing
  EXPECT_EQ(WaitExit(client_, 0), STILL_ACTIVE);
  EXPECT_EQ(CallLog().find("Zephal_Stop"), std::string::npos);
  EXPECT_EQ(Log().find("TRAY:", before), std::string::npos) << "the tray changed";
  EXPECT_EQ(desktop::WineTrayIcons(), 1);
}

// The tooltip as the shell shows it, in GBK.
std::string HoverTooltip() { return WideToLogText(desktop::HoverTrayTooltip()); }

TEST_F(TrayTest, HoveringTheIconShowsTheTooltip) {
  ASSERT_NE(StartClientAndWait("-debuglog"), nullptr);
  ASSERT_TRUE(WaitTrayIcons(1));
  EXPECT_EQ(HoverTooltip(), "Lumora Zephal\n无连接");
  Connect();
  ASSERT_TRUE(WaitLog("TRAY: icon 1001"));
  const std::string tip = HoverTooltip();
  EXPECT_TRUE(std::regex_match(
      tip, std::regex("Lumora Zephal\n已连接到: lumora_zephal\n连接时间: \\d\\d-\\d\\d-\\d\\d \\d\\d:\\d\\d"
                      "\n分配地址: 10\\.77\\.0\\.23")))
      << tip;
}

}  // namespace
