// Settings of the real program: what it refuses to start from and what it writes back.
#include <algorithm>
#include <functional>

#include "harness_win.h"
#include "probe_win.h"
#include "settings/client_config.h"
#include "settings/key_access.h"
#include "ui/control_ids.h"

namespace {

namespace cc = client_config;

const char kLoadFailureText[] = "尊敬的用户，为保障加速效果，\n已对您的系统网络环境进行了优化，\n请重启系统后生效。";

struct BrokenSetting {
  const char* name;
  std::function<void(const std::string& dir)> breakIt;
};

void PrintTo(const BrokenSetting& setting, std::ostream* os) { *os << setting.name; }

class LoadFailureTest : public ClientTest, public ::testing::WithParamInterface<BrokenSetting> {};

TEST_P(LoadFailureTest, EndsStartUpWithTheSettingsBoxAndCodeOne) {
  GetParam().breakIt(dir_);
  const auto pi = StartClient("-debuglog");
  HWND box = WaitBox(pi.dwProcessId);
  ASSERT_NE(box, nullptr);
  probe::MessageBoxInfo info;
  ASSERT_TRUE(probe::ReadMessageBox(box, &info));
  EXPECT_EQ(info.caption, "Lumora Zephal 提示信息");
  EXPECT_EQ(info.text, kLoadFailureText);
  EXPECT_EQ(FindWindowA("Zephal_Acc", nullptr), nullptr) << "no window exists before the settings load";
  probe::PressButton(box, IDOK);
  EXPECT_EQ(WaitExit(pi), 1u);
  EXPECT_FALSE(install::FileExists(LogPath()));
}

INSTANTIATE_TEST_SUITE_P(
    Settings, LoadFailureTest,
    ::testing::Values(
        BrokenSetting{"MissingKey", [](const std::string&) { install::DeleteKey(); }},
        BrokenSetting{"MissingDefault", [](const std::string&) { install::DeleteValue(""); }},
        BrokenSetting{"MissingCert", [](const std::string&) { install::DeleteValue("cert"); }},
        BrokenSetting{"ShortCert",
                      [](const std::string&) {
                        auto cert = install::DefaultCert();
                        cert.resize(125);
                        install::WriteCert(cert);
                      }},
        BrokenSetting{"CertOfAnotherType", [](const std::string&) { install::WriteCertAsString("cert"); }},
        BrokenSetting{"DirectoryTooLong",
                      [](const std::string&) { install::WriteDefaultValue("C:\\" + std::string(300, 'd') + "\\"); }}),
    [](const ::testing::TestParamInfo<BrokenSetting>& info) { return std::string(info.param.name); });

TEST(SettingsText, LoadFailureTextIsGbk) {
  // The box is compared as code page 936 bytes: "尊敬" is D7 F0 BE B4.
  EXPECT_EQ(std::string(kLoadFailureText).substr(0, 4), "\xD7\xF0\xBE\xB4");
}

using SettingsRoundTripTest = ClientTest;

TEST_F(SettingsRoundTripTest, FullLengthTextsAndForeignBytesSurviveAStartAndExit) {
  auto cert = install::DefaultCert();
  cert[44] = 0x84;  // rememberUser and writeLog
  cert[111] = 1;
  install::PutText(&cert, cc::kUserNameOffset, "abcdefghijklmnopqrst");        // 20, no terminator
  install::PutText(&cert, cc::kRedirectServerOffset, "redirect.example.tes");  // 20, no terminator
  for (size_t i = 0; i < 20; ++i) cert[cc::kPasswordOffset + i] = static_cast<uint8_t>(0xE0 + i);
  Install(cert);
  // The password is not remembered: the save forgets it.
  for (size_t i = 0; i < 20; ++i) cert[cc::kPasswordOffset + i] = 0;

  ASSERT_NE(StartClientAndWait(), nullptr);
  EXPECT_EQ(CloseClient(), 0u);
  const auto saved = install::ReadCert();
  ASSERT_EQ(saved.size(), 126u);
  // Version bytes come from the core; everything else must be as it was.
  for (size_t i = 4; i < 126; ++i) EXPECT_EQ(saved[i], cert[i]) << "byte " << i;
}

TEST_F(SettingsRoundTripTest, EmptyServerNameLoadsTheBuiltInDefault) {
  Install(install::DefaultCert());
  ASSERT_NE(StartClientAndWait(), nullptr);
  EXPECT_EQ(CloseClient(), 0u);
  const auto saved = install::ReadCert();
  ASSERT_EQ(saved.size(), 126u);
  char name[cc::kTextBufferSize];
  cc::DecodeTextField(saved.data() + cc::kRedirectServerOffset, name);
  EXPECT_STREQ(name, "rd.zephal.example");
}

TEST_F(SettingsRoundTripTest, UserNameIsNotLoadedWithoutRememberUserAndForgottenAtTheSave) {
  auto cert = install::DefaultCert();
  cert[44] = 0x04;
  install::PutText(&cert, cc::kUserNameOffset, "stored");
  Install(cert);
  ASSERT_NE(StartClientAndWait(), nullptr);
  HWND main = MainWindow();
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(probe::WindowText(GetDlgItem(main, IDC_USER)), "");
  EXPECT_EQ(CloseClient(), 0u);
  const auto saved = install::ReadCert();
  ASSERT_EQ(saved.size(), 126u);
  EXPECT_TRUE(std::all_of(saved.begin() + 4, saved.begin() + 44, [](uint8_t b) { return b == 0; }));
}

bool FieldIs(const std::vector<uint8_t>& cert, size_t offset, const std::string& text) {
  std::vector<uint8_t> expected(126, 0);
  install::PutText(&expected, offset, text);
  return cert.size() == 126 && std::equal(expected.begin() + offset, expected.begin() + offset + cc::kTextFieldSize,
                                          cert.begin() + offset);
}

// A shared PC: what one user asked to forget is gone from "cert" at the save
// the click makes, and the key holding it is for administrators alone.
TEST_F(SettingsRoundTripTest, UntickingTheRememberOptionsForgetsTheirFieldsAtOnce) {
  auto cert = install::DefaultCert();
  cert[44] = 0xC4;
  install::PutText(&cert, cc::kUserNameOffset, "alexander.the.great");
  install::PutText(&cert, cc::kPasswordOffset, "a-long-secret");
  Install(cert);
  ASSERT_NE(StartClientAndWait("-debuglog"), nullptr);
  HWND main = MainWindow();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(WaitLog("VIEW: view 1901 for state 1"));
  // The key was made as any program makes one below HKLM\Software: open to Users.
  EXPECT_EQ(probe::KeyDacl(install::kKey), key_access::kProtectedDacl);
  EXPECT_NE(Log().find("key was open to other accounts"), std::string::npos) << Log();

  SendMessageA(GetDlgItem(main, IDC_USER), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("bob"));
  PostMessageA(GetDlgItem(main, IDC_SAVE_PASSWORD), BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitLog("REG: settings saved (options 0x84)"));
  cert = install::ReadCert();
  EXPECT_TRUE(FieldIs(cert, cc::kUserNameOffset, "bob")) << "no tail of the longer name";
  EXPECT_TRUE(FieldIs(cert, cc::kPasswordOffset, "")) << "the password stayed";

  PostMessageA(GetDlgItem(main, IDC_SAVE_LOGIN), BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitLog("REG: settings saved (options 0x04)"));
  EXPECT_TRUE(FieldIs(install::ReadCert(), cc::kUserNameOffset, "")) << "the name stayed";
  EXPECT_EQ(CloseClient(), 0u);
  EXPECT_TRUE(FieldIs(install::ReadCert(), cc::kUserNameOffset, ""));
}

TEST_F(SettingsRoundTripTest, DirectoryWithoutBackslashGetsOne) {
  std::string dir = dir_;
  dir.pop_back();
  ASSERT_TRUE(install::WriteDefaultValue(dir));
  ASSERT_NE(StartClientAndWait(), nullptr);
  EXPECT_TRUE(WaitLog("built on Mar 20 2013")) << "the log belongs in the installation directory";
  EXPECT_EQ(CloseClient(), 0u);
}

TEST_F(SettingsRoundTripTest, LibraryVersionIsStoredAfterInitialisation) {
  ASSERT_NE(StartClientAndWait(), nullptr);
  ASSERT_TRUE(WaitLog("built on Mar 20 2013"));
  const uint32_t version = WaitStoredVersion();
  EXPECT_NE(version, 0u);
  char expected[64];
  std::snprintf(expected, sizeof expected, "(%u.%u.%u.%04u, ", version >> 28, (version >> 20) & 0xFF,
                (version >> 16) & 0xF, version & 0xFFFF);
  EXPECT_NE(Log().find(expected), std::string::npos) << "stored " << expected << " but logged:\n" << Log();
  EXPECT_EQ(CloseClient(), 0u);
}

}  // namespace
