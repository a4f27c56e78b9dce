#include "settings/client_config.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "settings/run_entry.h"

namespace cc = client_config;

TEST(ClientConfig, NibbleSwapExchangesHalvesAndIsItsOwnInverse) {
  EXPECT_EQ(cc::NibbleSwap(0x4A), 0xA4);
  EXPECT_EQ(cc::NibbleSwap(0x00), 0x00);
  for (int b = 0; b < 256; ++b) EXPECT_EQ(cc::NibbleSwap(cc::NibbleSwap(static_cast<uint8_t>(b))), b);
}

TEST(ClientConfig, ConfigByteMapsEachFlagToItsBit) {
  struct Case {
    uint8_t byte;
    cc::ConfigFlags flags;
  };
  const Case cases[] = {
      {0x84, {true, false, false, false, false, true}},
      {0x80, {true, false, false, false, false, false}},
      {0x40, {false, true, false, false, false, false}},
      {0x20, {false, false, true, false, false, false}},
      {0x10, {false, false, false, true, false, false}},
      {0x08, {false, false, false, false, true, false}},
      {0x04, {false, false, false, false, false, true}},
      {0xFC, {true, true, true, true, true, true}},
  };
  for (const Case& c : cases) {
    const cc::ConfigFlags f = cc::DecodeConfigByte(c.byte);
    EXPECT_EQ(f.rememberUser, c.flags.rememberUser) << std::hex << int(c.byte);
    EXPECT_EQ(f.rememberPassword, c.flags.rememberPassword) << std::hex << int(c.byte);
    EXPECT_EQ(f.autoRun, c.flags.autoRun) << std::hex << int(c.byte);
    EXPECT_EQ(f.autoLogin, c.flags.autoLogin) << std::hex << int(c.byte);
    EXPECT_EQ(f.importantOnly, c.flags.importantOnly) << std::hex << int(c.byte);
    EXPECT_EQ(f.writeLog, c.flags.writeLog) << std::hex << int(c.byte);
    EXPECT_EQ(cc::EncodeConfigByte(f), c.byte);
  }
  // The two low bits carry nothing: ignored on load, written as zero.
  EXPECT_EQ(cc::EncodeConfigByte(cc::DecodeConfigByte(0x87)), 0x84);
}

TEST(ClientConfig, TextFieldsScrambleAndStopAtTheTerminator) {
  char name[41] = "abc";
  const auto field = cc::EncodeTextField(name);
  EXPECT_EQ(field[0], 0x16);
  EXPECT_EQ(field[1], 0x26);
  EXPECT_EQ(field[2], 0x36);
  EXPECT_EQ(field[3], 0x00);

  char out[cc::kTextBufferSize];
  std::memset(out, 'x', sizeof out);
  cc::DecodeTextField(field.data(), out);
  EXPECT_STREQ(out, "abc");

  // Bytes after the terminator carry no meaning, even when they are not zero.
  uint8_t withTail[20] = {0x16, 0x26, 0x00, 0x46, 0x56};
  cc::DecodeTextField(withTail, out);
  EXPECT_STREQ(out, "ab");
}

TEST(ClientConfig, TwentyCharacterTextHasNoTerminatorAndRoundTrips) {
  char name[41] = "abcdefghijklmnopqrst";  // exactly 20
  const auto field = cc::EncodeTextField(name);
  for (uint8_t b : field) EXPECT_NE(b, 0);
  char out[cc::kTextBufferSize];
  cc::DecodeTextField(field.data(), out);
  EXPECT_STREQ(out, "abcdefghijklmnopqrst");
  EXPECT_EQ(out[20], '\0');
}

// What a save writes into the two login fields: the options decide which text
// stays, and a buffer's bytes past its terminator (the tail of a longer text
// typed before) never do.
TEST(ClientConfig, SaveWritesOnlyWhatTheOptionsKeepAndNoEarlierTail) {
  struct Case {
    bool rememberUser, rememberPassword;
    std::string user, password;  // buffers as the main window leaves them
    std::string storedUser, storedPassword;
  };
  const std::string twenty = "abcdefghijklmnopqrst";
  const Case cases[] = {
      {true, true, std::string("bob\0ce", 6), std::string("pw\0cret", 7), "bob", "pw"},
      {true, false, "alice", "secret", "alice", ""},
      {false, true, "alice", "secret", "", ""},  // the password goes with the name
      {false, false, "alice", "secret", "", ""},
      {true, true, twenty, twenty, twenty, twenty},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.rememberUser << c.rememberPassword << " " << c.storedUser);
    char user[41] = {}, password[41] = {};
    std::memcpy(user, c.user.data(), c.user.size());
    std::memcpy(password, c.password.data(), c.password.size());
    const cc::ConfigFlags flags{c.rememberUser, c.rememberPassword, false, false, false, false};
    const cc::LoginFields f = cc::StoredLogin(flags, user, password);
    for (size_t i = 0; i < cc::kTextFieldSize; ++i) {
      EXPECT_EQ(f.userName[i], i < c.storedUser.size() ? cc::NibbleSwap(c.storedUser[i]) : 0) << i;
      EXPECT_EQ(f.password[i], i < c.storedPassword.size() ? cc::NibbleSwap(c.storedPassword[i]) : 0) << i;
    }
  }
}

TEST(ClientConfig, FieldAccessNeverLeavesTheValue) {
  std::vector<uint8_t> full(126, 0x55);
  uint8_t out[20];
  EXPECT_TRUE(cc::ReadField(full, 111, out, 1));
  EXPECT_TRUE(cc::ReadField(full, 106, out, 20));
  EXPECT_FALSE(cc::ReadField(full, 107, out, 20));

  // A short value is refused whole, even for fields that would fit.
  std::vector<uint8_t> shortValue(125, 0x55);
  EXPECT_FALSE(cc::ReadField(shortValue, 0, out, 4));
  EXPECT_FALSE(cc::PatchField(shortValue, 0, out, 4));
  EXPECT_EQ(shortValue, std::vector<uint8_t>(125, 0x55));
}

TEST(ClientConfig, PatchReplacesOnlyTheGivenBytes) {
  std::vector<uint8_t> value(126);
  for (size_t i = 0; i < value.size(); ++i) value[i] = static_cast<uint8_t>(i);
  const std::vector<uint8_t> before = value;
  const uint8_t one = 1;
  ASSERT_TRUE(cc::PatchField(value, cc::kServiceIndexOffset, &one, 1));
  for (size_t i = 0; i < value.size(); ++i) {
    if (i == cc::kServiceIndexOffset)
      EXPECT_EQ(value[i], 1);
    else
      EXPECT_EQ(value[i], before[i]) << "byte " << i;
  }
}

TEST(RunEntry, PathIsQuotedOnlyWhenItHasABlank) {
  std::string entry;
  ASSERT_TRUE(BuildRunEntry("C:\\Zephal\\", &entry));
  EXPECT_EQ(entry, "C:\\Zephal\\lumora_zephal.exe");
  ASSERT_TRUE(BuildRunEntry("C:\\Program Files\\Lumora Zephal\\", &entry));
  EXPECT_EQ(entry, "\"C:\\Program Files\\Lumora Zephal\\lumora_zephal.exe\"");
}

TEST(RunEntry, PathThatDoesNotFitIsRefusedNotCut) {
  std::string entry = "unchanged";
  // 242 + 17 = 259 characters and the terminator: exactly 260 bytes.
  const std::string fits = "C:\\" + std::string(238, 'a') + "\\";
  ASSERT_EQ(fits.size() + 17, 259u);
  EXPECT_TRUE(BuildRunEntry(fits, &entry));
  EXPECT_EQ(entry.size(), 259u);
  EXPECT_FALSE(BuildRunEntry(fits + "b", &entry));
  // The quotes count too.
  const std::string blank = "C:\\" + std::string(236, 'a') + " \\";
  EXPECT_FALSE(BuildRunEntry(blank, &entry));
}

TEST(ClientConfig, NewInstallationRemembersOnlyTheUserAndNamesNoServer) {
  const std::vector<uint8_t> value = cc::NewInstallationValue();
  ASSERT_EQ(value.size(), cc::kSize);
  const cc::ConfigFlags f = cc::DecodeConfigByte(value[cc::kConfigByteOffset]);
  EXPECT_TRUE(f.rememberUser);
  EXPECT_FALSE(f.rememberPassword || f.autoRun || f.autoLogin || f.importantOnly || f.writeLog);
  char server[cc::kTextBufferSize];
  cc::DecodeTextField(&value[cc::kRedirectServerOffset], server);
  EXPECT_STREQ(server, "");
  EXPECT_EQ(value[cc::kServiceIndexOffset], 0);
}

// The setup program writes "cert" from a hex text of its own; it must be
// exactly the encoding of the new installation's settings.
TEST(ClientConfig, SetupProgramWritesTheNewInstallationValue) {
  std::FILE* f = std::fopen(ZEPHAL_SOURCE_DIR "/installer/default_cert.nsh", "rb");
  ASSERT_NE(f, nullptr);
  std::string text;
  char buf[512];
  for (size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) text.append(buf, n);
  std::fclose(f);
  const std::string head = "!define DEFAULT_CERT \"";
  const size_t start = text.find(head);
  ASSERT_NE(start, std::string::npos);
  const size_t end = text.find('"', start + head.size());
  ASSERT_NE(end, std::string::npos);
  const std::string hex = text.substr(start + head.size(), end - start - head.size());
  std::vector<uint8_t> bytes;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) bytes.push_back(static_cast<uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
  EXPECT_EQ(hex.size(), 2 * cc::kSize);
  EXPECT_EQ(bytes, cc::NewInstallationValue());
}
