// Portable pieces of the report path: the level of a code and log line composition.
#pragma once
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>

#include "base/codes.h"

namespace report {

constexpr size_t kMessageSize = 1024;  // message buffer, terminator included

inline unsigned Level(uint32_t code) { return code & kReportLevelMask; }
// Levels above 3 are logged only in verbose mode.
inline bool Logged(uint32_t code, bool debugLog) { return debugLog || Level(code) <= 3; }

// "%Y-%m-%d %H:%M:%S" of a local time.
std::string TimeStamp(const std::tm& local);
// One log line as written to the file, without the line end.
std::string ComposeLogLine(const std::tm& local, const char* text);
// Cuts a text to what fits a 1024-byte buffer with its terminator.
std::string CutMessage(std::string text);
// The logged form of a report: "(#%x) message" when verbose, else the message.
std::string TaggedMessage(const char* tag, uint32_t code, const char* message, bool debugLog);

}  // namespace report
