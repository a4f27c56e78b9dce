// The scenario file of the stand-in core library: what the core does, read
// from "core-scenario.txt" beside the DLL. Portable: parsed and tested natively.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace core_scenario {

constexpr uint32_t kNever = UINT32_MAX;  // a delay after which nothing happens
constexpr uint32_t kDefaultConnectDelayMs = 1500;
constexpr uint32_t kDefaultStopDelayMs = 600;
// How long Zephal_Clear waits for the callback threads to end.
constexpr uint32_t kDefaultClearWaitMs = 2000;
// The longest a hung query waits for Zephal_Clear, so no test can hang for good.
constexpr uint32_t kMostQueryHangMs = 60000;
constexpr uint32_t kWrongPasswordCode = 0x50130209;
constexpr const char* kWrongPasswordText = "wrong user name or password";
constexpr const char* kDefaultAddress = "10.77.0.23";
// Level 1, the end is a date and is shown.
constexpr uint32_t kDefaultAccountStatus = 0x490;
// Field sizes of the query record; texts this long are stored unterminated.
constexpr size_t kDateSize = 11;
constexpr size_t kAddressSize = 17;
// Field sizes of a conflict entry, which keeps a terminator.
constexpr size_t kProgramSize = 261;
constexpr size_t kDisplayNameSize = 43;
// Bounds of the fault lines, so a typing slip cannot exhaust the machine.
constexpr uint32_t kMostConflicts = 100000;
constexpr uint32_t kMostStormThreads = 16;
constexpr uint32_t kMostStormRate = 1000;       // reports per second and thread
constexpr uint32_t kMostMessageBytes = 1 << 20;  // an unterminated message text

// When a scripted event happens: so many milliseconds after Zephal_Init or
// after each Zephal_Start.
enum class Anchor { Start, Init };

// `state-storm`: several threads report states at once for a while, cycling
// through `states`; then the status thread reports the last of them once more.
struct StateStorm {
  uint32_t durationMs = 0;
  uint32_t threads = 0;
  uint32_t perSecond = 0;  // reports per second on each thread
  std::vector<int32_t> states;
};

// A state report (`state` line, `state-storm` line) or a message (`message`
// line, `long-message` line).
struct TimedEvent {
  Anchor anchor = Anchor::Start;
  uint32_t atMs = 0;
  bool isState = false;
  int32_t state = 0;  // isState; a storm's last state
  bool isStorm = false;  // isState: `storm` applies
  StateStorm storm;
  uint32_t code = 0;  // !isState
  std::string text;   // !isState
  // !isState: the text is repeated to exactly this many bytes and handed over
  // without a terminator (`long-message`); 0 for an ordinary message.
  uint32_t unterminatedSize = 0;
};

struct Conflict {
  bool closable = false;
  int32_t processId = 0;
  std::string program;
  std::string displayName;
};

// A line that could not be used; the rest of the file still applies.
struct Issue {
  int line = 0;
  std::string what;
};

struct Scenario {
  bool callLog = true;
  uint32_t initResult = 0;
  uint32_t connectDelayMs = kDefaultConnectDelayMs;  // kNever: stays connecting
  uint32_t stopDelayMs = kDefaultStopDelayMs;        // kNever: stays disconnecting
  bool loginFails = false;                           // every start fails
  bool passwordSet = false;                          // only `password` logs in
  std::string password;
  uint32_t loginFailCode = kWrongPasswordCode;
  std::string loginFailText = kWrongPasswordText;
  uint32_t accountStatus = kDefaultAccountStatus;
  bool accountDateSet = false;  // unset: the core makes up a date ahead
  std::string accountDate;      // at most kDateSize bytes
  uint32_t minutesLeft = 0;
  std::string address = kDefaultAddress;  // at most kAddressSize bytes, empty: none
  // `callback-lock on`: one lock held across every callback and taken by every
  // call, as a core that keeps its lock while it calls back.
  bool callbackLock = false;
  uint32_t clearWaitMs = kDefaultClearWaitMs;  // kNever: waits for the threads however long
  // `stop-return`: how long Zephal_Stop holds its caller after it has done its
  // work; kNever: it does not return (for at most kMostQueryHangMs).
  uint32_t stopReturnMs = 0;
  // `query-hang <when>`: from then on Zephal_Get_QueryData returns only at Zephal_Clear.
  bool queryHangSet = false;
  Anchor queryHangAnchor = Anchor::Start;
  uint32_t queryHangMs = 0;
  std::vector<TimedEvent> events;         // in file order
  std::vector<Conflict> conflicts;        // in file order
  std::vector<Issue> issues;
};

// A `long-message` text: `text` (or "x" when empty) repeated to exactly `size` bytes.
std::string RepeatToSize(const std::string& text, uint32_t size);

// Never fails: lines it cannot use land in `issues` with their line number.
Scenario ParseScenario(std::string_view text);

}  // namespace core_scenario
