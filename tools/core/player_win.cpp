#include "player_win.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>
#include <thread>

#include "base/codes.h"

namespace core_stand_in {

using core_scenario::Anchor;
using core_scenario::Conflict;
using core_scenario::kNever;
using core_scenario::Scenario;

namespace {

constexpr uint32_t kAccountId = 770023;
constexpr int kDefaultDateDaysAhead = 180;
// Traffic ramps up over the first seconds of a connection to these rates.
constexpr double kRampSeconds = 20.0;
constexpr double kSendPeak = 24.0;  // units of 1024 bytes per second
constexpr double kReceivePeak = 96.0;

// A text handed over without a terminator, its last byte right before a page
// the process may not read: a reader that runs past it faults at once.
class GuardedText {
 public:
  explicit GuardedText(const std::string& text) {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    const size_t page = info.dwPageSize;
    size_ = (text.size() + page - 1) / page * page + page;
    base_ = static_cast<char*>(VirtualAlloc(nullptr, size_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    if (!base_) return;
    DWORD old;
    if (!VirtualProtect(base_ + size_ - page, page, PAGE_NOACCESS, &old)) return;
    text_ = base_ + size_ - page - text.size();
    std::memcpy(text_, text.data(), text.size());
  }
  ~GuardedText() {
    if (base_) VirtualFree(base_, 0, MEM_RELEASE);
  }
  GuardedText(const GuardedText&) = delete;
  GuardedText& operator=(const GuardedText&) = delete;
  const char* text() const { return text_; }  // null when it could not be set up

 private:
  char* base_ = nullptr;
  size_t size_ = 0;
  char* text_ = nullptr;
};

const char* const kLineNames[kLineCount] = {"status", "message"};

std::mutex sessionLock;
std::shared_ptr<Session> currentSession;

}  // namespace

std::shared_ptr<Session> CurrentSession() {
  std::lock_guard<std::mutex> hold(sessionLock);
  return currentSession;
}

std::shared_ptr<Session> ReplaceCurrentSession(std::shared_ptr<Session> session) {
  std::lock_guard<std::mutex> hold(sessionLock);
  currentSession.swap(session);
  return session;
}

Scenario LoadScenario(const std::string& path, bool* found) {
  std::ifstream file(path, std::ios::binary);
  *found = static_cast<bool>(file);
  if (!*found) return Scenario{};
  std::ostringstream text;
  text << file.rdbuf();
  return core_scenario::ParseScenario(text.str());
}

// Session functions below run with session.lock held.

bool Serves(Served served, const Conflict& conflict) {
  return served == Served::All || conflict.closable == (served == Served::Closable);
}

void FillEntries(Session& s) {
  s.entryCount = 0;
  const std::vector<Conflict>& all = s.scenario.conflicts;
  for (size_t i = 0; i < all.size(); ++i) {
    if (s.closed[i] || !Serves(s.served, all[i])) continue;
    ConflictEntry& entry = s.entries[static_cast<size_t>(s.entryCount++)];
    std::memset(&entry, 0, sizeof entry);
    entry.processId = all[i].processId;
    std::memcpy(entry.program, all[i].program.data(), std::min(all[i].program.size(), sizeof entry.program - 1));
    std::memcpy(entry.displayName, all[i].displayName.data(),
                std::min(all[i].displayName.size(), sizeof entry.displayName - 1));
  }
}

void ApplyState(Session& s, int32_t state) {
  if (state == RUN_CONNECTED && !s.connected) {
    s.connected = true;
    s.connectedAt = Clock::now();
    s.startTime = static_cast<uint32_t>(std::time(nullptr));
  } else if (state == RUN_IDLE) {
    s.connected = false;
  }
}

// A conflict message tells the client to look at the list: it then holds the
// entries of the kind that message is about.
void ApplyMessage(Session& s, uint32_t code) {
  if (code != kCoreClosableConflicts && code != kCoreUnclosableConflicts) return;
  s.served = code == kCoreClosableConflicts ? Served::Closable : Served::Unclosable;
  FillEntries(s);
}

void ScheduleState(Session& s, Clock::time_point at, bool ofConnection, int32_t state, uint64_t afterMessage,
                   std::shared_ptr<const core_scenario::StateStorm> storm) {
  s.queues[kStatusLine].emplace(at, Event{ofConnection, state, 0, {}, 0, afterMessage, false, std::move(storm)});
}

uint64_t ScheduleMessage(Session& s, Clock::time_point at, bool ofConnection, uint32_t code, const std::string& text,
                         bool unterminated = false) {
  const uint64_t id = ++s.lastMessageId;
  s.queues[kMessageLine].emplace(at, Event{ofConnection, 0, code, text, id, 0, unterminated, nullptr});
  return id;
}

bool MessagePending(const Session& s, uint64_t id) {
  for (const auto& entry : s.queues[kMessageLine]) {
    if (entry.second.id == id) return true;
  }
  return false;
}

Clock::time_point After(Clock::time_point base, uint32_t ms) { return base + std::chrono::milliseconds(ms); }

void DropConnectionEvents(Session& s) {
  for (Queue& queue : s.queues) {
    for (auto it = queue.begin(); it != queue.end();) it = it->second.ofConnection ? queue.erase(it) : std::next(it);
  }
}

void ScheduleScripted(Session& s, Anchor anchor, Clock::time_point base) {
  const bool ofConnection = anchor == Anchor::Start;
  for (const core_scenario::TimedEvent& e : s.scenario.events) {
    if (e.anchor != anchor) continue;
    if (e.isStorm) {
      ScheduleState(s, After(base, e.atMs), ofConnection, e.state, 0,
                    std::make_shared<const core_scenario::StateStorm>(e.storm));
    } else if (e.isState) {
      ScheduleState(s, After(base, e.atMs), ofConnection, e.state);
    } else if (e.unterminatedSize > 0) {
      ScheduleMessage(s, After(base, e.atMs), ofConnection, e.code,
                      core_scenario::RepeatToSize(e.text, e.unterminatedSize), true);
    } else {
      ScheduleMessage(s, After(base, e.atMs), ofConnection, e.code, e.text);
    }
  }
}

void ScheduleLoginOutcome(Session& s, Clock::time_point base, bool passwordAccepted) {
  const Scenario& sc = s.scenario;
  if (sc.connectDelayMs == kNever) return;
  const Clock::time_point at = After(base, sc.connectDelayMs);
  if (sc.loginFails || !passwordAccepted) {
    const uint64_t message = ScheduleMessage(s, at, true, sc.loginFailCode, sc.loginFailText);
    ScheduleState(s, at, true, 1, message);
  } else {
    ScheduleState(s, at, true, 3);
  }
}

void ScheduleIdle(Session& s, Clock::time_point base) {
  if (s.scenario.stopDelayMs != kNever) ScheduleState(s, After(base, s.scenario.stopDelayMs), true, 1);
}

double Rate(double seconds, double peak) { return peak * std::min(seconds, kRampSeconds) / kRampSeconds; }

// Bytes carried so far at Rate: the area under the ramp, then the plateau.
uint32_t Traffic(double seconds, double peak) {
  const double ramp = std::min(seconds, kRampSeconds);
  const double units = peak * (ramp * ramp / (2 * kRampSeconds) + std::max(0.0, seconds - kRampSeconds));
  return static_cast<uint32_t>(static_cast<uint64_t>(units * 1024.0));  // wraps like a real 32-bit counter
}

CoreQueryRecord Query(const Session& s) {
  CoreQueryRecord q;
  std::memset(&q, 0, sizeof q);
  q.id = kAccountId;
  q.status = s.scenario.accountStatus;
  q.minutesLeft = s.scenario.minutesLeft;
  std::memcpy(q.date, s.date, sizeof q.date);
  if (s.connected) {
    const std::string& ip = s.scenario.address;
    std::memcpy(q.ip, ip.data(), std::min(ip.size(), sizeof q.ip));
    q.startTime = s.startTime;
    const double seconds = std::chrono::duration<double>(Clock::now() - s.connectedAt).count();
    q.connectedSeconds = static_cast<uint32_t>(seconds);
    q.bytesSent = Traffic(seconds, kSendPeak);
    q.bytesReceived = Traffic(seconds, kReceivePeak);
    q.sendRate = static_cast<float>(Rate(seconds, kSendPeak));
    q.receiveRate = static_cast<float>(Rate(seconds, kReceivePeak));
  }
  return q;
}

// `state-storm`: threads of their own report states at once, each at its
// rate, until the storm's time is up or the session closes. Runs on the status
// thread with no lock held, which waits for them all.
void RunStorm(Session& s, const core_scenario::StateStorm& storm) {
  const Clock::time_point end = After(Clock::now(), storm.durationMs);
  const auto period = std::chrono::microseconds(1000000 / storm.perSecond);
  std::atomic<uint32_t> reports{0};
  std::vector<std::thread> threads;
  for (uint32_t t = 0; t < storm.threads; ++t) {
    threads.emplace_back([&s, &storm, &reports, end, period, t] {
      Clock::time_point next = Clock::now();
      for (size_t i = t; Clock::now() < end; ++i) {
        const int32_t state = storm.states[i % storm.states.size()];
        CoreStatusCallback onStatus;
        {
          std::lock_guard<std::mutex> hold(s.lock);
          if (s.closing) return;
          ApplyState(s, state);
          onStatus = s.onStatus;
        }
        if (onStatus) onStatus(state);
        ++reports;
        next += period;
        std::this_thread::sleep_until(next);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  callLog.Write("state-storm: %u threads made %u reports in %u ms", static_cast<unsigned>(storm.threads),
                static_cast<unsigned>(reports.load()), static_cast<unsigned>(storm.durationMs));
}

// Makes a callback, under the callback lock when the scenario asks for it.
// A session closed while the lock was awaited makes no callback any more.
template <typename Call>
void LockedCallback(Session& s, Call call) {
  if (!s.scenario.callbackLock) {
    call();
    return;
  }
  std::lock_guard<std::recursive_mutex> gate(s.callbackLock);
  {
    std::lock_guard<std::mutex> hold(s.lock);
    if (s.closing) return;
  }
  s.callbackThread = GetCurrentThreadId();
  call();
  s.callbackThread = 0;
}

// A line thread: waits for its next report to fall due and makes the callback
// with no lock held. The log line is written before the lock is let go, so the
// log shows reports in the order the core made them.
void RunLine(Session& s, Line line) {
  std::unique_lock<std::mutex> hold(s.lock);
  Queue& queue = s.queues[line];
  while (!s.closing) {
    if (queue.empty()) {
      s.wake.wait(hold);
      continue;
    }
    const auto first = queue.begin();
    if (first->first > Clock::now()) {
      s.wake.wait_until(hold, first->first);
      continue;
    }
    if (first->second.after != 0 && MessagePending(s, first->second.after)) {
      s.wake.wait(hold);
      continue;
    }
    const Event event = std::move(first->second);
    queue.erase(first);
    if (event.storm) {
      hold.unlock();
      RunStorm(s, *event.storm);
      hold.lock();
      if (s.closing) break;
    }
    // The core's own view changes before the client hears of it, so calls made
    // from inside the callback already see it.
    if (line == kStatusLine) {
      ApplyState(s, event.state);
      const CoreStatusCallback onStatus = s.onStatus;
      callLog.Write("status %d", static_cast<int>(event.state));
      hold.unlock();
      LockedCallback(s, [&] {
        if (onStatus) onStatus(event.state);
      });
    } else {
      ApplyMessage(s, event.code);
      const CoreMessageCallback onMessage = s.onMessage;
      std::unique_ptr<GuardedText> guarded;
      if (event.unterminated) {
        guarded = std::make_unique<GuardedText>(event.text);
        callLog.Write("message 0x%08X (%u bytes without a terminator%s)", static_cast<unsigned>(event.code),
                      static_cast<unsigned>(event.text.size()),
                      guarded->text() ? ", an unreadable page after them" : "; no guard page: not sent");
      } else {
        callLog.Write("message 0x%08X%s%s", static_cast<unsigned>(event.code), event.text.empty() ? "" : " ",
                      event.text.c_str());
      }
      hold.unlock();
      s.wake.notify_all();  // a state report may be waiting for this message
      const char* text = event.unterminated ? guarded->text() : event.text.c_str();
      LockedCallback(s, [&] {
        if (onMessage && text) onMessage(event.code, text);
      });
    }
    hold.lock();
  }
}

struct LineStart {
  std::shared_ptr<Session> session;
  Line line;
  HMODULE module;  // a reference that keeps the DLL loaded while the thread runs
};

DWORD WINAPI LineThread(void* param) {
  auto* start = static_cast<LineStart*>(param);
  const HMODULE module = start->module;
  RunLine(*start->session, start->line);
  delete start;  // may free the session: must happen while the DLL is still there
  FreeLibraryAndExitThread(module, 0);
}

bool StartLine(const std::shared_ptr<Session>& session, Line line) {
  const HMODULE module = ThisModule(true);
  if (!module) return false;
  auto* start = new LineStart{session, line, module};
  DWORD id = 0;
  const HANDLE thread = CreateThread(nullptr, 0, LineThread, start, 0, &id);
  if (!thread) {
    delete start;
    FreeLibrary(module);
    return false;
  }
  session->threads[line] = thread;
  session->threadIds[line] = id;
  return true;
}

// Stops the session's threads and forgets its callbacks. Waits a bounded time
// for a callback still running: it may sit in a message box or wait on the very
// thread calling here (a SendMessage to the window being destroyed), and an
// endless wait would hang the client's exit. A thread never waits for itself
// (Zephal_Clear called from inside a callback).
void EndSession(Session& s, const char* caller) {
  {
    std::lock_guard<std::mutex> hold(s.lock);
    s.closing = true;
    s.onMessage = nullptr;
    s.onStatus = nullptr;
    for (Queue& queue : s.queues) queue.clear();
  }
  s.wake.notify_all();
  if (s.cleared) SetEvent(s.cleared);
  // `clear-wait forever`: a core that joins its threads however long they take.
  const DWORD bound = s.scenario.clearWaitMs == kNever ? INFINITE : s.scenario.clearWaitMs;
  const DWORD self = GetCurrentThreadId();
  const DWORD began = GetTickCount();
  for (int line = 0; line < kLineCount; ++line) {
    const HANDLE thread = s.threads[line];
    if (!thread) continue;
    if (s.threadIds[line] == self) {
      callLog.Write("%s: called from the %s thread's callback, which ends when it returns", caller, kLineNames[line]);
    } else {
      const DWORD spent = GetTickCount() - began;
      const DWORD left = bound == INFINITE ? INFINITE : spent < bound ? bound - spent : 0;
      if (bound == INFINITE && WaitForSingleObject(thread, 0) == WAIT_TIMEOUT)
        callLog.Write("%s waits for the %s thread to end", caller, kLineNames[line]);
      if (WaitForSingleObject(thread, left) == WAIT_TIMEOUT) {
        callLog.Write("%s: the %s thread is still in a callback after %lu ms; left to end when it returns", caller,
                      kLineNames[line], static_cast<unsigned long>(bound));
      }
    }
    CloseHandle(thread);
    s.threads[line] = nullptr;
  }
}

void EndCurrentSession(const char* caller) {
  std::shared_ptr<Session> session;
  {
    std::lock_guard<std::mutex> hold(sessionLock);
    session.swap(currentSession);
  }
  if (session) EndSession(*session, caller);
}

// `query-hang`: a query made from the scenario's moment on returns only once
// Zephal_Clear has closed the session (at most kMostQueryHangMs later). No
// lock is held meanwhile: only the calling thread hangs.
void HangQuery(Session& s) {
  Clock::time_point from;
  {
    std::lock_guard<std::mutex> hold(s.lock);
    from = s.queryHangFrom;
  }
  if (Clock::now() < from || !s.cleared) return;
  callLog.Write("Zephal_Get_QueryData hangs until Zephal_Clear");
  const bool released = WaitForSingleObject(s.cleared, core_scenario::kMostQueryHangMs) == WAIT_OBJECT_0;
  callLog.Write("Zephal_Get_QueryData %s", released ? "released by Zephal_Clear" : "gave up hanging");
}

// `stop-return`: the stop's reports are scheduled already; only the caller
// waits, without any lock, so the core goes on reporting meanwhile.
void HoldStop(Session& s) {
  const uint32_t ms = s.scenario.stopReturnMs;
  if (ms == 0) return;
  ++s.stopsHeld;
  if (ms == core_scenario::kNever)
    callLog.Write("Zephal_Stop holds its caller and does not return");
  else
    callLog.Write("Zephal_Stop holds its caller for %u ms", static_cast<unsigned>(ms));
  Sleep(ms == core_scenario::kNever ? core_scenario::kMostQueryHangMs : ms);
  --s.stopsHeld;
  callLog.Write("Zephal_Stop returns");
}

void MakeUpDate(char (&date)[core_scenario::kDateSize]) {
  const std::time_t then = std::time(nullptr) + static_cast<std::time_t>(kDefaultDateDaysAhead) * 86400;
  const std::tm* local = std::localtime(&then);
  char text[32] = "2099-12-31";
  if (local) {
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", local->tm_year + 1900, local->tm_mon + 1, local->tm_mday);
  }
  std::memset(date, 0, sizeof date);
  std::memcpy(date, text, std::min(std::strlen(text), sizeof date));
}

}  // namespace core_stand_in
