#include <fcntl.h>
#include <io.h>

#include <cstdarg>
#include <ctime>
#include <mutex>
#include <string>
#include <vector>

#include "app/catalogue.h"
#include "app/report_format.h"
#include "base/app_state.h"
#include "base/gbk_text_win.h"
#include "base/report.h"

int debugLog = 0;
FILE* logFile = nullptr;
HWND* boxOwner = nullptr;
std::atomic<int> boxOpen{0};

namespace {

constexpr uint32_t kLogWarning = 0x20001;
constexpr int kLogOpenTries = 20;
constexpr DWORD kLogOpenRetryMs = 50;

// Lines come from several threads and the main window may close and reopen the
// log while a callback thread writes: the stream is only touched under this lock.
std::mutex logMutex;

std::tm LocalNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_s(&local, &now);
  return local;
}

std::string ComposeMessage(const char* format, va_list args) {
  std::vector<char> buffer(report::kMessageSize);
  int n = std::vsnprintf(buffer.data(), buffer.size(), format, args);
  if (n < 0) buffer[0] = '\0';
  buffer.back() = '\0';
  return buffer.data();
}

void SetLogStream(FILE* stream) {
  std::lock_guard<std::mutex> lock(logMutex);
  logFile = stream;
}

void OpenLogFile(const wchar_t* path) {
  SECURITY_DESCRIPTOR descriptor;
  InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
  SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE);  // every account may open the log
  SECURITY_ATTRIBUTES attributes{sizeof attributes, &descriptor, FALSE};

  // Writing is shared too: a handle of an ended instance that something still
  // holds (under Wine, seen for many seconds after the exit) then cannot
  // refuse the next instance its log. Only one instance runs, so nothing
  // else writes. A delete still pending, or a reader that shares no writing,
  // fails only briefly: the open is tried again for up to a second before
  // the client logs without a file.
  HANDLE file = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < kLogOpenTries; ++attempt) {
    if (attempt) Sleep(kLogOpenRetryMs);
    file = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &attributes, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) break;
    const DWORD error = GetLastError();
    if (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED && error != ERROR_LOCK_VIOLATION) break;
  }
  // Every failure logs to standard output as without a log, and is reported
  // only once a stream is set, so the warning reaches whoever captures it
  // instead of vanishing.
  if (file == INVALID_HANDLE_VALUE) {
    SetLogStream(stdout);
    MsgBox(kLogWarning, "Warning: cannot open the log file: %s", WideToLogText(WideView(path)).c_str());
    return;
  }
  const bool redirected = SetStdHandle(STD_OUTPUT_HANDLE, file) && SetStdHandle(STD_ERROR_HANDLE, file);
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_TEXT);
  if (fd < 0) {
    CloseHandle(file);  // without a descriptor no stream can own the handle; do not leak it
    SetLogStream(stdout);
    MsgBox(kLogWarning, "Error: log redirect failed due to _open_osfhandle failure");
    return;
  }
  FILE* stream = _fdopen(fd, "w");
  if (!stream) _close(fd);
  SetLogStream(stream ? stream : stdout);
  if (!redirected)
    MsgBox(kLogWarning, "Error: cannot redirect stdout/stderr to the log file: %s", WideToLogText(WideView(path)).c_str());
  if (!stream) MsgBox(kLogWarning, "Error: log redirect failed due to _fdopen");
}

// The owner of a report box: the control window when the box opens on its
// thread. A box of another thread gets none: an owner across threads joins the
// two threads' input and disables the owner from this thread, which waits on
// a control thread that may itself wait on the core whose callback raised the
// box. Without an owner the box still stays on top and in front by its style.
HWND ReportOwner() {
  HWND owner = boxOwner ? *boxOwner : nullptr;
  if (!owner || GetWindowThreadProcessId(owner, nullptr) != GetCurrentThreadId()) return nullptr;
  return owner;
}

}  // namespace

void LogLine(const char* text) {
  const std::string line = report::ComposeLogLine(LocalNow(), text);
  std::lock_guard<std::mutex> lock(logMutex);
  if (!logFile) return;
  std::fprintf(logFile, "%s\n", line.c_str());
  std::fflush(logFile);
}

int ShowReportBox(HWND owner, const char* text, UINT style) {
  ++boxOpen;
  const int answer = MessageBoxW(owner, GbkToWide(text).c_str(), GbkToWide(kBoxCaption).c_str(), style);
  --boxOpen;
  return answer;
}

void MsgBox(uint32_t code, const char* format, ...) {
  if (!report::Logged(code, debugLog != 0)) return;
  va_list args;
  va_start(args, format);
  const std::string message = ComposeMessage(format, args);
  va_end(args);
  LogLine(report::TaggedMessage("", code, message.c_str(), debugLog != 0).c_str());

  if (code & report::kShowBox) {
    const char* text = ReportText(code);
    if (debugLog) LogLine(report::TaggedMessage("[MsgBox]", code, text, true).c_str());
    ShowReportBox(ReportOwner(), text, MB_ICONERROR | MB_SETFOREGROUND | MB_TOPMOST);
  }
  if (code & report::kFatal) {
    MsgBox(1, "Stop software with errors(code=%u).", static_cast<unsigned>(code));
    ExitProcess(1);
  }
}

void ReportDll(uint32_t code, const char* text) {
  LogLine(report::TaggedMessage("[DLL]", code, text, debugLog != 0).c_str());
  if (code & report::kCoreShowBox) {
    const char* boxText = CoreText(code);
    if (debugLog) LogLine(report::TaggedMessage("[DLL-MsgBox]", code, boxText, true).c_str());
    ShowReportBox(ReportOwner(), boxText, MB_ICONERROR | MB_SETFOREGROUND | MB_TOPMOST);
  }
}

void LogSetup() {
  if (appState.writeLog) {
    // Wide: the directory may hold what code page 936 cannot; the lines stay GBK.
    const std::u16string path = std::u16string(WideView(appState.installDirW)) + u"lumora_zephal" + u"." + u"log";
    OpenLogFile(WideChars(path));
  } else {
    SetLogStream(stdout);
  }
  boxOwner = &appState.hwndControl;
}

void LogClose() {
  std::lock_guard<std::mutex> lock(logMutex);
  if (logFile && logFile != stdout) std::fclose(logFile);
  logFile = stdout;
}

void RaiseReportBox() {
  // Report boxes carry this caption; bringing the open one forward is what a
  // click elsewhere in the client should do while it waits for an answer.
  HWND box = FindWindowW(nullptr, GbkToWide(kBoxCaption).c_str());
  if (box) SetForegroundWindow(box);
}
