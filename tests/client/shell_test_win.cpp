// Start-up, single instance, the log and shutdown of the real program.
#include <algorithm>
#include <regex>

#include "harness_win.h"
#include "probe_win.h"

namespace {

using ShellTest = ClientTest;

TEST_F(ShellTest, SecondStartHandsOverAndEndsWithOne) {
  ASSERT_NE(StartClientAndWait("-debuglog"), nullptr);
  ASSERT_TRUE(WaitLog("Zephal Acc 1.7.2.0058"));
  const std::string before = Log();

  const auto second = Launch("lumora_zephal.exe", "-debuglog");
  EXPECT_EQ(WaitExit(second), 1u);
  EXPECT_TRUE(WaitLog("(#10004) WINDOW: show request from another instance"));
  // The second start ends before it opens the log: the first one's lines remain.
  EXPECT_EQ(Log().compare(0, before.size(), before), 0);
  EXPECT_EQ(CloseClient(), 0u);
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
