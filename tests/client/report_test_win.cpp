// The reporting call: what reaches the log, what the box shows, and the fatal end.
#include "harness_win.h"
#include "probe_win.h"

namespace {

class ReportTest : public ClientTest {
 protected:
  void SetUp() override {
    ClientTest::SetUp();
    ASSERT_TRUE(CopyProgram("report_driver.exe"));
  }
  PROCESS_INFORMATION Report(bool verbose, const char* kind, const char* code, const std::string& text) {
    return Launch("report_driver.exe", std::string(verbose ? "1 " : "0 ") + kind + " " + code + " \"" + text + "\"");
  }
  // The log's lines but the verbose one the log's own opening writes first.
  std::vector<std::string> ReportLines() const {
    auto lines = LogLines(Log());
    if (!lines.empty() && lines[0].find("(#10004) LOG: ") != std::string::npos) lines.erase(lines.begin());
    return lines;
  }
  // Reads the box, presses OK and returns what it showed.
  probe::MessageBoxInfo AnswerBox(const PROCESS_INFORMATION& pi) {
    const probe::MessageBoxInfo info = AnswerBoxOf(pi.dwProcessId, IDOK);
    EXPECT_NE(info.hwnd, nullptr) << "no box appeared";
    return info;
  }
};

TEST_F(ReportTest, FatalCodeShowsItsTextLogsTheStopAndEndsWithOne) {
  const auto pi = Report(false, "msg", "12020", "WINDOW: couldn't create the main window(code=5).");
  const auto box = AnswerBox(pi);
  EXPECT_EQ(box.caption, "Lumora Zephal 提示信息");
  EXPECT_EQ(box.text, "软件 WINDOWS 严重错误");
  EXPECT_EQ(WaitExit(pi), 1u);
  const auto lines = ReportLines();
  ASSERT_EQ(lines.size(), 2u) << Log();
  EXPECT_EQ(lines[0].substr(20), "WINDOW: couldn't create the main window(code=5).");
  EXPECT_EQ(lines[1].substr(20), "Stop software with errors(code=73760).");
}

TEST_F(ReportTest, BoxShowsTheCatalogueTextNotTheEnglishLine) {
  const auto pi = Report(false, "msg", "32001", "EDT: input too many char (25)");
  const auto box = AnswerBox(pi);
  EXPECT_EQ(box.text, "您输入了太多字符，最多只能输入 20 个字符");
  EXPECT_EQ(WaitExit(pi), 0u);
  EXPECT_NE(Log().find(" EDT: input too many char (25)\r\n"), std::string::npos);
}

TEST_F(ReportTest, VerboseBoxLogsTheCatalogueTextWithItsCode) {
  const auto pi = Report(true, "msg", "32001", "EDT: input too many char (25)");
  AnswerBox(pi);
  EXPECT_EQ(WaitExit(pi), 0u);
  const auto lines = ReportLines();
  ASSERT_EQ(lines.size(), 2u) << Log();
  EXPECT_EQ(lines[0].substr(20), "(#32001) EDT: input too many char (25)");
  EXPECT_EQ(lines[1].substr(20), "[MsgBox](#32001) 您输入了太多字符，最多只能输入 20 个字符");
}

TEST_F(ReportTest, LevelFourIsLoggedOnlyWhenVerbose) {
  auto pi = Report(false, "msg", "10004", "INFO: hidden");
  EXPECT_EQ(WaitExit(pi), 0u);
  EXPECT_EQ(Log(), "");
  pi = Report(true, "msg", "10004", "INFO: shown");
  EXPECT_EQ(WaitExit(pi), 0u);
  const auto lines = ReportLines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].substr(20), "(#10004) INFO: shown");
}

TEST_F(ReportTest, LongMessageIsCutAt1023Characters) {
  const auto pi = Report(false, "msg", "1", std::string(1500, 'x'));
  EXPECT_EQ(WaitExit(pi), 0u);
  const auto lines = ReportLines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].substr(20), std::string(1023, 'x'));
}

TEST_F(ReportTest, CoreReportShowsABoxOnlyForCodesWithBit200) {
  auto pi = Report(false, "dll", "50000105", "no box for this one");
  EXPECT_EQ(WaitExit(pi), 0u) << "a code without 0x200 must not wait for a box";
  EXPECT_NE(Log().find(" no box for this one\r\n"), std::string::npos);

  pi = Report(true, "dll", "50130208", "password");
  EXPECT_EQ(AnswerBox(pi).text, "用户名密码错误");
  EXPECT_EQ(WaitExit(pi), 0u);
  const auto lines = ReportLines();
  ASSERT_EQ(lines.size(), 2u) << Log();
  EXPECT_EQ(lines[0].substr(20), "[DLL](#50130208) password");
  EXPECT_EQ(lines[1].substr(20), "[DLL-MsgBox](#50130208) 用户名密码错误");

  pi = Report(false, "dll", "50020206", "adapter");
  EXPECT_EQ(AnswerBox(pi).text, "未知错误 (#50020206)");
  EXPECT_EQ(WaitExit(pi), 0u);
}

}  // namespace
