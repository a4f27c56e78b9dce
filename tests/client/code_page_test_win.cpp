// What the client shows, read back wide the way a user sees it, whatever the
// system's code page. The suite runs these under 936 and again, with the
// views, boxes and tray, under 1252 and 950 (ZEPHAL_TEST_CODE_PAGE names it).
// The tray menu's items are read in-process (tray_menu_test_win.cpp): Wine
// lets no process read another's menu.
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/gbk_text_win.h"
#include "desktop_win.h"
#include "harness_win.h"
#include "probe_win.h"
#include "ui/control_ids.h"

namespace {

constexpr DWORD kSendMs = 2000;

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendMs, &result)) return -1;
  return static_cast<LRESULT>(result);
}

std::vector<std::u16string> ListItems(HWND list) {
  std::vector<std::u16string> items;
  const LRESULT count = Send(list, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    std::u16string item(static_cast<size_t>(std::max<LRESULT>(Send(list, CB_GETLBTEXTLEN, i, 0), 0)) + 1, u'\0');
    Send(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&item[0]));
    items.emplace_back(WideView(WideChars(item)));
  }
  return items;
}

class CodePageTest : public ClientTest {
 protected:
  void SetUp() override {
    ClientTest::SetUp();
    // A locale run that silently fell back to another code page would prove nothing.
    if (const char* wanted = std::getenv("ZEPHAL_TEST_CODE_PAGE")) {
      ASSERT_EQ(GetACP(), static_cast<UINT>(std::atoi(wanted)));
    }
  }
};

TEST_F(CodePageTest, TitleServiceListTooltipAndReportBoxReadBackAsTheirChineseTexts) {
  HWND control = StartClientAndWait("-debuglog");
  ASSERT_NE(control, nullptr);
  HWND main = MainWindow();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(WaitLog("VIEW: view 1901 for state 1"));
  EXPECT_EQ(probe::WindowTextW(main), u"Lumora Zephal");
  HWND list = GetDlgItem(main, IDC_SERVICE);
  EXPECT_EQ(ListItems(list), (std::vector<std::u16string>{u"上网加速", u"游戏加速"}));
  EXPECT_EQ(probe::WindowTextW(list), u"上网加速");

  EXPECT_EQ(desktop::HoverTrayTooltip(), u"Lumora Zephal\n无连接");

  // 21 characters: the report box with its catalogue text.
  Send(GetDlgItem(main, IDC_USER), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"abcdefghijklmnopqrstu"));
  HWND box = WaitBox(client_.dwProcessId);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(probe::WindowTextW(box), u"Lumora Zephal 提示信息");
  EXPECT_EQ(probe::WindowTextW(GetDlgItem(box, 0xFFFF)), u"您输入了太多字符，最多只能输入 20 个字符");
  probe::PressButton(box, IDOK);
  EXPECT_TRUE(probe::WaitForWindowGone(box, 5000));
  EXPECT_EQ(CloseClient(), 0u);
}

// A directory of another script: what is named wide works, what is built as
// GBK (the autorun entry) is refused instead of written with "?".
TEST_F(CodePageTest, AnInstallationDirectoryGbkCannotHoldIsLoggedOnceAndTheClientRuns) {
  const std::u16string dir = u"C:\\zephal-tests\\CodePageTest-\uD55C\uAE00\\";
  const std::u16string log = dir + u"lumora_zephal.log";
  CreateDirectoryW(WideChars(dir), nullptr);
  DeleteFileW(WideChars(log));
  for (const char* name : {"lumora_zephal.exe", "Zephal_Core.dll"})
    ASSERT_TRUE(CopyFileW(GbkToWide(install::ProgramDir() + name).c_str(),
                          WideChars(dir + GbkToWide(name).text), FALSE));
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\ZEPHAL\\KAVRO", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                            nullptr),
            ERROR_SUCCESS);
  RegSetValueExW(key, L"", 0, REG_SZ, reinterpret_cast<const BYTE*>(dir.c_str()),
                 static_cast<DWORD>((dir.size() + 1) * sizeof(char16_t)));
  RegCloseKey(key);
  RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, install::kRunKey, "ZephalAcc");  // an earlier test's autorun

  std::u16string commandLine = u"\"" + dir + u"lumora_zephal.exe\" -debuglog";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  ASSERT_TRUE(CreateProcessW(nullptr, reinterpret_cast<wchar_t*>(&commandLine[0]), nullptr, nullptr, FALSE, 0,
                             nullptr, WideChars(dir), &si, &client_));
  started_.push_back(client_);
  ASSERT_NE(probe::WaitForWindow("Zephal_Acc", nullptr, 10000), nullptr);
  HWND main = MainWindow();
  ASSERT_NE(main, nullptr) << "the client did not go on";

  const std::string logPath = WideToLogText(log);  // only for messages
  auto readLog = [&] {
    std::string text;
    HANDLE f = CreateFileW(WideChars(log), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    if (f == INVALID_HANDLE_VALUE) return text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(f, buffer, sizeof buffer, &got, nullptr) && got) text.append(buffer, got);
    CloseHandle(f);
    return text;
  };
  auto waitLog = [&](const char* needle) {
    for (int i = 0; i < 100; ++i, Sleep(50))
      if (readLog().find(needle) != std::string::npos) return true;
    return false;
  };
  ASSERT_TRUE(waitLog("VIEW: view 1901 for state 1")) << "no log in " << logPath;
  const std::string line =
      "DIRS: code page 936 cannot hold the installation directory C:\\zephal-tests\\CodePageTest-??\\; "
      "autorun cannot be set up";
  std::string text = readLog();
  EXPECT_NE(text.find(line), std::string::npos) << text;
  EXPECT_EQ(text.find("DIRS: code page 936", text.find(line) + 1), std::string::npos) << "reported more than once";

  PostMessageW(main, WM_COMMAND, MAKEWPARAM(IDC_AUTORUN_LABEL, STN_CLICKED), 0);
  EXPECT_TRUE(waitLog("REG: no code page 936 form of the installation directory, autorun not written")) << readLog();
  std::string value;
  EXPECT_FALSE(install::ReadString(install::kRunKey, "ZephalAcc", &value)) << value;
  EXPECT_EQ(CloseClient(), 0u) << readLog();
}

}  // namespace
