// Decisions of the network watch: its timer schedule, the once-per-online-period
// automatic connect, and the copy of the server name it probes.
#pragma once
#include <cstddef>
#include <cstdint>

namespace net_watch {

constexpr uint32_t kFirstIntervalMs = 5000;
constexpr uint32_t kOfflineIntervalMs = 15000;
constexpr uint32_t kOnlineIntervalMs = 150000;

// The probed name: the settings hold at most 20 characters.
constexpr size_t kServerChars = 20;
constexpr size_t kServerSize = kServerChars + 1;

inline uint32_t IntervalFor(int online) { return online ? kOnlineIntervalMs : kOfflineIntervalMs; }

// What one tick of the current timer asks for.
struct TickStep {
  bool probe;        // run the probe now
  uint32_t renewMs;  // replace the timer by one of this interval first; 0 keeps it
};

// The watch's timer and last answer. The first timer runs at 5 s; its second
// tick (or the second tick of whichever timer replaced it) only renews the
// timer with the interval of the current state; a changed answer restarts
// the interval of the new state at once.
class Schedule {
 public:
  TickStep OnTick();
  // The probe's answer (1 online, 0 offline): the interval to restart with
  // when the answer changed, else 0.
  uint32_t OnProbe(int online);
  int online() const { return online_; }

 private:
  unsigned ticks_ = 0;
  int online_ = 0;
};

// The main window's answer to a reported change: true presses connect.
// `autoConnectDone` is set once connect was pressed and cleared only by an
// offline report, so the client connects at most once per online period, and
// only from Idle (runState 1).
bool ConnectOnChange(int state, int32_t runState, int* autoConnectDone);

// Copies at most 20 characters of `name` (null = empty) into `out`, which is
// cleared first and always ends terminated.
void CopyServerName(char (&out)[kServerSize], const char* name);

}  // namespace net_watch
