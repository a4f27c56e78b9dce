// The conflict list as the core hands it over: entries with any bytes in
// every field and a count that may claim more than there are. The copy reads
// no entry beyond those claimed, names and programs stay inside their
// fields, and the box text fits its 1024-byte buffer.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstring>
#include <memory>

#include "core/conflict_text.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const std::string heading = in.ConsumeRandomLengthString(1200);
  const std::string closing = in.ConsumeRandomLengthString(1200);
  const int32_t count = in.ConsumeIntegralInRange<int32_t>(-2, 300);
  const std::vector<uint8_t> bytes = in.ConsumeRemainingBytes<uint8_t>();
  // The core's array: exactly `count` entries (the rest zero), on the heap.
  const size_t entries = count > 0 ? static_cast<size_t>(count) : 0;
  auto array = std::make_unique<ConflictEntry[]>(entries);
  const size_t filled = std::min(bytes.size(), entries * sizeof(ConflictEntry));
  if (filled) std::memcpy(array.get(), bytes.data(), filled);  // an empty vector's data() may be null

  const ConflictList list = CopyConflictList(entries ? array.get() : nullptr, count);
  FUZZ_CHECK(list.size() == std::min<size_t>(entries, kMaxConflictEntries));
  for (const ConflictEntry& entry : list) {
    FUZZ_CHECK(ConflictName(entry).size() < sizeof entry.displayName + 1);
    FUZZ_CHECK(ConflictProgram(entry).size() < sizeof entry.program + 1);
  }
  const std::string text = BuildConflictText(heading, list, closing);
  FUZZ_CHECK(text.size() < kConflictTextSize);
  return 0;
}
