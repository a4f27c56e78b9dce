#include "net/net_watch.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

using net_watch::Schedule;

// Drives a Schedule like a thread timer on a simulated clock: a timer ticks
// every `period` ms after it was set; a renewal or a change sets a new one.
// Returns the times (ms) at which the probe ran, up to `untilMs`.
std::vector<uint32_t> ProbeTimes(const std::function<int(uint32_t)>& online, uint32_t untilMs,
                                 std::vector<std::string>* changes = nullptr) {
  Schedule schedule;
  std::vector<uint32_t> probes;
  uint32_t period = net_watch::kFirstIntervalMs;
  uint32_t next = period;
  while (next <= untilMs) {
    const uint32_t now = next;
    const net_watch::TickStep step = schedule.OnTick();
    if (step.renewMs) period = step.renewMs;
    next = now + period;
    if (!step.probe) continue;
    probes.push_back(now);
    if (const uint32_t restart = schedule.OnProbe(online(now))) {
      period = restart;
      next = now + restart;
      if (changes) changes->push_back(std::to_string(now / 1000) + (schedule.online() ? " online" : " offline"));
    }
  }
  return probes;
}

std::vector<uint32_t> Seconds(std::initializer_list<uint32_t> s) {
  std::vector<uint32_t> ms;
  for (uint32_t v : s) ms.push_back(v * 1000);
  return ms;
}

TEST(NetWatchSchedule, UnreachableAtStartProbesAtFiveThenEveryFifteenAfterTheRenewal) {
  std::vector<std::string> changes;
  EXPECT_EQ(ProbeTimes([](uint32_t) { return 0; }, 70000, &changes), Seconds({5, 25, 40, 55, 70}));
  EXPECT_TRUE(changes.empty()) << "offline at start is never reported";
}

TEST(NetWatchSchedule, ReachableAtStartProbesAtFiveThenThreeHundredAfterThatThenEveryHundredFifty) {
  std::vector<std::string> changes;
  EXPECT_EQ(ProbeTimes([](uint32_t) { return 1; }, 700000, &changes), Seconds({5, 305, 455, 605}));
  EXPECT_EQ(changes, std::vector<std::string>{"5 online"});
}

TEST(NetWatchSchedule, AChangeRestartsTheIntervalOfTheNewState) {
  std::vector<std::string> changes;
  // Reachable from 30 s, lost again from 180 s.
  const auto online = [](uint32_t t) { return t >= 30000 && t < 180000 ? 1 : 0; };
  EXPECT_EQ(ProbeTimes(online, 260000, &changes), Seconds({5, 25, 40, 190, 205, 220, 235, 250}));
  EXPECT_EQ(changes, (std::vector<std::string>{"40 online", "190 offline"}));
}

TEST(NetWatchSchedule, AChangeBeforeTheSecondTickLeavesThatTickToRenewOnly) {
  std::vector<std::string> changes;
  // Online at the first probe, offline from 100 s: the tick at 155 s renews,
  // so the loss is seen at 305 s and then every 15 s.
  const auto online = [](uint32_t t) { return t < 100000 ? 1 : 0; };
  EXPECT_EQ(ProbeTimes(online, 335000, &changes), Seconds({5, 305, 320, 335}));
  EXPECT_EQ(changes, (std::vector<std::string>{"5 online", "305 offline"}));
}

TEST(NetWatchAutoConnect, DecidesFromTheLatchStateAndRunState) {
  struct Case {
    int latch;
    int state;
    int32_t runState;
    bool connects;
    int latchAfter;
  };
  const Case cases[] = {
      {0, 1, 1, true, 1},   // online while idle: connect once
      {0, 1, 2, false, 0},  // connecting
      {0, 1, 3, false, 0},  // connected
      {0, 1, 4, false, 0},  // disconnecting
      {0, 0, 1, false, 0},  // offline
      {1, 1, 1, false, 1},  // online again without an offline report between
      {1, 0, 3, false, 0},  // offline ends the online period
  };
  for (const Case& c : cases) {
    int latch = c.latch;
    EXPECT_EQ(net_watch::ConnectOnChange(c.state, c.runState, &latch), c.connects)
        << c.latch << " " << c.state << " " << c.runState;
    EXPECT_EQ(latch, c.latchAfter) << c.latch << " " << c.state << " " << c.runState;
  }
}

TEST(NetWatchAutoConnect, ConnectsOncePerOnlinePeriodOnlyFromIdle) {
  struct Report {
    int state;
    int32_t runState;
  };
  // online idle, online idle (same period), offline, online connected,
  // offline, online idle.
  const Report reports[] = {{1, 1}, {1, 1}, {0, 3}, {1, 3}, {0, 3}, {1, 1}};
  int latch = 0;
  std::string pressed;
  for (const Report& r : reports) pressed += net_watch::ConnectOnChange(r.state, r.runState, &latch) ? 'C' : '-';
  EXPECT_EQ(pressed, "C----C");
}

TEST(NetWatchServerName, CopiesTwentyCharactersWholeAndCutsLongerNames) {
  struct Case {
    const char* name;
    const char* copied;
  };
  const Case cases[] = {
      {"abcdefghijklmnopqrst", "abcdefghijklmnopqrst"},
      {"abcdefghijklmnopqrstuvwxy", "abcdefghijklmnopqrst"},
      {"127.0.0.1", "127.0.0.1"},
      {"", ""},
      {nullptr, ""},
  };
  for (const Case& c : cases) {
    char out[net_watch::kServerSize];
    std::memset(out, 'X', sizeof out);
    net_watch::CopyServerName(out, c.name);
    EXPECT_STREQ(out, c.copied);
    EXPECT_EQ(out[net_watch::kServerChars], '\0');
  }
}

}  // namespace
