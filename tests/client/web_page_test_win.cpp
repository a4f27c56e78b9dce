// Web pages under Wine with the opener's routes replaced: whatever fails, the
// page never opens with the client's own token, and the user gets its address.
#include "base/web_page_win.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "base/app_state.h"
#include "base/gbk_text_win.h"
#include "base/report.h"
#include "desktop_win.h"
#include "install_win.h"
#include "kit_win.h"
#include "probe_win.h"

namespace {

constexpr char kPage[] = "https://www.lumora-zephal.example/web/buy2.do?from=client&id=7";

std::atomic<int> userRouteCalls{0};
std::atomic<bool> shellReturned{false};

HRESULT ShellFails(const std::string&) { return E_FAIL; }
// A desktop shell that hangs past the wait and then fails.
HRESULT ShellHangs(const std::string&) {
  Sleep(6500);
  shellReturned = true;
  return HRESULT_FROM_WIN32(ERROR_TIMEOUT);
}
HRESULT UserFails(const std::string&) {
  ++userRouteCalls;
  return E_ACCESSDENIED;
}

struct PageCase {
  const char* name;
  PageRoutes routes;
  bool box;          // the address is shown
  bool opened;       // the browser got it
  bool userTried;    // the second route ran
  const char* logged;
};

void PrintTo(const PageCase& c, std::ostream* os) { *os << c.name; }

class WebPageTest : public ::testing::TestWithParam<PageCase> {
 protected:
  void SetUp() override {
    dir_ = install::Prepare(std::string("page.") + GetParam().name, install::DefaultCert());
    ResetAppState();
    appState.hInstance = GetModuleHandleA(nullptr);
    std::strcpy(appState.installDir, dir_.c_str());
    lstrcpynW(appState.installDirW, GbkToWide(dir_).c_str(), MAX_PATH);
    appState.writeLog = 1;
    debugLog = 1;
    LogSetup();
    userRouteCalls = 0;
    shellReturned = false;
  }
  void TearDown() override {
    LogClose();
    debugLog = 0;
  }
  std::string dir_;
};

TEST_P(WebPageTest, NeverElevatedAndTheAddressShownWhenNoRouteOpensIt) {
  const PageCase& c = GetParam();
  ASSERT_TRUE(desktop::CaptureBrowser());
  std::atomic<bool> returned{false};
  std::thread opener([&] {
    OpenForDesktopUserWith(c.routes, kPage);
    returned = true;
  });
  HWND box = probe::WaitForWindowOfProcess(GetCurrentProcessId(), "#32770", kBoxCaption, c.box ? 15000 : 7000);
  probe::MessageBoxInfo shown;
  if (box) WaitFor([&] { return probe::ReadMessageBox(box, &shown) && !shown.text.empty(); }, 1000);
  if (box) probe::PressButton(box, IDOK);
  EXPECT_TRUE(WaitFor([&] { return returned.load(); }, 15000));
  opener.join();

  EXPECT_EQ(box != nullptr, c.box);
  if (c.box) {
    EXPECT_NE(shown.text.find(kPage), std::string::npos) << shown.text;
  }
  // A shell that answers late must not make the job try the next route then.
  if (c.routes.desktopShell == ShellHangs) WaitFor([] { return shellReturned.load(); }, 4000);
  EXPECT_EQ(userRouteCalls > 0, c.userTried);
  // Whatever a fallback through this process's ShellExecute would open reaches the capture.
  EXPECT_EQ(desktop::WaitUrls(1, c.opened ? 15000 : 3000), c.opened);
  if (c.opened) {
    EXPECT_EQ(desktop::CapturedUrls(), std::vector<std::string>{kPage});
  }
  EXPECT_NE(install::ReadFile(dir_ + "lumora_zephal.log").find(c.logged), std::string::npos);
}

std::string CaseName(const ::testing::TestParamInfo<PageCase>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(
    Routes, WebPageTest,
    ::testing::Values(
        PageCase{"NoRouteWorks", {ShellFails, UserFails}, true, false, true, "page not opened, no way as the desktop's user"},
        PageCase{"ShellTimesOut", {ShellHangs, UserFails}, true, false, false, "not waiting longer"},
        PageCase{"ShellFailsUserTokenOpens", {ShellFails, DesktopUserRoutes().desktopUser}, false, true, false,
                 "page opened as the desktop's user"}),
    CaseName);

}  // namespace
