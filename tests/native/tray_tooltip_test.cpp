#include "tray/tray_tooltip.h"

#include <gtest/gtest.h>

#include "base/gbk_text.h"
#include "utc_zone.h"

#include <cstdlib>
#include <cstring>

namespace {

// The string table's texts, as code page 936 bytes (this file is compiled to GBK).
TrayTexts Texts() {
  return TrayTexts{"\n已连接到: ", "\n正在连接: ", "\n无连接", "\n正在断开: ", "\n连接时间: ", "\n分配地址: %s"};
}

class TrayTooltipTest : public ::testing::Test {
 protected:
  void SetUp() override { UseUtcZone(); }
  static constexpr uint32_t kStart = 1363788300;  // 2013-03-20 14:05 UTC
};

TEST_F(TrayTooltipTest, EachStateHasItsIconAndLines) {
  const char ip[17] = "10.77.0.23";
  struct Case {
    int state;
    int icon;
    const char* tip;
  };
  const Case cases[] = {
      {1, IDI_IDLE, "Lumora Zephal\n无连接"},
      {2, IDI_CONNECTING, "Lumora Zephal\n正在连接: lumora_zephal"},
      {3, IDI_CONNECTED, "Lumora Zephal\n已连接到: lumora_zephal\n连接时间: 13-03-20 14:05\n分配地址: 10.77.0.23"},
      {4, IDI_CONNECTING, "Lumora Zephal\n正在断开: lumora_zephal"},
      {5, IDI_IDLE, "Lumora Zephal"},
      {0, IDI_IDLE, "Lumora Zephal"},
  };
  for (const Case& c : cases) {
    const TrayFace face = BuildTrayFace(c.state, Texts(), kStart, ip);
    EXPECT_EQ(face.icon, c.icon) << c.state;
    EXPECT_EQ(face.tip, c.tip) << c.state;
  }
}

TEST_F(TrayTooltipTest, WithoutAnAddressTheTipEndsAfterTheStartTime) {
  const char ip[17] = {};
  EXPECT_EQ(BuildTrayFace(3, Texts(), kStart, ip).tip,
            "Lumora Zephal\n已连接到: lumora_zephal\n连接时间: 13-03-20 14:05");
}

TEST_F(TrayTooltipTest, UnterminatedAddressStopsAtItsField) {
  char record[32];
  std::memset(record, '9', sizeof record);  // 17 address bytes and then more, no terminator
  const TrayFace face = BuildTrayFace(3, Texts(), kStart, record);
  EXPECT_NE(face.tip.find("\n分配地址: " + std::string(17, '9')), std::string::npos);
  EXPECT_EQ(face.tip.find(std::string(18, '9')), std::string::npos);
  EXPECT_LT(face.tip.size(), kTrayTipSize);
}

TEST_F(TrayTooltipTest, OverlongTextsStayInsideTheTipWithoutSplittingACharacter) {
  TrayTexts texts = Texts();
  std::string wide;
  for (int i = 0; i < 60; ++i) wide += "连";  // 120 bytes of double-byte characters
  texts.connected = wide;
  texts.time = wide;
  const char ip[17] = "1.2.3.4";  // the whole 17-byte field, as the record has it
  const TrayFace face = BuildTrayFace(3, texts, kStart, ip);
  EXPECT_LE(face.tip.size(), kTrayTipSize - 1);
  // Every piece is cut to 49 bytes: never half a character.
  size_t i = 0;
  while (i < face.tip.size()) i += static_cast<unsigned char>(face.tip[i]) >= 0x81 ? 2 : 1;
  EXPECT_EQ(i, face.tip.size());
}

TEST(CutGbk, KeepsWholeCharacters) {
  EXPECT_EQ(CutGbk("ab", 5), "ab");
  EXPECT_EQ(CutGbk("a连b", 2), "a");
  EXPECT_EQ(CutGbk("a连b", 3), "a连");
  EXPECT_EQ(CutGbk("连", 1), "");
}

}  // namespace
