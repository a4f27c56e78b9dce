// The network watch of the real client against the loopback redirect
// responder: what it sends, what it takes for online, the automatic connect,
// name resolution failures, the option switched off, and closing mid-probe.
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "harness_win.h"
#include "probe_win.h"
#include "settings/client_config.h"

namespace {

namespace cc = client_config;

constexpr char kResponder[] = "redirect.exe";
constexpr char kAllPortsSilent[] = "80 3724 53 8000 4000";
constexpr char kRequestHex[] = "6E6574636865636B00";  // "netcheck" and its terminator

// A loopback address of this test program's own, so a run elsewhere on the
// machine that binds the same five ports does not collide with it.
std::string TestAddress() {
  const DWORD pid = GetCurrentProcessId();
  return "127.88." + std::to_string((pid >> 8) & 0xFF) + "." + std::to_string(pid % 250 + 1);
}

struct Datagram {
  unsigned long tick;
  unsigned port;
  int bytes;
  std::string data;
};

std::vector<Datagram> ParseReceived(const std::string& log) {
  std::vector<Datagram> received;
  for (const std::string& line : LogLines(log)) {
    unsigned long tick = 0;
    unsigned port = 0;
    int bytes = 0;
    char data[2100] = "";
    if (std::sscanf(line.c_str(), "recv %lu port %u bytes %d data %2099s", &tick, &port, &bytes, data) == 4)
      received.push_back(Datagram{tick, port, bytes, data});
  }
  return received;
}

// A log line's stamp in seconds (within the month), or -1.
long StampOf(const std::string& line) {
  std::tm t{};
  if (std::sscanf(line.c_str(), "%d-%d-%d %d:%d:%d", &t.tm_year, &t.tm_mon, &t.tm_mday, &t.tm_hour, &t.tm_min,
                  &t.tm_sec) != 6)
    return -1;
  return ((t.tm_mday * 24L + t.tm_hour) * 60 + t.tm_min) * 60 + t.tm_sec;
}

class NetTest : public ClientTest {
 protected:
  void TearDown() override {
    CloseResponder();
    ClientTest::TearDown();
  }

  // 126 bytes with a stored account, the log and automatic login (when
  // `autoLogin`), and `server` as the redirect server.
  std::vector<uint8_t> WatchCert(const std::string& server, bool autoLogin = true) {
    auto cert = install::DefaultCert();
    cert[cc::kConfigByteOffset] = autoLogin ? 0xD4 : 0xC4;
    install::PutText(&cert, cc::kUserNameOffset, "alice");
    install::PutText(&cert, cc::kPasswordOffset, "secret");
    install::PutText(&cert, cc::kRedirectServerOffset, server);
    return cert;
  }

  // Starts the responder on the test address with the given ports.
  void StartResponder(const std::string& ports) {
    ASSERT_TRUE(CopyProgram(kResponder));
    responder_ = Launch(kResponder, "--address " + address_ + " " + ports);
    responderWindow_ = probe::WaitForWindow("ZephalRedirect", ("Zephal Redirect " + address_).c_str(), 10000);
    ASSERT_NE(responderWindow_, nullptr) << ResponderLog();
    ASSERT_EQ(ResponderLog().find("failed"), std::string::npos) << ResponderLog();
  }

  void CloseResponder() {
    if (!responderWindow_) return;
    PostMessageA(responderWindow_, WM_CLOSE, 0, 0);
    WaitExit(responder_, 5000);
    responderWindow_ = nullptr;
  }

  std::string ResponderLog() const { return install::ReadFile(dir_ + "redirect.log"); }
  std::vector<Datagram> Received() const { return ParseReceived(ResponderLog()); }

  // Waits until at least `count` datagrams arrived.
  std::vector<Datagram> WaitReceived(size_t count, DWORD timeoutMs) const {
    std::vector<Datagram> received;
    WaitFor([&] { return (received = Received()).size() >= count; }, timeoutMs);
    return received;
  }

  // The first log line containing `needle`, or "".
  std::string LineWith(const std::string& needle) const {
    for (const std::string& line : LogLines(Log()))
      if (line.find(needle) != std::string::npos) return line;
    return "";
  }

  // Answers the exit question when the client is not idle.
  DWORD CloseConnectedClient() {
    PostMessageA(FindWindowA("Zephal_Acc", nullptr), WM_CLOSE, 0, 0);
    AnswerBox(IDYES, 3000);
    return WaitExit(client_);
  }

  std::string address_ = TestAddress();
  PROCESS_INFORMATION responder_{};
  HWND responderWindow_ = nullptr;
};

TEST_F(NetTest, EachPassSendsNetcheckToTheFivePortsInOrderFromFiveSecondsAfterTheStart) {
  Install(WatchCert(address_));
  StartResponder(kAllPortsSilent);
  ASSERT_NE(StartClientAndWait("-debuglog"), nullptr);
  ASSERT_TRUE(WaitLog("THREAD: Netcheck run ("));
  const DWORD watchStarted = GetTickCount();
  const auto received = WaitReceived(10, 15000);
  ASSERT_GE(received.size(), 10u) << ResponderLog();
  const unsigned order[] = {80, 3724, 53, 8000, 4000};
  for (size_t i = 0; i < 10; ++i) {
    EXPECT_EQ(received[i].port, order[i % 5]) << i;
    EXPECT_EQ(received[i].bytes, 9) << i;
    EXPECT_EQ(received[i].data, kRequestHex) << i;
  }
  const long firstAfter = static_cast<long>(received[0].tick - watchStarted);
  EXPECT_GE(firstAfter, 4000) << "the first probe comes about 5 s after the watch starts";
  EXPECT_LE(firstAfter, 7500);
  // Silence is a 1 s wait per pass, without a pause.
  const long passGap = static_cast<long>(received[5].tick - received[0].tick);
  EXPECT_GE(passGap, 900);
  EXPECT_LE(passGap, 1800);
  EXPECT_EQ(CloseClient(), 0u);
}

class ReplyLengthTest : public NetTest, public ::testing::WithParamInterface<int> {};

TEST_P(ReplyLengthTest, OneToTenBytesOnPort53AreOnlineInTheFirstPass) {
  Install(WatchCert(address_));
  StartResponder("80 3724 53=" + std::to_string(GetParam()) + " 8000 4000");
  ASSERT_NE(StartClientAndWait("-debuglog"), nullptr);
  ASSERT_TRUE(WaitLog("NET: Network change to online.", 15000)) << ResponderLog();
  EXPECT_EQ(Received().size(), 5u) << "one pass: " << ResponderLog();
  EXPECT_EQ(CloseConnectedClient(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Fit, ReplyLengthTest, ::testing::Values(1, 10));

TEST_F(NetTest, ElevenByteReplyIsUnfitAndCostsASecondBeforeTheNextPass) {
  Install(WatchCert(address_));
  StartResponder("80 3724 53=11 8000 4000");
  ASSERT_NE(StartClientAndWait("-debuglog"), nullptr);
  ASSERT_TRUE(WaitLog("answered offline", 25000)) << ResponderLog();
  const auto received = Received();
  ASSERT_EQ(received.size(), 25u) << "five passes: " << ResponderLog();
  for (size_t pass = 1; pass < 5; ++pass) {
    const long gap = static_cast<long>(received[pass * 5].tick - received[pass * 5 - 1].tick);
    EXPECT_GE(gap, 900) << "pause before pass " << pass + 1;
    EXPECT_LE(gap, 1800) << "pass " << pass + 1;
  }
  EXPECT_EQ(Log().find("NET: Network change"), std::string::npos);
  EXPECT_EQ(CallLog().find("Zephal_Start"), std::string::npos);
  EXPECT_EQ(CloseClient(), 0u);
}

TEST_F(NetTest, OnlineWhileIdleLogsTheChangeAndConnectsByItselfOnce) {
  Install(WatchCert(address_));
  StartResponder("80=2 3724 53 8000 4000");
  ASSERT_NE(StartClientAndWait("-debuglog"), nullptr);
  ASSERT_TRUE(WaitLog("CORE: status 3", 15000)) << ResponderLog();
  const std::string log = Log();
  const size_t change = log.find("NET: Network change to online.\r\n");
  const size_t status = log.find("NETCHECK: change network status to ONLINE.\r\n");
  const size_t connecting = log.find("CORE: status 2");
  ASSERT_NE(change, std::string::npos) << log;
  EXPECT_GT(status, change);
  EXPECT_GT(connecting, status);
  EXPECT_NE(status, std::string::npos);
  Sleep(2000);  // proves the watch connects once
  EXPECT_EQ(CountOf(CallLog(), "Zephal_Start"), 1u) << CallLog();
  EXPECT_EQ(CountOf(Log(), "NETCHECK: change network status"), 1u);
  EXPECT_EQ(CloseConnectedClient(), 0u);
}

TEST_F(NetTest, OnlineWhileConnectedStartsNothing) {
  Install(WatchCert(address_));
  StartResponder("80 3724 53=1 8000 4000");
  ASSERT_NE(StartClientAndWait("-debuglog"), nullptr);
  PostMessageA(MainWindow(), WM_COMMAND, 1610, 0);  // the user connects first
  ASSERT_TRUE(WaitLog("CORE: status 3"));
  ASSERT_TRUE(WaitLog("NETCHECK: change network status to ONLINE.", 15000)) << ResponderLog();
  Sleep(2000);  // proves going online starts nothing more
  EXPECT_EQ(CountOf(CallLog(), "Zephal_Start"), 1u) << CallLog();
  EXPECT_EQ(CloseConnectedClient(), 0u);
}

TEST_F(NetTest, UnresolvableNameRetriesThreeTimesTwoSecondsApartThenOffline) {
  Install(WatchCert("nohost.invalid"));
  ASSERT_NE(StartClientAndWait("-debuglog"), nullptr);
  ASSERT_TRUE(WaitLog("NETCHECK: probe of nohost.invalid answered offline", 20000));
  std::vector<long> stamps;
  for (const std::string& line : LogLines(Log()))
    if (line.find("DIRS: Couldn't resolve the redirect server name, sleep 2 seconds to retry.") != std::string::npos)
      stamps.push_back(StampOf(line));
  ASSERT_EQ(stamps.size(), 3u) << Log();
  for (size_t i = 1; i < 3; ++i) {
    EXPECT_GE(stamps[i] - stamps[i - 1], 1) << i;  // stamps have whole seconds
    EXPECT_LE(stamps[i] - stamps[i - 1], 3) << i;
  }
  const std::string answered = LineWith("answered offline after ");
  const long ms = std::atol(answered.substr(answered.find(" after ") + 7).c_str());
  EXPECT_GE(ms, 5800) << answered;
  EXPECT_LE(ms, 8000) << answered;
  EXPECT_EQ(Log().find("NET: Network change"), std::string::npos);
  EXPECT_EQ(CloseClient(), 0u);
}

TEST_F(NetTest, WithTheOptionOffNothingIsProbed) {
  Install(WatchCert(address_, false));
  StartResponder("80=1 3724=1 53=1 8000=1 4000=1");
  ASSERT_NE(StartClientAndWait("-debuglog"), nullptr);
  ASSERT_NE(MainWindow(), nullptr);
  Sleep(8000);  // proves nothing is probed: the first probe would come 5 s after the start
  EXPECT_TRUE(Received().empty()) << ResponderLog();
  EXPECT_EQ(Log().find("THREAD: Netcheck"), std::string::npos);
  EXPECT_EQ(CloseClient(), 0u);
}

// The thread id in "THREAD: Netcheck run (%u)" / "closed (%u)" lines, in log order.
std::vector<std::string> WatchEvents(const std::string& log) {
  std::vector<std::string> events;
  for (const std::string& line : LogLines(log)) {
    for (const char* kind : {"run (", "closed ("}) {
      const size_t at = line.find(std::string("THREAD: Netcheck ") + kind);
      if (at != std::string::npos) events.push_back(line.substr(at + 17));
    }
  }
  return events;
}

TEST_F(NetTest, SwitchingTheOptionOffAndOnRestartsTheWatchOnANewThread) {
  Install(WatchCert(address_));
  StartResponder(kAllPortsSilent);
  ASSERT_NE(StartClientAndWait("-debuglog"), nullptr);
  HWND option = GetDlgItem(MainWindow(), 1606);
  ASSERT_NE(option, nullptr);
  ASSERT_TRUE(WaitLog("THREAD: Netcheck run ("));
  // Off before the first probe is due: nothing is probed while it is off.
  PostMessageA(option, BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitLog("THREAD: Netcheck closed ("));
  Sleep(7000);  // proves nothing is probed while it is off
  EXPECT_TRUE(Received().empty()) << ResponderLog();
  PostMessageA(option, BM_CLICK, 0, 0);
  WaitFor([&] { return WatchEvents(Log()).size() >= 3; }, 5000);
  const auto events = WatchEvents(Log());
  ASSERT_EQ(events.size(), 3u) << Log();
  const std::string first = events[0].substr(4);  // "run (<id>)"
  ASSERT_EQ(events[0].rfind("run (", 0), 0u);
  EXPECT_EQ(events[1], "closed " + first) << "the running watch is the one closed";
  ASSERT_EQ(events[2].rfind("run (", 0), 0u);
  EXPECT_NE(events[2].substr(4), first) << "a new thread";
  // The new watch probes again, 5 s after it started.
  EXPECT_GE(WaitReceived(5, 10000).size(), 5u) << ResponderLog();
  EXPECT_EQ(CloseClient(), 0u);
}

// The probe in flight is either waiting for a silent server or pausing
// between failed name resolutions.
class CloseMidProbeTest : public NetTest, public ::testing::WithParamInterface<bool> {};

TEST_P(CloseMidProbeTest, ClosingWhileAProbeIsInFlightEndsWithinTheShutdownWaits) {
  const bool silentServer = GetParam();
  Install(WatchCert(silentServer ? address_ : "nohost.invalid"));
  if (silentServer) StartResponder(kAllPortsSilent);
  ASSERT_NE(StartClientAndWait("-debuglog"), nullptr);
  if (silentServer) {
    ASSERT_FALSE(WaitReceived(1, 10000).empty());
  } else {
    ASSERT_TRUE(WaitLog("DIRS: Couldn't resolve", 10000));
  }
  const DWORD closing = GetTickCount();
  EXPECT_EQ(CloseClient(5000), 0u);
  EXPECT_LT(GetTickCount() - closing, 3000u) << "the probe is abandoned, not waited out";
  const std::string log = Log();
  EXPECT_NE(log.find("THREAD: Netcheck closed ("), std::string::npos) << log;
  EXPECT_EQ(log.find("still busy"), std::string::npos) << log;
  EXPECT_EQ(log.find("answered"), std::string::npos) << "an abandoned probe answers nothing";
}

INSTANTIATE_TEST_SUITE_P(InFlight, CloseMidProbeTest, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? std::string("SilentServer") : std::string("UnresolvableName");
                         });

}  // namespace
