// The conflicting-programs box text, built from the core's conflict list.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "coreapi/core_records.h"

// The entries read from the core, and how many it announced: a list longer
// than the client reads still counts all of them as not shown.
struct ConflictList : std::vector<ConflictEntry> {
  using std::vector<ConflictEntry>::vector;
  size_t announced = 0;  // the core's count; when not above size(), size() counts
};

constexpr size_t kConflictTextSize = 1024;  // the box text buffer, terminator included
// More entries than any machine runs conflicting programs; a larger count is
// not trusted to describe readable memory.
constexpr int32_t kMaxConflictEntries = 256;

// Copies the core's array of `count` entries (at most kMaxConflictEntries,
// `announced` = count); empty for a null array or a count of 0 or less.
ConflictList CopyConflictList(const void* array, int32_t count);

// The display name and the program text, read only within their fields and
// without a lead byte left dangling at a field's end.
std::string ConflictName(const ConflictEntry& entry);
std::string ConflictProgram(const ConflictEntry& entry);

// The line telling how many entries did not fit.
std::string OmittedLine(size_t count);

// `heading`, one "name: program\n" line per entry in order, then `closing`,
// in at most kConflictTextSize - 1 bytes. When the entries do not all fit, the
// ones that do are followed by OmittedLine of the rest before `closing`; the
// rest includes the entries announced but never read.
std::string BuildConflictText(const std::string& heading, const ConflictList& entries, const std::string& closing);
