#include "settings/logon_task_win.h"

#include <windows.h>
#include <sddl.h>
#include <taskschd.h>

#include <string>

#include "base/bounded_call_win.h"
#include "base/com_win.h"
#include "base/report.h"
#include "settings/logon_task.h"

namespace {

constexpr uint32_t kTaskReport = 0x10001;
constexpr DWORD kTaskWaitMs = 10000;
const CLSID kClsidTaskScheduler = {0x0f87369f, 0xa4e5, 0x4cfc, {0xbd, 0x3e, 0x73, 0xe6, 0x15, 0x45, 0x72, 0xdd}};

// The SID of the user this process runs as (the task follows the account,
// whatever its name or language) into `sid`; false when unknown.
bool CurrentUserSid(char* sid, size_t size) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  union {
    TOKEN_USER user;
    BYTE bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
  } info;
  DWORD length = 0;
  char* text = nullptr;
  const bool known = GetTokenInformation(token, TokenUser, &info, sizeof info, &length) &&
                     ConvertSidToStringSidA(info.user.User.Sid, &text);
  if (known) {
    lstrcpynA(sid, text, static_cast<int>(size));
    LocalFree(text);
  }
  CloseHandle(token);
  return known;
}

// Registers (enable) or deletes the task on the calling thread.
HRESULT ChangeTask(bool enable, const std::string& installDir, char* user, size_t userSize) {
  ComApartment apartment;
  if (!apartment.Usable()) return apartment.Result();
  ComRef<ITaskService> service;
  HRESULT hr = CoCreateInstance(kClsidTaskScheduler, nullptr, CLSCTX_INPROC_SERVER, __uuidof(ITaskService),
                                service.OutVoid());
  if (FAILED(hr)) return hr;
  EmptyVariant none;
  hr = service->Connect(none.v, none.v, none.v, none.v);
  if (FAILED(hr)) return hr;
  ComRef<ITaskFolder> folder;
  Bstr root("\\");
  hr = service->GetFolder(root.Get(), folder.Out());
  if (FAILED(hr)) return hr;
  Bstr name(kLogonTaskName);
  if (!enable) {
    hr = folder->DeleteTask(name.Get(), 0);
    return hr == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) || hr == HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND) ? S_OK
                                                                                                            : hr;
  }
  if (!CurrentUserSid(user, userSize)) return HRESULT_FROM_WIN32(GetLastError());
  Bstr xml(BuildLogonTaskXml(installDir, user).c_str());
  ComRef<IRegisteredTask> task;
  return folder->RegisterTask(name.Get(), xml.Get(), TASK_CREATE_OR_UPDATE, none.v, none.v,
                              TASK_LOGON_INTERACTIVE_TOKEN, none.v, task.Out());
}

// Logs the outcome of ChangeTask; 1 when the task is as wanted (or where
// there is no Task Scheduler 2.0), else 0.
int ReportTaskChange(bool enable, HRESULT hr, const char* user) {
  if (hr == REGDB_E_CLASSNOTREG) {
    // Before Vista: no Task Scheduler 2.0, and no UAC to keep the Run entry from working.
    if (enable) MsgBox(0x10004, "TASK: no Task Scheduler 2.0 here; the Run entry alone starts the client");
    return 1;
  }
  if (FAILED(hr)) {
    MsgBox(kTaskReport, "TASK: couldn't %s the log-on task %s (0x%08lX).", enable ? "register" : "delete",
           kLogonTaskName, static_cast<unsigned long>(hr));
    return 0;
  }
  if (enable)
    MsgBox(0x10004, "TASK: log-on task %s registered for %s", kLogonTaskName, user);
  else
    MsgBox(0x10004, "TASK: log-on task %s deleted", kLogonTaskName);
  return 1;
}

// Task Scheduler answers from its service; a service that does not answer
// must not hold the main window for long.
struct TaskJob : BoundedJob {
  bool enable = false;
  std::string installDir;
  char user[SECURITY_MAX_SID_SIZE * 4] = "";
  int ok = 0;
  void Run() override { ok = ReportTaskChange(enable, ChangeTask(enable, installDir, user, sizeof user), user); }
};

int RunTaskJob(bool enable, const char* installDir, DWORD waitMs) {
  // Without its GBK form (start-up has said why) the task would start a program of no directory.
  if (enable && (!installDir || !*installDir)) return 0;
  auto* job = new TaskJob;
  job->enable = enable;
  job->installDir = installDir ? installDir : "";
  int ok = 0;
  if (RunBounded(job, waitMs))
    ok = job->ok;
  else if (waitMs)
    MsgBox(kTaskReport, "TASK: Task Scheduler has not answered after %lu ms.", static_cast<unsigned long>(waitMs));
  ReleaseJob(job);
  return ok;
}

}  // namespace

int RegisterLogonTask(const char* installDir) { return RunTaskJob(true, installDir, kTaskWaitMs); }

int RemoveLogonTask() { return RunTaskJob(false, nullptr, kTaskWaitMs); }

void RenewLogonTask(const char* installDir) { RunTaskJob(true, installDir, 0); }
