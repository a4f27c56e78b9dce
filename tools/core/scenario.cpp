#include "scenario.h"

#include <algorithm>
#include <cstddef>

namespace core_scenario {
namespace {

// '\r' counts as a blank so files with CR LF line ends read the same.
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// Walks one line word by word.
class Words {
 public:
  explicit Words(std::string_view line) : rest_(line) {}

  // The next blank-separated word; empty at the end of the line.
  std::string_view Next() {
    SkipBlanks();
    size_t n = 0;
    while (n < rest_.size() && !IsBlank(rest_[n])) ++n;
    const std::string_view word = rest_.substr(0, n);
    rest_.remove_prefix(n);
    return word;
  }

  // A word, or a text in double quotes that may hold blanks (program paths).
  // False when the closing quote is missing.
  bool NextQuoted(std::string_view* out) {
    SkipBlanks();
    if (rest_.empty() || rest_.front() != '"') {
      *out = Next();
      return true;
    }
    const size_t close = rest_.find('"', 1);
    if (close == std::string_view::npos) return false;
    *out = rest_.substr(1, close - 1);
    rest_.remove_prefix(close + 1);
    return true;
  }

  // The rest of the line without leading and trailing blanks, taken as it is.
  std::string_view Rest() {
    SkipBlanks();
    while (!rest_.empty() && IsBlank(rest_.back())) rest_.remove_suffix(1);
    const std::string_view rest = rest_;
    rest_ = {};
    return rest;
  }

  bool AtEnd() {
    SkipBlanks();
    return rest_.empty();
  }

 private:
  void SkipBlanks() {
    while (!rest_.empty() && IsBlank(rest_.front())) rest_.remove_prefix(1);
  }

  std::string_view rest_;
};

std::string Quoted(std::string_view what, std::string_view word) {
  return std::string(what) + " \"" + std::string(word) + "\"";
}

// Decimal, or hexadecimal after "0x". A leading zero does not mean octal.
bool ParseUnsigned(std::string_view word, uint32_t* out) {
  uint64_t base = 10;
  if (word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) {
    base = 16;
    word.remove_prefix(2);
  }
  if (word.empty()) return false;
  uint64_t value = 0;
  for (const char c : word) {
    uint64_t digit;
    if (c >= '0' && c <= '9') {
      digit = static_cast<uint64_t>(c - '0');
    } else if (base == 16 && c >= 'a' && c <= 'f') {
      digit = static_cast<uint64_t>(c - 'a' + 10);
    } else if (base == 16 && c >= 'A' && c <= 'F') {
      digit = static_cast<uint64_t>(c - 'A' + 10);
    } else {
      return false;
    }
    value = value * base + digit;
    if (value > UINT32_MAX) return false;
  }
  *out = static_cast<uint32_t>(value);
  return true;
}

bool ParseSigned(std::string_view word, int32_t* out) {
  const bool negative = !word.empty() && word[0] == '-';
  if (negative) word.remove_prefix(1);
  uint32_t magnitude;
  if (!ParseUnsigned(word, &magnitude)) return false;
  const int64_t value = negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
  if (value < INT32_MIN || value > INT32_MAX) return false;
  *out = static_cast<int32_t>(value);
  return true;
}

// "1200" or "start+1200": after each Zephal_Start; "init+1200": after Zephal_Init.
bool ParseWhen(std::string_view word, Anchor* anchor, uint32_t* ms) {
  constexpr std::string_view kInit = "init+";
  constexpr std::string_view kStart = "start+";
  *anchor = Anchor::Start;
  if (word.substr(0, kInit.size()) == kInit) {
    *anchor = Anchor::Init;
    word.remove_prefix(kInit.size());
  } else if (word.substr(0, kStart.size()) == kStart) {
    word.remove_prefix(kStart.size());
  }
  return ParseUnsigned(word, ms);
}

// Each reader takes the words after the key and either applies the whole line
// or returns why not, leaving the scenario untouched.
using Reader = std::string (*)(Words&, Scenario&);

std::string EndOfLine(Words& words) {
  if (words.AtEnd()) return {};
  return Quoted("unexpected", words.Next());
}

// The common shape "key <number>".
std::string ReadNumber(Words& words, uint32_t* target) {
  const std::string_view word = words.Next();
  if (word.empty()) return "missing value";
  uint32_t value;
  if (!ParseUnsigned(word, &value)) return Quoted("bad value", word);
  std::string error = EndOfLine(words);
  if (error.empty()) *target = value;
  return error;
}

// "key <number>" or "key <word meaning never>".
std::string ReadDelay(Words& words, std::string_view never, uint32_t* target) {
  const std::string_view word = words.Next();
  if (word.empty()) return "missing value";
  uint32_t value = kNever;
  if (word != never && (!ParseUnsigned(word, &value) || value == kNever)) return Quoted("bad value", word);
  std::string error = EndOfLine(words);
  if (error.empty()) *target = value;
  return error;
}

// "key <text>|none", stored as is up to `size` bytes.
std::string ReadField(Words& words, size_t size, std::string* target) {
  const std::string_view word = words.Next();
  if (word.empty()) return "missing value";
  if (word.size() > size) return Quoted("longer than " + std::to_string(size) + " bytes:", word);
  std::string error = EndOfLine(words);
  if (error.empty()) *target = word == "none" ? std::string() : std::string(word);
  return error;
}

// "key on|off".
std::string ReadSwitch(Words& words, bool* target) {
  const std::string_view word = words.Next();
  if (word != "on" && word != "off") return word.empty() ? "missing value" : Quoted("bad value", word);
  std::string error = EndOfLine(words);
  if (error.empty()) *target = word == "on";
  return error;
}

std::string ReadCallLog(Words& words, Scenario& s) { return ReadSwitch(words, &s.callLog); }

std::string ReadInit(Words& words, Scenario& s) { return ReadNumber(words, &s.initResult); }

std::string ReadConnectDelay(Words& words, Scenario& s) { return ReadDelay(words, "never", &s.connectDelayMs); }

std::string ReadStop(Words& words, Scenario& s) { return ReadDelay(words, "never-idle", &s.stopDelayMs); }

std::string ReadStopReturn(Words& words, Scenario& s) { return ReadDelay(words, "never", &s.stopReturnMs); }

std::string ReadLogin(Words& words, Scenario& s) {
  const std::string_view word = words.Next();
  if (word == "ok") {
    std::string error = EndOfLine(words);
    if (error.empty()) s.loginFails = false;
    return error;
  }
  if (word != "fail") return word.empty() ? "missing value" : Quoted("bad value", word);
  uint32_t code = kWrongPasswordCode;
  std::string text = kWrongPasswordText;
  const std::string_view codeWord = words.Next();
  if (!codeWord.empty()) {
    if (!ParseUnsigned(codeWord, &code)) return Quoted("bad code", codeWord);
    text = std::string(words.Rest());
  }
  s.loginFails = true;
  s.loginFailCode = code;
  s.loginFailText = std::move(text);
  return {};
}

std::string ReadPassword(Words& words, Scenario& s) {
  const std::string_view password = words.Rest();
  if (password.empty()) return "missing value";
  s.passwordSet = true;
  s.password = std::string(password);
  return {};
}

std::string ReadAccountStatus(Words& words, Scenario& s) { return ReadNumber(words, &s.accountStatus); }

std::string ReadAccountDate(Words& words, Scenario& s) {
  std::string error = ReadField(words, kDateSize, &s.accountDate);
  if (error.empty()) s.accountDateSet = true;
  return error;
}

std::string ReadAccountMinutes(Words& words, Scenario& s) { return ReadNumber(words, &s.minutesLeft); }

std::string ReadAddress(Words& words, Scenario& s) { return ReadField(words, kAddressSize, &s.address); }

std::string ReadCallbackLock(Words& words, Scenario& s) { return ReadSwitch(words, &s.callbackLock); }

std::string ReadClearWait(Words& words, Scenario& s) { return ReadDelay(words, "forever", &s.clearWaitMs); }

// The "<when>" every event line starts with.
std::string ReadWhen(Words& words, TimedEvent* event) {
  const std::string_view when = words.Next();
  if (when.empty()) return "missing time";
  if (!ParseWhen(when, &event->anchor, &event->atMs)) return Quoted("bad time", when);
  return {};
}

// "<when> <code>", the start of a message line.
std::string ReadWhenAndCode(Words& words, TimedEvent* event) {
  std::string error = ReadWhen(words, event);
  if (!error.empty()) return error;
  const std::string_view code = words.Next();
  if (code.empty()) return "missing code";
  if (!ParseUnsigned(code, &event->code)) return Quoted("bad code", code);
  return {};
}

std::string ReadMessage(Words& words, Scenario& s) {
  TimedEvent event;
  std::string error = ReadWhenAndCode(words, &event);
  if (!error.empty()) return error;
  event.text = std::string(words.Rest());
  s.events.push_back(std::move(event));
  return {};
}

// "long-message <when> <code> <bytes> [text]".
std::string ReadLongMessage(Words& words, Scenario& s) {
  TimedEvent event;
  std::string error = ReadWhenAndCode(words, &event);
  if (!error.empty()) return error;
  const std::string_view size = words.Next();
  if (size.empty()) return "missing size";
  if (!ParseUnsigned(size, &event.unterminatedSize) || event.unterminatedSize == 0 ||
      event.unterminatedSize > kMostMessageBytes)
    return Quoted("bad size", size);
  event.text = std::string(words.Rest());
  s.events.push_back(std::move(event));
  return {};
}

// "state-storm <when> <ms> <threads> <per second> <state>...".
std::string ReadStateStorm(Words& words, Scenario& s) {
  TimedEvent event;
  event.isState = true;
  event.isStorm = true;
  std::string error = ReadWhen(words, &event);
  if (!error.empty()) return error;
  struct Bounded {
    const char* name;
    uint32_t* target;
    uint32_t most;
  };
  const Bounded numbers[] = {{"duration", &event.storm.durationMs, kNever - 1},
                             {"threads", &event.storm.threads, kMostStormThreads},
                             {"rate", &event.storm.perSecond, kMostStormRate}};
  for (const Bounded& n : numbers) {
    const std::string_view word = words.Next();
    if (word.empty()) return std::string("missing ") + n.name;
    if (!ParseUnsigned(word, n.target) || *n.target == 0 || *n.target > n.most)
      return Quoted(std::string("bad ") + n.name, word);
  }
  for (std::string_view word = words.Next(); !word.empty(); word = words.Next()) {
    int32_t state;
    if (!ParseSigned(word, &state)) return Quoted("bad state", word);
    event.storm.states.push_back(state);
  }
  if (event.storm.states.empty()) return "missing state";
  event.state = event.storm.states.back();
  s.events.push_back(std::move(event));
  return {};
}

std::string ReadQueryHang(Words& words, Scenario& s) {
  TimedEvent when;
  std::string error = ReadWhen(words, &when);
  if (error.empty()) error = EndOfLine(words);
  if (!error.empty()) return error;
  s.queryHangSet = true;
  s.queryHangAnchor = when.anchor;
  s.queryHangMs = when.atMs;
  return {};
}

std::string ReadState(Words& words, Scenario& s) {
  TimedEvent event;
  event.isState = true;
  std::string error = ReadWhen(words, &event);
  if (!error.empty()) return error;
  const std::string_view state = words.Next();
  if (state.empty()) return "missing state";
  if (!ParseSigned(state, &event.state)) return Quoted("bad state", state);
  error = EndOfLine(words);
  if (error.empty()) s.events.push_back(std::move(event));
  return error;
}

// The words of a conflict entry after the key (and the count of `conflicts`).
std::string ReadConflictEntry(Words& words, Conflict* out) {
  Conflict conflict;
  const std::string_view kind = words.Next();
  if (kind != "closable" && kind != "unclosable") {
    return kind.empty() ? "missing kind" : Quoted("bad kind", kind);
  }
  conflict.closable = kind == "closable";
  const std::string_view pid = words.Next();
  if (pid.empty()) return "missing process id";
  if (!ParseSigned(pid, &conflict.processId)) return Quoted("bad process id", pid);
  std::string_view program;
  if (!words.NextQuoted(&program)) return "missing closing quote";
  if (program.empty()) return "missing program";
  if (program.size() >= kProgramSize) return "program longer than " + std::to_string(kProgramSize - 1) + " bytes";
  const std::string_view name = words.Rest();
  if (name.size() >= kDisplayNameSize) return "name longer than " + std::to_string(kDisplayNameSize - 1) + " bytes";
  conflict.program = std::string(program);
  conflict.displayName = std::string(name);
  *out = std::move(conflict);
  return {};
}

std::string ReadConflict(Words& words, Scenario& s) {
  Conflict conflict;
  std::string error = ReadConflictEntry(words, &conflict);
  if (error.empty()) s.conflicts.push_back(std::move(conflict));
  return error;
}

// "conflicts <count> <kind> <pid> <program> [name]": `count` entries, the
// process ids counting up from `pid`.
std::string ReadConflicts(Words& words, Scenario& s) {
  const std::string_view countWord = words.Next();
  if (countWord.empty()) return "missing count";
  uint32_t count;
  if (!ParseUnsigned(countWord, &count) || count == 0 || count > kMostConflicts) return Quoted("bad count", countWord);
  if (s.conflicts.size() + count > kMostConflicts) return "more than " + std::to_string(kMostConflicts) + " entries in all";
  Conflict first;
  std::string error = ReadConflictEntry(words, &first);
  if (!error.empty()) return error;
  if (static_cast<int64_t>(first.processId) + count - 1 > INT32_MAX) return "process ids beyond 2147483647";
  s.conflicts.reserve(s.conflicts.size() + count);
  for (uint32_t i = 0; i < count; ++i) {
    s.conflicts.push_back(first);
    s.conflicts.back().processId = first.processId + static_cast<int32_t>(i);
  }
  return {};
}

struct Key {
  std::string_view name;
  Reader read;
};

constexpr Key kKeys[] = {
    {"calllog", ReadCallLog},
    {"init", ReadInit},
    {"connect-delay", ReadConnectDelay},
    {"stop", ReadStop},
    {"stop-return", ReadStopReturn},
    {"login", ReadLogin},
    {"password", ReadPassword},
    {"account-status", ReadAccountStatus},
    {"account-date", ReadAccountDate},
    {"account-minutes", ReadAccountMinutes},
    {"address", ReadAddress},
    {"message", ReadMessage},
    {"state", ReadState},
    {"conflict", ReadConflict},
    {"conflicts", ReadConflicts},
    {"long-message", ReadLongMessage},
    {"state-storm", ReadStateStorm},
    {"callback-lock", ReadCallbackLock},
    {"clear-wait", ReadClearWait},
    {"query-hang", ReadQueryHang},
};

}  // namespace

std::string RepeatToSize(const std::string& text, uint32_t size) {
  const std::string unit = text.empty() ? std::string("x") : text;
  std::string out;
  out.reserve(size);
  while (out.size() < size) out.append(unit, 0, std::min<size_t>(unit.size(), size - out.size()));
  return out;
}

Scenario ParseScenario(std::string_view text) {
  constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";  // editors may put it first
  if (text.substr(0, kUtf8Mark.size()) == kUtf8Mark) text.remove_prefix(kUtf8Mark.size());

  Scenario scenario;
  int lineNumber = 0;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    Words words(text.substr(pos, end - pos));
    pos = end + 1;
    ++lineNumber;

    const std::string_view key = words.Next();
    if (key.empty() || key.front() == '#') continue;
    const Key* found = nullptr;
    for (const Key& k : kKeys) {
      if (k.name == key) found = &k;
    }
    if (!found) {
      scenario.issues.push_back({lineNumber, Quoted("unknown key", key)});
      continue;
    }
    const std::string error = found->read(words, scenario);
    if (!error.empty()) scenario.issues.push_back({lineNumber, std::string(key) + ": " + error});
  }
  return scenario;
}

}  // namespace core_scenario
