#include "settings/logon_task_win.h"

#include <windows.h>
#include <taskschd.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <string>

#include "base/app_state.h"
#include "base/bounded_wait_win.h"
#include "base/com_win.h"
#include "base/report.h"
#include "settings/logon_task.h"

namespace {

const CLSID kClsidTaskScheduler = {0x0f87369f, 0xa4e5, 0x4cfc, {0xbd, 0x3e, 0x73, 0xe6, 0x15, 0x45, 0x72, 0xdd}};

// Registers (enable) or deletes the task on the calling thread.
HRESULT ChangeTask(bool enable, const std::string& installDir) {
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
  // The principal is the group in the definition: no user of this process is named.
  Bstr xml(BuildLogonTaskXml(installDir).c_str());
  ComRef<IRegisteredTask> task;
  return folder->RegisterTask(name.Get(), xml.Get(), TASK_CREATE_OR_UPDATE, none.v, none.v, TASK_LOGON_GROUP, none.v,
                              task.Out());
}

#ifdef ZEPHAL_TEST_HOOKS
// Test builds only: ZEPHAL_TEST_TASK_DELAY_MS makes every change of the task
// this much slower (at most 20 s), to see the client while one runs.
void TestDelay() {
  char text[16] = "";
  if (!GetEnvironmentVariableA("ZEPHAL_TEST_TASK_DELAY_MS", text, sizeof text)) return;
  const DWORD ms = std::min<DWORD>(std::strtoul(text, nullptr, 10), 20000);
  MsgBox(kReportDetail, "TASK: test delay of %lu ms before the change", static_cast<unsigned long>(ms));
  Sleep(ms);
}
#else
void TestDelay() {}
#endif

// The one change running, and the one wanted after it.
struct TaskRequests {
  std::mutex lock;
  bool running = false;
  bool enable = false;
  std::string installDir;
  HWND notify = nullptr;
};
TaskRequests requests;

DWORD WINAPI TaskThread(LPVOID) {
  for (;;) {
    bool enable;
    std::string installDir;
    {
      std::lock_guard<std::mutex> hold(requests.lock);
      enable = requests.enable;
      installDir = requests.installDir;
    }
    TestDelay();
    const HRESULT hr = ChangeTask(enable, installDir);
    HWND notify;
    {
      std::lock_guard<std::mutex> hold(requests.lock);
      // Switched again meanwhile: the last switch is what the task must end as.
      if (requests.enable != enable) continue;
      requests.running = false;
      notify = requests.notify;
    }
    if (!notify || !PostMessageA(notify, WMU_TASK_DONE, enable ? 1 : 0, static_cast<LPARAM>(hr)))
      ReportLogonTaskDone(enable ? 1 : 0, static_cast<LPARAM>(hr));
    break;
  }
  JobEnds();
  return 0;
}

}  // namespace

void RequestLogonTask(bool enable, const char* installDir, HWND notify) {
  // Without its GBK form (start-up has said why) the task would start a program of no directory.
  if (enable && (!installDir || !*installDir)) return;
  {
    std::lock_guard<std::mutex> hold(requests.lock);
    requests.enable = enable;
    requests.installDir = installDir ? installDir : "";
    requests.notify = notify;
    if (requests.running) return;  // the running thread makes this change next
    requests.running = true;
  }
  JobBegins();
  HANDLE thread = CreateThread(nullptr, 0, TaskThread, nullptr, 0, nullptr);
  if (thread) {
    CloseHandle(thread);
    return;
  }
  JobEnds();
  {
    std::lock_guard<std::mutex> hold(requests.lock);
    requests.running = false;
  }
  MsgBox(kReportFailure, "TASK: couldn't start a thread for the log-on task (code=%lu).", GetLastError());
}

void ReportLogonTaskDone(WPARAM enable, LPARAM result) {
  const HRESULT hr = static_cast<HRESULT>(result);
  if (hr == REGDB_E_CLASSNOTREG) {
    // Before Vista: no Task Scheduler 2.0, and no UAC to keep the Run entry from working.
    if (enable) MsgBox(kReportDetail, "TASK: no Task Scheduler 2.0 here; the Run entry alone starts the client");
    return;
  }
  if (FAILED(hr)) {
    MsgBox(kReportFailure, "TASK: couldn't %s the log-on task %s (0x%08lX).", enable ? "register" : "delete",
           kLogonTaskName, static_cast<unsigned long>(hr));
    return;
  }
  if (enable)
    MsgBox(kReportDetail, "TASK: log-on task %s registered for %s", kLogonTaskName, kLogonTaskGroup);
  else
    MsgBox(kReportDetail, "TASK: log-on task %s deleted", kLogonTaskName);
}
