#include "ui/status_panel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "ui/control_ids.h"
#include "ui/number_format.h"

namespace {

constexpr int32_t kIdle = 1, kConnecting = 2, kConnected = 3, kDisconnecting = 4;

// What the stand-in core reports a minute into a connection.
CoreQueryRecord Connection() {
  CoreQueryRecord r{};
  r.id = 770023;
  r.status = 0x490;
  r.minutesLeft = 59;
  std::strcpy(r.date, "2026-12-10");
  std::strcpy(r.ip, "10.77.0.23");
  r.startTime = 1363788300;
  r.connectedSeconds = 3725;
  r.bytesSent = 1536;
  r.bytesReceived = 12800;
  r.sendRate = 0.5f;
  r.receiveRate = 1.5f;
  return r;
}

const StatusValue& Value(const StatusValues& values, int controlId) {
  for (const StatusValue& v : values)
    if (v.controlId == controlId) return v;
  ADD_FAILURE() << "no value for control " << controlId;
  static const StatusValue none{};
  return none;
}

// The text a control shows, or "-" when it is left blank.
std::string Shown(const StatusValues& values, int controlId) {
  const StatusValue& v = Value(values, controlId);
  return v.drawn ? v.text : "-";
}

TEST(FormatSize, LargestUnitThatLeavesMoreThanOne) {
  struct Case {
    uint32_t count;
    const char* suffix;
    const char* text;
  };
  const Case cases[] = {
      {0, "B", "0.00B"},
      {1024, "B", "1024.00B"},
      {1025, "B", "1.00KB"},
      {1536, "B", "1.50KB"},
      {1024 * 1024, "B", "1024.00KB"},
      {1024 * 1024 + 1, "B", "1.00MB"},
      {4294967295u, "B", "4.00GB"},
      {12800, "bps", "12.50Kbps"},
      {1536, nullptr, "1.50K"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatSize(c.count, c.suffix), c.text) << c.count;
}

TEST(StatusPanel, ConnectedShowsEveryFigureOfTheRecord) {
  const StatusValues v = StatusPanelTexts(Connection(), kConnected);
  EXPECT_EQ(Shown(v, IDC_ADDRESS), "10.77.0.23");
  EXPECT_EQ(Shown(v, IDC_CONN_TIME), "1:2:5");
  EXPECT_EQ(Shown(v, IDC_RECV_DATA), "12.50KB");  // the counter at 52
  EXPECT_EQ(Shown(v, IDC_SENT_DATA), "1.50KB");   // the counter at 48
  EXPECT_EQ(Shown(v, IDC_RECV_RATE), "1.50Kbps");  // the rate at 60
  EXPECT_EQ(Shown(v, IDC_SENT_RATE), "512.00bps");  // the rate at 56
  EXPECT_EQ(Shown(v, IDC_EXPIRY), "2026-12-10");
}

TEST(StatusPanel, OnlyTheConnectedStateShowsAnything) {
  for (int32_t state : {kIdle, kConnecting, kDisconnecting, 0, 5}) {
    for (const StatusValue& v : StatusPanelTexts(Connection(), state))
      EXPECT_FALSE(v.drawn) << "state " << state << ", control " << v.controlId;
  }
}

TEST(StatusPanel, ConnectionTimeCountsHoursWithoutWrapOrLeadingZeros) {
  struct Case {
    int32_t seconds;
    const char* text;
  };
  const Case cases[] = {
      {0, "0:0:0"},
      {3725, "1:2:5"},
      {25 * 3600 + 61, "25:1:1"},
      {2147483647, "596523:14:"},  // "596523:14:7" cut at ten characters
  };
  for (const Case& c : cases) {
    CoreQueryRecord r = Connection();
    r.connectedSeconds = static_cast<uint32_t>(c.seconds);
    EXPECT_EQ(Shown(StatusPanelTexts(r, kConnected), IDC_CONN_TIME), c.text) << c.seconds;
  }
}

TEST(StatusPanel, RatesAreUnitsOf1024PerSecond) {
  struct Case {
    float rate;
    const char* text;
  };
  const Case cases[] = {
      {0.5f, "512.00bps"},
      {1.0f, "1024.00bps"},
      {1.5f, "1.50Kbps"},
      {0.0f, "0.00bps"},
      {4194304.0f, "0.00bps"},  // 2^32 bytes: only the low 32 bits count
      // Nonsense from the core shows nothing moving instead of a wrapped giant.
      {-1.0f, "0.00bps"},
      {std::numeric_limits<float>::quiet_NaN(), "0.00bps"},
      {std::numeric_limits<float>::infinity(), "0.00bps"},
      {1e30f, "0.00bps"},
  };
  for (const Case& c : cases) {
    CoreQueryRecord r = Connection();
    r.sendRate = c.rate;
    r.receiveRate = c.rate;
    const StatusValues v = StatusPanelTexts(r, kConnected);
    EXPECT_EQ(Shown(v, IDC_SENT_RATE), c.text) << c.rate;
    EXPECT_EQ(Shown(v, IDC_RECV_RATE), c.text) << c.rate;
  }
}

TEST(StatusPanel, ExpiryFollowsTheStatusWord) {
  struct Case {
    uint32_t status;
    const char* text;
  };
  const Case cases[] = {
      {0x90, "2026-12-10"},  // shown, a date
      {0x490, "2026-12-10"},  // the account level bits do not matter
      {0xA0, "59"},           // shown, minutes left
      {0xB0, "2026-12-10"},   // both: the date wins
      {0x80, "-"},            // shown, but neither kind
      {0x10, "-"},            // a date, not shown
      {0x20, "-"},
      {0x98, "-"},  // "no end" overrides
      {0xA8, "-"},
      {0x08, "-"},
      {0, "-"},
  };
  for (const Case& c : cases) {
    CoreQueryRecord r = Connection();
    r.status = c.status;
    EXPECT_EQ(Shown(StatusPanelTexts(r, kConnected), IDC_EXPIRY), c.text) << std::hex << c.status;
  }
}

TEST(StatusPanel, MinutesLeftAreCutAtSixCharacters) {
  CoreQueryRecord r = Connection();
  r.status = 0xA0;
  r.minutesLeft = 4294967295u;
  EXPECT_EQ(Shown(StatusPanelTexts(r, kConnected), IDC_EXPIRY), "429496");
}

TEST(StatusPanel, WithoutAnAddressNeitherAddressNorExpiryShow) {
  CoreQueryRecord r = Connection();
  std::memset(r.ip, 0, sizeof r.ip);
  const StatusValues v = StatusPanelTexts(r, kConnected);
  EXPECT_EQ(Shown(v, IDC_ADDRESS), "-");
  EXPECT_EQ(Shown(v, IDC_EXPIRY), "-");
  EXPECT_EQ(Shown(v, IDC_CONN_TIME), "1:2:5");
}

TEST(StatusPanel, WithoutAStartTheFiveLiveFiguresStayBlank) {
  CoreQueryRecord r = Connection();
  r.startTime = 0;
  const StatusValues v = StatusPanelTexts(r, kConnected);
  for (int id : {IDC_CONN_TIME, IDC_RECV_DATA, IDC_RECV_RATE, IDC_SENT_DATA, IDC_SENT_RATE})
    EXPECT_EQ(Shown(v, id), "-") << id;
  EXPECT_EQ(Shown(v, IDC_ADDRESS), "10.77.0.23");
}

TEST(StatusPanel, UnterminatedAddressAndDateAreReadWithinTheirFields) {
  CoreQueryRecord r = Connection();
  std::memcpy(r.date, "2026-12-10X", 11);        // 11 bytes, runs straight into the address
  std::memcpy(r.ip, "123.123.123.1234Y", 17);    // 17 bytes, runs into the start time
  r.startTime = 0x41414141;                      // "AAAA" if read past the field
  const StatusValues v = StatusPanelTexts(r, kConnected);
  EXPECT_EQ(Shown(v, IDC_ADDRESS), "123.123.123.1234");  // cut at 16
  EXPECT_EQ(Shown(v, IDC_EXPIRY), "2026-12-10X");       // all 11, nothing of the address
  const auto lines = QueryLogLines(r);
  EXPECT_EQ(lines[0], "INFO: ID = 770023; Status = 1168; Time = 59; Date = 2026-12-10X");
  EXPECT_EQ(lines[1], "INFO: IP = 123.123.123.1234Y (17); Start = 1094795585; Time = 3725");
}

TEST(StatusPanel, ValuesAreCutWithoutSplittingACharacter) {
  CoreQueryRecord r = Connection();
  std::memcpy(r.ip, "1234567890abcde\xC1\xAC", 17);  // a double-byte character across the limit
  EXPECT_EQ(Shown(StatusPanelTexts(r, kConnected), IDC_ADDRESS), "1234567890abcde");
}

TEST(StatusPanel, ConnectionTimePaintsTheFiveLiveFiguresTogether) {
  struct Case {
    int control;
    int paintedWith;
  };
  const Case cases[] = {
      {IDC_ADDRESS, IDC_ADDRESS},     {IDC_CONN_TIME, IDC_CONN_TIME}, {IDC_RECV_DATA, IDC_CONN_TIME},
      {IDC_RECV_RATE, IDC_CONN_TIME}, {IDC_SENT_DATA, IDC_CONN_TIME}, {IDC_SENT_RATE, IDC_CONN_TIME},
      {IDC_EXPIRY, IDC_EXPIRY},
  };
  const StatusValues v = StatusPanelTexts(Connection(), kConnected);
  for (const Case& c : cases) EXPECT_EQ(Value(v, c.control).paintedWith, c.paintedWith) << c.control;
  // Only the controls that paint values ask the core: not the about panel, not the four others.
  for (int id : {IDC_ADDRESS, IDC_CONN_TIME, IDC_EXPIRY}) EXPECT_TRUE(StatusControlReadsCore(id)) << id;
  for (int id : {IDC_ABOUT_PANEL, IDC_RECV_DATA, IDC_SENT_DATA, IDC_RECV_RATE, IDC_SENT_RATE, IDC_STATUS_PANEL, 0})
    EXPECT_FALSE(StatusControlReadsCore(id)) << id;
}

TEST(StatusPanel, LogLinesCarryTheRecord) {
  const auto lines = QueryLogLines(Connection());
  EXPECT_EQ(lines[0], "INFO: ID = 770023; Status = 1168; Time = 59; Date = 2026-12-10");
  EXPECT_EQ(lines[1], "INFO: IP = 10.77.0.23 (10); Start = 1363788300; Time = 3725");
  EXPECT_EQ(lines[2], "INFO: Recv: 1536; Out: 12800");
}

TEST(StatusPanel, ARecordIsLoggedOncePerSecondOfConnection) {
  struct Step {
    uint32_t start;
    uint32_t seconds;
    bool logged;
  };
  const Step steps[] = {
      {100, 5, true},   // first paint
      {100, 5, false},  // the other paints of the same refresh
      {100, 5, false},
      {100, 6, true},   // the next refresh
      {200, 6, true},   // a new connection at the same count
      {0, 0, true},     // an empty record after a failed query
      {0, 0, false},
  };
  QueryLogMark mark;
  for (const Step& s : steps) {
    CoreQueryRecord r{};
    r.startTime = s.start;
    r.connectedSeconds = s.seconds;
    EXPECT_EQ(TakeQueryLogTurn(&mark, r), s.logged) << s.start << " " << s.seconds;
  }
}

}  // namespace
