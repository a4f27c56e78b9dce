#include <windows.h>
#include <aclapi.h>
#include <fcntl.h>
#include <io.h>
#include <sddl.h>

#include <cstdarg>
#include <ctime>
#include <mutex>
#include <string>
#include <vector>

#include "base/catalogue.h"
#include "app/report_format.h"
#include "base/app_state.h"
#include "base/box_win.h"
#include "base/gbk_text_win.h"
#include "base/report.h"

int debugLog = 0;
FILE* logFile = nullptr;
HWND* boxOwner = nullptr;
std::atomic<int> boxOpen{0};

namespace {

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

// A fresh file takes the permissions the folder passes on. The old log, or
// whatever lies under its name (a link to another file, a file with a DACL of
// someone else's choosing), is removed, never written through.
HANDLE CreateFreshLog(const wchar_t* path, DWORD* error) {
  if (!DeleteFileW(path) && (*error = GetLastError()) != ERROR_FILE_NOT_FOUND) return INVALID_HANDLE_VALUE;
  HANDLE file = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) *error = GetLastError();
  return file;
}

// The entries the setup gives the installation folder: Administrators and
// SYSTEM full control, Users read.
constexpr char kLogDacl[] = "D:P(A;;FA;;;BA)(A;;FA;;;SY)(A;;0x1200a9;;;BU)";

// An old log that is still open elsewhere cannot be removed. It is taken
// over only when it is a plain file (no second name, no link), its DACL set
// to the folder's entries first, and emptied as a new log would be.
HANDLE TakeOverHeldLog(const wchar_t* path, DWORD* error) {
  HANDLE file = CreateFileW(path, GENERIC_WRITE | FILE_READ_ATTRIBUTES | READ_CONTROL | WRITE_DAC,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    *error = GetLastError();
    return file;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  DWORD r = GetFileInformationByHandle(file, &info) ? ERROR_SUCCESS : GetLastError();
  if (r == ERROR_SUCCESS && (info.nNumberOfLinks != 1 || (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)))
    r = ERROR_ACCESS_DENIED;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (r == ERROR_SUCCESS &&
      !ConvertStringSecurityDescriptorToSecurityDescriptorA(kLogDacl, SDDL_REVISION_1, &descriptor, nullptr))
    r = GetLastError();
  if (r == ERROR_SUCCESS) {
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted);
    r = SetSecurityInfo(file, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                        nullptr, nullptr, dacl, nullptr);
  }
  if (descriptor) LocalFree(descriptor);
  if (r == ERROR_SUCCESS && !SetEndOfFile(file)) r = GetLastError();
  if (r == ERROR_SUCCESS) return file;
  CloseHandle(file);
  *error = r;
  return INVALID_HANDLE_VALUE;
}

// The path is wide: the directory may hold what code page 936 cannot. The
// lines stay GBK, the path in them too.
void OpenLogFile(const wchar_t* path) {
  const std::string shown = WideToLogText(WideView(path));
  // The previous instance's handle may linger (under Wine, seen for many
  // seconds after the exit), a delete may still be pending, a reader may
  // share no writing: such a refusal is brief, so the open is tried again
  // for up to a second before the client logs without a file.
  HANDLE file = INVALID_HANDLE_VALUE;
  bool takenOver = false;
  for (int attempt = 0; attempt < kLogOpenTries; ++attempt) {
    if (attempt) Sleep(kLogOpenRetryMs);
    DWORD error = ERROR_SUCCESS;
    file = CreateFreshLog(path, &error);
    if (file == INVALID_HANDLE_VALUE && error == ERROR_SHARING_VIOLATION) {
      file = TakeOverHeldLog(path, &error);
      takenOver = file != INVALID_HANDLE_VALUE;
    }
    if (file != INVALID_HANDLE_VALUE) break;
    if (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED && error != ERROR_LOCK_VIOLATION &&
        error != ERROR_FILE_EXISTS)
      break;
  }
  // Every failure logs to standard output as without a log, and is reported
  // only once a stream is set, so the warning reaches whoever captures it
  // instead of vanishing.
  if (file == INVALID_HANDLE_VALUE) {
    SetLogStream(stdout);
    MsgBox(kReportWarning, "Warning: cannot open the log file: %s", shown.c_str());
    return;
  }
  const bool redirected = SetStdHandle(STD_OUTPUT_HANDLE, file) && SetStdHandle(STD_ERROR_HANDLE, file);
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_TEXT);
  if (fd < 0) {
    CloseHandle(file);  // without a descriptor no stream can own the handle; do not leak it
    SetLogStream(stdout);
    MsgBox(kReportWarning, "Error: log redirect failed due to _open_osfhandle failure");
    return;
  }
  FILE* stream = _fdopen(fd, "w");
  if (!stream) _close(fd);
  SetLogStream(stream ? stream : stdout);
  if (!redirected) MsgBox(kReportWarning, "Error: cannot redirect stdout/stderr to the log file: %s", shown.c_str());
  if (!stream) MsgBox(kReportWarning, "Error: log redirect failed due to _fdopen");
  if (takenOver)
    MsgBox(kReportDetail, "LOG: %s was still open elsewhere: taken over with the folder's DACL set on it",
           shown.c_str());
  else
    MsgBox(kReportDetail, "LOG: %s created afresh, with the DACL the folder passes on", shown.c_str());
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
  const int answer = ShowBox(owner, text, kBoxCaption, style);
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

  if (code & kReportShowBox) {
    const char* text = ReportText(code);
    if (debugLog) LogLine(report::TaggedMessage("[MsgBox]", code, text, true).c_str());
    ShowReportBox(ReportOwner(), text, MB_ICONERROR | MB_SETFOREGROUND | MB_TOPMOST);
  }
  if (code & kReportFatal) {
    MsgBox(kReportNote, "Stop software with errors(code=%u).", static_cast<unsigned>(code));
    ExitProcess(1);
  }
}

void ReportDll(uint32_t code, const char* text) {
  LogLine(report::TaggedMessage("[DLL]", code, text, debugLog != 0).c_str());
  if (code & kCoreShowBox) {
    const char* boxText = CoreText(code);
    if (debugLog) LogLine(report::TaggedMessage("[DLL-MsgBox]", code, boxText, true).c_str());
    ShowReportBox(ReportOwner(), boxText, MB_ICONERROR | MB_SETFOREGROUND | MB_TOPMOST);
  }
}

std::u16string LogFilePath() {
  return std::u16string(WideView(appState.installDirW)) + u"lumora_zephal" + u"." + u"log";
}

void LogSetup() {
  if (appState.writeLog) {
    OpenLogFile(WideChars(LogFilePath()));
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
