#include "settings/logon_task_win.h"

#include <windows.h>
#include <sddl.h>
#include <taskschd.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "app/bounded_call_win.h"
#include "app/com_win.h"
#include "app/report.h"
#include "settings/logon_task.h"

namespace {

constexpr uint32_t kTaskReport = 0x10001;
constexpr DWORD kTaskWaitMs = 10000;
const CLSID kClsidTaskScheduler = {0x0f87369f, 0xa4e5, 0x4cfc, {0xbd, 0x3e, 0x73, 0xe6, 0x15, 0x45, 0x72, 0xdd}};

// The SID of the user this process runs as: the task follows the account,
// whatever its name or language.
std::string CurrentUserSid() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return "";
  std::string sid;
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::string buffer(size, '\0');
  char* text = nullptr;
  if (size && GetTokenInformation(token, TokenUser, &buffer[0], size, &size) &&
      ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(&buffer[0])->User.Sid, &text)) {
    sid = text;
    LocalFree(text);
  }
  CloseHandle(token);
  return sid;
}

// The root folder of a connected task service, or the HRESULT that stopped it.
HRESULT RootFolder(ComRef<ITaskFolder>* folder) {
  ComRef<ITaskService> service;
  HRESULT hr = CoCreateInstance(kClsidTaskScheduler, nullptr, CLSCTX_INPROC_SERVER, __uuidof(ITaskService),
                                service.OutVoid());
  if (FAILED(hr)) return hr;
  EmptyVariant server, user, domain, password;
  hr = service->Connect(server.v, user.v, domain.v, password.v);
  if (FAILED(hr)) return hr;
  Bstr root("\\");
  return service->GetFolder(root.Get(), folder->Out());
}

bool NoTaskScheduler(HRESULT hr) { return hr == REGDB_E_CLASSNOTREG || hr == CO_E_CLASSSTRING; }

int RegisterOnThisThread(const std::string& installDir) {
  ComApartment apartment;
  ComRef<ITaskFolder> folder;
  HRESULT hr = apartment.Usable() ? RootFolder(&folder) : apartment.Result();
  if (NoTaskScheduler(hr)) {
    MsgBox(0x10004, "TASK: no Task Scheduler 2.0 here; the Run entry alone starts the client");
    return 1;
  }
  const std::string user = CurrentUserSid();
  if (SUCCEEDED(hr) && user.empty()) hr = HRESULT_FROM_WIN32(GetLastError());
  if (SUCCEEDED(hr)) {
    Bstr name(kLogonTaskName);
    Bstr xml(BuildLogonTaskXml(installDir, user));
    EmptyVariant noUser, noPassword, noSddl;
    ComRef<IRegisteredTask> task;
    hr = folder->RegisterTask(name.Get(), xml.Get(), TASK_CREATE_OR_UPDATE, noUser.v, noPassword.v,
                              TASK_LOGON_INTERACTIVE_TOKEN, noSddl.v, task.Out());
  }
  if (FAILED(hr)) {
    MsgBox(kTaskReport, "TASK: couldn't register the log-on task %s (0x%08lX).", kLogonTaskName,
           static_cast<unsigned long>(hr));
    return 0;
  }
  MsgBox(0x10004, "TASK: log-on task %s registered for %s", kLogonTaskName, user.c_str());
  return 1;
}

int RemoveOnThisThread() {
  ComApartment apartment;
  ComRef<ITaskFolder> folder;
  HRESULT hr = apartment.Usable() ? RootFolder(&folder) : apartment.Result();
  if (NoTaskScheduler(hr)) return 1;
  if (SUCCEEDED(hr)) {
    Bstr name(kLogonTaskName);
    hr = folder->DeleteTask(name.Get(), 0);
    if (hr == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) || hr == HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND)) hr = S_OK;
  }
  if (FAILED(hr)) {
    MsgBox(kTaskReport, "TASK: couldn't delete the log-on task %s (0x%08lX).", kLogonTaskName,
           static_cast<unsigned long>(hr));
    return 0;
  }
  MsgBox(0x10004, "TASK: log-on task %s deleted", kLogonTaskName);
  return 1;
}

// Task Scheduler answers from its service; a service that does not answer
// must not hold the main window for long.
int RunTaskCall(std::function<int()> call, const char* what) {
  const auto result = std::make_shared<std::atomic<int>>(0);
  if (RunBounded([call, result] { *result = call(); }, kTaskWaitMs)) return *result;
  MsgBox(kTaskReport, "TASK: Task Scheduler has not answered the %s after %lu ms.", what,
         static_cast<unsigned long>(kTaskWaitMs));
  return 0;
}

}  // namespace

int RegisterLogonTask(const char* installDir) {
  const std::string dir = installDir ? installDir : "";
  return RunTaskCall([dir] { return RegisterOnThisThread(dir); }, "registration");
}

int RemoveLogonTask() { return RunTaskCall(RemoveOnThisThread, "deletion"); }
