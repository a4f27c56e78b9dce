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

}  // namespace
