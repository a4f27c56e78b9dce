// The stand-in core's scenario file, any bytes: the parser never fails, and
// what it keeps fits the record fields the core copies it into.
#include <string_view>

#include "core/scenario.h"
#include "fuzz_check.h"

namespace cs = core_scenario;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const cs::Scenario s = cs::ParseScenario(std::string_view(reinterpret_cast<const char*>(data), size));
  FUZZ_CHECK(s.accountDate.size() <= cs::kDateSize);
  FUZZ_CHECK(s.address.size() <= cs::kAddressSize);
  for (const cs::Conflict& c : s.conflicts) {
    FUZZ_CHECK(!c.program.empty() && c.program.size() < cs::kProgramSize);
    FUZZ_CHECK(c.displayName.size() < cs::kDisplayNameSize);
  }
  for (const cs::Issue& issue : s.issues) FUZZ_CHECK(issue.line >= 1 && !issue.what.empty());
  return 0;
}
