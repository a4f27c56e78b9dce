// The exit against cores and threads that do not play along: one shutdown at
// a time, and an exit that ends in bounded time whatever it waits for.
#include "harness_win.h"
#include "probe_win.h"
#include "settings/client_config.h"

namespace {

namespace cc = client_config;

const char kQuestion[] = "Lumora Zephal 软件正在连接状态中，您是否确认要退出本软件?";
const WORD kTrayExit = 220;

class ShutdownTest : public ClientTest {
 protected:
  // Answers Yes to the exit question; the milliseconds until the client ended,
  // or a failure when it has not ended within `limitMs`.
  DWORD ExitTook(DWORD limitMs) {
    HWND question = WaitBoxWithText(kQuestion);
    EXPECT_NE(question, nullptr) << "no exit question";
    if (!question) return limitMs;
    const DWORD start = GetTickCount();
    probe::PressButton(question, IDYES);
    const DWORD code = WaitExit(client_, limitMs);
    const DWORD took = GetTickCount() - start;
    RecordProperty("exit_ms", static_cast<int>(took));
    EXPECT_EQ(code, 0u) << "ended within " << limitMs << " ms with code 0 (" << took << " ms)";
    return took;
  }
};

TEST_F(ShutdownTest, TwoExitRequestsWhileConnectedGiveOneQuestionAndOneTeardown) {
  ASSERT_NE(StartConnected(), nullptr);
  PostMessageA(control_, WM_CLOSE, 0, 0);
  HWND older = WaitBoxWithText(kQuestion);
  ASSERT_NE(older, nullptr);
  PostMessageA(control_, WM_COMMAND, kTrayExit, 0);
  EXPECT_TRUE(WaitLog("EXIT: already asking"));
  EXPECT_EQ(OpenBoxes().size(), 1u) << "the second request only brings the question forward";

  // The older question is answered first; any newer one after it.
  probe::PressButton(older, IDYES);
  for (const probe::MessageBoxInfo& box : OpenBoxes())
    if (box.hwnd != older) probe::PressButton(box.hwnd, IDYES);
  EXPECT_EQ(WaitExit(client_), 0u);

  const std::string calls = CallLog();
  const size_t clear = calls.find("Zephal_Clear");
  ASSERT_NE(clear, std::string::npos) << calls;
  EXPECT_EQ(CountOf(calls, "Zephal_Stop"), 1u) << calls;
  EXPECT_EQ(calls.find("Zephal_Stop", clear), std::string::npos) << "stop after clear:\n" << calls;
  EXPECT_EQ(CountOf(calls, "Zephal_Clear"), 1u) << calls;
  EXPECT_EQ(CountOf(Log(), "Zephal Acc Closed Success."), 1u);
}

// A core that keeps its lock while a callback waits in a report box and joins
// that callback's thread in Zephal_Clear: the stop, the main window thread
// (its status paint asks the core) and the release all wait on the box.
TEST_F(ShutdownTest, ALockingCoreWithAReportBoxOpenStillLetsTheClientEnd) {
  ASSERT_NE(StartConnected("callback-lock on\nclear-wait forever\nmessage start+2500 0x50130208 wrong\n"), nullptr);
  ASSERT_NE(WaitBoxWithText("用户名密码错误"), nullptr);
  ASSERT_TRUE(WaitCallLog("Zephal_Get_QueryData waits for the callback"));
  PostMessageA(control_, WM_CLOSE, 0, 0);
  EXPECT_LT(ExitTook(10000), 10000u);
  const std::string calls = CallLog();
  EXPECT_NE(calls.find("Zephal_Stop waits for the callback"), std::string::npos) << calls;
  // The stop never got past the lock: the core is not released beside it.
  EXPECT_EQ(calls.find("Zephal_Clear"), std::string::npos) << calls;
  EXPECT_TRUE(WaitLog("THREAD: main window thread did not end in time", 0));
  EXPECT_TRUE(WaitLog("CORE: Zephal_Stop has still not returned; Zephal_Clear is not called", 0));
}

// A stop that never returns: the process ends without the core's clean-up
// rather than calling it beside the stop, and says so.
TEST_F(ShutdownTest, AStopThatNeverReturnsEndsTheClientWithoutTheRelease) {
  StartConnected("stop-return never\n");
  PostMessageA(control_, WM_COMMAND, kTrayExit, 0);
  EXPECT_LT(ExitTook(12000), 12000u);
  const std::string calls = CallLog();
  EXPECT_NE(calls.find("Zephal_Stop holds its caller and does not return"), std::string::npos) << calls;
  EXPECT_EQ(calls.find("Zephal_Clear"), std::string::npos) << calls;
  const std::string log = Log();
  const size_t late = log.find("CORE: Zephal_Stop did not return within 4000 ms");
  const size_t skipped = log.find("CORE: Zephal_Stop has still not returned; Zephal_Clear is not called");
  ASSERT_NE(late, std::string::npos) << log;
  ASSERT_NE(skipped, std::string::npos) << log;
  EXPECT_LT(late, skipped);
}

// A job that outlives its wait at the exit (here the log-on task, slowed for
// the test) is never left running into the runtime's teardown: the process
// ends at once, as for a main window thread that does not end.
TEST_F(ShutdownTest, AJobStillRunningAtTheExitEndsWithTheProcess) {
  SetEnvironmentVariableA("ZEPHAL_TEST_TASK_DELAY_MS", "8000");
  StartClientAndWait("-debuglog");
  SetEnvironmentVariableA("ZEPHAL_TEST_TASK_DELAY_MS", nullptr);
  ASSERT_NE(control_, nullptr);
  HWND main = MainWindow();
  ASSERT_NE(main, nullptr);
  PostMessageA(GetDlgItem(main, 1605), BM_CLICK, 0, 0);  // start with Windows
  ASSERT_TRUE(WaitLog("TASK: test delay of 8000 ms"));
  PostMessageA(control_, WM_COMMAND, kTrayExit, 0);
  EXPECT_EQ(WaitExit(client_, 8000), 0u) << "waited for the job";
  const std::string log = Log();
  EXPECT_NE(log.find("EXIT: work on another thread is still running; the process ends without waiting for it"),
            std::string::npos) << log;
  EXPECT_EQ(log.find("TASK: log-on task"), std::string::npos) << log;
  // Its settings were saved before: the option stays as switched, and the
  // next start registers the task.
  EXPECT_TRUE(cc::DecodeConfigByte(install::ReadCert().at(cc::kConfigByteOffset)).autoRun);
  install::DeleteValue("ZephalAcc");
}

// The main window thread hangs in a core call (as in a hand-over that does not
// return): the exit waits for it a bounded time and leaves it what it uses.
TEST_F(ShutdownTest, AMainThreadBlockedWhenTheExitComesDoesNotHoldItUp) {
  ASSERT_NE(StartConnected("query-hang start+2500\n"), nullptr);
  ASSERT_TRUE(WaitCallLog("Zephal_Get_QueryData hangs until Zephal_Clear"));
  PostMessageA(control_, WM_COMMAND, kTrayExit, 0);
  EXPECT_LT(ExitTook(10000), 10000u);
  EXPECT_TRUE(WaitLog("THREAD: main window thread did not end in time", 0));
  const std::string calls = CallLog();
  const size_t stop = calls.find("reason=2");
  ASSERT_NE(stop, std::string::npos) << calls;
  EXPECT_NE(calls.find("Zephal_Clear", stop), std::string::npos) << calls;
}

}  // namespace
