// What an exit request does, given the shutdown already under way. Portable.
#pragma once
#include <cstdint>

namespace shutdown_plan {

// Where the one shutdown of the process stands.
enum class Phase : int {
  None,     // no exit requested yet, or the last question was answered No
  Asking,   // the exit question is open; its message loop still serves requests
  Running,  // past the question: the teardown runs or has run
};

enum class Step {
  Ask,            // ask the user first
  Proceed,        // tear everything down now
  RaiseQuestion,  // a question is already open: bring it forward, nothing more
  Ignore,         // a shutdown already runs: nothing to do
  Cancel,         // the user answered No: everything stays as it was
};

// A request: `skipConfirm` for the paths that must not ask (a failed core
// start, the updater hand-over, the end of the session). A request that must
// not ask goes ahead even while a question waits; the question then finds the
// shutdown done and does nothing.
Step OnRequest(Phase phase, bool skipConfirm, int32_t runState);

// The question has returned with `yes`; `phase` is the phase now, which a
// request that went ahead meanwhile has moved to Running.
Step AfterQuestion(Phase phase, bool yes);

// Bounds of the exit's waits, in milliseconds. The core gets four seconds
// from the stop request to report idle; a main window thread that has not
// ended, or a core that has not returned from its release, is left to the end
// of the process.
constexpr uint32_t kStopWaitMs = 4000;
constexpr uint32_t kMainThreadWaitMs = 2000;
constexpr uint32_t kCoreReleaseWaitMs = 2000;

}  // namespace shutdown_plan
