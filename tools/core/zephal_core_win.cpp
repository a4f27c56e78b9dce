// Stand-in for the closed core library Zephal_Core.dll. By default it behaves
// like a healthy service; "core-scenario.txt" beside the DLL scripts other
// behaviour (SCENARIO.md), and "core-calls.log" beside it records every call
// received and every callback made.
//
// Threads: each session (Zephal_Init to Zephal_Clear) runs two threads of its
// own, one reporting states and one sending messages, each in order. Neither
// holds a lock while it calls back, so a callback may block in a message box
// while the client calls in from any thread, also from inside the callback.
// Two threads rather than one because the client stops the connection from
// inside a message callback (an upgrade demand ends the client) and then
// waits for state 1, which must not queue behind that very callback.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "coreapi/core_api.h"
#include "coreapi/core_records.h"
#include "scenario.h"

namespace {

using Clock = std::chrono::steady_clock;
using core_scenario::Anchor;
using core_scenario::Conflict;
using core_scenario::kNever;
using core_scenario::Scenario;

constexpr uint32_t kDllVersion = 0x10100007;    // 1.1.0.0007
constexpr uint32_t kCoreVersion = 0x10200011;   // 1.2.0.0017
constexpr uint32_t kNotRunning = 0x501A0A01;    // the service is not started
constexpr uint32_t kWindowsError = 0x50000207;  // no threads
constexpr uint32_t kClosableConflicts = 0x30170004;
constexpr uint32_t kUnclosableConflicts = 0x50170005;
constexpr uint32_t kAccountId = 770023;
constexpr int kDefaultDateDaysAhead = 180;
// Traffic ramps up over the first seconds of a connection to these rates.
constexpr double kRampSeconds = 20.0;
constexpr double kSendPeak = 24.0;  // units of 1024 bytes per second
constexpr double kReceivePeak = 96.0;

const char kScenarioName[] = "core-scenario.txt";
const char kLogName[] = "core-calls.log";

// Any address inside this module, to find the module by.
const char kModuleAnchor = 0;

HMODULE ThisModule(bool addReference) {
  HMODULE module = nullptr;
  DWORD flags = GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS;
  if (!addReference) flags |= GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT;
  if (!GetModuleHandleExA(flags, &kModuleAnchor, &module)) return nullptr;
  return module;
}

// The DLL's own directory with a trailing separator; empty if unknown.
std::string ModuleDirectory() {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(ThisModule(false), path, sizeof path);
  if (n == 0 || n >= sizeof path) return {};
  std::string dir(path, n);
  const size_t slash = dir.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : dir.substr(0, slash + 1);
}

std::string Hex(const void* data, size_t size) {
  if (!data) return "null";
  static const char kDigits[] = "0123456789abcdef";
  const auto* bytes = static_cast<const unsigned char*>(data);
  std::string text;
  text.reserve(size * 2);
  for (size_t i = 0; i < size; ++i) {
    text.push_back(kDigits[bytes[i] >> 4]);
    text.push_back(kDigits[bytes[i] & 0xF]);
  }
  return text;
}

// "core-calls.log": one line per call and per callback, written straight to the
// file so a test reading it (shared) sees every line at once. Opened on the
// first line of the process, emptying what an earlier process left.
class CallLog {
 public:
  ~CallLog() {
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
  }

  void Enable(bool on) {
    std::lock_guard<std::mutex> hold(lock_);
    enabled_ = on;
    if (!on && file_ != INVALID_HANDLE_VALUE) {
      CloseHandle(file_);
      file_ = INVALID_HANDLE_VALUE;
    }
  }

  void __attribute__((format(gnu_printf, 2, 3))) Write(const char* format, ...) {
    std::lock_guard<std::mutex> hold(lock_);
    if (!enabled_ || !Open()) return;
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - origin_).count();
    char head[48];
    std::snprintf(head, sizeof head, "%7lu.%03lu [%5lu] ", static_cast<unsigned long>(ms / 1000),
                  static_cast<unsigned long>(ms % 1000), GetCurrentThreadId());
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int n = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string line(head);
    if (n > 0) {
      std::string body(static_cast<size_t>(n) + 1, '\0');
      std::vsnprintf(&body[0], body.size(), format, again);
      body.pop_back();
      line += body;
    }
    va_end(again);
    line += "\r\n";
    DWORD written;
    WriteFile(file_, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  }

 private:
  bool Open() {
    if (file_ != INVALID_HANDLE_VALUE) return true;
    if (failed_) return false;
    const std::string path = ModuleDirectory() + kLogName;
    file_ = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                        opened_ ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file_ == INVALID_HANDLE_VALUE) {
      failed_ = true;  // a read-only directory: run without a log rather than retry per line
      return false;
    }
    if (!opened_) origin_ = Clock::now();
    opened_ = true;
    return true;
  }

  std::mutex lock_;
  HANDLE file_ = INVALID_HANDLE_VALUE;
  bool enabled_ = true;  // until a scenario says "calllog off"
  bool opened_ = false;
  bool failed_ = false;
  Clock::time_point origin_;
};

CallLog callLog;

// One report waiting for its time.
struct Event {
  bool ofConnection;  // dropped by the next Zephal_Start or Zephal_Stop
  int32_t state;      // status thread
  uint32_t code;      // message thread
  std::string text;
  uint64_t id;     // message thread: for a state report to wait on
  uint64_t after;  // status thread: not before this message has gone out
  bool unterminated = false;  // message thread: the text goes out without its terminator
  std::shared_ptr<const core_scenario::StateStorm> storm;  // status thread: a storm, then `state`
};

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

using Queue = std::multimap<Clock::time_point, Event>;  // keeps equal times in scheduling order

enum Line { kStatusLine, kMessageLine, kLineCount };
const char* const kLineNames[kLineCount] = {"status", "message"};

// Which conflict entries the client is shown: all until a conflict message
// names one kind.
enum class Served { All, Closable, Unclosable };

// Everything from Zephal_Init to Zephal_Clear. Shared with the two threads,
// which may outlive Zephal_Clear when a callback of theirs does not return.
struct Session {
  Session() : cleared(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
  ~Session() {
    if (cleared) CloseHandle(cleared);
  }
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  std::mutex lock;
  // `callback-lock on`: held across each callback and taken by each call
  // before `lock`. Recursive, so a callback may call in on its own thread.
  std::recursive_mutex callbackLock;
  std::atomic<DWORD> callbackThread{0};  // the thread in a locked callback, for the log
  HANDLE cleared;                        // set by Zephal_Clear; a hung query waits for it
  Clock::time_point queryHangFrom = Clock::time_point::max();
  std::condition_variable wake;
  bool closing = false;
  CoreMessageCallback onMessage = nullptr;
  CoreStatusCallback onStatus = nullptr;
  Scenario scenario;
  Queue queues[kLineCount];
  HANDLE threads[kLineCount] = {};
  DWORD threadIds[kLineCount] = {};
  uint64_t lastMessageId = 0;

  bool connected = false;  // from state 3 until state 1: the query record has the connection
  Clock::time_point connectedAt;
  uint32_t startTime = 0;
  char date[core_scenario::kDateSize] = {};

  std::vector<bool> closed;  // per scenario conflict, set by Zephal_Proc_Kill
  Served served = Served::All;
  std::vector<ConflictEntry> entries;  // sized once: the address given out stays valid until Zephal_Clear
  int32_t entryCount = 0;
};

std::mutex sessionLock;
std::shared_ptr<Session> currentSession;

std::shared_ptr<Session> CurrentSession() {
  std::lock_guard<std::mutex> hold(sessionLock);
  return currentSession;
}

// `callback-lock on`: a call from another thread than the one in a callback
// waits until that callback has returned, as with a core that keeps its lock
// while it calls back. Taken before the session's own lock.
class CallbackGate {
 public:
  CallbackGate(Session* s, const char* call) {
    if (!s || !s->scenario.callbackLock) return;
    if (!s->callbackLock.try_lock()) {
      callLog.Write("%s waits for the callback running on thread %lu", call,
                    static_cast<unsigned long>(s->callbackThread.load()));
      s->callbackLock.lock();
    }
    lock_ = &s->callbackLock;
  }
  ~CallbackGate() {
    if (lock_) lock_->unlock();
  }
  CallbackGate(const CallbackGate&) = delete;
  CallbackGate& operator=(const CallbackGate&) = delete;

 private:
  std::recursive_mutex* lock_ = nullptr;
};

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
  if (state == 3 && !s.connected) {
    s.connected = true;
    s.connectedAt = Clock::now();
    s.startTime = static_cast<uint32_t>(std::time(nullptr));
  } else if (state == 1) {
    s.connected = false;
  }
}

// A conflict message tells the client to look at the list: it then holds the
// entries of the kind that message is about.
void ApplyMessage(Session& s, uint32_t code) {
  if (code != kClosableConflicts && code != kUnclosableConflicts) return;
  s.served = code == kClosableConflicts ? Served::Closable : Served::Unclosable;
  FillEntries(s);
}

void ScheduleState(Session& s, Clock::time_point at, bool ofConnection, int32_t state, uint64_t afterMessage = 0,
                   std::shared_ptr<const core_scenario::StateStorm> storm = nullptr) {
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

// The end of connecting: state 3, or the failure message and then state 1.
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
  std::shared_ptr<Session> displaced;  // from a Zephal_Init on another thread at the same time
  {
    std::lock_guard<std::mutex> holdCurrent(sessionLock);
    displaced.swap(currentSession);
    currentSession = session;
  }
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
                  static_cast<unsigned>(reserved), static_cast<unsigned>(kNotRunning));
    return kNotRunning;
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
                  static_cast<unsigned>(reason), static_cast<unsigned>(kNotRunning));
    return kNotRunning;
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
  return 0;
}

uint32_t ZEPHAL_CDECL Zephal_Clear(void) {
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
