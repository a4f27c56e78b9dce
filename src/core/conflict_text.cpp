#include "core/conflict_text.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "base/gbk_text.h"

namespace {

std::string Field(const char* field, size_t size) {
  // The core does not promise a terminator; a trailing lone lead byte would
  // swallow the separator that follows.
  return CutGbk(std::string(field, strnlen(field, size)), size);
}

std::string EntryLine(const ConflictEntry& entry) {
  return ConflictName(entry) + ": " + ConflictProgram(entry) + "\n";
}

}  // namespace

ConflictList CopyConflictList(const void* array, int32_t count) {
  if (!array || count <= 0) return {};
  const size_t n = static_cast<size_t>(count < kMaxConflictEntries ? count : kMaxConflictEntries);
  ConflictList list(n);
  std::memcpy(list.data(), array, n * sizeof(ConflictEntry));
  list.announced = static_cast<size_t>(count);
  return list;
}

std::string ConflictName(const ConflictEntry& entry) { return Field(entry.displayName, sizeof entry.displayName); }

std::string ConflictProgram(const ConflictEntry& entry) { return Field(entry.program, sizeof entry.program); }

std::string OmittedLine(size_t count) {
  char line[64];
  std::snprintf(line, sizeof line, "另有 %zu 个软件未能列出\n", count);
  return line;
}

std::string BuildConflictText(const std::string& heading, const ConflictList& entries, const std::string& closing) {
  constexpr size_t limit = kConflictTextSize - 1;
  std::vector<std::string> lines;
  size_t total = heading.size() + closing.size();
  for (const ConflictEntry& entry : entries) {
    lines.push_back(EntryLine(entry));
    total += lines.back().size();
  }

  const size_t all = std::max(entries.announced, entries.size());
  std::string text = heading;
  if (total <= limit && all == entries.size()) {
    for (const std::string& line : lines) text += line;
  } else {
    // List what fits with room kept for the longest count line, then count the rest.
    const size_t reserve = OmittedLine(all).size() + closing.size();
    size_t listed = 0;
    while (listed < lines.size() && text.size() + lines[listed].size() + reserve <= limit) text += lines[listed++];
    text += OmittedLine(all - listed);
  }
  text += closing;
  // Only a heading and closing longer than the buffer could get here.
  return text.size() <= limit ? text : CutGbk(text, limit);
}
