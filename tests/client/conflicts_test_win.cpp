// Conflicting programs announced by the stand-in core, and the hand-over to the
// stand-in updater when the core demands a newer client.
#include "desktop_win.h"
#include "harness_win.h"
#include "probe_win.h"

namespace {

const std::string kClosableHeading = "下面的软件会影响网络加速功能：\n";
const std::string kQuestion = "请选择【是】自动关闭，或选择【否】后手工关闭";
const std::string kUnclosableHeading = "下面的软件会影响网络加速功能，但是无法自动关闭，请通过任务管理器关闭：\n";
const char kUpgradeText[] = "ZEPHAL ACC需要升级才能使用";
const char kDownloadPage[] = "https://www.lumora-zephal.example/web/downloadCount.do";

// Two entries the core can close and one it cannot (the file is GBK like this source's texts).
const std::string kConflicts =
    "conflict closable 4242 \"C:\\Program Files\\Booster\\boost.exe\" Game Booster\n"
    "conflict unclosable 77 C:\\Tools\\guard.exe Net Guard\n"
    "conflict closable 4343 C:\\Tools\\turbo.exe 加速精灵\n";
const std::string kClosableLines =
    "Game Booster: C:\\Program Files\\Booster\\boost.exe\n加速精灵: C:\\Tools\\turbo.exe\n";

class ConflictsTest : public ClientTest {
 protected:
  void TearDown() override {
    // The updater the client started is not the harness's: close it the way the
    // client would, once it has its window (it holds the test's output until it ends).
    const bool started = Log().find(" -auto -v=") != std::string::npos;
    if (HWND updater = probe::WaitForWindow("ZephalUpdater", "Zephal Acc Updater", started ? 5000 : 0)) {
      PostMessageA(updater, WM_CLOSE, 0, 0);
      probe::WaitForWindowGone(updater, 5000);
    }
    ClientTest::TearDown();
  }

  std::string UpdaterLog() const { return install::ReadFile(dir_ + "updater.log"); }

  // Ends a client that is not idle: the exit asks first.
  DWORD CloseConnectedClient() {
    PostMessageA(FindWindowA("Zephal_Acc", nullptr), WM_CLOSE, 0, 0);
    AnswerBox(IDYES);
    return WaitExit(client_);
  }
};

TEST_F(ConflictsTest, ClosableWhileConnectedAreOnlyLogged) {
  ASSERT_TRUE(WriteScenario("init 3\n" + kConflicts + "message init+1000 0x30170004 closable\n"));
  ASSERT_NE(StartClientAndWait("-debuglog"), nullptr);
  EXPECT_TRUE(WaitLog("CB-PCL: B Game Booster 4242 C:\\Program Files\\Booster\\boost.exe\r\n"));
  EXPECT_TRUE(WaitLog("CB-PCL: B 加速精灵 4343 C:\\Tools\\turbo.exe\r\n"));
  Sleep(500);  // proves no box follows the list
  EXPECT_EQ(WaitBox(client_.dwProcessId, 0), nullptr);
  EXPECT_EQ(Log().find("Net Guard"), std::string::npos) << "only the closable list was announced";
  EXPECT_EQ(CallLog().find("Zephal_Proc_Kill"), std::string::npos);
  EXPECT_EQ(CloseConnectedClient(), 0u);
}

struct ClosableCase {
  const char* start;  // scenario lines that set the state
  int answer;
};

void PrintTo(const ClosableCase& c, std::ostream* os) { *os << c.start << " answer " << c.answer; }

class ClosableBoxTest : public ConflictsTest, public ::testing::WithParamInterface<ClosableCase> {};

TEST_P(ClosableBoxTest, ListsThemAndOnlyYesClosesThem) {
  ASSERT_TRUE(WriteScenario(GetParam().start + kConflicts + "message init+1000 0x30170004 closable\n"));
  ASSERT_NE(StartClientAndWait("-debuglog"), nullptr);
  EXPECT_EQ(AnswerBox(GetParam().answer), kClosableHeading + kClosableLines + kQuestion);
  EXPECT_NE(Log().find("CB-PCL: B Game Booster 4242 C:\\Program Files\\Booster\\boost.exe\r\n"), std::string::npos);
  if (GetParam().answer == IDYES) {
    EXPECT_TRUE(WaitCallLog("kill 4343 C:\\Tools\\turbo.exe (加速精灵)"));
    EXPECT_NE(CallLog().find("kill 4242 C:\\Program Files\\Booster\\boost.exe (Game Booster)"), std::string::npos);
    EXPECT_EQ(CallLog().find("kill 77"), std::string::npos);
  } else {
    Sleep(500);  // proves No closes nothing
    EXPECT_EQ(CallLog().find("Zephal_Proc_Kill"), std::string::npos);
  }
}

INSTANTIATE_TEST_SUITE_P(States, ClosableBoxTest,
                         ::testing::Values(ClosableCase{"init 0\n", IDYES}, ClosableCase{"init 0\n", IDNO},
                                           ClosableCase{"init 2\nconnect-delay never\n", IDYES}),
                         [](const ::testing::TestParamInfo<ClosableCase>& info) {
                           return "Case_" + std::to_string(info.index);
                         });

// The core changes its list when it announces the next one: the answer to
// the first box must act while the list it showed is still the core's.
TEST_F(ConflictsTest, YesClosesTheListTheBoxShowedBeforeTheCoreAnnouncesAnother) {
  ASSERT_TRUE(WriteScenario(kConflicts + "message init+1000 0x30170004 closable\n"
                                         "message init+1300 0x50170005 unclosable\n"));
  ASSERT_NE(StartClientAndWait("-debuglog"), nullptr);
  HWND first = WaitBoxWithText(kClosableHeading + kClosableLines + kQuestion);
  ASSERT_NE(first, nullptr);
  Sleep(1000);  // the second announcement falls due meanwhile, unseen: proves it waits for this box
  EXPECT_EQ(OpenBoxes().size(), 1u) << "one box at a time";
  probe::PressButton(first, IDYES);
  ASSERT_TRUE(probe::WaitForWindowGone(first, 5000));  // else the next search finds the closing box
  EXPECT_EQ(AnswerBox(IDOK), kUnclosableHeading + "Net Guard: C:\\Tools\\guard.exe\n");

  const std::string calls = CallLog();
  const size_t unclosable = calls.find("message 0x50170005");
  ASSERT_NE(unclosable, std::string::npos) << calls;
  const size_t kill = calls.find("Zephal_Proc_Kill");
  ASSERT_NE(kill, std::string::npos) << calls;
  EXPECT_LT(kill, unclosable) << calls;
  EXPECT_EQ(calls.find("Zephal_Proc_Kill", unclosable), std::string::npos) << calls;
  EXPECT_NE(calls.find("kill 4242 "), std::string::npos) << calls;
  EXPECT_NE(calls.find("kill 4343 "), std::string::npos) << calls;
  EXPECT_EQ(calls.find("kill 77 "), std::string::npos) << calls;
}

class UnclosableBoxTest : public ConflictsTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(UnclosableBoxTest, ShowsTheBoxInEveryState) {
  ASSERT_TRUE(WriteScenario(GetParam() + kConflicts + "message init+1000 0x50170005 unclosable\n"));
  ASSERT_NE(StartClientAndWait("-debuglog"), nullptr);
  const probe::MessageBoxInfo box = AnswerBoxOf(client_.dwProcessId, IDOK);
  EXPECT_EQ(box.text, kUnclosableHeading + "Net Guard: C:\\Tools\\guard.exe\n");
  EXPECT_EQ(box.buttons.size(), 1u);
  EXPECT_NE(Log().find("CB-PCL: F Net Guard 77 C:\\Tools\\guard.exe\r\n"), std::string::npos);
  Sleep(300);  // proves OK closes nothing
  EXPECT_EQ(CallLog().find("Zephal_Proc_Kill"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(States, UnclosableBoxTest, ::testing::Values("init 0\n", "init 3\n"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           return info.index == 0 ? std::string("Idle") : std::string("Connected");
                         });

TEST_F(ConflictsTest, FortyLongEntriesFitTheBoxAndCountTheRest) {
  std::string scenario;
  for (int i = 0; i < 40; ++i) {
    const std::string program = "C:\\" + std::string(252, static_cast<char>('a' + i % 26)) + ".exe";  // 259 bytes
    scenario += "conflict closable " + std::to_string(1000 + i) + " " + program + " Booster " + std::to_string(10 + i) + "\n";
  }
  ASSERT_TRUE(WriteScenario(scenario + "message init+1000 0x30170004 closable\n"));
  ASSERT_NE(StartClientAndWait("-debuglog"), nullptr);
  const std::string text = AnswerBox(IDNO);
  EXPECT_LE(text.size(), 1023u);
  const std::string ending = "另有 37 个软件未能列出\n" + kQuestion;
  ASSERT_GE(text.size(), ending.size()) << text;
  EXPECT_EQ(text.substr(text.size() - ending.size()), ending);
  EXPECT_EQ(text.rfind(kClosableHeading + "Booster 10: C:\\aaaa", 0), 0u) << text;
  EXPECT_TRUE(WaitLog("CB-PCL: B Booster 49 1039 C:\\nnnn"));
  EXPECT_EQ(CloseClient(), 0u) << "the client goes on after the box";
}

struct UpgradeCase {
  const char* code;
  const char* catalogueText;  // the box of the code's own text, shown first, or null
};

void PrintTo(const UpgradeCase& c, std::ostream* os) { *os << c.code; }

class UpgradeTest : public ConflictsTest, public ::testing::WithParamInterface<UpgradeCase> {};

TEST_P(UpgradeTest, OpensThePageStartsTheUpdaterStopsAndEnds) {
  ASSERT_TRUE(desktop::CaptureBrowser());
  ASSERT_TRUE(CopyProgram("updater.exe"));
  ASSERT_TRUE(WriteScenario(std::string("init 3\nmessage init+1500 ") + GetParam().code + " newer client needed\n"));
  ASSERT_NE(StartClientAndWait("-debuglog"), nullptr);
  if (GetParam().catalogueText) {
    EXPECT_EQ(AnswerBox(IDOK), GetParam().catalogueText);
  }
  EXPECT_EQ(AnswerBox(IDOK), kUpgradeText);
  EXPECT_EQ(WaitExit(client_, 15000), 0u);

  EXPECT_TRUE(probe::WaitForFileText((dir_ + "updater.log").c_str(), "arguments", 10000));
  EXPECT_NE(UpdaterLog().find("arguments -auto -v=1.7.2.0058 -pid=12 -p=KAVRO\r\n"), std::string::npos)
      << UpdaterLog();
  ASSERT_TRUE(desktop::WaitUrls(1));
  EXPECT_EQ(desktop::CapturedUrls(), std::vector<std::string>{kDownloadPage});

  // The live connection was stopped, and only after the updater had been started.
  const std::string calls = CallLog();
  const size_t stop = calls.find("reason=2");
  ASSERT_NE(stop, std::string::npos) << calls;
  EXPECT_NE(calls.find("status 1", stop), std::string::npos) << calls;
  const std::string log = Log();
  const size_t started = log.find("UPGRADE: ");
  ASSERT_NE(started, std::string::npos) << log;
  EXPECT_NE(log.find("Zephal Acc Closed Success.", started), std::string::npos) << log;
}

INSTANTIATE_TEST_SUITE_P(
    Codes, UpgradeTest,
    ::testing::Values(UpgradeCase{"0x301B0003", nullptr}, UpgradeCase{"0x301B0004", nullptr},
                      UpgradeCase{"0x50000A09", "本软件已经做重要更新，您必须进行升级才能正常使用本软件。"}),
    [](const ::testing::TestParamInfo<UpgradeCase>& info) { return std::string(info.param.code); });

TEST_F(ConflictsTest, UpgradeWithTheUpdaterOpenOnlyShowsTheBox) {
  ASSERT_TRUE(desktop::CaptureBrowser());
  ASSERT_TRUE(CopyProgram("updater.exe"));
  ASSERT_TRUE(WriteScenario("message init+4000 0x301B0003 newer client needed\n"));
  ASSERT_NE(StartClientAndWait("-debuglog"), nullptr);
  // Started after the client, which closes an updater it finds at start-up.
  Launch("updater.exe", "--hidden");
  ASSERT_NE(probe::WaitForWindow("ZephalUpdater", "Zephal Acc Updater", 3500), nullptr);
  EXPECT_EQ(AnswerBox(IDOK), kUpgradeText);
  EXPECT_TRUE(WaitLog("UPGRADE: the updater is already running"));
  EXPECT_EQ(WaitExit(client_, 0), STILL_ACTIVE) << "the client goes on";
  EXPECT_EQ(UpdaterLog().find("-auto"), std::string::npos) << UpdaterLog();
  EXPECT_TRUE(desktop::CapturedUrls().empty());
  EXPECT_EQ(CallLog().find("Zephal_Stop"), std::string::npos);
  EXPECT_EQ(CloseClient(), 0u);
}

TEST_F(ConflictsTest, ASecondDemandWhileTheBoxWaitsStartsNoSecondHandOver) {
  ASSERT_TRUE(desktop::CaptureBrowser());
  ASSERT_TRUE(CopyProgram("updater.exe"));
  ASSERT_TRUE(WriteScenario("message init+1000 0x301B0003 first\nmessage init+1300 0x301B0004 second\n"));
  ASSERT_NE(StartClientAndWait("-debuglog"), nullptr);
  HWND box = WaitBox(client_.dwProcessId);
  ASSERT_NE(box, nullptr);
  // The second demand comes on the same core thread once the box is answered,
  // while the client hands over and ends.
  probe::PressButton(box, IDOK);
  EXPECT_EQ(WaitExit(client_, 15000), 0u);
  EXPECT_TRUE(probe::WaitForFileText((dir_ + "updater.log").c_str(), "started", 10000));
  const std::string updater = UpdaterLog();
  EXPECT_NE(updater.find("arguments -auto"), std::string::npos) << updater;
  EXPECT_EQ(updater.find("arguments -auto", updater.find("arguments -auto") + 1), std::string::npos) << updater;
}

TEST_F(ConflictsTest, ClosingTheClientWhileTheUpgradeBoxWaitsStartsNothing) {
  ASSERT_TRUE(desktop::CaptureBrowser());
  ASSERT_TRUE(CopyProgram("updater.exe"));
  ASSERT_TRUE(WriteScenario("message init+1000 0x301B0003 newer client needed\n"));
  ASSERT_NE(StartClientAndWait("-debuglog"), nullptr);
  ASSERT_NE(WaitBox(client_.dwProcessId), nullptr);
  EXPECT_EQ(CloseClient(), 0u);
  Sleep(1500);  // proves no updater starts: one would write its log within this
  EXPECT_EQ(UpdaterLog(), "");
  EXPECT_TRUE(desktop::CapturedUrls().empty());
}

}  // namespace
