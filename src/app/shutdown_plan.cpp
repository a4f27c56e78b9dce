#include "app/shutdown_plan.h"

namespace shutdown_plan {

namespace {
constexpr int32_t kIdle = 1;
}

Step OnRequest(Phase phase, bool skipConfirm, int32_t runState) {
  switch (phase) {
    case Phase::None:
      return runState != kIdle && !skipConfirm ? Step::Ask : Step::Proceed;
    case Phase::Asking:
      return skipConfirm ? Step::Proceed : Step::RaiseQuestion;
    case Phase::Running:
      break;
  }
  return Step::Ignore;
}

Step AfterQuestion(Phase phase, bool yes) {
  if (phase != Phase::Asking) return Step::Ignore;
  return yes ? Step::Proceed : Step::Cancel;
}

}  // namespace shutdown_plan
