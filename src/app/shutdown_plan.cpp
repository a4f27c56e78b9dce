#include "app/shutdown_plan.h"

#include "base/codes.h"

namespace shutdown_plan {

Step OnRequest(Phase phase, bool skipConfirm, int32_t runState) {
  switch (phase) {
    case Phase::None:
      return runState != RUN_IDLE && !skipConfirm ? Step::Ask : Step::Proceed;
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

uint32_t SessionEndLeftMs(uint32_t elapsedMs, uint32_t reserveMs) {
  const uint64_t used = static_cast<uint64_t>(elapsedMs) + reserveMs;
  return used >= kSessionEndMs ? 0 : kSessionEndMs - static_cast<uint32_t>(used);
}

}  // namespace shutdown_plan
