#include "base/top_calls.h"

namespace {

TopCalls top{};

}  // namespace

void SetTopCalls(const TopCalls& calls) { top = calls; }

bool ShutdownBegun() { return top.shutdownBegun && top.shutdownBegun(); }

void RequestHandOverShutdown() {
  if (top.handOverShutdown) top.handOverShutdown();
}

void RequestConnect() {
  if (top.connectCommand) top.connectCommand();
}
