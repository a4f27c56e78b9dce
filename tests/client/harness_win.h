// Test fixture for the real client program: a clean installation per test,
// the client started from it, its log collected, every started process ended.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "install_win.h"
#include "kit_win.h"
#include "probe_win.h"

class ClientTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Re-creates the installation with another "cert" (SetUp uses DefaultCert()).
  void Install(const std::vector<uint8_t>& cert);
  // Copies a program of the build into the installation directory.
  bool CopyProgram(const char* name, const char* targetName = nullptr);
  // Starts a program of the installation directory; its handle is kept and ended at TearDown.
  // `output`, when given, is an inheritable handle that gets its standard output and error.
  PROCESS_INFORMATION Launch(const std::string& program, const std::string& args, HANDLE output = nullptr);
  // Starts the client (copied into the installation) with `args`.
  PROCESS_INFORMATION StartClient(const std::string& args = "", HANDLE output = nullptr);
  // Starts the client and waits for its control window (kept in control_).
  HWND StartClientAndWait(const std::string& args = "");
  // Installs `cert` (by default the account "alice"/"secret" remembered),
  // `scenario` for the core, starts the client verbose and presses connect:
  // its main window, or null with the failure recorded.
  HWND StartConnecting(const std::string& scenario = "", const std::vector<uint8_t>& cert = install::AccountCert());
  // StartConnecting, and the core has reported connected.
  HWND StartConnected(const std::string& scenario = "", const std::vector<uint8_t>& cert = install::AccountCert());
  // Exit code, or STILL_ACTIVE after the timeout.
  DWORD WaitExit(const PROCESS_INFORMATION& pi, DWORD timeoutMs = 10000);
  // Posts WM_CLOSE to the control window and waits for the client to end.
  DWORD CloseClient(DWORD timeoutMs = 10000);
  // A message box of `pid`, or null after the timeout.
  HWND WaitBox(DWORD pid, DWORD timeoutMs = 10000);
  // Every message box the client has open now.
  std::vector<probe::MessageBoxInfo> OpenBoxes() const;
  // The client's open box with this text, or null after the timeout.
  HWND WaitBoxWithText(const std::string& text, DWORD timeoutMs = 10000) const;

  // The stand-in core's script for this test (written before the client starts).
  bool WriteScenario(const std::string& text);
  std::string CallLog() const { return install::ReadFile(dir_ + "core-calls.log"); }
  bool WaitCallLog(const char* needle, DWORD timeoutMs = 10000) const;
  // The main window of the running client, or null.
  HWND MainWindow(DWORD timeoutMs = 10000);
  // Reads the message box of `pid` and presses `button`; hwnd is null when none appeared.
  probe::MessageBoxInfo AnswerBoxOf(DWORD pid, int button, DWORD timeoutMs = 10000);
  // Answers the client's message box: its text, or "" when none appeared.
  std::string AnswerBox(int button, DWORD timeoutMs = 10000) { return AnswerBoxOf(client_.dwProcessId, button, timeoutMs).text; }
  // The library version in "cert" once the client has stored one (0 after the timeout).
  uint32_t WaitStoredVersion(DWORD timeoutMs = 5000) const;

  std::string LogPath() const { return dir_ + "lumora_zephal.log"; }
  std::string Log() const { return install::ReadFile(LogPath()); }
  bool WaitLog(const char* needle, DWORD timeoutMs = 10000) const;

  std::string dir_;
  PROCESS_INFORMATION client_{};
  HWND control_ = nullptr;
  std::vector<PROCESS_INFORMATION> started_;
};

// Windows-style lines of a log, without their CR LF.
std::vector<std::string> LogLines(const std::string& log);
// The bytes of the record the core logged for the first `call` (e.g. "Zephal_Start").
std::vector<uint8_t> RecordBytes(const std::string& callLog, const std::string& call);
