#include "coreapi/core_records.h"

#include <gtest/gtest.h>

#include "utc_zone.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "core/account_notice.h"

TEST(CoreStartRecord, CarriesPrefixedNamePasswordAndServiceMask) {
  const CoreStartRecord r = MakeCoreStartRecord("alice", "pw123", 1);
  const auto* b = reinterpret_cast<const uint8_t*>(&r);
  EXPECT_STREQ(reinterpret_cast<const char*>(b), "KA.alice");
  for (int i = 8; i < 41; ++i) EXPECT_EQ(b[i], 0) << i;
  EXPECT_STREQ(reinterpret_cast<const char*>(b + 41), "pw123");
  for (int i = 46; i < 176; ++i) EXPECT_EQ(b[i], 0) << i;
  EXPECT_EQ(b[176], 2);
  EXPECT_EQ(MakeCoreStartRecord("a", "b", 0).serviceMask, 1u);
  EXPECT_EQ(MakeCoreStartRecord("a", "b", 7).serviceMask, 1u) << "an index out of range must not shift past the word";
}

TEST(CoreStartRecord, LongestNamesStayTerminatedInsideTheField) {
  const std::string twenty(20, 'n');
  EXPECT_EQ(std::string(MakeCoreStartRecord(twenty.c_str(), "", 0).userName), "KA." + twenty);
  char unterminated[41];
  std::memset(unterminated, 'z', sizeof unterminated);  // no terminator at all
  const CoreStartRecord r = MakeCoreStartRecord(unterminated, "", 0);
  EXPECT_EQ(r.userName[40], '\0');
  EXPECT_EQ(std::string(r.userName), "KA." + std::string(37, 'z'));
}

// The notice table runs in UTC so the midnight of a date is a fixed number.
class AccountNoticeTest : public ::testing::Test {
 protected:
  void SetUp() override { UseUtcZone(); }
  static constexpr std::time_t kMidnight = 1796860800;  // 2026-12-10 00:00:00 UTC
  static constexpr char kDate[12] = "2026-12-10";
};

TEST_F(AccountNoticeTest, DateMidnightIsLocalMidnight) {
  std::time_t midnight = 0;
  ASSERT_TRUE(DateMidnight(kDate, &midnight));
  EXPECT_EQ(midnight, kMidnight);
  // An unterminated field followed by more digits: only its 11 bytes count.
  const char record[16] = {'2', '0', '2', '6', '-', '1', '2', '-', '1', '0', ' ', '5', '5', '\0'};
  const char unterminated[16] = {' ', '2', '0', '2', '6', '-', '1', '2', '-', '1', '0', '5', '\0'};
  ASSERT_TRUE(DateMidnight(record, &midnight));
  EXPECT_EQ(midnight, kMidnight);
  ASSERT_TRUE(DateMidnight(unterminated, &midnight));
  EXPECT_EQ(midnight, kMidnight) << "read past the 11-byte field";
  // Fields are always 11 bytes: the function reads all of them.
  const char garbage[11] = "garbage";
  const char badMonth[11] = "2026-13-01";
  EXPECT_FALSE(DateMidnight(garbage, &midnight));
  EXPECT_FALSE(DateMidnight(badMonth, &midnight));
}

TEST_F(AccountNoticeTest, EndDateNoticeWithinTwoDays) {
  struct Case {
    std::time_t now;
    AccountNotice expected;
  };
  const Case cases[] = {
      {kMidnight - 172800, AccountNotice::None},     // exactly two days ahead
      {kMidnight - 172799, AccountNotice::EndDate},  // just under
      {kMidnight - 3600, AccountNotice::EndDate},
      {kMidnight, AccountNotice::EndDate},  // not earlier than now
      {kMidnight + 1, AccountNotice::None},  // already past
  };
  for (const Case& c : cases)
    EXPECT_EQ(DecideAccountNotice(0x410, kDate, 0, c.now), c.expected) << "now = midnight + " << c.now - kMidnight;
}

TEST_F(AccountNoticeTest, EndTimeNoticeInTheLastHour) {
  EXPECT_EQ(DecideAccountNotice(0x420, kDate, 59, kMidnight), AccountNotice::EndTime);
  EXPECT_EQ(DecideAccountNotice(0x420, kDate, 10, kMidnight), AccountNotice::EndTime);
  EXPECT_EQ(DecideAccountNotice(0x420, kDate, 0, kMidnight), AccountNotice::EndTime);
  EXPECT_EQ(DecideAccountNotice(0x420, kDate, 60, kMidnight), AccountNotice::None);
}

TEST_F(AccountNoticeTest, StatusWordsWithoutANotice) {
  const std::time_t soon = kMidnight - 60;
  EXPECT_EQ(DecideAccountNotice(0xC80, kDate, 5, soon), AccountNotice::None);  // level 3, end shown only
  EXPECT_EQ(DecideAccountNotice(0x428, kDate, 5, soon), AccountNotice::None);  // no end data
  EXPECT_EQ(DecideAccountNotice(0x020, kDate, 5, soon), AccountNotice::None);  // no level
  EXPECT_EQ(DecideAccountNotice(0x010, kDate, 5, soon), AccountNotice::None);
  // A date end never falls back to the remaining time.
  const char bad[11] = "bad";
  EXPECT_EQ(DecideAccountNotice(0x430, bad, 5, soon), AccountNotice::None);
  // Level 3 with a real end still gets its notice.
  EXPECT_EQ(DecideAccountNotice(0xC90, kDate, 5, soon), AccountNotice::EndDate);
  EXPECT_EQ(DecideAccountNotice(0x1C20, kDate, 5, soon), AccountNotice::EndTime);
}
