// The end of the Windows session (log-off, restart) reaching the real program,
// and what an elevated client does for the desktop it runs on.
#include "harness_win.h"
#include "probe_win.h"
#include "settings/client_config.h"

namespace {

namespace cc = client_config;

constexpr int kImportantOnly = 1607;

std::vector<uint8_t> AccountCert(uint8_t options) {
  auto cert = install::AccountCert();
  cert[cc::kConfigByteOffset] = options;
  return cert;
}

// Wine's end of a session: WM_QUERYENDSESSION and WM_ENDSESSION to every
// top-level window, as a log-off sends them. Started, not waited for.
PROCESS_INFORMATION BeginSessionEnd() {
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  char command[] = "wineboot.exe --end-session";
  if (!CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return {};
  return pi;
}

// Its exit code, or ~0u.
DWORD FinishSessionEnd(PROCESS_INFORMATION pi) {
  if (!pi.hProcess) return ~0u;
  DWORD code = ~0u;
  if (WaitForSingleObject(pi.hProcess, 30000) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return code;
}

DWORD EndSession() { return FinishSessionEnd(BeginSessionEnd()); }

using SessionEndTest = ClientTest;

// The log says why the client ended, then its orderly closing line.
void ExpectSessionEndLogged(const std::string& log) {
  const size_t why = log.find("WINDOW: the session ends (");
  ASSERT_NE(why, std::string::npos) << log;
  const size_t closed = log.find("Zephal Acc Closed Success.");
  ASSERT_NE(closed, std::string::npos) << log;
  EXPECT_LT(why, closed) << "the orderly close came after the session end";
}

// The milliseconds the client logged for its session end, or ~0u.
unsigned SessionEndTook(const std::string& log) {
  const char kTook[] = "EXIT: the session end took ";
  const size_t at = log.find(kTook);
  return at == std::string::npos ? ~0u : static_cast<unsigned>(std::stoul(log.substr(at + sizeof kTook - 1)));
}

// Saved first, so nothing the time runs out on can lose the last choices; then
// the stop (here one that holds its caller 1.5 s) and its idle report; then
// the release; all inside the time Windows gives.
TEST_F(SessionEndTest, WhileConnectedSavesThenStopsThenReleasesWithinWindowsTime) {
  HWND main = StartConnected("stop-return 1500\n");
  ASSERT_NE(main, nullptr);
  // A choice that is stored only by the next save.
  PostMessageA(GetDlgItem(main, kImportantOnly), BM_CLICK, 0, 0);
  WaitFor([&] { return SendMessageA(GetDlgItem(main, kImportantOnly), BM_GETCHECK, 0, 0) == BST_CHECKED; }, 1000);
  ASSERT_FALSE(cc::DecodeConfigByte(install::ReadCert().at(cc::kConfigByteOffset)).importantOnly);

  const PROCESS_INFORMATION ending = BeginSessionEnd();
  ASSERT_NE(ending.hProcess, nullptr);
  // While the stop still holds the client, the choice is in "cert" already.
  ASSERT_TRUE(WaitCallLog("Zephal_Stop holds its caller for 1500 ms"));
  const auto during = install::ReadCert();
  EXPECT_TRUE(cc::DecodeConfigByte(during.at(cc::kConfigByteOffset)).importantOnly) << "saved only after the stop";
  EXPECT_EQ(FinishSessionEnd(ending), 0u);
  EXPECT_NE(WaitExit(client_), STILL_ACTIVE);

  // Stopped, returned, then released; never both at once.
  const std::string calls = CallLog();
  const size_t stop = calls.find("reason=2");
  const size_t returned = calls.find("Zephal_Stop returns");
  const size_t clear = calls.find("Zephal_Clear -> 0");
  ASSERT_NE(stop, std::string::npos) << calls;
  ASSERT_NE(clear, std::string::npos) << calls;
  EXPECT_LT(stop, returned) << calls;
  EXPECT_LT(returned, clear) << calls;
  EXPECT_EQ(calls.find("Zephal_Clear called while"), std::string::npos) << calls;
  const auto saved = install::ReadCert();
  EXPECT_TRUE(cc::DecodeConfigByte(saved.at(cc::kConfigByteOffset)).importantOnly);
  EXPECT_EQ(saved, during) << "changed after the stop";
  const std::string log = Log();
  ExpectSessionEndLogged(log);
  EXPECT_LE(SessionEndTook(log), 4500u) << log;
}

TEST_F(SessionEndTest, WhileIdleEndsAtOnce) {
  ASSERT_NE(StartClientAndWait("-debuglog"), nullptr);
  ASSERT_TRUE(WaitLog("built on Mar 20 2013"));
  EXPECT_EQ(EndSession(), 0u);
  EXPECT_NE(WaitExit(client_, 3000), STILL_ACTIVE);
  const std::string calls = CallLog();
  EXPECT_EQ(calls.find("Zephal_Stop"), std::string::npos) << calls;
  EXPECT_NE(calls.find("Zephal_Clear"), std::string::npos) << calls;
  ExpectSessionEndLogged(Log());
}

using ElevatedDesktopTest = ClientTest;

// An elevated client meets rules that Wine does not enforce; what can be seen
// here is that each is met where the client meets it.
TEST_F(ElevatedDesktopTest, ShellBroadcastForegroundAndProbeSocketAreSeenTo) {
  auto cert = AccountCert(0xD4);  // automatic login: the watch probes 5 s after the start
  // An address nobody answers on, so no other test's responder hears the probe.
  const DWORD pid = GetCurrentProcessId();
  install::PutText(&cert, cc::kRedirectServerOffset,
                   "127.89." + std::to_string((pid >> 8) & 0xFF) + "." + std::to_string(pid % 250 + 1));
  Install(cert);
  ASSERT_NE(StartClientAndWait("-debuglog"), nullptr);
  EXPECT_TRUE(WaitLog("TRAY: TaskbarCreated let through the window message filter"));
  ASSERT_NE(MainWindow(), nullptr);
  const auto second = Launch("lumora_zephal.exe", "");
  EXPECT_EQ(WaitExit(second), 1u);
  EXPECT_TRUE(WaitLog("WINDOW: show request from another instance (foreground passed on)"));
  EXPECT_TRUE(WaitLog("SOCKET: port-unreachable resets off on the probe socket", 15000));
  EXPECT_EQ(CloseClient(), 0u);
}

}  // namespace
