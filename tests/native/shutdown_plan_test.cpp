#include "app/shutdown_plan.h"

#include <gtest/gtest.h>

namespace {

using shutdown_plan::Phase;
using shutdown_plan::Step;

struct RequestCase {
  Phase phase;
  bool skipConfirm;
  int32_t runState;
  Step step;
};

// One shutdown at a time: a second request never stacks another question and
// never resumes a teardown that has already run.
const RequestCase kRequests[] = {
    {Phase::None, false, 1, Step::Proceed},  // idle: nothing to ask
    {Phase::None, false, 3, Step::Ask},
    {Phase::None, false, 2, Step::Ask},
    {Phase::None, false, 5, Step::Ask},  // any state but idle asks
    {Phase::None, true, 3, Step::Proceed},
    {Phase::Asking, false, 3, Step::RaiseQuestion},
    {Phase::Asking, false, 1, Step::RaiseQuestion},  // disconnected meanwhile: still one question
    {Phase::Asking, true, 3, Step::Proceed},         // must not wait for an answer
    {Phase::Running, false, 3, Step::Ignore},
    {Phase::Running, true, 1, Step::Ignore},
};

TEST(ShutdownPlan, ARequestAsksProceedsOrDefersToTheOneUnderWay) {
  for (const RequestCase& c : kRequests) {
    SCOPED_TRACE(testing::Message() << "phase " << static_cast<int>(c.phase) << " skip " << c.skipConfirm
                                    << " state " << c.runState);
    EXPECT_EQ(shutdown_plan::OnRequest(c.phase, c.skipConfirm, c.runState), c.step);
  }
}

struct AnswerCase {
  Phase phaseNow;
  bool yes;
  Step step;
};

const AnswerCase kAnswers[] = {
    {Phase::Asking, true, Step::Proceed},
    {Phase::Asking, false, Step::Cancel},
    // A request that must not ask ran the teardown while the question waited.
    {Phase::Running, true, Step::Ignore},
    {Phase::Running, false, Step::Ignore},
};

TEST(ShutdownPlan, AnAnswerActsOnlyWhileItsQuestionStillCounts) {
  for (const AnswerCase& c : kAnswers) {
    SCOPED_TRACE(testing::Message() << "phase " << static_cast<int>(c.phaseNow) << " yes " << c.yes);
    EXPECT_EQ(shutdown_plan::AfterQuestion(c.phaseNow, c.yes), c.step);
  }
}

struct BudgetCase {
  uint32_t elapsedMs;
  uint32_t reserveMs;
  uint32_t leftMs;
};

const BudgetCase kBudget[] = {
    {0, 300, 4200},     // a quick stop leaves the release most of the time
    {2000, 300, 2200},  // a stop that took its whole share
    {4200, 300, 0},     // nothing left for the step, the reserve kept
    {4400, 300, 0},     // already into the reserve
    {4499, 0, 1},
    {0xFFFFFFF0u, 300, 0},  // no wrap-around into a long wait
};

// The session end keeps to Windows' time whatever each step took.
TEST(ShutdownPlan, SessionEndStepsShareWhatIsLeftOfWindowsTime) {
  for (const BudgetCase& c : kBudget) {
    SCOPED_TRACE(testing::Message() << c.elapsedMs << " ms in, reserve " << c.reserveMs);
    EXPECT_EQ(shutdown_plan::SessionEndLeftMs(c.elapsedMs, c.reserveMs), c.leftMs);
  }
  // The stop's share and the reserve leave the release a real bound.
  EXPECT_GE(shutdown_plan::SessionEndLeftMs(shutdown_plan::kSessionStopWaitMs, shutdown_plan::kSessionEndReserveMs),
            2000u);
}

}  // namespace
