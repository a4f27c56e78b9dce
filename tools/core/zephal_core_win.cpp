// Stand-in for the closed core library Zephal_Core.dll: its ten exported
// functions. By default it behaves like a healthy service; "core-scenario.txt"
// beside the DLL scripts other behaviour (SCENARIO.md, played by player_win.cpp),
// and "core-calls.log" beside it records every call received and every
// callback made (call_log_win.cpp).
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "base/codes.h"
#include "call_log_win.h"
#include "coreapi/core_api.h"
#include "coreapi/core_records.h"
#include "player_win.h"
#include "scenario.h"

using core_scenario::Anchor;
using core_scenario::Conflict;
using core_scenario::Scenario;
using core_stand_in::After;
using core_stand_in::ApplyState;
using core_stand_in::CallbackGate;
using core_stand_in::callLog;
using core_stand_in::Clock;
using core_stand_in::CurrentSession;
using core_stand_in::DropConnectionEvents;
using core_stand_in::EndCurrentSession;
using core_stand_in::EndSession;
using core_stand_in::FillEntries;
using core_stand_in::HangQuery;
using core_stand_in::HoldStop;
using core_stand_in::Hex;
using core_stand_in::kMessageLine;
using core_stand_in::kStatusLine;
using core_stand_in::LoadScenario;
using core_stand_in::MakeUpDate;
using core_stand_in::ModuleDirectory;
using core_stand_in::Query;
using core_stand_in::ReplaceCurrentSession;
using core_stand_in::ScheduleIdle;
using core_stand_in::ScheduleLoginOutcome;
using core_stand_in::ScheduleScripted;
using core_stand_in::ScheduleState;
using core_stand_in::Serves;
using core_stand_in::Session;
using core_stand_in::StartLine;

namespace {

constexpr uint32_t kDllVersion = 0x10100007;    // 1.1.0.0007
constexpr uint32_t kCoreVersion = 0x10200011;   // 1.2.0.0017
constexpr uint32_t kWindowsError = 0x50000207;  // no threads

const char kScenarioName[] = "core-scenario.txt";

}  // namespace

extern "C" {

uint32_t ZEPHAL_CDECL Zephal_Init(CoreInitRecord* record, CoreMessageCallback onMessage, CoreStatusCallback onStatus) {
  const std::string scenarioPath = ModuleDirectory() + kScenarioName;
  bool found = false;
  Scenario scenario = LoadScenario(scenarioPath, &found);
  callLog.Enable(scenario.callLog);
  callLog.Write("scenario %s: %s", scenarioPath.c_str(), found ? "read" : "none, a healthy core");
  for (const core_scenario::Issue& issue : scenario.issues) {
    callLog.Write("scenario line %d: %s", issue.line, issue.what.c_str());
  }
  EndCurrentSession("Zephal_Init");  // initialised twice without Zephal_Clear: start afresh

  const std::string args = "record=" + Hex(record, sizeof(CoreInitRecord));
  const uint32_t result = scenario.initResult;
  if (result > 4) {
    // The core did not come up: no threads, no callbacks.
    callLog.Write("Zephal_Init %s onMessage=%p onStatus=%p -> 0x%08X", args.c_str(), reinterpret_cast<void*>(onMessage),
                  reinterpret_cast<void*>(onStatus), static_cast<unsigned>(result));
    return result;
  }

  auto session = std::make_shared<Session>();
  Session& s = *session;
  // Held until this call is logged, so the threads' first reports come after it.
  std::unique_lock<std::mutex> hold(s.lock);
  s.onMessage = onMessage;
  s.onStatus = onStatus;
  s.scenario = std::move(scenario);
  s.closed.assign(s.scenario.conflicts.size(), false);
  s.entries.resize(s.scenario.conflicts.size());
  FillEntries(s);
  if (s.scenario.accountDateSet) {
    std::memcpy(s.date, s.scenario.accountDate.data(), std::min(s.scenario.accountDate.size(), sizeof s.date));
  } else {
    MakeUpDate(s.date);
  }

  // 1 to 4: the core was already in that state; the client applies it itself.
  const Clock::time_point now = Clock::now();
  if (result != 0) ApplyState(s, static_cast<int32_t>(result));
  if (result == 2) ScheduleLoginOutcome(s, now, true);
  if (result == 4) ScheduleIdle(s, now);
  ScheduleScripted(s, Anchor::Init, now);
  if (s.scenario.queryHangSet && s.scenario.queryHangAnchor == Anchor::Init)
    s.queryHangFrom = After(now, s.scenario.queryHangMs);

  if (!StartLine(session, kStatusLine) || !StartLine(session, kMessageLine)) {
    const DWORD error = GetLastError();
    hold.unlock();
    EndSession(s, "Zephal_Init");
    callLog.Write("Zephal_Init %s -> 0x%08X (no threads: error %lu)", args.c_str(),
                  static_cast<unsigned>(kWindowsError), error);
    return kWindowsError;
  }
  // From a Zephal_Init on another thread at the same time.
  const std::shared_ptr<Session> displaced = ReplaceCurrentSession(session);
  callLog.Write("Zephal_Init %s onMessage=%p onStatus=%p -> 0x%08X", args.c_str(), reinterpret_cast<void*>(onMessage),
                reinterpret_cast<void*>(onStatus), static_cast<unsigned>(result));
  hold.unlock();
  if (displaced) EndSession(*displaced, "Zephal_Init");
  return result;
}

uint32_t ZEPHAL_CDECL Zephal_Start(CoreStartRecord* record, uint32_t reserved) {
  const std::string args = "record=" + Hex(record, sizeof(CoreStartRecord));
  const std::shared_ptr<Session> session = CurrentSession();
  if (!session) {
    callLog.Write("Zephal_Start %s reserved=%u -> 0x%08X (not initialised)", args.c_str(),
                  static_cast<unsigned>(reserved), static_cast<unsigned>(kCoreServiceStopped));
    return kCoreServiceStopped;
  }
  {
    const CallbackGate gate(session.get(), "Zephal_Start");
    std::lock_guard<std::mutex> hold(session->lock);
    Session& s = *session;
    bool accepted = true;
    if (s.scenario.passwordSet) {
      accepted = record && std::string(record->password, strnlen(record->password, sizeof record->password)) ==
                               s.scenario.password;
    }
    const Clock::time_point now = Clock::now();
    DropConnectionEvents(s);
    ScheduleState(s, now, true, 2);
    ScheduleLoginOutcome(s, now, accepted);
    ScheduleScripted(s, Anchor::Start, now);
    if (s.scenario.queryHangSet && s.scenario.queryHangAnchor == Anchor::Start)
      s.queryHangFrom = After(now, s.scenario.queryHangMs);
    callLog.Write("Zephal_Start %s reserved=%u -> 0%s", args.c_str(), static_cast<unsigned>(reserved),
                  accepted ? "" : " (password refused)");
  }
  session->wake.notify_all();
  return 0;
}

// The client calls this both with no arguments and with (its state record, 2);
// under cdecl the caller cleans the stack, so both are safe. The values are only
// logged, and mean nothing in the no-argument form.
uint32_t ZEPHAL_CDECL Zephal_Stop(void* context, uint32_t reason) {
  const std::shared_ptr<Session> session = CurrentSession();
  if (!session) {
    callLog.Write("Zephal_Stop context=%p reason=%u -> 0x%08X (not initialised)", context,
                  static_cast<unsigned>(reason), static_cast<unsigned>(kCoreServiceStopped));
    return kCoreServiceStopped;
  }
  {
    const CallbackGate gate(session.get(), "Zephal_Stop");
    std::lock_guard<std::mutex> hold(session->lock);
    Session& s = *session;
    const Clock::time_point now = Clock::now();
    DropConnectionEvents(s);
    ScheduleState(s, now, true, 4);
    ScheduleIdle(s, now);
    callLog.Write("Zephal_Stop context=%p reason=%u -> 0", context, static_cast<unsigned>(reason));
  }
  session->wake.notify_all();
  HoldStop(*session);
  return 0;
}

uint32_t ZEPHAL_CDECL Zephal_Clear(void) {
  // What a client must never do: release the core beside a stop of its own.
  if (const std::shared_ptr<Session> session = CurrentSession())
    if (session->stopsHeld > 0) callLog.Write("Zephal_Clear called while a Zephal_Stop still runs");
  callLog.Write("Zephal_Clear -> 0");
  EndCurrentSession("Zephal_Clear");
  return 0;
}

uint32_t ZEPHAL_CDECL Zephal_Get_QueryData(CoreQueryRecord* record) {
  if (!record) {
    callLog.Write("Zephal_Get_QueryData record=null -> 1");
    return 1;
  }
  CoreQueryRecord q;
  std::memset(&q, 0, sizeof q);
  if (const std::shared_ptr<Session> session = CurrentSession()) {
    HangQuery(*session);
    const CallbackGate gate(session.get(), "Zephal_Get_QueryData");
    std::lock_guard<std::mutex> hold(session->lock);
    q = Query(*session);
  }
  std::memcpy(record, &q, sizeof q);
  callLog.Write("Zephal_Get_QueryData record=%s -> 0", Hex(&q, sizeof q).c_str());
  return 0;
}

int32_t ZEPHAL_CDECL Zephal_Proc_GetCount(void) {
  int32_t count = 0;
  if (const std::shared_ptr<Session> session = CurrentSession()) {
    const CallbackGate gate(session.get(), "Zephal_Proc_GetCount");
    std::lock_guard<std::mutex> hold(session->lock);
    count = session->entryCount;
  }
  callLog.Write("Zephal_Proc_GetCount -> %d", static_cast<int>(count));
  return count;
}

// The address stays valid until Zephal_Clear; the entries behind it change only
// on the message thread, before a conflict message, and in Zephal_Proc_Kill.
void* ZEPHAL_CDECL Zephal_Proc_GetInfo(void) {
  void* entries = nullptr;
  if (const std::shared_ptr<Session> session = CurrentSession()) {
    const CallbackGate gate(session.get(), "Zephal_Proc_GetInfo");
    std::lock_guard<std::mutex> hold(session->lock);
    if (session->entryCount > 0) entries = session->entries.data();
  }
  callLog.Write("Zephal_Proc_GetInfo -> %p", entries);
  return entries;
}

// Closes (forgets) every entry on the list; unclosable ones too, if asked.
uint32_t ZEPHAL_CDECL Zephal_Proc_Kill(void) {
  callLog.Write("Zephal_Proc_Kill -> 0");
  const std::shared_ptr<Session> session = CurrentSession();
  if (!session) return 0;
  const CallbackGate gate(session.get(), "Zephal_Proc_Kill");
  std::lock_guard<std::mutex> hold(session->lock);
  Session& s = *session;
  const std::vector<Conflict>& all = s.scenario.conflicts;
  for (size_t i = 0; i < all.size(); ++i) {
    if (s.closed[i] || !Serves(s.served, all[i])) continue;
    s.closed[i] = true;
    callLog.Write("kill %d %s (%s)", static_cast<int>(all[i].processId), all[i].program.c_str(),
                  all[i].displayName.c_str());
  }
  s.entryCount = 0;
  return 0;
}

uint32_t ZEPHAL_CDECL Zephal_GetDllVersion(void) {
  callLog.Write("Zephal_GetDllVersion -> 0x%08X", static_cast<unsigned>(kDllVersion));
  return kDllVersion;
}

uint32_t ZEPHAL_CDECL Zephal_GetCoreVersion(void) {
  callLog.Write("Zephal_GetCoreVersion -> 0x%08X", static_cast<unsigned>(kCoreVersion));
  return kCoreVersion;
}

}  // extern "C"