// The main window of the real program: its faces, clicks, fields, options and timers.
#include <algorithm>
#include <functional>
#include <set>

#include "desktop_win.h"
#include "harness_win.h"
#include "probe_win.h"
#include "settings/client_config.h"
#include "ui/control_ids.h"
#include "ui/control_names.h"

namespace {

namespace cc = client_config;

constexpr char kTooManyText[] = "您输入了太多字符，最多只能输入 20 个字符";

std::vector<uint8_t> Cert(uint8_t options, const char* user = "", const char* password = "") {
  auto cert = install::DefaultCert();
  cert[cc::kConfigByteOffset] = options;
  install::PutText(&cert, cc::kUserNameOffset, user);
  install::PutText(&cert, cc::kPasswordOffset, password);
  return cert;
}

uint8_t Options(bool user, bool password, bool autoLogin) {
  return cc::EncodeConfigByte({user, password, false, autoLogin, false, true});
}

cc::ConfigFlags StoredOptions() { return cc::DecodeConfigByte(install::ReadCert().at(cc::kConfigByteOffset)); }

// The control's own flag: the dialog may be hidden while its faces are checked.
bool Shown(HWND main, int id) { return (GetWindowLongA(GetDlgItem(main, id), GWL_STYLE) & WS_VISIBLE) != 0; }
bool Enabled(HWND main, int id) { return IsWindowEnabled(GetDlgItem(main, id)) != FALSE; }
bool Checked(HWND main, int id) { return SendMessageA(GetDlgItem(main, id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

RECT Rect(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return r;
}

class MainWindowTest : public ClientTest {
 protected:
  HWND Start(const char* scenario = nullptr) {
    if (scenario) {
      EXPECT_TRUE(WriteScenario(scenario));
    }
    if (!StartClientAndWait("-debuglog")) return nullptr;
    HWND main = MainWindow();
    if (main) WaitLog("VIEW: view 1901 for state 1");
    return main;
  }
  void Connect(HWND main) {
    PostMessageA(main, WM_COMMAND, IDC_CONNECT, 0);
  }
  // Clicks a point given relative to the main window's top-left corner.
  bool Click(HWND main, int x, int y) {
    const RECT r = Rect(main);
    return desktop::ClickAt(r.left + x, r.top + y);
  }
  bool ClickControl(HWND main, int id) {
    const RECT r = Rect(GetDlgItem(main, id));
    return desktop::ClickAt((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  }
  bool Alive() { return WaitForSingleObject(client_.hProcess, 0) == WAIT_TIMEOUT; }
};

TEST_F(MainWindowTest, IsATitledWindowCentredOnTheDesktop) {
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(GetAncestor(main, GA_PARENT), GetDesktopWindow());
  EXPECT_EQ(probe::WindowText(main), "Lumora Zephal");
  EXPECT_TRUE(GetWindowLongA(main, GWL_EXSTYLE) & WS_EX_APPWINDOW);
  RECT desk{};
  GetClientRect(GetDesktopWindow(), &desk);
  const RECT r = Rect(main);
  EXPECT_EQ(r.right - r.left, 500);
  EXPECT_EQ(r.bottom - r.top, 300);
  EXPECT_EQ(r.left, desk.right / 2 - 250);
  EXPECT_EQ(r.top, desk.bottom / 2 - 150);
  EXPECT_TRUE(IsWindowVisible(main));
}

// What the main view shows in each connection state, control by control.
struct FaceCase {
  const char* name;
  const char* scenario;
  bool connect, disconnect;
  int state;
  std::set<int> shown;
  bool loginEnabled;
};

void PrintTo(const FaceCase& c, std::ostream* os) { *os << c.name; }

class FaceTest : public MainWindowTest, public ::testing::WithParamInterface<FaceCase> {};

TEST_P(FaceTest, MatchesTheStateControlByControl) {
  const FaceCase& c = GetParam();
  HWND main = Start(c.scenario);
  ASSERT_NE(main, nullptr);
  if (c.connect) Connect(main);
  if (c.disconnect) {
    ASSERT_TRUE(WaitLog("VIEW: view 1901 for state 3"));
    PostMessageA(main, WM_COMMAND, IDC_DISCONNECT, 0);
  }
  ASSERT_TRUE(WaitLog(("VIEW: view 1901 for state " + std::to_string(c.state)).c_str()));
  // After a disconnect the idle line was logged at the start already: wait for the face itself.
  WaitFor([&] {
    for (int id = 1601; id <= 1655; ++id)
      if (GetDlgItem(main, id) && Shown(main, id) != (c.shown.count(id) == 1)) return false;
    return true;
  }, 5000);
  for (int id = 1601; id <= 1655; ++id) {
    if (!GetDlgItem(main, id)) continue;
    EXPECT_EQ(Shown(main, id), c.shown.count(id) == 1) << "control " << id;
  }
  for (int id : {IDC_SERVICE, IDC_USER, IDC_PASSWORD, IDC_SAVE_LOGIN})
    EXPECT_EQ(Enabled(main, id), c.loginEnabled) << "control " << id;
  EXPECT_FALSE(Enabled(main, IDC_SAVE_PASSWORD)) << "remember password needs remember user";
}

const std::set<int> kLoginForm = {IDC_USER, IDC_PASSWORD, IDC_SAVE_LOGIN_LABEL, IDC_SAVE_PASSWORD_LABEL,
                                  IDC_SAVE_LOGIN, IDC_SAVE_PASSWORD, IDC_SERVICE, IDC_REGISTER, IDC_SUPPORT,
                                  IDC_USER_LABEL, IDC_PASSWORD_LABEL, IDC_SERVICE_LABEL};
const std::set<int> kStatus = {IDC_ADDRESS, IDC_CONN_TIME, IDC_RECV_DATA, IDC_SENT_DATA, IDC_RECV_RATE,
                               IDC_SENT_RATE, IDC_EXPIRY, IDC_SUPPORT};

std::set<int> With(std::set<int> base, std::initializer_list<int> more) {
  base.insert(more);
  return base;
}

INSTANTIATE_TEST_SUITE_P(
    States, FaceTest,
    ::testing::Values(FaceCase{"Idle", nullptr, false, false, 1, With(kLoginForm, {IDC_CONNECT}), true},
                      FaceCase{"Connecting", "connect-delay never\n", true, false, 2,
                               With(kLoginForm, {IDC_CANCEL, IDC_PROGRESS}), false},
                      FaceCase{"Connected", nullptr, true, false, 3,
                               With(kStatus, {IDC_STATUS_PANEL, IDC_DISCONNECT}), false},
                      FaceCase{"Disconnecting", "stop never-idle\n", true, true, 4, With(kStatus, {IDC_PROGRESS}),
                               false}),
    [](const ::testing::TestParamInfo<FaceCase>& info) { return std::string(info.param.name); });

TEST_F(MainWindowTest, SliderBouncesBetweenItsEnds) {
  HWND main = Start("connect-delay never\n");
  ASSERT_NE(main, nullptr);
  Connect(main);
  ASSERT_TRUE(WaitLog("VIEW: view 1901 for state 2"));
  HWND slider = GetDlgItem(main, IDC_PROGRESS);
  std::vector<int> path;
  // One way is 79 steps of 100 ms: out to 404 and back to 13 within 18 s,
  // read every 20 ms so no step is missed.
  for (DWORD start = GetTickCount(); GetTickCount() - start < 18000; Sleep(20)) {
    const int x = Rect(slider).left - Rect(main).left;
    if (path.empty() || path.back() != x) path.push_back(x);
    const auto out = std::find(path.begin(), path.end(), 404);
    if (out != path.end() && std::find(out, path.end(), 13) != path.end()) break;
  }
  ASSERT_GE(path.size(), 100u);
  EXPECT_TRUE(path[0] == 16 || path[0] == 21) << path[0];
  EXPECT_EQ(*std::min_element(path.begin(), path.end()), 13);
  EXPECT_EQ(*std::max_element(path.begin(), path.end()), 404);
  const auto turn = std::find(path.begin(), path.end(), 404);
  EXPECT_TRUE(std::is_sorted(path.begin(), turn));
  const auto back = std::find(turn, path.end(), 13);
  ASSERT_NE(back, path.end()) << "the slider came back to 13";
  EXPECT_TRUE(std::is_sorted(turn, back, std::greater<int>()));
}

TEST_F(MainWindowTest, ViewIconsAndCloseMarkActOnRealClicks) {
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(Click(main, 97 + 14, 28 + 20));  // settings icon, idle
  EXPECT_TRUE(WaitLog("VIEW: view 1902 for state 1"));
  EXPECT_TRUE(Shown(main, IDC_AUTO_LOGIN));
  EXPECT_FALSE(Shown(main, IDC_USER));
  ASSERT_TRUE(Click(main, 58 + 14, 28 + 20));  // login icon
  EXPECT_TRUE(WaitLog("VIEW: view 1901 for state 1\r\n", 3000));

  Connect(main);
  ASSERT_TRUE(WaitLog("VIEW: view 1901 for state 3"));
  ASSERT_TRUE(Click(main, 97 + 14, 28 + 20));  // settings icon does nothing while connected
  ASSERT_TRUE(Click(main, 138 + 14, 28 + 20));  // the view icon does
  EXPECT_TRUE(WaitLog("VIEW: view 1903 for state 3"));
  EXPECT_TRUE(Shown(main, IDC_ABOUT_PANEL));
  EXPECT_FALSE(Shown(main, IDC_STATUS_PANEL));
  EXPECT_EQ(Log().find("VIEW: view 1902 for state 3"), std::string::npos);

  ASSERT_TRUE(Click(main, 479 + 16, 4 + 16));  // the close mark's far corner belongs to it
  EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(main); }, 3000));
  Sleep(500);  // proves the client does not end after hiding: nothing marks that
  EXPECT_TRUE(Alive());
  EXPECT_NE(FindWindowA("Zephal_Acc", nullptr), nullptr);
}

TEST_F(MainWindowTest, PagesOpenFromTheirAreas) {
  ASSERT_TRUE(desktop::CaptureBrowser());
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(Click(main, 178 + 14, 28 + 20));  // top up
  ASSERT_TRUE(desktop::WaitUrls(1));
  ASSERT_TRUE(Click(main, 14 + 14, 28 + 20));  // register icon
  ASSERT_TRUE(desktop::WaitUrls(2));
  ASSERT_TRUE(ClickControl(main, IDC_REGISTER));
  ASSERT_TRUE(desktop::WaitUrls(3));
  ASSERT_TRUE(ClickControl(main, IDC_SUPPORT));
  ASSERT_TRUE(desktop::WaitUrls(4));
  ASSERT_TRUE(Click(main, 138 + 14, 28 + 20));  // the about view, then its link
  ASSERT_TRUE(WaitLog("VIEW: view 1903"));
  ASSERT_TRUE(Click(main, 100 + 58 + 10, 78 + 117 + 8));
  ASSERT_TRUE(desktop::WaitUrls(5));
  const std::vector<std::string> urls = desktop::CapturedUrls();
  ASSERT_EQ(urls.size(), 5u);
  EXPECT_EQ(urls[0], "https://www.lumora-zephal.example/web/buy2.do");
  EXPECT_NE(urls[1].find("/buserregister?allianceId="), std::string::npos) << urls[1];
  EXPECT_NE(urls[2].find("/buserregister?allianceId="), std::string::npos) << urls[2];
  EXPECT_EQ(urls[3], "https://support.lumora-zephal.example/zephal_crm_lumora.htm");
  EXPECT_EQ(urls[4], "https://www.lumora-zephal.example/");
  // Wine's explorer serves the desktop's shell dispatch too: each page went
  // through the desktop's shell, as on Windows, not through this process.
  // The shell's call returns, and the line is logged, after the page arrived.
  EXPECT_TRUE(WaitFor([&] { return CountOf(Log(), "WINDOW: page opened through the desktop shell") == 5u; }, 5000))
      << Log();
}

// Typed as UTF-16, whatever the system's code page: the fields hold 20 bytes
// of GBK (a Chinese character counts two) and the core gets those bytes.
TEST_F(MainWindowTest, LoginFieldsTakeTwentyGbkBytesAndConnectSavesThem) {
  Install(Cert(Options(true, true, false)));
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  HWND user = GetDlgItem(main, IDC_USER);
  HWND password = GetDlgItem(main, IDC_PASSWORD);
  const std::string twenty = "用户名abcdefghijkl号";
  SendMessageW(user, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"用户名abcdefghijkl"));
  SendMessageW(user, EM_SETSEL, 15, 15);
  // Characters reach the edits through the client's message loop, as typing does.
  PostMessageW(user, WM_CHAR, L'号', 1);
  for (char16_t c : std::u16string(u"密码pw")) PostMessageW(password, WM_CHAR, c, 1);
  EXPECT_TRUE(WaitFor([&] { return probe::WindowText(user) == twenty; }, 3000)) << probe::WindowText(user);

  // A 21st byte typed at the end is refused with the box; the field goes back.
  ASSERT_TRUE(ClickControl(main, IDC_USER));
  ASSERT_TRUE(desktop::XDoTool("key End u"));
  EXPECT_EQ(AnswerBox(IDOK), kTooManyText);
  EXPECT_TRUE(WaitLog("EDT: input too many char (21)"));
  EXPECT_TRUE(WaitFor([&] { return probe::WindowText(user) == twenty; }, 3000)) << probe::WindowText(user);
  // A character GBK cannot hold is refused the same way, logged, without a box.
  PostMessageW(user, WM_CHAR, 0xD55C, 1);
  EXPECT_TRUE(WaitLog("EDT: input refused, code page 936 cannot hold one of its characters (17)"));
  EXPECT_TRUE(WaitFor([&] { return probe::WindowText(user) == twenty; }, 3000)) << probe::WindowText(user);
  EXPECT_TRUE(OpenBoxes().empty());

  Connect(main);
  ASSERT_TRUE(WaitCallLog("Zephal_Start"));
  std::vector<uint8_t> cert = install::ReadCert();
  char stored[cc::kTextBufferSize];
  cc::DecodeTextField(&cert.at(cc::kUserNameOffset), stored);
  EXPECT_EQ(std::string(stored), twenty) << "saved before the start";
  cc::DecodeTextField(&cert.at(cc::kPasswordOffset), stored);
  EXPECT_EQ(std::string(stored), "密码pw");
  const auto record = RecordBytes(CallLog(), "Zephal_Start");
  ASSERT_EQ(record.size(), 180u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(record.data())), "KA." + twenty);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(record.data() + 41)), "密码pw");
}

TEST_F(MainWindowTest, SwitchingLoginOffSwitchesItsDependantsOff) {
  Install(Cert(Options(true, true, true), "alice", "secret"));
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(Checked(main, IDC_AUTO_LOGIN));
  PostMessageA(GetDlgItem(main, IDC_SAVE_LOGIN), BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitFor([&] { return CountOf(Log(), "REG: settings saved") >= 3; }, 5000));
  Sleep(300);  // proves no fourth save follows
  EXPECT_EQ(CountOf(Log(), "REG: settings saved"), 3u) << "one save per switched box";
  for (int id : {IDC_SAVE_LOGIN, IDC_SAVE_PASSWORD, IDC_AUTO_LOGIN}) EXPECT_FALSE(Checked(main, id)) << id;
  EXPECT_FALSE(Enabled(main, IDC_SAVE_PASSWORD));
  EXPECT_FALSE(Enabled(main, IDC_AUTO_LOGIN));
  const cc::ConfigFlags stored = StoredOptions();
  EXPECT_FALSE(stored.rememberUser);
  EXPECT_FALSE(stored.rememberPassword);
  EXPECT_FALSE(stored.autoLogin);

  // A click that reaches the disabled box switches nothing.
  PostMessageA(GetDlgItem(main, IDC_SAVE_PASSWORD), BM_CLICK, 0, 0);
  PostMessageA(main, WM_COMMAND, MAKEWPARAM(IDC_SAVE_PASSWORD, BN_CLICKED), 0);
  Sleep(500);  // proves the clicks change nothing
  EXPECT_FALSE(Checked(main, IDC_SAVE_PASSWORD));
  EXPECT_EQ(CountOf(Log(), "REG: settings saved"), 3u);
  EXPECT_FALSE(StoredOptions().rememberPassword);
}

// Where Task Scheduler keeps the log-on task: Wine stores only part of the
// definition in it, so here the task's coming and going is what is checked.
// The task service is 64-bit on 64-bit Windows, and a 32-bit test would see
// system32 redirected to SysWOW64: Sysnative names the real one.
std::string LogOnTaskFile() {
  char windows[MAX_PATH] = "";
  GetWindowsDirectoryA(windows, sizeof windows);
  BOOL wow64 = FALSE;
  IsWow64Process(GetCurrentProcess(), &wow64);
  return std::string(windows) + (wow64 ? "\\Sysnative" : "\\system32") + "\\tasks\\ZephalAcc";
}

TEST_F(MainWindowTest, AutorunWritesAndDeletesTheRunEntryAndTheLogOnTask) {
  install::DeleteValue("ZephalAcc");
  const std::string task = LogOnTaskFile();
  DeleteFileA(task.c_str());
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  std::string value;
  // The label passes the click on to its box.
  PostMessageA(main, WM_COMMAND, MAKEWPARAM(IDC_AUTORUN_LABEL, STN_CLICKED), 0);
  ASSERT_TRUE(WaitFor([&] { return install::ReadString(install::kRunKey, "ZephalAcc", &value); }, 5000));
  EXPECT_NE(value.find("lumora_zephal.exe"), std::string::npos) << value;
  EXPECT_TRUE(WaitFor([&] { return install::FileExists(task); }, 5000)) << Log();
  EXPECT_TRUE(WaitLog("TASK: log-on task ZephalAcc registered for S-1-5-32-544"));
  // The settings are saved after the Run entry and the task: wait for them too.
  EXPECT_TRUE(WaitFor([] { return StoredOptions().autoRun; }, 5000));
  PostMessageA(GetDlgItem(main, IDC_AUTORUN), BM_CLICK, 0, 0);
  EXPECT_TRUE(WaitFor([&] { return !install::ReadString(install::kRunKey, "ZephalAcc", &value); }, 5000));
  EXPECT_TRUE(WaitFor([&] { return !install::FileExists(task); }, 5000)) << Log();
  EXPECT_TRUE(WaitFor([] { return !StoredOptions().autoRun; }, 5000));
}

// Switched on by a version that wrote the Run entry alone.
TEST_F(MainWindowTest, AutorunOnWithoutTaskGetsItAtTheStart) {
  const std::string task = LogOnTaskFile();
  DeleteFileA(task.c_str());
  auto cert = install::DefaultCert();
  cert[cc::kConfigByteOffset] = cc::EncodeConfigByte({false, false, true, false, false, true});
  Install(cert);
  ASSERT_NE(Start(), nullptr);
  EXPECT_TRUE(WaitFor([&] { return install::FileExists(task); }, 5000)) << Log();
  EXPECT_EQ(CloseClient(), 0u);
  DeleteFileA(task.c_str());
}

// Test builds slow every change of the log-on task by this much (0: not at all).
class TaskDelay {
 public:
  explicit TaskDelay(DWORD ms) { SetEnvironmentVariableA(kName, std::to_string(ms).c_str()); }
  ~TaskDelay() { SetEnvironmentVariableA(kName, nullptr); }
  TaskDelay(const TaskDelay&) = delete;
  TaskDelay& operator=(const TaskDelay&) = delete;

 private:
  static constexpr char kName[] = "ZEPHAL_TEST_TASK_DELAY_MS";
};

// Task Scheduler answering slowly: the window takes its posted input and
// answers sent messages meanwhile, and of switches made during a change the
// last is what the task ends as.
TEST_F(MainWindowTest, ASlowLogOnTaskKeepsTheWindowAnsweringAndTheLastSwitchWins) {
  install::DeleteValue("ZephalAcc");
  const std::string task = LogOnTaskFile();
  DeleteFileA(task.c_str());
  const TaskDelay delay(3000);
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  PostMessageA(GetDlgItem(main, IDC_AUTORUN), BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitLog("TASK: test delay of 3000 ms", 5000));

  // Input posted now is taken now, not after the change.
  const DWORD asked = GetTickCount();
  PostMessageA(GetDlgItem(main, IDC_IMPORTANT_ONLY), BM_CLICK, 0, 0);
  bool checked = false;
  while (!checked && GetTickCount() - asked < 1000) {
    DWORD_PTR state = 0;
    ASSERT_TRUE(SendMessageTimeoutA(GetDlgItem(main, IDC_IMPORTANT_ONLY), BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 1000,
                                    &state))
        << "no answer within a second";
    checked = state == BST_CHECKED;
  }
  EXPECT_TRUE(checked) << "the click waited for Task Scheduler";
  EXPECT_EQ(Log().find("TASK: log-on task"), std::string::npos) << "the change was not slow";

  // Switched off again before the registration is through.
  PostMessageA(GetDlgItem(main, IDC_AUTORUN), BM_CLICK, 0, 0);
  std::string value;
  EXPECT_TRUE(WaitFor([&] { return !install::ReadString(install::kRunKey, "ZephalAcc", &value); }, 2000));
  EXPECT_TRUE(WaitLog("TASK: log-on task ZephalAcc deleted", 15000));
  EXPECT_FALSE(install::FileExists(task)) << Log();
  EXPECT_EQ(CountOf(Log(), "TASK: test delay of 3000 ms"), 2u) << "one change at a time, the last one once";
  EXPECT_EQ(Log().find("registered for"), std::string::npos) << "the superseded registration counts for nothing";
  EXPECT_EQ(CloseClient(), 0u);
}

// A user who logs in with the keyboard alone: the name, Tab, the password,
// Enter. Escape and Alt+F4 only hide the window; Enter while connected starts
// nothing. xdotool runs on its own, so each step waits for its effect.
TEST_F(MainWindowTest, KeyboardLogsInAndEscapeOnlyHides) {
  HWND main = Start("connect-delay 2500\n");
  ASSERT_NE(main, nullptr);
  HWND user = GetDlgItem(main, IDC_USER);
  HWND password = GetDlgItem(main, IDC_PASSWORD);
  ASSERT_TRUE(ClickControl(main, IDC_USER));  // the window takes the X keyboard
  ASSERT_TRUE(WaitFor([&] { return FocusedId(main) == IDC_USER; }, 3000));
  ASSERT_TRUE(desktop::XDoTool("type alice"));
  ASSERT_TRUE(WaitFor([&] { return probe::WindowText(user) == "alice"; }, 5000)) << probe::WindowText(user);
  ASSERT_TRUE(desktop::XDoTool("key Tab"));
  ASSERT_TRUE(WaitFor([&] { return FocusedId(main) == IDC_PASSWORD; }, 3000));
  ASSERT_TRUE(desktop::XDoTool("type s3cret"));
  ASSERT_TRUE(WaitFor([&] { return probe::WindowText(password) == "s3cret"; }, 5000)) << probe::WindowText(password);

  // The check box, then the service list (remember password is off, so skipped).
  ASSERT_TRUE(desktop::XDoTool("key Tab"));
  EXPECT_TRUE(WaitFor([&] { return FocusedId(main) == IDC_SAVE_LOGIN; }, 3000)) << FocusedId(main);
  ASSERT_TRUE(desktop::XDoTool("key Tab"));
  EXPECT_TRUE(WaitFor([&] { return FocusedId(main) == IDC_SERVICE; }, 3000)) << FocusedId(main);

  ASSERT_TRUE(desktop::XDoTool("key Escape"));
  EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(main); }, 3000));
  Sleep(300);  // proves Escape only hides: no exit, no connect
  EXPECT_TRUE(Alive());
  EXPECT_EQ(CallLog().find("Zephal_Start"), std::string::npos);

  // Shown again (a second instance's request), Enter submits what was typed.
  const HWND control = FindWindowA("Zephal_Acc", nullptr);
  PostMessageA(control, WM_USER + 100, 0, 0);
  ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(main) != FALSE; }, 3000));
  ASSERT_TRUE(desktop::XDoTool("key Return"));
  ASSERT_TRUE(WaitCallLog("Zephal_Start"));
  const auto record = RecordBytes(CallLog(), "Zephal_Start");
  ASSERT_EQ(record.size(), 180u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(record.data())), "KA.alice");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(record.data() + 41)), "s3cret");

  // Escape while connecting hides too; connected meanwhile, the window is not
  // set to hide by itself, so what hides it next is the key.
  ASSERT_TRUE(WaitLog("VIEW: view 1901 for state 2"));
  ASSERT_TRUE(desktop::XDoTool("key Escape"));
  EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(main); }, 3000));
  ASSERT_TRUE(WaitLog("CORE: status 3"));
  PostMessageA(control, WM_USER + 100, 0, 0);
  ASSERT_TRUE(WaitLog("VIEW: view 1901 for state 3"));
  ASSERT_TRUE(desktop::XDoTool("key Return"));
  Sleep(1000);  // proves Enter starts nothing here
  EXPECT_EQ(CountOf(CallLog(), "Zephal_Start record="), 1u) << "Enter while connected starts nothing";
  ASSERT_TRUE(desktop::XDoTool("key Escape"));
  EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(main); }, 3000)) << "the keys reach the window";

  PostMessageA(control, WM_USER + 100, 0, 0);
  ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(main) != FALSE; }, 3000));
  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(main); }, 3000));
  Sleep(500);  // proves hiding neither ends nor stops anything
  EXPECT_TRUE(Alive());
  EXPECT_EQ(CountOf(CallLog(), "Zephal_Stop"), 0u) << "hiding leaves the connection alone";
}

// What a screen reader is given: each control's name as its window text, the
// edits and the service list named by the text label just before them.
TEST_F(MainWindowTest, ControlsCarryTheirNames) {
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  for (const ControlName& n : ControlNames()) {
    HWND control = GetDlgItem(main, n.id);
    ASSERT_NE(control, nullptr) << n.id;
    EXPECT_EQ(probe::WindowText(control), n.name) << n.id;
  }
  for (const auto& [label, named] : {std::pair{IDC_USER_LABEL, IDC_USER}, std::pair{IDC_PASSWORD_LABEL, IDC_PASSWORD},
                                     std::pair{IDC_SERVICE_LABEL, IDC_SERVICE}}) {
    HWND control = GetDlgItem(main, named);
    EXPECT_EQ(GetWindow(control, GW_HWNDPREV), GetDlgItem(main, label)) << named;
    EXPECT_EQ(probe::WindowClass(GetDlgItem(main, label)), "Static") << label;
    const RECT r = Rect(GetDlgItem(main, label));
    EXPECT_TRUE(IsRectEmpty(&r)) << label << ": a label without size draws nothing";
  }
  EXPECT_TRUE(GetWindowLongA(GetDlgItem(main, IDC_SERVICE), GWL_STYLE) & WS_TABSTOP);
}

TEST_F(MainWindowTest, HidesFiveSecondsAfterConnectingUnlessClicked) {
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  Connect(main);
  ASSERT_TRUE(WaitLog("VIEW: view 1901 for state 3"));
  const DWORD connected = GetTickCount();
  EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(main); }, 8000));
  const DWORD hiddenAfter = GetTickCount() - connected;
  EXPECT_GE(hiddenAfter, 4000u);
  EXPECT_TRUE(Alive());

  // Shown again and reconnected: a click in between keeps it open.
  PostMessageA(main, WM_COMMAND, IDC_DISCONNECT, 0);
  ASSERT_TRUE(WaitLog("CORE: status 1"));
  PostMessageA(FindWindowA("Zephal_Acc", nullptr), WM_USER + 100, 0, 0);
  ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(main) != FALSE; }, 3000));
  const size_t views = CountOf(Log(), "VIEW: view 1901 for state 3");
  Connect(main);
  ASSERT_TRUE(WaitFor([&] { return CountOf(Log(), "VIEW: view 1901 for state 3") > views; }, 10000));
  Sleep(1000);  // the auto-hide request is posted and leaves no trace: the click must come after it
  ASSERT_TRUE(Click(main, 250, 150));
  Sleep(7000);  // proves the five seconds pass without hiding
  EXPECT_TRUE(IsWindowVisible(main));
}

}  // namespace
