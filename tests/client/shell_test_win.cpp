// Start-up, single instance, the log and shutdown of the real program.
#include <algorithm>
#include <regex>

#include "app/instance_rule.h"
#include "harness_win.h"
#include "probe_win.h"

namespace {

using ShellTest = ClientTest;

// A window of the client's class that another program made, on a thread of
// this test; it counts the show requests (1124) it gets.
class ForeignWindow {
 public:
  ForeignWindow() {
    ready_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
    if (thread_) WaitForSingleObject(ready_, 5000);
  }
  ~ForeignWindow() {
    if (hwnd_) PostMessageA(hwnd_, WM_CLOSE, 0, 0);
    if (thread_) {
      WaitForSingleObject(thread_, 5000);
      CloseHandle(thread_);
    }
    CloseHandle(ready_);
  }
  ForeignWindow(const ForeignWindow&) = delete;
  ForeignWindow& operator=(const ForeignWindow&) = delete;
  HWND hwnd() const { return hwnd_; }
  LONG showRequests() const { return showRequests_; }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<ForeignWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (msg == WM_USER + 100 && self) InterlockedIncrement(&self->showRequests_);
    if (msg == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
  static DWORD WINAPI Run(LPVOID param) {
    auto* self = static_cast<ForeignWindow*>(param);
    WNDCLASSA wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "Zephal_Acc";
    RegisterClassA(&wc);
    self->hwnd_ = CreateWindowExA(0, "Zephal_Acc", "not ours", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                  wc.hInstance, nullptr);
    if (self->hwnd_) SetWindowLongPtrA(self->hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    SetEvent(self->ready_);
    MSG msg;
    while (self->hwnd_ && GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    UnregisterClassA("Zephal_Acc", wc.hInstance);
    return 0;
  }
  HANDLE ready_ = nullptr;
  HANDLE thread_ = nullptr;
  HWND hwnd_ = nullptr;
  volatile LONG showRequests_ = 0;
};

// Another program's window of the class neither keeps the client from
// starting nor gets the hand-over of a second start, which goes to the client.
TEST_F(ShellTest, SecondStartHandsOverToTheInstanceOnlyAndEndsWithOne) {
  const ForeignWindow foreign;
  ASSERT_NE(foreign.hwnd(), nullptr);
  StartClient("-debuglog");
  HWND control = probe::WaitForWindowOfProcess(client_.dwProcessId, "Zephal_Acc", nullptr, 10000);
  ASSERT_NE(control, nullptr) << "the client did not start beside the foreign window";
  ASSERT_TRUE(WaitLog("Zephal Acc 1.7.2.0058"));
  EXPECT_TRUE(WaitLog("INSTANCE: this client is the machine's instance (", 0));
  const std::string before = Log();

  const auto second = Launch("lumora_zephal.exe", "-debuglog");
  EXPECT_EQ(WaitExit(second), 1u);
  EXPECT_TRUE(WaitLog("(#10004) WINDOW: show request from another instance (foreground passed on)"));
  EXPECT_EQ(foreign.showRequests(), 0);
  // The second start ends before it opens the log: the first one's lines remain.
  EXPECT_EQ(Log().compare(0, before.size(), before), 0);
  PostMessageA(control, WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitExit(client_), 0u);
}

// The instance name as a client in another user's session holds it, seen
// from here: its record names another session, and no control window of its
// process is on this desktop. Under Wine the client has no private namespace
// and uses the global name, as here.
class HeldInstanceName {
 public:
  explicit HeldInstanceName(uint32_t session) {
    using instance_rule::InstanceRecord;
    mapping_ = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(InstanceRecord),
                                  instance_rule::kGlobalName);
    if (!mapping_) return;
    auto* record = static_cast<InstanceRecord*>(MapViewOfFile(mapping_, FILE_MAP_WRITE, 0, 0, sizeof(InstanceRecord)));
    if (!record) return;
    record->processId = GetCurrentProcessId();
    record->sessionId = session;
    record->mark = instance_rule::kRecordMark;
    UnmapViewOfFile(record);
  }
  ~HeldInstanceName() {
    if (mapping_) CloseHandle(mapping_);
  }
  HeldInstanceName(const HeldInstanceName&) = delete;
  HeldInstanceName& operator=(const HeldInstanceName&) = delete;
  bool Held() const { return mapping_ != nullptr; }

 private:
  HANDLE mapping_ = nullptr;
};

FILETIME KeyWriteTime() {
  FILETIME time{};
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, install::kKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                     &time);
    RegCloseKey(key);
  }
  return time;
}

TEST_F(ShellTest, AClientInAnotherSessionGetsABoxAndNothingOfTheMachinesIsTouched) {
  const char kOtherUser[] =
      "Lumora Zephal 已经在这台电脑上为另一个用户运行。\n"
      "一台电脑同时只能运行一个 Lumora Zephal，请该用户先退出它后再启动。";
  const char kTheirLog[] = "2026-12-09 10:00:00 the other session's client\r\n";
  ASSERT_TRUE(install::WriteFile(LogPath(), kTheirLog));
  const std::vector<uint8_t> cert = install::ReadCert();
  const FILETIME keyWritten = KeyWriteTime();
  DWORD session = 0;
  ProcessIdToSessionId(GetCurrentProcessId(), &session);
  const HeldInstanceName held(session + 1);
  ASSERT_TRUE(held.Held());

  StartClient("-debuglog");
  HWND box = WaitBoxWithText(kOtherUser);
  ASSERT_NE(box, nullptr) << "no box about the other user";
  EXPECT_EQ(probe::WaitForWindowOfProcess(client_.dwProcessId, "Zephal_Acc", nullptr, 0), nullptr);
  probe::PressButton(box, IDOK);
  EXPECT_EQ(WaitExit(client_), 1u);

  EXPECT_EQ(Log(), kTheirLog);
  EXPECT_EQ(install::ReadCert(), cert);
  const FILETIME keyNow = KeyWriteTime();
  EXPECT_EQ(CompareFileTime(&keyNow, &keyWritten), 0) << "the settings key was written";
  EXPECT_FALSE(install::FileExists(dir_ + "core-calls.log")) << "the core was called";
}

// The Run entry and the log-on task fire together at log-on where UAC is off.
TEST_F(ShellTest, TwoStartsAtOnceLeaveOneClientShown) {
  const auto one = Launch("lumora_zephal.exe", "-debuglog");
  const auto two = Launch("lumora_zephal.exe", "-debuglog");
  const HANDLE both[] = {one.hProcess, two.hProcess};
  const DWORD ended = WaitForMultipleObjects(2, both, FALSE, 10000);
  ASSERT_TRUE(ended == WAIT_OBJECT_0 || ended == WAIT_OBJECT_0 + 1) << "both still run";
  client_ = ended == WAIT_OBJECT_0 ? two : one;
  EXPECT_EQ(WaitExit(ended == WAIT_OBJECT_0 ? one : two, 0), 1u);
  EXPECT_TRUE(WaitLog("WINDOW: show request from another instance"));
  EXPECT_EQ(CloseClient(), 0u);
}

struct SwitchCase {
  const char* args;
  bool verbose;
};

void PrintTo(const SwitchCase& c, std::ostream* os) { *os << '"' << c.args << '"'; }

std::string SwitchName(const ::testing::TestParamInfo<SwitchCase>& info) {
  static const char* const names[] = {"Upper", "Lower", "WithMore", "None"};
  return names[info.index];
}

class DebugSwitchTest : public ClientTest, public ::testing::WithParamInterface<SwitchCase> {};

TEST_P(DebugSwitchTest, OnlyTheWholeSwitchMakesTheLogVerbose) {
  ASSERT_NE(StartClientAndWait(GetParam().args), nullptr);
  ASSERT_TRUE(WaitLog("Zephal Acc 1.7.2.0058"));
  EXPECT_EQ(CloseClient(), 0u);
  const std::string log = Log();
  EXPECT_EQ(log.find("(#1) Zephal Acc 1.7.2.0058") != std::string::npos, GetParam().verbose) << log;
  EXPECT_EQ(log.find("(#10004) ") != std::string::npos, GetParam().verbose) << log;
}

INSTANTIATE_TEST_SUITE_P(Switches, DebugSwitchTest,
                         ::testing::Values(SwitchCase{"-DEBUGLOG", true}, SwitchCase{"-debuglog", true},
                                           SwitchCase{"-debuglog x", false}, SwitchCase{"", false}),
                         SwitchName);

TEST_F(ShellTest, LogLinesAreStampedEndInCrLfAndStartEmpty) {
  ASSERT_TRUE(install::WriteFile(LogPath(), "left over from last time\r\n"));
  ASSERT_NE(StartClientAndWait(), nullptr);
  ASSERT_TRUE(WaitLog("built on Mar 20 2013"));
  EXPECT_EQ(CloseClient(), 0u);

  const std::string log = Log();
  EXPECT_EQ(log.find("left over"), std::string::npos);
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(log.substr(log.size() - 2), "\r\n");
  const std::regex line(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d [^\r\n]+)");
  const auto lines = LogLines(log);
  ASSERT_GE(lines.size(), 2u);
  for (const std::string& l : lines) EXPECT_TRUE(std::regex_match(l, line)) << l;
  EXPECT_EQ(log.find('\n'), log.find("\r\n") + 1) << "bare LF in the log";
  EXPECT_NE(log.find(" Zephal Acc 1.7.2.0058 ("), std::string::npos);
}

TEST_F(ShellTest, WithoutWriteLogNoFileIsWritten) {
  auto cert = install::DefaultCert();
  cert[44] = 0x00;
  Install(cert);
  ASSERT_TRUE(WriteScenario("calllog off\n"));
  ASSERT_NE(StartClientAndWait("-debuglog"), nullptr);
  EXPECT_EQ(CloseClient(), 0u);
  auto files = install::ListDir(dir_);
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<std::string>{"Zephal_Core.dll", "core-scenario.txt", "lumora_zephal.exe"}));
}

TEST_F(ShellTest, ExitWhileIdleLogsSuccessAndSavesTheSettings) {
  auto cert = install::DefaultCert();
  cert[44] = 0x07;  // writeLog and the two ignored bits
  Install(cert);
  ASSERT_NE(StartClientAndWait(), nullptr);
  EXPECT_EQ(CloseClient(), 0u);
  const auto lines = LogLines(Log());
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back().substr(20), "Zephal Acc Closed Success.");
  const auto saved = install::ReadCert();
  ASSERT_EQ(saved.size(), 126u);
  EXPECT_EQ(saved[44], 0x04) << "the save writes the option byte with bits 1 and 0 clear";
}

TEST_F(ShellTest, PendingUpdaterReplacesTheOldOne) {
  ASSERT_TRUE(install::WriteFile(dir_ + "updater.exe", "old"));
  ASSERT_TRUE(install::WriteFile(dir_ + "_updater.exe", "new"));
  ASSERT_NE(StartClientAndWait(), nullptr);
  EXPECT_EQ(install::ReadFile(dir_ + "updater.exe"), "new");
  EXPECT_FALSE(install::FileExists(dir_ + "_updater.exe"));
  EXPECT_EQ(CloseClient(), 0u);
}

// The key names another folder than the one the client runs from: the updater
// there, which the client would start elevated, is not replaced from it.
TEST_F(ShellTest, StartTakesDllsAndAPendingUpdaterOnlyFromTheProgramsFolder) {
  const std::string other = dir_ + "other\\";
  CreateDirectoryA(other.c_str(), nullptr);
  ASSERT_TRUE(install::WriteFile(other + "updater.exe", "old"));
  ASSERT_TRUE(install::WriteFile(other + "_updater.exe", "new"));
  ASSERT_TRUE(install::WriteDefaultValue(other));
  ASSERT_NE(StartClientAndWait("-debuglog"), nullptr);
  const std::string log = other + "lumora_zephal.log";
  EXPECT_TRUE(probe::WaitForFileText(log.c_str(), "built on Mar 20 2013", 10000));
  EXPECT_EQ(CloseClient(), 0u);
  EXPECT_EQ(install::ReadFile(other + "updater.exe"), "old");
  EXPECT_EQ(install::ReadFile(other + "_updater.exe"), "new");
  const std::string lines = install::ReadFile(log);
  EXPECT_NE(lines.find("DIRS: pending updater not in the program's folder, not moved: " + other + "_updater.exe"),
            std::string::npos)
      << lines;
  EXPECT_NE(lines.find("(#10004) DIRS: DLLs load from System32 and the program's folder only"), std::string::npos);
  for (const std::string& name : install::ListDir(other)) DeleteFileA((other + name).c_str());
  RemoveDirectoryA(other.c_str());
}

// A link in place of the log (made while the folder was open to everyone)
// would have the elevated client write into another file.
TEST_F(ShellTest, LogInPlaceOfALinkIsANewFileAndTheLinkedOneStaysAsItWas) {
  const std::string other = dir_ + "someone-elses.txt";
  ASSERT_TRUE(install::WriteFile(other, "keep"));
  ASSERT_TRUE(CreateHardLinkA(LogPath().c_str(), other.c_str(), nullptr));
  ASSERT_NE(StartClientAndWait("-debuglog"), nullptr);
  EXPECT_TRUE(WaitLog("built on Mar 20 2013"));
  EXPECT_EQ(CloseClient(), 0u);
  EXPECT_EQ(install::ReadFile(other), "keep");
  EXPECT_NE(Log().find("LOG: " + LogPath() + " created afresh, with the DACL the folder passes on"), std::string::npos)
      << Log();
}

TEST_F(ShellTest, StartClosesARunningUpdater) {
  ASSERT_TRUE(CopyProgram("updater.exe"));
  const auto updater = Launch("updater.exe", "--hidden");
  ASSERT_NE(probe::WaitForWindow("ZephalUpdater", "Zephal Acc Updater", 10000), nullptr);
  ASSERT_NE(StartClientAndWait(), nullptr);
  EXPECT_EQ(WaitExit(updater, 5000), 0u) << "the updater was not closed";
  EXPECT_NE(install::ReadFile(dir_ + "updater.log").find("closed"), std::string::npos);
  EXPECT_EQ(CloseClient(), 0u);
}

TEST_F(ShellTest, TrayMenuExitWhileIdleDoesNotAsk) {
  HWND control = StartClientAndWait("-debuglog");
  ASSERT_NE(control, nullptr);
  PostMessageA(control, WM_COMMAND, 220, 0);
  EXPECT_EQ(WaitExit(client_), 0u);
  EXPECT_NE(Log().find("Zephal Acc Closed Success."), std::string::npos);
  EXPECT_EQ(CallLog().find("Zephal_Stop"), std::string::npos);
}

}  // namespace
