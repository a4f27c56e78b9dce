#include "net/redirect_probe.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

namespace {

namespace rp = redirect_probe;

// A scripted socket layer on a simulated clock: waits and pauses advance the
// clock, every call is written to a trace.
class FakeNet : public rp::ProbeNet {
 public:
  std::deque<int> startupErrors;  // one per failing start-up, then success
  int socketError = 0;            // non-zero: socket() fails with it
  std::deque<bool> resolves;      // results of the attempts; empty: resolves
  std::vector<rp::Ipv4> addresses{{{127, 0, 0, 1}}};
  // Per pass: what the wait gives and, if readable, what the receive gives.
  struct Answer {
    rp::Wait wait;
    int received;
  };
  std::deque<Answer> answers;
  int pausesBeforeStop = -1;  // the pause that finds the watch stopping

  uint32_t clock = 0;
  std::vector<std::string> trace;
  std::vector<std::string> reports;
  int started = 0;
  int opened = 0;

  bool Startup(int* error) override {
    if (!startupErrors.empty()) {
      *error = startupErrors.front();
      startupErrors.pop_front();
      return false;
    }
    ++started;
    return true;
  }
  void Cleanup() override {
    --started;
    trace.push_back("cleanup");
  }
  rp::Socket OpenUdp(int* error) override {
    if (socketError) {
      *error = socketError;
      return rp::kNoSocket;
    }
    ++opened;
    return 7;
  }
  void Close(rp::Socket s) override {
    EXPECT_EQ(s, 7);
    --opened;
    trace.push_back("close");
  }
  bool Resolve(const char* name, std::vector<rp::Ipv4>* out) override {
    trace.push_back(std::string("resolve ") + name);
    const bool ok = resolves.empty() ? true : resolves.front();
    if (!resolves.empty()) resolves.pop_front();
    if (ok) *out = addresses;
    return ok;
  }
  void SendTo(rp::Socket, const rp::Ipv4& a, uint16_t port, const uint8_t* data, size_t size) override {
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(data), size), std::string("netcheck\0", 9));
    trace.push_back("send " + std::to_string(a.bytes[3]) + ":" + std::to_string(port));
  }
  rp::Wait WaitReadable(rp::Socket, int timeoutMs) override {
    EXPECT_EQ(timeoutMs, 1000);
    const Answer a = answers.empty() ? Answer{rp::Wait::kTimeout, 0} : answers.front();
    // A readable wait leaves its answer for the receive.
    if (a.wait != rp::Wait::kReadable && !answers.empty()) answers.pop_front();
    if (a.wait == rp::Wait::kTimeout) clock += timeoutMs;
    static const char* const names[] = {"readable", "timeout", "failed", "stopped"};
    trace.push_back(names[static_cast<int>(a.wait)]);
    return a.wait;
  }
  int Receive(rp::Socket, uint8_t*, int size) override {
    EXPECT_EQ(size, 1000);
    const int received = answers.front().received;
    answers.pop_front();
    trace.push_back("recv " + std::to_string(received));
    return received;
  }
  bool Pause(int ms) override {
    trace.push_back("pause " + std::to_string(ms));
    if (pausesBeforeStop == 0) return false;
    if (pausesBeforeStop > 0) --pausesBeforeStop;
    clock += ms;
    return true;
  }
  void Report(uint32_t code, const std::string& text) override {
    char hex[16];
    std::snprintf(hex, sizeof hex, "%#x ", code);
    reports.push_back(hex + text);
  }

  // Every call released what it took.
  void ExpectReleased() const {
    EXPECT_EQ(started, 0);
    EXPECT_EQ(opened, 0);
  }
};

std::vector<std::string> OnePass(uint8_t host = 1) {
  std::vector<std::string> sends;
  for (const char* port : {"80", "3724", "53", "8000", "4000"}) sends.push_back("send " + std::to_string(host) + ":" + port);
  return sends;
}

std::vector<std::string> Join(std::initializer_list<std::vector<std::string>> parts) {
  std::vector<std::string> all;
  for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

TEST(RedirectProbe, ReplyLengthsOfOneToTenFit) {
  struct Case {
    int received;
    bool fits;
  };
  const Case cases[] = {{-1, false}, {0, false}, {1, true}, {10, true}, {11, false}, {1000, false}};
  for (const Case& c : cases) EXPECT_EQ(rp::ReplyFits(c.received), c.fits) << c.received;
}

TEST(RedirectProbe, OneByteReplyIsOnlineInTheFirstPass) {
  FakeNet net;
  net.answers = {{rp::Wait::kReadable, 1}};
  EXPECT_EQ(rp::ProbeRedirectServer(net, "127.0.0.1"), 1);
  EXPECT_EQ(net.trace, Join({{"resolve 127.0.0.1"}, OnePass(), {"readable", "recv 1", "close", "cleanup"}}));
  EXPECT_TRUE(net.reports.empty());
  net.ExpectReleased();
}

TEST(RedirectProbe, EveryAddressGetsTheFivePortsInListOrder) {
  FakeNet net;
  net.addresses = {{{10, 0, 0, 1}}, {{10, 0, 0, 2}}};
  net.answers = {{rp::Wait::kReadable, 10}};
  EXPECT_EQ(rp::ProbeRedirectServer(net, "two"), 1);
  EXPECT_EQ(net.trace, Join({{"resolve two"}, OnePass(1), OnePass(2), {"readable", "recv 10", "close", "cleanup"}}));
}

TEST(RedirectProbe, UnfitReplyPausesASecondAndTheNextPassSendsAgain) {
  FakeNet net;
  net.answers = {{rp::Wait::kReadable, 11}, {rp::Wait::kReadable, 2}};
  EXPECT_EQ(rp::ProbeRedirectServer(net, "h"), 1);
  EXPECT_EQ(net.trace, Join({{"resolve h"}, OnePass(), {"readable", "recv 11", "pause 1000"}, OnePass(),
                             {"readable", "recv 2", "close", "cleanup"}}));
}

// Real Windows may wake the wait for a closed port and fail the receive with
// WSAECONNRESET: an unfit reply.
TEST(RedirectProbe, ReceiveErrorCountsAsUnfitAndFivePassesEndOffline) {
  FakeNet net;
  for (int i = 0; i < 5; ++i) net.answers.push_back({rp::Wait::kReadable, -1});
  EXPECT_EQ(rp::ProbeRedirectServer(net, "h"), 0);
  std::vector<std::string> expected{"resolve h"};
  for (int i = 0; i < 5; ++i) expected = Join({expected, OnePass(), {"readable", "recv -1", "pause 1000"}});
  expected = Join({expected, {"close", "cleanup"}});
  EXPECT_EQ(net.trace, expected);
  EXPECT_EQ(net.clock, 5000u);
  net.ExpectReleased();
}

// Wine lets a closed port simply time out.
TEST(RedirectProbe, SilenceTimesOutFivePassesWithoutPauses) {
  FakeNet net;
  EXPECT_EQ(rp::ProbeRedirectServer(net, "h"), 0);
  std::vector<std::string> expected{"resolve h"};
  for (int i = 0; i < 5; ++i) expected = Join({expected, OnePass(), {"timeout"}});
  EXPECT_EQ(net.trace, Join({expected, {"close", "cleanup"}}));
  EXPECT_EQ(net.clock, 5000u);
}

TEST(RedirectProbe, FailedWaitGoesStraightToTheNextPass) {
  FakeNet net;
  net.answers = {{rp::Wait::kFailed, 0}, {rp::Wait::kReadable, 3}};
  EXPECT_EQ(rp::ProbeRedirectServer(net, "h"), 1);
  EXPECT_EQ(net.trace, Join({{"resolve h"}, OnePass(), {"failed"}, OnePass(), {"readable", "recv 3", "close", "cleanup"}}));
}

TEST(RedirectProbe, UnresolvableNameRetriesThreeTimesTwoSecondsApartThenOffline) {
  FakeNet net;
  net.resolves = {false, false, false};
  EXPECT_EQ(rp::ProbeRedirectServer(net, "nowhere"), 0);
  const std::string line = "0x50001 DIRS: Couldn't resolve the redirect server name, sleep 2 seconds to retry.";
  EXPECT_EQ(net.reports, (std::vector<std::string>{line, line, line}));
  EXPECT_EQ(net.clock, 6000u);
  EXPECT_EQ(net.trace, (std::vector<std::string>{"resolve nowhere", "pause 2000", "resolve nowhere", "pause 2000",
                                                 "resolve nowhere", "pause 2000", "close", "cleanup"}));
  net.ExpectReleased();
}

TEST(RedirectProbe, ResolvedOnTheThirdAttemptProbes) {
  FakeNet net;
  net.resolves = {false, false, true};
  net.answers = {{rp::Wait::kReadable, 1}};
  EXPECT_EQ(rp::ProbeRedirectServer(net, "h"), 1);
  EXPECT_EQ(net.reports.size(), 2u);
}

TEST(RedirectProbe, EmptyAddressListSendsNothingAndWaitsFiveTimes) {
  FakeNet net;
  net.addresses.clear();
  EXPECT_EQ(rp::ProbeRedirectServer(net, "h"), 0);
  EXPECT_EQ(net.trace, (std::vector<std::string>{"resolve h", "timeout", "timeout", "timeout", "timeout", "timeout",
                                                 "close", "cleanup"}));
}

TEST(RedirectProbe, StartupFailuresAreRetriedThenGiveOffline) {
  FakeNet net;
  net.startupErrors = {10091, 10091, 10091};
  EXPECT_EQ(rp::ProbeRedirectServer(net, "h"), 0);
  const std::string retry = "0x40001 SOCKET: redirect WSAStartup failed (code=10091), sleep 2 seconds to retry.";
  EXPECT_EQ(net.reports, (std::vector<std::string>{retry, retry, retry, "0x10000 SOCKET: redirect WSAStartup failed!"}));
  EXPECT_EQ(net.clock, 6000u);
  EXPECT_EQ(net.trace, (std::vector<std::string>{"pause 2000", "pause 2000", "pause 2000"})) << "nothing to release";
  net.ExpectReleased();
}

TEST(RedirectProbe, OneStartupFailureThenProbes) {
  FakeNet net;
  net.startupErrors = {10067};
  net.answers = {{rp::Wait::kReadable, 1}};
  EXPECT_EQ(rp::ProbeRedirectServer(net, "h"), 1);
  EXPECT_EQ(net.reports.size(), 1u);
  net.ExpectReleased();
}

TEST(RedirectProbe, SocketFailureIsReportedAndReleasesTheLibrary) {
  FakeNet net;
  net.socketError = 10024;
  EXPECT_EQ(rp::ProbeRedirectServer(net, "h"), 0);
  EXPECT_EQ(net.reports, (std::vector<std::string>{"0x10000 SOCKET: redirect socket() failed (errorno=10024)"}));
  EXPECT_EQ(net.trace, (std::vector<std::string>{"cleanup"}));
  net.ExpectReleased();
}

TEST(RedirectProbe, StoppingDuringAPauseAbandonsAtOnceAndReleases) {
  FakeNet net;
  net.resolves = {false, false, false};
  net.pausesBeforeStop = 1;
  EXPECT_EQ(rp::ProbeRedirectServer(net, "h"), 0);
  EXPECT_EQ(net.trace, (std::vector<std::string>{"resolve h", "pause 2000", "resolve h", "pause 2000", "close", "cleanup"}));
  net.ExpectReleased();

  FakeNet unfit;
  unfit.answers = {{rp::Wait::kReadable, 11}, {rp::Wait::kReadable, 1}};
  unfit.pausesBeforeStop = 0;
  EXPECT_EQ(rp::ProbeRedirectServer(unfit, "h"), 0);
  EXPECT_EQ(unfit.trace, Join({{"resolve h"}, OnePass(), {"readable", "recv 11", "pause 1000", "close", "cleanup"}}));
}

TEST(RedirectProbe, StoppingDuringTheWaitAbandonsAtOnce) {
  FakeNet net;
  net.answers = {{rp::Wait::kStopped, 0}};
  EXPECT_EQ(rp::ProbeRedirectServer(net, "h"), 0);
  EXPECT_EQ(net.trace, Join({{"resolve h"}, OnePass(), {"stopped", "close", "cleanup"}}));
  net.ExpectReleased();
}

}  // namespace
