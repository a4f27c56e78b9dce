// The client against the stand-in core: the records it sends, every
// initialisation result, the reported states, exit while connected, notices.
#include <ctime>

#include "harness_win.h"
#include "probe_win.h"
#include "settings/client_config.h"

namespace {

namespace cc = client_config;

std::string Text(const std::vector<uint8_t>& bytes, size_t offset, size_t count) {
  if (bytes.size() < offset + count) return "<short>";
  return std::string(bytes.begin() + offset, bytes.begin() + offset + count);
}

uint32_t Word(const std::vector<uint8_t>& bytes, size_t offset) {
  if (bytes.size() < offset + 4) return 0xDEADBEEF;
  return bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16 | static_cast<uint32_t>(bytes[offset + 3]) << 24;
}

std::vector<uint8_t> AccountCert(uint8_t serviceIndex) {
  auto cert = install::AccountCert();
  cert[111] = serviceIndex;
  return cert;
}

using CoreTest = ClientTest;

TEST_F(CoreTest, InitRecordCarriesServerTagVersionAndProduct) {
  auto cert = install::DefaultCert();
  install::PutText(&cert, cc::kRedirectServerOffset, "abcdefghijklmnopqrst");  // 20 characters
  Install(cert);
  ASSERT_NE(StartClientAndWait("-debuglog"), nullptr);
  ASSERT_TRUE(WaitCallLog("Zephal_Init"));
  const auto record = RecordBytes(CallLog(), "Zephal_Init");
  ASSERT_EQ(record.size(), 52u) << CallLog();
  EXPECT_EQ(Text(record, 0, 20), "abcdefghijklmnopqrst");
  EXPECT_EQ(record[20], 0);
  EXPECT_EQ(Text(record, 21, 5), "KAVRO");
  for (size_t i = 26; i < 44; ++i) EXPECT_EQ(record[i], 0) << i;
  EXPECT_EQ(Word(record, 44), 0x1072003Au);
  EXPECT_EQ(Word(record, 48), 12u);
  EXPECT_TRUE(WaitLog("Zephal Acc 1.7.2.0058 (1.1.0.0007, 1.2.0.0017) built on Mar 20 2013"));
  EXPECT_EQ(CloseClient(), 0u);
}

class StartRecordTest : public ClientTest, public ::testing::WithParamInterface<int> {};

TEST_P(StartRecordTest, ConnectSendsPrefixedNamePasswordAndServiceMask) {
  ASSERT_NE(StartConnecting("", AccountCert(static_cast<uint8_t>(GetParam()))), nullptr);
  ASSERT_TRUE(WaitCallLog("Zephal_Start"));
  const auto record = RecordBytes(CallLog(), "Zephal_Start");
  ASSERT_EQ(record.size(), 180u) << CallLog();
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(record.data())), "KA.alice");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(record.data() + 41)), "secret");
  for (size_t i = 47; i < 176; ++i) EXPECT_EQ(record[i], 0) << i;
  EXPECT_EQ(Word(record, 176), GetParam() == 0 ? 1u : 2u);
  EXPECT_TRUE(WaitLog("CORE: status 3"));
}

INSTANTIATE_TEST_SUITE_P(Services, StartRecordTest, ::testing::Values(0, 1));

struct InitCase {
  const char* result;
  const char* logged;  // the text logged for a failure, or null
  const char* box;     // the box text, or null for none
};

void PrintTo(const InitCase& c, std::ostream* os) { *os << c.result; }

class InitResultTest : public ClientTest, public ::testing::WithParamInterface<InitCase> {};

TEST_P(InitResultTest, TakesItsPath) {
  const InitCase& c = GetParam();
  ASSERT_TRUE(WriteScenario(std::string("init ") + c.result + "\n"));
  StartClient("-debuglog");
  if (c.box) {
    EXPECT_EQ(AnswerBox(IDOK), c.box);
  }
  const uint32_t result = static_cast<uint32_t>(std::stoul(c.result, nullptr, 0));
  if (result <= 4) {
    ASSERT_NE(probe::WaitForWindow("Zephal_Acc", nullptr, 10000), nullptr);
    ASSERT_TRUE(WaitLog("built on Mar 20 2013"));
    if (result != 0) {
      EXPECT_TRUE(WaitLog(("CORE: status " + std::to_string(result)).c_str()));
    }
    // The library's version is stored after a usable initialisation.
    EXPECT_EQ(WaitStoredVersion(), 0x10100007u);
    PostMessageA(FindWindowA("Zephal_Acc", nullptr), WM_CLOSE, 0, 0);
    if (result >= 2) AnswerBox(IDYES);  // not idle: the exit asks
    EXPECT_EQ(WaitExit(client_), 0u);
  } else {
    EXPECT_EQ(WaitExit(client_), 1u) << "a failed initialisation ends the client with code 1";
    EXPECT_NE(Log().find(std::string(c.logged) + "\r\n"), std::string::npos) << Log();
    EXPECT_NE(Log().find("Zephal Acc Closed Success."), std::string::npos);
    EXPECT_EQ(Word(install::ReadCert(), 0), 0u) << "no library version after a failed initialisation";
    if (!c.box) {
      EXPECT_EQ(WaitBox(client_.dwProcessId, 0), nullptr);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Results, InitResultTest,
    ::testing::Values(InitCase{"0", nullptr, nullptr}, InitCase{"1", nullptr, nullptr}, InitCase{"2", nullptr, nullptr},
                      InitCase{"3", nullptr, nullptr}, InitCase{"4", nullptr, nullptr},
                      InitCase{"0x50000A0B", "Zephal 正在进行升级", "Zephal 正在进行升级"},
                      InitCase{"0x50000A0C", "Zephal 已经被其他程序控制", "Zephal 已经被其他程序控制"},
                      InitCase{"0x501A0A00", "Zephal 服务没有安装", "Zephal服务没有安装"},
                      InitCase{"0x501A0A01", "Zephal 服务没有启动", "Zephal服务没有启动"},
                      InitCase{"7", "Zephal 初始化失败", nullptr}),
    [](const ::testing::TestParamInfo<InitCase>& info) { return "Result_" + std::to_string(info.index); });

TEST_F(CoreTest, RunStateFollowsEveryReportedStateEvenFive) {
  ASSERT_NE(StartConnected("state start+2500 5\n"), nullptr);
  ASSERT_TRUE(WaitLog("CORE: status 2"));
  ASSERT_TRUE(WaitLog("CORE: status 5"));
  // Not idle: closing asks first, and No leaves everything as it was.
  PostMessageA(FindWindowA("Zephal_Acc", nullptr), WM_CLOSE, 0, 0);
  EXPECT_EQ(AnswerBox(IDNO), "Lumora Zephal 软件正在连接状态中，您是否确认要退出本软件?");
  Sleep(300);  // proves No stops nothing
  EXPECT_EQ(CallLog().find("Zephal_Stop"), std::string::npos);
  EXPECT_EQ(WaitExit(client_, 0), STILL_ACTIVE);
}

TEST_F(CoreTest, ExitWhileConnectedAsksStopsTheCoreAndWaits) {
  ASSERT_NE(StartConnected(), nullptr);
  PostMessageA(control_, WM_CLOSE, 0, 0);
  EXPECT_EQ(AnswerBox(IDYES), "Lumora Zephal 软件正在连接状态中，您是否确认要退出本软件?");
  EXPECT_EQ(WaitExit(client_), 0u);
  const std::string calls = CallLog();
  EXPECT_NE(calls.find("reason=2"), std::string::npos) << calls;
  EXPECT_NE(calls.find("status 1"), std::string::npos);
  EXPECT_NE(calls.find("Zephal_Clear"), std::string::npos);
}

TEST_F(CoreTest, ExitGivesUpWaitingAfterFourSeconds) {
  Install(AccountCert(0));
  ASSERT_TRUE(WriteScenario("stop never-idle\n"));
  ASSERT_NE(StartClientAndWait(), nullptr);
  PostMessageA(MainWindow(), WM_COMMAND, 1610, 0);
  ASSERT_TRUE(WaitCallLog("status 3"));
  PostMessageA(FindWindowA("Zephal_Acc", nullptr), WM_CLOSE, 0, 0);
  HWND box = WaitBox(client_.dwProcessId);
  ASSERT_NE(box, nullptr);
  const DWORD start = GetTickCount();
  probe::PressButton(box, IDYES);
  EXPECT_EQ(WaitExit(client_, 10000), 0u);
  const DWORD took = GetTickCount() - start;
  EXPECT_GE(took, 3800u);
  EXPECT_LT(took, 6500u);
}

TEST_F(CoreTest, ConnectedBalloonNamesTheAddress) {
  ASSERT_NE(StartConnecting(), nullptr);
  EXPECT_TRUE(WaitLog("TRAY: balloon \"lumora_zephal 已经连接成功\" \"分配 IP 地址: 10.77.0.23\""));
}

// A directory of its own: under Wine an ended client's log handle can outlive
// its exit long enough to refuse a second start's log in the same directory.
TEST_F(CoreTest, ConnectedBalloonIsBlankWithoutAnAddress) {
  ASSERT_NE(StartConnecting("address none\n"), nullptr);
  EXPECT_TRUE(WaitLog("TRAY: balloon \"lumora_zephal 已经连接成功\" \" \""));
}

std::string DateAhead(int days) {
  std::time_t t = std::time(nullptr) + days * 86400;
  std::tm local{};
  localtime_s(&local, &t);
  char text[16];
  std::strftime(text, sizeof text, "%Y-%m-%d", &local);
  return text;
}

struct NoticeCase {
  std::string scenario;
  const char* box;  // null: no notice
};

void PrintTo(const NoticeCase& c, std::ostream* os) { *os << c.scenario; }

const char kEndDateText[] = "非常感谢您使用我们的付费服务，\n检测到您的付费服务时间将会在几天内过期，\n为了不影响您的使用，请您及时续费。";
const char kEndTimeText[] = "非常感谢您使用我们的付费服务，\n您的付费服务时间已经不足 1 小时，\n为了不影响您的使用，请您及时续费。";

class NoticeTest : public ClientTest, public ::testing::WithParamInterface<NoticeCase> {};

TEST_P(NoticeTest, ConnectedAccountEndNotice) {
  ASSERT_NE(StartConnecting(GetParam().scenario), nullptr);
  ASSERT_TRUE(WaitLog("TRAY: balloon"));
  if (GetParam().box) {
    EXPECT_EQ(AnswerBox(IDOK), GetParam().box);
  } else {
    Sleep(500);  // proves no notice follows the balloon
    EXPECT_EQ(WaitBox(client_.dwProcessId, 0), nullptr);
    EXPECT_EQ(Log().find("INFO: the end-"), std::string::npos);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Accounts, NoticeTest,
    ::testing::Values(NoticeCase{"account-status 0x420\naccount-minutes 59\n", kEndTimeText},
                      NoticeCase{"account-status 0x420\naccount-minutes 10\n", kEndTimeText},
                      NoticeCase{"account-status 0x420\naccount-minutes 60\n", nullptr},
                      NoticeCase{"account-status 0x410\naccount-date " + DateAhead(1) + "\n", kEndDateText},
                      NoticeCase{"account-status 0x410\naccount-date " + DateAhead(3) + "\n", nullptr},
                      NoticeCase{"account-status 0x410\naccount-date " + DateAhead(0) + "\n", nullptr},
                      NoticeCase{"account-status 0xC80\naccount-minutes 5\n", nullptr}),
    [](const ::testing::TestParamInfo<NoticeCase>& info) { return "Case_" + std::to_string(info.index); });

TEST_F(CoreTest, CoreMessagesAreReportedAndDispatched) {
  ASSERT_NE(StartConnecting("message start+2000 0x30170004 conflicts\nmessage start+2200 0x50130208 wrong\n"),
            nullptr);
  EXPECT_TRUE(WaitLog("[DLL](#30170004) conflicts"));
  EXPECT_TRUE(WaitCallLog("Zephal_Proc_GetInfo"));  // the conflict code makes the client ask for the list
  HWND box = WaitBox(client_.dwProcessId);
  ASSERT_NE(box, nullptr);
  probe::MessageBoxInfo info;
  ASSERT_TRUE(probe::ReadMessageBox(box, &info));
  EXPECT_EQ(info.text, "用户名密码错误");
  probe::PressButton(box, IDOK);
}

// Each input below acts when no box is open (checked after the box): while a
// report box waits it only brings the box forward.
TEST_F(CoreTest, InputWhileAReportBoxIsOpenOnlyBringsTheBoxForward) {
  Install(AccountCert(0));
  ASSERT_TRUE(WriteScenario("message init+2500 0x50130208 wrong\n"));
  HWND control = StartClientAndWait("-debuglog");
  HWND main = MainWindow();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(probe::WaitForWindowVisible(main, 5000));
  PostMessageA(main, WM_CLOSE, 0, 0);  // to the tray
  HWND box = WaitBox(client_.dwProcessId);
  ASSERT_NE(box, nullptr);
  ASSERT_FALSE(IsWindowVisible(main));

  PostMessageA(control, WM_USER + 110, 0, WM_LBUTTONDBLCLK);  // tray double click: open
  PostMessageA(control, WM_COMMAND, 221, 0);                  // tray menu: open
  PostMessageA(main, WM_COMMAND, 1610, 0);                    // connect
  Sleep(1000);  // proves none of them acts
  EXPECT_FALSE(IsWindowVisible(main));
  EXPECT_EQ(CallLog().find("Zephal_Start"), std::string::npos);
  PostMessageA(control, WM_COMMAND, 220, 0);  // tray menu: exit (idle: no question)
  Sleep(1000);  // proves the exit waits for the box
  EXPECT_TRUE(IsWindow(control)) << "the exit went ahead";
  EXPECT_EQ(OpenBoxes().size(), 1u);

  probe::PressButton(box, IDOK);
  ASSERT_TRUE(probe::WaitForWindowGone(box, 5000));
  PostMessageA(control, WM_USER + 110, 0, WM_LBUTTONDBLCLK);
  EXPECT_TRUE(probe::WaitForWindowVisible(main, 5000));
  PostMessageA(main, WM_COMMAND, 1610, 0);
  EXPECT_TRUE(WaitCallLog("Zephal_Start"));
  ASSERT_TRUE(WaitLog("CORE: status 3"));
  PostMessageA(control, WM_COMMAND, 220, 0);
  EXPECT_EQ(AnswerBox(IDYES), "Lumora Zephal 软件正在连接状态中，您是否确认要退出本软件?");
  EXPECT_EQ(WaitExit(client_), 0u);
}

TEST_F(CoreTest, WrongPasswordReportsAndReturnsToIdle) {
  ASSERT_NE(StartConnecting("login fail\n"), nullptr);
  EXPECT_EQ(AnswerBox(IDOK), "用户名密码错误");
  EXPECT_TRUE(WaitLog("CORE: status 1"));
  EXPECT_EQ(CloseClient(), 0u) << "idle again: the exit does not ask";
}

}  // namespace
