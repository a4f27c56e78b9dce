#include "harness_win.h"

#include <cctype>

#include "base/gbk_text_win.h"
#include "probe_win.h"

namespace {

constexpr char kClientExe[] = "lumora_zephal.exe";

std::string TestName() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string(info->test_suite_name()) + "." + info->name();
  for (char& c : name)
    if (c == '/' || c == '\\') c = '_';
  return name;
}

// A client left over from an earlier test would take this test's start for a second instance.
void EndStrayClients() {
  for (int i = 0; i < 20; ++i) {
    HWND other = FindWindowA("Zephal_Acc", nullptr);
    if (!other) return;
    DWORD pid = 0;
    GetWindowThreadProcessId(other, &pid);
    HANDLE h = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
    if (h) {
      TerminateProcess(h, 99);
      WaitForSingleObject(h, 5000);
      CloseHandle(h);
    }
  }
}

}  // namespace

void ClientTest::SetUp() {
  EndStrayClients();
  Install(install::DefaultCert());
}

void ClientTest::Install(const std::vector<uint8_t>& cert) {
  dir_ = install::Prepare(TestName(), cert);
  ASSERT_TRUE(CopyProgram(kClientExe));
  ASSERT_TRUE(CopyProgram("Zephal_Core.dll"));
}

void ClientTest::TearDown() {
  for (PROCESS_INFORMATION& pi : started_) {
    if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) {
      TerminateProcess(pi.hProcess, 99);
      WaitForSingleObject(pi.hProcess, 5000);
    }
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
  }
  started_.clear();
  if (HasFailure()) std::printf("---- client log %s ----\n%s---- end of log ----\n", LogPath().c_str(), Log().c_str());
}

bool ClientTest::CopyProgram(const char* name, const char* targetName) {
  return CopyFileA((install::ProgramDir() + name).c_str(), (dir_ + (targetName ? targetName : name)).c_str(), FALSE) !=
         FALSE;
}

PROCESS_INFORMATION ClientTest::Launch(const std::string& program, const std::string& args, HANDLE output) {
  std::string commandLine = "\"" + dir_ + program + "\"";
  if (!args.empty()) commandLine += " " + args;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  if (output) {
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = output;
    si.hStdError = output;
  }
  PROCESS_INFORMATION pi{};
  std::vector<char> buffer(commandLine.begin(), commandLine.end());
  buffer.push_back('\0');
  // Wine now and then refuses a start with an internal error (1359) while its
  // session is still settling, as after a new session of another scale; the
  // process never ran, so it is started again.
  BOOL started = FALSE;
  for (int attempt = 0; attempt < 5 && !started; ++attempt) {
    if (attempt) Sleep(500);
    started = CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, output != nullptr, 0, nullptr, dir_.c_str(),
                             &si, &pi);
    if (!started && GetLastError() != ERROR_INTERNAL_ERROR) break;
  }
  if (!started) {
    ADD_FAILURE() << "cannot start " << commandLine << " (error " << GetLastError() << ")";
    return PROCESS_INFORMATION{};
  }
  started_.push_back(pi);
  return pi;
}

PROCESS_INFORMATION ClientTest::StartClient(const std::string& args, HANDLE output) {
  client_ = Launch(kClientExe, args, output);
  return client_;
}

HWND ClientTest::StartClientAndWait(const std::string& args) {
  StartClient(args);
  control_ = probe::WaitForWindow("Zephal_Acc", nullptr, 10000);
  EXPECT_NE(control_, nullptr) << "the control window did not appear";
  return control_;
}

HWND ClientTest::StartConnecting(const std::string& scenario, const std::vector<uint8_t>& cert) {
  Install(cert);
  if (!WriteScenario(scenario)) {
    ADD_FAILURE() << "cannot write the core's scenario";
    return nullptr;
  }
  if (!StartClientAndWait("-debuglog")) return nullptr;
  HWND main = MainWindow();
  if (!main) {
    ADD_FAILURE() << "no main window";
    return nullptr;
  }
  PostMessageA(main, WM_COMMAND, 1610, 0);  // IDC_CONNECT
  return main;
}

HWND ClientTest::StartConnected(const std::string& scenario, const std::vector<uint8_t>& cert) {
  HWND main = StartConnecting(scenario, cert);
  if (!main) return nullptr;
  if (!WaitLog("CORE: status 3")) {
    ADD_FAILURE() << "not connected";
    return nullptr;
  }
  return main;
}

DWORD ClientTest::WaitExit(const PROCESS_INFORMATION& pi, DWORD timeoutMs) {
  if (!pi.hProcess || WaitForSingleObject(pi.hProcess, timeoutMs) != WAIT_OBJECT_0) return STILL_ACTIVE;
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(pi.hProcess, &code);
  return code;
}

DWORD ClientTest::CloseClient(DWORD timeoutMs) {
  HWND control = FindWindowA("Zephal_Acc", nullptr);
  if (!control) return WaitExit(client_, 0);
  PostMessageA(control, WM_CLOSE, 0, 0);
  return WaitExit(client_, timeoutMs);
}

HWND ClientTest::WaitBox(DWORD pid, DWORD timeoutMs) {
  // Every box of the client carries this caption; the main dialog is a #32770 too.
  return probe::WaitForWindowOfProcess(pid, "#32770", "Lumora Zephal 提示信息", timeoutMs);
}

namespace {

struct BoxSearch {
  DWORD pid;
  std::vector<probe::MessageBoxInfo> boxes;
};

BOOL CALLBACK CollectBox(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<BoxSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != search->pid || !IsWindowVisible(window) || probe::WindowClass(window) != "#32770") return TRUE;
  // The caption as stored, without a message: the main window's thread may be
  // the one the test shows hanging.
  wchar_t caption[64] = L"";
  GetWindowTextW(window, caption, 64);
  probe::MessageBoxInfo info{};
  if (WideView(caption) == u"Lumora Zephal 提示信息" && probe::ReadMessageBox(window, &info)) {
    info.hwnd = window;
    search->boxes.push_back(info);
  }
  return TRUE;
}

}  // namespace

std::vector<probe::MessageBoxInfo> ClientTest::OpenBoxes() const {
  BoxSearch search{client_.dwProcessId, {}};
  EnumWindows(CollectBox, reinterpret_cast<LPARAM>(&search));
  return search.boxes;
}

HWND ClientTest::WaitBoxWithText(const std::string& text, DWORD timeoutMs) const {
  HWND found = nullptr;
  WaitFor([&] {
    for (const probe::MessageBoxInfo& box : OpenBoxes())
      if (box.text == text) found = box.hwnd;
    return found != nullptr;
  }, timeoutMs);
  return found;
}

bool ClientTest::WaitLog(const char* needle, DWORD timeoutMs) const {
  return probe::WaitForFileText(LogPath().c_str(), needle, timeoutMs);
}

bool ClientTest::WriteScenario(const std::string& text) { return install::WriteFile(dir_ + "core-scenario.txt", text); }

bool ClientTest::WaitCallLog(const char* needle, DWORD timeoutMs) const {
  return probe::WaitForFileText((dir_ + "core-calls.log").c_str(), needle, timeoutMs);
}

HWND ClientTest::MainWindow(DWORD timeoutMs) {
  return probe::WaitForWindowOfProcess(client_.dwProcessId, "#32770", "Lumora Zephal", timeoutMs);
}

probe::MessageBoxInfo ClientTest::AnswerBoxOf(DWORD pid, int button, DWORD timeoutMs) {
  probe::MessageBoxInfo info{};
  HWND box = WaitBox(pid, timeoutMs);
  if (!box) return info;
  probe::ReadMessageBox(box, &info);
  info.hwnd = box;
  probe::PressButton(box, button);
  probe::WaitForWindowGone(box, 5000);
  return info;
}

uint32_t ClientTest::WaitStoredVersion(DWORD timeoutMs) const {
  uint32_t version = 0;
  WaitFor([&] {
    const auto cert = install::ReadCert();
    version = cert.size() < 4 ? 0 : cert[0] | cert[1] << 8 | cert[2] << 16 | static_cast<uint32_t>(cert[3]) << 24;
    return version != 0;
  }, timeoutMs);
  return version;
}


std::vector<std::string> LogLines(const std::string& log) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < log.size()) {
    size_t end = log.find("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(log.substr(start));  // unterminated: kept so a test can see it
      break;
    }
    lines.push_back(log.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

std::vector<uint8_t> RecordBytes(const std::string& log, const std::string& call) {
  const size_t at = log.find(call + " record=");
  if (at == std::string::npos) return {};
  std::vector<uint8_t> bytes;
  for (size_t i = at + call.size() + 8; i + 1 < log.size() && std::isxdigit(static_cast<unsigned char>(log[i])); i += 2)
    bytes.push_back(static_cast<uint8_t>(std::stoi(log.substr(i, 2), nullptr, 16)));
  return bytes;
}
