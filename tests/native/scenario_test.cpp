// The scenario file of the stand-in core library. Compiled with
// -fexec-charset=GBK like the DLL, so Chinese literals here are GBK bytes.
#include "core/scenario.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace cs = core_scenario;

namespace {

void ExpectDefaults(const cs::Scenario& s) {
  EXPECT_TRUE(s.callLog);
  EXPECT_EQ(s.initResult, 0u);
  EXPECT_EQ(s.connectDelayMs, 1500u);
  EXPECT_EQ(s.stopDelayMs, 600u);
  EXPECT_EQ(s.stopReturnMs, 0u);
  EXPECT_FALSE(s.loginFails);
  EXPECT_FALSE(s.passwordSet);
  EXPECT_EQ(s.loginFailCode, 0x50130209u);
  EXPECT_EQ(s.loginFailText, "wrong user name or password");
  EXPECT_EQ(s.accountStatus, 0x490u);
  EXPECT_FALSE(s.accountDateSet);
  EXPECT_EQ(s.minutesLeft, 0u);
  EXPECT_EQ(s.address, "10.77.0.23");
  EXPECT_TRUE(s.events.empty());
  EXPECT_TRUE(s.conflicts.empty());
  EXPECT_FALSE(s.callbackLock);
  EXPECT_EQ(s.clearWaitMs, 2000u);
  EXPECT_FALSE(s.queryHangSet);
}

std::string IssuesOf(const cs::Scenario& s) {
  std::string all;
  for (const cs::Issue& i : s.issues) all += std::to_string(i.line) + ": " + i.what + "\n";
  return all;
}

}  // namespace

TEST(Scenario, NoTextMeansAHealthyCore) {
  const cs::Scenario s = cs::ParseScenario("");
  ExpectDefaults(s);
  EXPECT_TRUE(s.issues.empty());
}

TEST(Scenario, CommentsBlankLinesLineEndsAndByteOrderMarkAreSkipped) {
  const cs::Scenario s = cs::ParseScenario(
      "\xEF\xBB\xBF# a healthy core\r\n"
      "\r\n"
      "   \t\n"
      "  # indented comment\n"
      "init 3\r\n"
      "account-minutes 45");  // no final line break
  EXPECT_TRUE(s.issues.empty()) << IssuesOf(s);
  EXPECT_EQ(s.initResult, 3u);
  EXPECT_EQ(s.minutesLeft, 45u);
}

struct GoodLine {
  const char* text;
  void (*check)(const cs::Scenario&);
};

const GoodLine kGoodLines[] = {
    {"calllog off", [](const cs::Scenario& s) { EXPECT_FALSE(s.callLog); }},
    {"calllog on", [](const cs::Scenario& s) { EXPECT_TRUE(s.callLog); }},
    {"init 0x50000A0B", [](const cs::Scenario& s) { EXPECT_EQ(s.initResult, 0x50000A0Bu); }},
    {"init 4", [](const cs::Scenario& s) { EXPECT_EQ(s.initResult, 4u); }},
    {"init 0xffffffff", [](const cs::Scenario& s) { EXPECT_EQ(s.initResult, 0xFFFFFFFFu); }},
    {"init 010", [](const cs::Scenario& s) { EXPECT_EQ(s.initResult, 10u); }},  // not octal
    {"connect-delay 250", [](const cs::Scenario& s) { EXPECT_EQ(s.connectDelayMs, 250u); }},
    {"connect-delay never", [](const cs::Scenario& s) { EXPECT_EQ(s.connectDelayMs, cs::kNever); }},
    {"stop 0", [](const cs::Scenario& s) { EXPECT_EQ(s.stopDelayMs, 0u); }},
    {"stop never-idle", [](const cs::Scenario& s) { EXPECT_EQ(s.stopDelayMs, cs::kNever); }},
    {"stop-return 1500", [](const cs::Scenario& s) { EXPECT_EQ(s.stopReturnMs, 1500u); }},
    {"stop-return never", [](const cs::Scenario& s) { EXPECT_EQ(s.stopReturnMs, cs::kNever); }},
    {"login fail",
     [](const cs::Scenario& s) {
       EXPECT_TRUE(s.loginFails);
       EXPECT_EQ(s.loginFailCode, 0x50130209u);
       EXPECT_EQ(s.loginFailText, "wrong user name or password");
     }},
    {"login fail 0x50130201",
     [](const cs::Scenario& s) {
       EXPECT_TRUE(s.loginFails);
       EXPECT_EQ(s.loginFailCode, 0x50130201u);
       EXPECT_EQ(s.loginFailText, "");
     }},
    {"login fail 0x50130203  account is online  ",
     [](const cs::Scenario& s) {
       EXPECT_EQ(s.loginFailCode, 0x50130203u);
       EXPECT_EQ(s.loginFailText, "account is online");
     }},
    {"login ok", [](const cs::Scenario& s) { EXPECT_FALSE(s.loginFails); }},
    {"password se cret",
     [](const cs::Scenario& s) {
       EXPECT_TRUE(s.passwordSet);
       EXPECT_EQ(s.password, "se cret");
     }},
    {"account-status 0x420", [](const cs::Scenario& s) { EXPECT_EQ(s.accountStatus, 0x420u); }},
    {"account-date 2030-1-15",
     [](const cs::Scenario& s) {
       EXPECT_TRUE(s.accountDateSet);
       EXPECT_EQ(s.accountDate, "2030-1-15");
     }},
    {"account-date 2030-012-15",  // 11 bytes: stored without a terminator
     [](const cs::Scenario& s) { EXPECT_EQ(s.accountDate, "2030-012-15"); }},
    {"account-date none",
     [](const cs::Scenario& s) {
       EXPECT_TRUE(s.accountDateSet);
       EXPECT_EQ(s.accountDate, "");
     }},
    {"account-minutes 59", [](const cs::Scenario& s) { EXPECT_EQ(s.minutesLeft, 59u); }},
    {"address none", [](const cs::Scenario& s) { EXPECT_EQ(s.address, ""); }},
    {"address 100.200.100.20012",  // 17 bytes: stored without a terminator
     [](const cs::Scenario& s) { EXPECT_EQ(s.address, "100.200.100.20012"); }},
    {"message 2500 0x50000A09 please upgrade now",
     [](const cs::Scenario& s) {
       ASSERT_EQ(s.events.size(), 1u);
       EXPECT_FALSE(s.events[0].isState);
       EXPECT_EQ(s.events[0].anchor, cs::Anchor::Start);
       EXPECT_EQ(s.events[0].atMs, 2500u);
       EXPECT_EQ(s.events[0].code, 0x50000A09u);
       EXPECT_EQ(s.events[0].text, "please upgrade now");
     }},
    {"message init+0 0x301B0003",
     [](const cs::Scenario& s) {
       ASSERT_EQ(s.events.size(), 1u);
       EXPECT_EQ(s.events[0].anchor, cs::Anchor::Init);
       EXPECT_EQ(s.events[0].atMs, 0u);
       EXPECT_EQ(s.events[0].text, "");
     }},
    {"message start+100 0x50130209 用户名密码错误",
     [](const cs::Scenario& s) {
       ASSERT_EQ(s.events.size(), 1u);
       EXPECT_EQ(s.events[0].anchor, cs::Anchor::Start);
       EXPECT_EQ(s.events[0].text, "用户名密码错误");
     }},
    {"state 3000 5",
     [](const cs::Scenario& s) {
       ASSERT_EQ(s.events.size(), 1u);
       EXPECT_TRUE(s.events[0].isState);
       EXPECT_EQ(s.events[0].atMs, 3000u);
       EXPECT_EQ(s.events[0].state, 5);
     }},
    {"state init+10 -1", [](const cs::Scenario& s) { EXPECT_EQ(s.events.at(0).state, -1); }},
    {"conflict closable 1234 C:\\Games\\booster.exe Game Booster",
     [](const cs::Scenario& s) {
       ASSERT_EQ(s.conflicts.size(), 1u);
       EXPECT_TRUE(s.conflicts[0].closable);
       EXPECT_EQ(s.conflicts[0].processId, 1234);
       EXPECT_EQ(s.conflicts[0].program, "C:\\Games\\booster.exe");
       EXPECT_EQ(s.conflicts[0].displayName, "Game Booster");
     }},
    {"conflict unclosable 88 \"C:\\Program Files\\Net Guard\\guard.exe\" 网络卫士",
     [](const cs::Scenario& s) {
       ASSERT_EQ(s.conflicts.size(), 1u);
       EXPECT_FALSE(s.conflicts[0].closable);
       EXPECT_EQ(s.conflicts[0].program, "C:\\Program Files\\Net Guard\\guard.exe");
       EXPECT_EQ(s.conflicts[0].displayName, "网络卫士");
     }},
    {"conflict closable 7 x.exe", [](const cs::Scenario& s) { EXPECT_EQ(s.conflicts.at(0).displayName, ""); }},
    {"conflicts 10000 unclosable 2147473648 \"C:\\a b.exe\" Many",
     [](const cs::Scenario& s) {
       ASSERT_EQ(s.conflicts.size(), 10000u);
       EXPECT_FALSE(s.conflicts[0].closable);
       EXPECT_EQ(s.conflicts[0].processId, 2147473648);
       EXPECT_EQ(s.conflicts[9999].processId, 2147483647);
       EXPECT_EQ(s.conflicts[9999].program, "C:\\a b.exe");
       EXPECT_EQ(s.conflicts[9999].displayName, "Many");
     }},
    {"long-message start+2000 0x10000001 5000",
     [](const cs::Scenario& s) {
       ASSERT_EQ(s.events.size(), 1u);
       EXPECT_FALSE(s.events[0].isState);
       EXPECT_EQ(s.events[0].code, 0x10000001u);
       EXPECT_EQ(s.events[0].unterminatedSize, 5000u);
       EXPECT_EQ(s.events[0].text, "");
     }},
    {"long-message init+5 0x1 7 ab c", [](const cs::Scenario& s) { EXPECT_EQ(s.events.at(0).text, "ab c"); }},
    {"state-storm start+2000 10000 4 100 2 3 -1 3",
     [](const cs::Scenario& s) {
       ASSERT_EQ(s.events.size(), 1u);
       const cs::TimedEvent& e = s.events[0];
       EXPECT_TRUE(e.isState && e.isStorm);
       EXPECT_EQ(e.atMs, 2000u);
       EXPECT_EQ(e.storm.durationMs, 10000u);
       EXPECT_EQ(e.storm.threads, 4u);
       EXPECT_EQ(e.storm.perSecond, 100u);
       EXPECT_EQ(e.storm.states, (std::vector<int32_t>{2, 3, -1, 3}));
       EXPECT_EQ(e.state, 3) << "the state reported last";
     }},
    {"callback-lock on", [](const cs::Scenario& s) { EXPECT_TRUE(s.callbackLock); }},
    {"callback-lock off", [](const cs::Scenario& s) { EXPECT_FALSE(s.callbackLock); }},
    {"clear-wait forever", [](const cs::Scenario& s) { EXPECT_EQ(s.clearWaitMs, cs::kNever); }},
    {"clear-wait 0", [](const cs::Scenario& s) { EXPECT_EQ(s.clearWaitMs, 0u); }},
    {"query-hang start+2500",
     [](const cs::Scenario& s) {
       EXPECT_TRUE(s.queryHangSet);
       EXPECT_EQ(s.queryHangAnchor, cs::Anchor::Start);
       EXPECT_EQ(s.queryHangMs, 2500u);
     }},
    {"query-hang init+0",
     [](const cs::Scenario& s) {
       EXPECT_TRUE(s.queryHangSet);
       EXPECT_EQ(s.queryHangAnchor, cs::Anchor::Init);
       EXPECT_EQ(s.queryHangMs, 0u);
     }},
};

TEST(Scenario, EachKeyIsRead) {
  for (const GoodLine& line : kGoodLines) {
    SCOPED_TRACE(line.text);
    const cs::Scenario s = cs::ParseScenario(line.text);
    EXPECT_TRUE(s.issues.empty()) << IssuesOf(s);
    line.check(s);
  }
}

struct BadLine {
  const char* text;
  const char* issue;
};

const BadLine kBadLines[] = {
    {"initt 0", "unknown key \"initt\""},
    {"INIT 0", "unknown key \"INIT\""},
    {"init", "init: missing value"},
    {"init zero", "init: bad value \"zero\""},
    {"init 0x", "init: bad value \"0x\""},
    {"init 0x100000000", "init: bad value \"0x100000000\""},
    {"init 4294967296", "init: bad value \"4294967296\""},
    {"init -1", "init: bad value \"-1\""},
    {"init 0 1", "init: unexpected \"1\""},
    {"calllog yes", "calllog: bad value \"yes\""},
    {"calllog", "calllog: missing value"},
    {"connect-delay soon", "connect-delay: bad value \"soon\""},
    {"stop never", "stop: bad value \"never\""},
    {"stop 100 200", "stop: unexpected \"200\""},
    {"stop-return never-idle", "stop-return: bad value \"never-idle\""},
    {"login maybe", "login: bad value \"maybe\""},
    {"login fail wrong", "login: bad code \"wrong\""},
    {"login ok now", "login: unexpected \"now\""},
    {"password", "password: missing value"},
    {"account-status", "account-status: missing value"},
    {"account-date 2030-0012-15", "account-date: longer than 11 bytes: \"2030-0012-15\""},
    {"account-date 2030-1-1 x", "account-date: unexpected \"x\""},
    {"account-minutes 1.5", "account-minutes: bad value \"1.5\""},
    {"address 100.200.100.200123", "address: longer than 17 bytes: \"100.200.100.200123\""},
    {"message", "message: missing time"},
    {"message soon 0x1 x", "message: bad time \"soon\""},
    {"message init+ 0x1 x", "message: bad time \"init+\""},
    {"message 100", "message: missing code"},
    {"message 100 upgrade", "message: bad code \"upgrade\""},
    {"state 100", "state: missing state"},
    {"state 100 idle", "state: bad state \"idle\""},
    {"state 100 2147483648", "state: bad state \"2147483648\""},
    {"state 100 1 2", "state: unexpected \"2\""},
    {"conflict", "conflict: missing kind"},
    {"conflict maybe 1 x.exe", "conflict: bad kind \"maybe\""},
    {"conflict closable", "conflict: missing process id"},
    {"conflict closable pid x.exe", "conflict: bad process id \"pid\""},
    {"conflict closable 1", "conflict: missing program"},
    {"conflict closable 1 \"C:\\Program Files\\x.exe name", "conflict: missing closing quote"},
    {"conflict closable 1 \"\" name", "conflict: missing program"},
    {"conflicts", "conflicts: missing count"},
    {"conflicts 0 closable 1 x.exe", "conflicts: bad count \"0\""},
    {"conflicts 100001 closable 1 x.exe", "conflicts: bad count \"100001\""},
    {"conflicts 2 closable 2147483647 x.exe", "conflicts: process ids beyond 2147483647"},
    {"conflicts 2 maybe 1 x.exe", "conflicts: bad kind \"maybe\""},
    {"long-message 100 0x1", "long-message: missing size"},
    {"long-message 100 0x1 0", "long-message: bad size \"0\""},
    {"long-message 100 0x1 1048577", "long-message: bad size \"1048577\""},
    {"long-message 100 text 5", "long-message: bad code \"text\""},
    {"state-storm 100 1000 4 100", "state-storm: missing state"},
    {"state-storm 100 1000 4", "state-storm: missing rate"},
    {"state-storm 100 1000 17 100 3", "state-storm: bad threads \"17\""},
    {"state-storm 100 1000 4 1001 3", "state-storm: bad rate \"1001\""},
    {"state-storm 100 0 4 100 3", "state-storm: bad duration \"0\""},
    {"state-storm 100 1000 4 100 3 idle", "state-storm: bad state \"idle\""},
    {"callback-lock yes", "callback-lock: bad value \"yes\""},
    {"clear-wait never", "clear-wait: bad value \"never\""},
    {"clear-wait", "clear-wait: missing value"},
    {"query-hang", "query-hang: missing time"},
    {"query-hang later", "query-hang: bad time \"later\""},
    {"query-hang 100 200", "query-hang: unexpected \"200\""},
};

TEST(Scenario, BadLinesAreReportedAndChangeNothing) {
  for (const BadLine& line : kBadLines) {
    SCOPED_TRACE(line.text);
    const cs::Scenario s = cs::ParseScenario(line.text);
    ASSERT_EQ(s.issues.size(), 1u) << IssuesOf(s);
    EXPECT_EQ(s.issues[0].line, 1);
    EXPECT_EQ(s.issues[0].what, line.issue);
    ExpectDefaults(s);
  }
}

TEST(Scenario, ConflictCountsAddUpToTheirBound) {
  const cs::Scenario s = cs::ParseScenario(
      "conflicts 60000 closable 1 a.exe\n"
      "conflicts 40000 closable 1 b.exe\n"
      "conflicts 1 closable 1 c.exe\n");
  EXPECT_EQ(s.conflicts.size(), 100000u);
  ASSERT_EQ(s.issues.size(), 1u) << IssuesOf(s);
  EXPECT_EQ(s.issues[0].line, 3);
  EXPECT_EQ(s.issues[0].what, "conflicts: more than 100000 entries in all");
}

TEST(Scenario, LongMessageTextRepeatsToItsSize) {
  EXPECT_EQ(cs::RepeatToSize("", 3), "xxx");
  EXPECT_EQ(cs::RepeatToSize("abc", 7), "abcabca");
  EXPECT_EQ(cs::RepeatToSize("abc", 2), "ab");
}

TEST(Scenario, BadLinesCarryTheirLineNumbersAndTheRestStillApplies) {
  const cs::Scenario s = cs::ParseScenario(
      "# line 1\n"
      "init 2\n"
      "speed 9000\n"
      "\n"
      "address 10.1.2.3\n"
      "message later 0x1 text\n"
      "message 100 0x50000A09 upgrade\n");
  ASSERT_EQ(s.issues.size(), 2u) << IssuesOf(s);
  EXPECT_EQ(s.issues[0].line, 3);
  EXPECT_EQ(s.issues[0].what, "unknown key \"speed\"");
  EXPECT_EQ(s.issues[1].line, 6);
  EXPECT_EQ(s.initResult, 2u);
  EXPECT_EQ(s.address, "10.1.2.3");
  ASSERT_EQ(s.events.size(), 1u);
  EXPECT_EQ(s.events[0].code, 0x50000A09u);
}

TEST(Scenario, LaterLinesWinAndListsKeepFileOrder) {
  const cs::Scenario s = cs::ParseScenario(
      "init 3\n"
      "init 0\n"
      "state 500 5\n"
      "message init+200 0x30170004 found programs\n"
      "conflict closable 1 a.exe A\n"
      "conflict unclosable 2 b.exe B\n");
  EXPECT_TRUE(s.issues.empty()) << IssuesOf(s);
  EXPECT_EQ(s.initResult, 0u);
  ASSERT_EQ(s.events.size(), 2u);
  EXPECT_TRUE(s.events[0].isState);
  EXPECT_EQ(s.events[1].code, 0x30170004u);
  ASSERT_EQ(s.conflicts.size(), 2u);
  EXPECT_EQ(s.conflicts[0].program, "a.exe");
  EXPECT_EQ(s.conflicts[1].program, "b.exe");
}

TEST(Scenario, ConflictFieldsKeepRoomForTheirTerminator) {
  const std::string program260(260, 'p');
  const std::string name42(42, 'n');
  cs::Scenario s = cs::ParseScenario("conflict closable 1 " + program260 + " " + name42);
  EXPECT_TRUE(s.issues.empty()) << IssuesOf(s);
  ASSERT_EQ(s.conflicts.size(), 1u);
  EXPECT_EQ(s.conflicts[0].program.size(), 260u);
  EXPECT_EQ(s.conflicts[0].displayName.size(), 42u);

  s = cs::ParseScenario("conflict closable 1 " + program260 + "p name");
  ASSERT_EQ(s.issues.size(), 1u);
  EXPECT_EQ(s.issues[0].what, "conflict: program longer than 260 bytes");
  EXPECT_TRUE(s.conflicts.empty());

  s = cs::ParseScenario("conflict closable 1 x.exe " + name42 + "n");
  ASSERT_EQ(s.issues.size(), 1u);
  EXPECT_EQ(s.issues[0].what, "conflict: name longer than 42 bytes");
}

TEST(Scenario, AnyBytesParseWithoutHarm) {
  using namespace std::string_literals;
  const std::string sample =
      "init 2\nmessage 10 0x50000A09 \"text\nconflict closable 1 \"a b\" c\n"
      "state init+5 5\naccount-date 2030-1-1\n\x01\x02\xFF\xFE garbage \0 more\n"s;
  // Every cut of a realistic file, as an editor saving half-way might leave it.
  for (size_t n = 0; n <= sample.size(); ++n) cs::ParseScenario(std::string_view(sample).substr(0, n));

  std::string noise;
  uint32_t x = 12345;
  for (int i = 0; i < 20000; ++i) {
    x = x * 1103515245u + 12345u;
    noise.push_back(static_cast<char>(x >> 16));
  }
  const cs::Scenario s = cs::ParseScenario(noise);
  for (const cs::Issue& issue : s.issues) EXPECT_GT(issue.line, 0);
}
