// The status figures from any query record the core may fill and any run
// state: the record is read within its 64 bytes, every value fits its
// control, and the log lines name the text fields no longer than they are.
#include <cstring>
#include <memory>

#include "fuzz_check.h"
#include "ui/status_panel.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < sizeof(CoreQueryRecord)) return 0;
  // Exactly one record on the heap: a read past it is caught.
  auto record = std::make_unique<CoreQueryRecord>();
  std::memcpy(record.get(), data, sizeof(CoreQueryRecord));
  int32_t runState = 3;
  if (size >= sizeof(CoreQueryRecord) + sizeof runState)
    std::memcpy(&runState, data + sizeof(CoreQueryRecord), sizeof runState);

  const StatusValues values = StatusPanelTexts(*record, runState);
  for (const StatusValue& value : values) {
    FUZZ_CHECK(value.text.size() <= 16);
    if (!value.drawn) FUZZ_CHECK(value.text.empty());
  }
  for (const std::string& line : QueryLogLines(*record)) FUZZ_CHECK(line.size() < 1024);
  FormatConnectedTime(static_cast<int32_t>(record->connectedSeconds));
  RateCount(record->sendRate);
  RateCount(record->receiveRate);
  QueryLogMark mark;
  FUZZ_CHECK(TakeQueryLogTurn(&mark, *record));
  FUZZ_CHECK(!TakeQueryLogTurn(&mark, *record));
  return 0;
}
