// The stand-in core's scenario player: the sessions from Zephal_Init to
// Zephal_Clear, the reports each schedules, and the two threads that make
// them. The exported functions (zephal_core_win.cpp) drive it.
//
// Threads: each session (Zephal_Init to Zephal_Clear) runs two threads of its
// own, one reporting states and one sending messages, each in order. Neither
// holds a lock while it calls back, so a callback may block in a message box
// while the client calls in from any thread, also from inside the callback.
// Two threads rather than one because the client stops the connection from
// inside a message callback (an upgrade demand ends the client) and then
// waits for state 1, which must not queue behind that very callback.
#pragma once
#include <windows.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "call_log_win.h"
#include "coreapi/core_api.h"
#include "coreapi/core_records.h"
#include "scenario.h"

namespace core_stand_in {

using Clock = std::chrono::steady_clock;

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

using Queue = std::multimap<Clock::time_point, Event>;  // keeps equal times in scheduling order

enum Line { kStatusLine, kMessageLine, kLineCount };

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
  std::atomic<int> stopsHeld{0};  // `stop-return`: Zephal_Stop calls not returned yet
  std::condition_variable wake;
  bool closing = false;
  CoreMessageCallback onMessage = nullptr;
  CoreStatusCallback onStatus = nullptr;
  core_scenario::Scenario scenario;
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

// The session the exported functions serve, or null.
std::shared_ptr<Session> CurrentSession();
// Makes `session` the current one; returns the one it displaces.
std::shared_ptr<Session> ReplaceCurrentSession(std::shared_ptr<Session> session);

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

// The scenario in `path` (`found` false when there is none: a healthy core).
core_scenario::Scenario LoadScenario(const std::string& path, bool* found);

// With session.lock held:
// The conflict entries on the list now.
void FillEntries(Session& s);
// The core's own view of a state it reports.
void ApplyState(Session& s, int32_t state);
// True when the list served right now holds `conflict`.
bool Serves(Served served, const core_scenario::Conflict& conflict);
Clock::time_point After(Clock::time_point base, uint32_t ms);
void ScheduleState(Session& s, Clock::time_point at, bool ofConnection, int32_t state, uint64_t afterMessage = 0,
                   std::shared_ptr<const core_scenario::StateStorm> storm = nullptr);
// Drops the reports of a connection (a new start or a stop replaces them).
void DropConnectionEvents(Session& s);
// The scenario's timed events of `anchor`, counted from `base`.
void ScheduleScripted(Session& s, core_scenario::Anchor anchor, Clock::time_point base);
// The end of connecting: state 3, or the failure message and then state 1.
void ScheduleLoginOutcome(Session& s, Clock::time_point base, bool passwordAccepted);
// The end of disconnecting: state 1 after the scenario's stop delay.
void ScheduleIdle(Session& s, Clock::time_point base);
// The query record as the client reads it now.
CoreQueryRecord Query(const Session& s);
// An account end date the default number of days ahead.
void MakeUpDate(char (&date)[core_scenario::kDateSize]);

// Starts the thread of one line, which keeps the DLL loaded while it runs.
bool StartLine(const std::shared_ptr<Session>& session, Line line);
// Stops the session's threads and forgets its callbacks (takes the lock).
void EndSession(Session& s, const char* caller);
void EndCurrentSession(const char* caller);
// `query-hang`: holds the calling thread from the scenario's moment on.
void HangQuery(Session& s);
// `stop-return`: holds the thread that called Zephal_Stop after the stop's work.
void HoldStop(Session& s);

}  // namespace core_stand_in
