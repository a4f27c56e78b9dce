#include "app/report_format.h"

#include <gtest/gtest.h>

#include <cstring>

#include "app/command_line.h"
#include "base/version.h"
#include "coreapi/core_records.h"
#include "ui/number_format.h"

TEST(ReportFormat, LevelsAboveThreeNeedTheVerboseLog) {
  EXPECT_TRUE(report::Logged(0x10003, false));
  EXPECT_TRUE(report::Logged(0x12020, false));
  EXPECT_FALSE(report::Logged(0x10004, false));
  EXPECT_FALSE(report::Logged(0x1000F, false));
  EXPECT_TRUE(report::Logged(0x10004, true));
}

TEST(ReportFormat, LogLineIsTimeStampBlankText) {
  std::tm t{};
  t.tm_year = 2026 - 1900;
  t.tm_mon = 0;
  t.tm_mday = 5;
  t.tm_hour = 7;
  t.tm_min = 8;
  t.tm_sec = 9;
  EXPECT_EQ(report::ComposeLogLine(t, "hello"), "2026-01-05 07:08:09 hello");
}

TEST(ReportFormat, VerboseMessagesCarryTheCodeInHex) {
  EXPECT_EQ(report::TaggedMessage("", 0x10004, "INFO: x", true), "(#10004) INFO: x");
  EXPECT_EQ(report::TaggedMessage("", 0x10004, "INFO: x", false), "INFO: x");
  EXPECT_EQ(report::TaggedMessage("[DLL]", 0x50130209, "bad", true), "[DLL](#50130209) bad");
}

TEST(ReportFormat, MessagesAreCutAt1023Characters) {
  const std::string longText(1500, 'x');
  EXPECT_EQ(report::CutMessage(longText).size(), 1023u);
  EXPECT_EQ(report::CutMessage(std::string(1023, 'y')).size(), 1023u);
  EXPECT_EQ(report::TaggedMessage("", 1, longText.c_str(), true).size(), 1023u);
}

TEST(CommandLine, OnlyTheWholeSwitchInAnyCaseTurnsVerboseOn) {
  EXPECT_TRUE(IsDebugLogSwitch("-debuglog"));
  EXPECT_TRUE(IsDebugLogSwitch("-DEBUGLOG"));
  EXPECT_TRUE(IsDebugLogSwitch("-DebugLog"));
  EXPECT_FALSE(IsDebugLogSwitch("-debuglog x"));
  EXPECT_FALSE(IsDebugLogSwitch(" -debuglog"));
  EXPECT_FALSE(IsDebugLogSwitch("debuglog"));
  EXPECT_FALSE(IsDebugLogSwitch(""));
}

TEST(Version, PackedFieldsAreFourEightFourSixteenBits) {
  EXPECT_EQ(FormatVersion(0x1072003A), "1.7.2.0058");
  EXPECT_EQ(FormatVersion(0xFFFFFFFF), "15.255.15.65535");
  EXPECT_EQ(FormatVersion(0), "0.0.0.0000");
}

TEST(CoreInitRecord, CarriesServerTagVersionAndProduct) {
  const CoreInitRecord r = MakeCoreInitRecord("abcdefghijklmnopqrstuvwxyz");
  const auto* bytes = reinterpret_cast<const uint8_t*>(&r);
  EXPECT_EQ(std::memcmp(bytes, "abcdefghijklmnopqrstu", 21), 0);  // first 21, unterminated
  EXPECT_EQ(std::memcmp(bytes + 21, "KAVRO", 5), 0);
  for (int i = 26; i < 44; ++i) EXPECT_EQ(bytes[i], 0) << i;
  EXPECT_EQ(bytes[44], 0x3A);
  EXPECT_EQ(bytes[47], 0x10);
  EXPECT_EQ(bytes[48], 12);

  const CoreInitRecord shortName = MakeCoreInitRecord("rd");
  EXPECT_EQ(shortName.redirectServer[2], '\0');
}
