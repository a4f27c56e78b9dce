// The settings store against the real registry under Wine.
#include "settings/settings_store_win.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include "base/app_state.h"
#include "base/gbk_text_win.h"
#include "base/report.h"
#include "install_win.h"
#include "settings/client_config.h"
#include "settings/registry_win.h"

namespace {

namespace cc = client_config;

class SettingsStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = install::Prepare(std::string("store.") + info->name(), install::DefaultCert());
    ResetAppState();
    appState.hInstance = GetModuleHandleA(nullptr);
    std::strcpy(appState.installDir, dir_.c_str());
    lstrcpynW(appState.installDirW, GbkToWide(dir_).c_str(), MAX_PATH);
    appState.writeLog = 1;
    LogSetup();
  }
  void TearDown() override {
    LogClose();
    RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, install::kRunKey, "ZephalAcc");
  }
  std::string Log() const { return install::ReadFile(dir_ + "lumora_zephal.log"); }
  std::string dir_;
};

TEST_F(SettingsStoreTest, LoadReadsEveryFieldFromTheValue) {
  auto cert = install::DefaultCert();
  cert[44] = 0xC4;
  cert[111] = 1;
  install::PutText(&cert, cc::kUserNameOffset, "alice");
  install::PutText(&cert, cc::kPasswordOffset, "secret");
  install::PutText(&cert, cc::kRedirectServerOffset, "rd.example");
  ASSERT_TRUE(install::WriteCert(cert));
  ASSERT_EQ(LoadSettings(&appState), 1);
  EXPECT_EQ(appState.rememberUser, 1);
  EXPECT_EQ(appState.rememberPassword, 1);
  EXPECT_EQ(appState.autoRun, 0);
  EXPECT_EQ(appState.writeLog, 1);
  EXPECT_EQ(appState.serviceIndex, 1);
  EXPECT_STREQ(appState.userName, "alice");
  EXPECT_STREQ(appState.password, "secret");
  EXPECT_STREQ(appState.redirectServer, "rd.example");
  EXPECT_STREQ(appState.installDir, dir_.c_str());
}

TEST_F(SettingsStoreTest, SaveWritesTheFieldsAndLeavesTheRestAlone) {
  const auto before = install::ReadCert();
  appState.rememberUser = 1;
  appState.autoLogin = 1;
  appState.serviceIndex = 1;
  std::strcpy(appState.userName, "abc");
  std::strcpy(appState.redirectServer, "rd.example");
  ASSERT_EQ(SaveSettings(&appState), 1);
  const auto after = install::ReadCert();
  ASSERT_EQ(after.size(), 126u);
  EXPECT_EQ(after[44], 0x94);  // rememberUser, autoLogin, writeLog
  EXPECT_EQ(after[111], 0x01);
  EXPECT_EQ(after[4], 0x16);
  EXPECT_EQ(after[5], 0x26);
  EXPECT_EQ(after[6], 0x36);
  EXPECT_EQ(after[7], 0x00);
  for (size_t i = 24; i < 44; ++i) EXPECT_EQ(after[i], before[i]) << "password written without rememberPassword";
  for (size_t i = 45; i <= 90; ++i) EXPECT_EQ(after[i], before[i]) << i;
  for (size_t i = 112; i <= 125; ++i) EXPECT_EQ(after[i], before[i]) << i;
}

TEST_F(SettingsStoreTest, SaveWithoutTheKeyReportsAndReturnsZero) {
  install::DeleteKey();
  EXPECT_EQ(SaveSettings(&appState), 0);
  EXPECT_NE(Log().find("REG: Couldn't open the Software\\ZEPHAL\\KAVRO key.\r\n"), std::string::npos) << Log();
}

TEST_F(SettingsStoreTest, ShortValueIsNeverPatchedOrExtended) {
  std::vector<uint8_t> shortCert(100, 0x11);
  ASSERT_TRUE(install::WriteCert(shortCert));
  ASSERT_EQ(SaveSettings(&appState), 1);
  EXPECT_EQ(install::ReadCert(), shortCert);
  EXPECT_NE(Log().find("REG: Set config binary failed."), std::string::npos);
}

TEST_F(SettingsStoreTest, LibraryVersionZeroIsNotStoredAndSucceeds) {
  const auto before = install::ReadCert();
  EXPECT_EQ(StoreLibraryVersion(0), 1);
  EXPECT_EQ(install::ReadCert(), before);
  EXPECT_EQ(StoreLibraryVersion(0x10100007), 1);
  const auto after = install::ReadCert();
  EXPECT_EQ(std::vector<uint8_t>(after.begin(), after.begin() + 4), (std::vector<uint8_t>{0x07, 0x00, 0x10, 0x10}));
}

TEST_F(SettingsStoreTest, ConcurrentSavesLoseNoChange) {
  // The process thread stores the version while the main window saves options.
  // A save that read the value before a version store and wrote it back after
  // would turn the stored version back: an observer must see it only grow.
  appState.rememberUser = 1;
  std::strcpy(appState.userName, "alice");
  std::atomic<bool> done{false};
  std::thread saver([&done] {
    while (!done) SaveSettings(&appState);
  });
  std::vector<uint32_t> seen;
  std::thread observer([&done, &seen] {
    while (!done) {
      const auto cert = install::ReadCert();
      if (cert.size() == 126) seen.push_back(cert[0] | cert[1] << 8);
    }
  });
  for (uint32_t i = 1; i <= 300; ++i) StoreLibraryVersion(0x10000000 + i);
  done = true;
  saver.join();
  observer.join();

  ASSERT_GT(seen.size(), 10u);
  for (size_t i = 1; i < seen.size(); ++i) ASSERT_GE(seen[i], seen[i - 1]) << "a save wrote back an older value";
  const auto after = install::ReadCert();
  ASSERT_EQ(after.size(), 126u);
  char name[cc::kTextBufferSize];
  cc::DecodeTextField(after.data() + cc::kUserNameOffset, name);
  EXPECT_STREQ(name, "alice");
  EXPECT_EQ(after[0] | after[1] << 8, 300);
}

TEST_F(SettingsStoreTest, AValueThatGrowsWhileItIsReadIsReadWhole) {
  // Another writer switches the value between 16 and 4096 bytes; every read
  // gets one of the two whole, also when it grew between size and read.
  HKEY key = nullptr;
  ASSERT_TRUE(RegOpen(install::kKey, &key));
  const std::vector<uint8_t> shortValue(16, 0x11), longValue(4096, 0x22);
  ASSERT_TRUE(RegWriteBinary(key, "grows", shortValue.data(), static_cast<DWORD>(shortValue.size())));
  std::atomic<bool> done{false};
  std::thread writer([&] {
    for (bool grow = true; !done; grow = !grow) {
      const auto& v = grow ? longValue : shortValue;
      RegWriteBinary(key, "grows", v.data(), static_cast<DWORD>(v.size()));
    }
  });
  int failed = 0, torn = 0;
  for (int i = 0; i < 3000; ++i) {
    std::vector<uint8_t> read;
    if (!RegReadBinary(key, "grows", &read)) ++failed;
    else if (read != shortValue && read != longValue) ++torn;
  }
  done = true;
  writer.join();
  RegDeleteNamedValue(key, "grows");
  RegClose(key);
  EXPECT_EQ(failed, 0);
  EXPECT_EQ(torn, 0);
}

TEST_F(SettingsStoreTest, RunEntryIsQuotedPaddedAndRemoved) {
  ASSERT_EQ(SetAutoRun(1, "C:\\Program Files\\Lumora Zephal\\"), 1);
  std::string value;
  ASSERT_TRUE(install::ReadString(install::kRunKey, "ZephalAcc", &value));
  EXPECT_EQ(value, "\"C:\\Program Files\\Lumora Zephal\\lumora_zephal.exe\"");

  HKEY key;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, install::kRunKey, 0, KEY_READ, &key), ERROR_SUCCESS);
  DWORD size = 0;
  RegQueryValueExA(key, "ZephalAcc", nullptr, nullptr, nullptr, &size);
  RegCloseKey(key);
  EXPECT_EQ(size, 260u);

  ASSERT_EQ(SetAutoRun(1, "C:\\Zephal\\"), 1);
  ASSERT_TRUE(install::ReadString(install::kRunKey, "ZephalAcc", &value));
  EXPECT_EQ(value, "C:\\Zephal\\lumora_zephal.exe");

  EXPECT_EQ(SetAutoRun(0, "C:\\Zephal\\"), 1);
  EXPECT_FALSE(install::ReadString(install::kRunKey, "ZephalAcc", &value));
  EXPECT_EQ(SetAutoRun(0, "C:\\Zephal\\"), 0);
  EXPECT_NE(Log().find("REG: delete autorun failed."), std::string::npos);
}

TEST_F(SettingsStoreTest, RunEntryTooLongIsRefusedWithAReport) {
  const std::string longDir = "C:\\" + std::string(250, 'z') + "\\";
  EXPECT_EQ(SetAutoRun(1, longDir.c_str()), 0);
  std::string value;
  EXPECT_FALSE(install::ReadString(install::kRunKey, "ZephalAcc", &value));
  EXPECT_NE(Log().find("REG: autorun path too long"), std::string::npos) << Log();
}

}  // namespace
