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
// Work on threads of its own (a page, the log-on task) gets this much to
// finish once everything else is down; what still runs then ends with the process.
constexpr uint32_t kJobWaitMs = 2000;

// At the end of the session Windows ends the process about five seconds after
// WM_ENDSESSION, so all of it fits kSessionEndMs: the save first (a few
// milliseconds), then the stop and the core's report of idle, at most
// kSessionStopWaitMs (the core reports idle well inside a second when it
// works at all), then the release with what is left but kSessionEndReserveMs
// for the tray and the log after it. The main window's thread is told to end
// at the start and is waited for only with the time left at the end.
constexpr uint32_t kSessionEndMs = 4500;
constexpr uint32_t kSessionStopWaitMs = 2000;
constexpr uint32_t kSessionEndReserveMs = 300;

// How long a step may still wait `elapsedMs` into the session end, keeping
// `reserveMs` for the steps after it; 0 once nothing is left.
uint32_t SessionEndLeftMs(uint32_t elapsedMs, uint32_t reserveMs);

}  // namespace shutdown_plan
