// The real program against faults of what it trusts: a core that floods it
// with states from several threads, hands over unterminated texts and huge
// conflict lists; a "cert" value swapped under the running client; a log
// directory it cannot write; the shell restarted while it connects.
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>

#include "desktop_win.h"
#include "harness_win.h"
#include "probe_win.h"
#include "settings/client_config.h"

namespace {

namespace cc = client_config;

// The log's lines whose message starts with `prefix`, in order, without the
// time stamp and the verbose log's "(#code)" tag.
std::vector<std::string> LinesAfterStamp(const std::string& log, const std::string& prefix) {
  std::vector<std::string> found;
  for (const std::string& line : LogLines(log)) {
    size_t at = line.find(' ', line.find(' ') + 1);  // "%Y-%m-%d %H:%M:%S "
    if (at == std::string::npos) continue;
    ++at;
    if (line.compare(at, 2, "(#") == 0) at = line.find(") ", at) + 2;
    if (line.compare(at, prefix.size(), prefix) == 0) found.push_back(line.substr(at));
  }
  return found;
}

// Polls until the last of the log's `prefix` lines starts with `expected`
// and has stayed so for a second: the client has worked through its queue.
bool WaitLastLine(const std::function<std::string()>& read, const std::string& prefix, const std::string& expected,
                  DWORD timeoutMs) {
  DWORD steadySince = 0;
  for (DWORD start = GetTickCount(); GetTickCount() - start < timeoutMs; Sleep(100)) {
    const auto lines = LinesAfterStamp(read(), prefix);
    if (lines.empty() || lines.back().compare(0, expected.size(), expected) != 0) {
      steadySince = 0;
      continue;
    }
    if (steadySince == 0) steadySince = GetTickCount();
    if (GetTickCount() - steadySince >= 1000) return true;
  }
  return false;
}

using FaultTest = ClientTest;

TEST_F(FaultTest, StatesFromSeveralThreadsForTenSecondsEndShowingTheLastOne) {
  // Four threads at 100 reports a second each, through every state, ending connected.
  HWND main = StartConnecting("state-storm start+2000 10000 4 100 2 3 4 1 3\n");
  ASSERT_NE(main, nullptr);
  HWND control = control_;
  // The storm's count, then its last state reported once more.
  std::string calls;
  size_t made = std::string::npos;
  ASSERT_TRUE(WaitFor(
      [&] {
        calls = CallLog();
        made = calls.find("state-storm: 4 threads made ");
        return made != std::string::npos && calls.find("] status 3", made) != std::string::npos;
      },
      30000))
      << calls;
  const size_t stormed = std::stoul(calls.substr(made + 28));
  EXPECT_GE(stormed, 2000u) << "hundreds of reports a second for 10 s";
  // Every report reaches the log once: only then has the client worked
  // through its queue (a last line of "status 3" shows up halfway too).
  const size_t reports = stormed + CountOf(calls, "] status ");
  const auto read = [this] { return Log(); };
  EXPECT_TRUE(WaitFor([&] { return LinesAfterStamp(read(), "CORE: status ").size() >= reports; }, 60000))
      << LinesAfterStamp(read(), "CORE: status ").size() << " of " << reports << " states logged";
  EXPECT_TRUE(WaitLastLine(read, "CORE: status ", "CORE: status 3", 20000));
  EXPECT_TRUE(WaitLastLine(read, "VIEW: view ", "VIEW: view 1901 for state 3", 20000));
  EXPECT_TRUE(WaitLastLine(read, "TRAY: icon ", "TRAY: icon 1001 ", 20000));
  EXPECT_EQ((GetWindowLongA(GetDlgItem(main, 1611), GWL_STYLE) & WS_VISIBLE) != 0, true) << "disconnect shown";
  EXPECT_TRUE(IsWindow(control));
  EXPECT_EQ(WaitExit(client_, 0), STILL_ACTIVE);
  PostMessageA(control, WM_CLOSE, 0, 0);
  AnswerBox(IDYES);  // connected: the exit asks
  EXPECT_EQ(WaitExit(client_, 20000), 0u);
}

TEST_F(FaultTest, CoreThatNeverGetsIdleStillLetsTheClientEndWhileConnecting) {
  ASSERT_NE(StartConnecting("connect-delay never\nstop never-idle\n"), nullptr);
  HWND control = control_;
  ASSERT_TRUE(WaitLog("CORE: status 2"));
  PostMessageA(control, WM_COMMAND, 220, 0);  // the tray menu's exit
  EXPECT_EQ(AnswerBox(IDYES), "Lumora Zephal 软件正在连接状态中，您是否确认要退出本软件?");
  EXPECT_EQ(WaitExit(client_, 15000), 0u) << "the exit waits its four seconds for idle, then ends";
  const std::string calls = CallLog();
  EXPECT_NE(calls.find("status 4"), std::string::npos) << calls;
  EXPECT_EQ(calls.find("status 1"), std::string::npos) << calls;
  EXPECT_NE(calls.find("Zephal_Clear"), std::string::npos) << calls;
  EXPECT_NE(Log().find("Zephal Acc Closed Success."), std::string::npos);
}

std::string DayAfterTomorrowUnterminated() {
  // 11 bytes, the day with a leading zero: a date the client understands
  // that fills the whole field.
  const std::time_t t = std::time(nullptr) + 86400;
  std::tm local{};
  localtime_s(&local, &t);
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%03d", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
  return text;
}

TEST_F(FaultTest, UnterminatedQueryRecordTextsAreReadWithinTheirFields) {
  const std::string date = DayAfterTomorrowUnterminated();
  const std::string address = "123.234.123.23499";  // 17 bytes, followed by the start time
  ASSERT_EQ(date.size(), 11u);
  ASSERT_NE(StartConnected("account-status 0x410\naccount-date " + date + "\naddress " + address + "\n"), nullptr);
  AnswerBox(IDOK);  // the end-date notice
  ASSERT_TRUE(WaitLog("INFO: the end-date is"));
  const std::string log = Log();
  EXPECT_NE(log.find("INFO: the end-date is " + date + "\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find("\"分配 IP 地址: " + address + "\"\r\n"), std::string::npos) << log;
  const auto icons = LinesAfterStamp(log, "TRAY: icon 1001");
  ASSERT_FALSE(icons.empty());
  EXPECT_EQ(icons.back().substr(icons.back().size() - address.size() - 1), " " + address);
  EXPECT_EQ(icons.back().find(address + address.substr(0, 1)), std::string::npos);
  // The status figures read the record too, and say what they read.
  ASSERT_TRUE(WaitLog("INFO: IP = "));
  const std::string later = Log();
  EXPECT_NE(later.find("; Date = " + date + "\r\n"), std::string::npos) << later;
  EXPECT_NE(later.find("INFO: IP = " + address + " (17); Start = "), std::string::npos) << later;
}

TEST_F(FaultTest, MessageTextWithoutTerminatorIsReadToTheReportLimitOnly) {
  // 5 000 bytes and then a page the client may not read.
  ASSERT_NE(StartConnecting("long-message start+2000 0x10000001 5000\n"), nullptr);
  ASSERT_TRUE(WaitCallLog("message 0x10000001 (5000 bytes without a terminator, an unreadable page after them)"))
      << CallLog();
  ASSERT_TRUE(WaitLog("[DLL](#10000001) x"));
  const auto lines = LinesAfterStamp(Log(), "[DLL](#10000001) ");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], "[DLL](#10000001) " + std::string(1023 - 17, 'x')) << "a report holds 1023 bytes";
  Sleep(500);  // proves the client outlives the text
  EXPECT_EQ(WaitExit(client_, 0), STILL_ACTIVE);
  PostMessageA(FindWindowA("Zephal_Acc", nullptr), WM_CLOSE, 0, 0);
  AnswerBox(IDYES);
  EXPECT_EQ(WaitExit(client_), 0u);
}

TEST_F(FaultTest, TenThousandConflictEntriesFitTheBoxAndCountTheRest) {
  ASSERT_TRUE(WriteScenario("conflicts 10000 closable 1000 \"C:\\Tools\\booster.exe\" Booster\n"
                            "message init+1000 0x30170004 many\n"));
  ASSERT_NE(StartClientAndWait("-debuglog"), nullptr);
  const probe::MessageBoxInfo box = AnswerBoxOf(client_.dwProcessId, IDNO, 20000);
  ASSERT_NE(box.hwnd, nullptr);
  EXPECT_LT(box.text.size(), 1024u);
  const size_t listed = std::count(box.text.begin(), box.text.end(), '\n') - 2;  // heading and count lines
  EXPECT_GT(listed, 10u);
  EXPECT_NE(box.text.find("另有 " + std::to_string(10000 - listed) + " 个软件未能列出"), std::string::npos)
      << "every entry not listed is counted, not only those read:\n"
      << box.text;
  const std::string log = Log();
  EXPECT_NE(log.find("CB-PCL: 10000 entries announced, the first 256 are read"), std::string::npos);
  EXPECT_EQ(LinesAfterStamp(log, "CB-PCL: B ").size(), 256u);
  EXPECT_EQ(CloseClient(), 0u);
  EXPECT_EQ(CallLog().find("kill "), std::string::npos) << "No closes nothing";
}

// The "cert" value read back with its type.
bool ReadCertWithType(DWORD* type, std::vector<uint8_t>* bytes) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, install::kKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  DWORD size = 0;
  bool ok = RegQueryValueExA(key, "cert", nullptr, type, nullptr, &size) == ERROR_SUCCESS;
  bytes->assign(size, 0);
  if (ok && size) ok = RegQueryValueExA(key, "cert", nullptr, type, bytes->data(), &size) == ERROR_SUCCESS;
  RegCloseKey(key);
  return ok;
}

bool WriteCertWithType(DWORD type, const std::vector<uint8_t>& bytes) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, install::kKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return false;
  const bool ok = RegSetValueExA(key, "cert", 0, type, bytes.data(), static_cast<DWORD>(bytes.size())) == ERROR_SUCCESS;
  RegCloseKey(key);
  return ok;
}

struct Replacement {
  const char* name;
  DWORD type;
  size_t size;
};

void PrintTo(const Replacement& r, std::ostream* os) { *os << r.name; }

class CertReplacedTest : public ClientTest, public ::testing::WithParamInterface<Replacement> {};

TEST_P(CertReplacedTest, SaveWritesNothingPastAndKeepsTheForeignBytes) {
  const Replacement& r = GetParam();
  HWND control = StartClientAndWait("-debuglog");
  ASSERT_NE(control, nullptr);
  ASSERT_NE(WaitStoredVersion(), 0u);
  // A value like the one installed, cut or grown, every byte past 126 marked.
  std::vector<uint8_t> value = install::DefaultCert();
  value[cc::kConfigByteOffset] = 0x80;  // not the client's options: a save must show
  value.resize(r.size);
  for (size_t i = cc::kSize; i < value.size(); ++i) value[i] = static_cast<uint8_t>(i * 7 + 1);
  if (r.type == REG_SZ) value = {'c', 0, 'e', 0};
  ASSERT_TRUE(WriteCertWithType(r.type, value));

  PostMessageA(control, WM_CLOSE, 0, 0);  // idle: closes at once, saving the settings
  EXPECT_EQ(WaitExit(client_), 0u);
  DWORD type = 0;
  std::vector<uint8_t> saved;
  ASSERT_TRUE(ReadCertWithType(&type, &saved));
  EXPECT_EQ(type, r.type);
  ASSERT_EQ(saved.size(), value.size()) << "nothing written past the value, nothing cut off";
  if (r.type == REG_BINARY && r.size >= cc::kSize) {
    EXPECT_EQ(saved[cc::kConfigByteOffset], 0x04) << "the client's own options were saved";
    for (size_t i = 45; i <= 90; ++i) EXPECT_EQ(saved[i], value[i]) << "byte " << i;
    for (size_t i = 112; i < saved.size(); ++i) EXPECT_EQ(saved[i], value[i]) << "byte " << i;
  } else {
    EXPECT_EQ(saved, value) << "an unusable value is left as it is";
    EXPECT_NE(Log().find("REG: Set config binary failed."), std::string::npos) << Log();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Values, CertReplacedTest,
    ::testing::Values(Replacement{"Empty", REG_BINARY, 0}, Replacement{"OneByte", REG_BINARY, 1},
                      Replacement{"Short125", REG_BINARY, 125}, Replacement{"Long127", REG_BINARY, 127},
                      Replacement{"Long4096", REG_BINARY, 4096}, Replacement{"AnotherType", REG_SZ, 4}),
    [](const ::testing::TestParamInfo<Replacement>& info) { return std::string(info.param.name); });

// A directory even root cannot write to while it lives: immutable on the
// Linux side. Made writable again when the test ends.
class UnwritableDirectory {
 public:
  explicit UnwritableDirectory(const std::string& windowsPath) : path_(windowsPath) {
    CreateDirectoryA(path_.c_str(), nullptr);
    using ToUnix = char*(CDECL*)(LPCWSTR);
    const auto toUnix = reinterpret_cast<ToUnix>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    wchar_t wide[MAX_PATH];
    if (!toUnix || !MultiByteToWideChar(CP_ACP, 0, path_.c_str(), -1, wide, MAX_PATH)) return;
    char* unixPath = toUnix(wide);
    if (!unixPath) return;
    unixPath_ = unixPath;
    HeapFree(GetProcessHeap(), 0, unixPath);
    locked_ = Chattr("+i", false);
  }
  ~UnwritableDirectory() {
    if (!unixPath_.empty()) Chattr("-i", true);
  }
  bool locked() const { return locked_; }

 private:
  // Runs chattr and waits until a file can (or cannot) be made in the directory.
  bool Chattr(const char* change, bool writable) {
    if (!desktop::RunLinux("Z:\\usr\\bin\\chattr " + std::string(change) + " \"" + unixPath_ + "\"")) return false;
    for (int i = 0; i < 100; ++i, Sleep(50)) {
      // A new name each time: a probe file whose deletion the lock refused
      // could still be rewritten and would pass for a writable directory.
      const std::string probeFile = path_ + "probe" + std::to_string(i) + ".txt";
      const bool wrote = install::WriteFile(probeFile, "x");
      if (wrote) DeleteFileA(probeFile.c_str());
      if (wrote == writable) return true;
    }
    return false;
  }

  std::string path_;
  std::string unixPath_;
  bool locked_ = false;
};

TEST_F(FaultTest, UnwritableLogDirectoryLeavesTheClientWorkingAndSaysSo) {
  Install(install::AccountCert());
  // The installation directory the key names, where the log belongs.
  std::string logDir = dir_ + "locked\\";
  UnwritableDirectory locked(logDir);
  // A file system or container without immutable files: a directory that
  // does not exist refuses the log the same way.
  if (!locked.locked()) {
    std::printf("chattr +i failed here; the log goes to a missing directory instead\n");
    logDir = dir_ + "missing\\";
  }
  ASSERT_TRUE(install::WriteDefaultValue(logDir));

  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  const std::string outputPath = dir_ + "client-output.txt";
  HANDLE output = CreateFileA(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(output, INVALID_HANDLE_VALUE);
  StartClient("-debuglog", output);
  CloseHandle(output);
  ASSERT_NE(probe::WaitForWindow("Zephal_Acc", nullptr, 10000), nullptr);
  HWND main = MainWindow();
  ASSERT_NE(main, nullptr);
  PostMessageA(main, WM_COMMAND, 1610, 0);
  EXPECT_TRUE(WaitCallLog("status 3"));
  const std::string warning = "Warning: cannot open the log file: " + logDir + "lumora_zephal.log";
  EXPECT_TRUE(probe::WaitForFileText(outputPath.c_str(), "CORE: status 3", 10000));
  const std::string printed = install::ReadFile(outputPath);
  EXPECT_NE(printed.find(warning), std::string::npos) << printed;
  EXPECT_FALSE(install::FileExists(logDir + "lumora_zephal.log"));

  PostMessageA(FindWindowA("Zephal_Acc", nullptr), WM_CLOSE, 0, 0);
  AnswerBox(IDYES);
  EXPECT_EQ(WaitExit(client_), 0u);
  EXPECT_EQ(install::ReadCert().at(cc::kConfigByteOffset), 0xC4) << "the settings were saved";
}

// An ended instance's log handle that something still holds, as the client holds it.
TEST_F(FaultTest, LogStillHeldByAnEndedInstanceIsTakenOverByTheNextStart) {
  Install(install::AccountCert());
  HANDLE old = CreateFileA(LogPath().c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(old, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(old, "the ended instance\r\n", 20, &written, nullptr);
  ASSERT_NE(StartClientAndWait("-debuglog"), nullptr);
  EXPECT_TRUE(WaitLog("VIEW: view 1901 for state 1"));
  CloseHandle(old);
  EXPECT_EQ(Log().find("the ended instance"), std::string::npos) << Log();
  EXPECT_NE(Log().find("was still open elsewhere: taken over with the folder's DACL set on it"), std::string::npos);
  EXPECT_EQ(CloseClient(), 0u);
}

TEST_F(FaultTest, ShellRestartedWhileConnectingGetsTheConnectingIconBack) {
  ASSERT_NE(StartConnecting("connect-delay 4000\n"), nullptr);
  HWND control = control_;
  ASSERT_TRUE(WaitLog("CORE: status 2"));
  ASSERT_TRUE(WaitLog("TRAY: icon 1002"));
  // A restarted shell has forgotten every icon, then announces itself to
  // every top-level window.
  NOTIFYICONDATAA forget{};
  forget.cbSize = sizeof forget;
  forget.hWnd = control;
  forget.uID = 0;
  ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &forget));
  ASSERT_TRUE(WaitFor([] { return desktop::WineTrayIcons() == 0; }, 5000));
  const size_t before = Log().size();
  PostMessageA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
  WaitFor([&] { return Log().find("TRAY: icon", before) != std::string::npos; }, 5000);
  const std::string after = Log().substr(before);
  EXPECT_NE(after.find("TRAY: icon 1002 tip Lumora Zephal\\n正在连接: lumora_zephal\r\n"), std::string::npos) << after;
  EXPECT_EQ(after.find("TRAY: the shell did not take the icon"), std::string::npos) << after;
  EXPECT_TRUE(WaitFor([] { return desktop::WineTrayIcons() == 1; }, 5000));
  // The connection goes on and the one icon follows it.
  EXPECT_TRUE(WaitLog("TRAY: icon 1001"));
  Sleep(300);  // proves no second icon appears
  EXPECT_EQ(desktop::WineTrayIcons(), 1);
}

}  // namespace
