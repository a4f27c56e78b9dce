#include "ui/status_panel.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "base/codes.h"
#include "base/gbk_text.h"
#include "ui/control_ids.h"
#include "ui/number_format.h"

namespace {


// Limits in characters (bytes of code page 936, never half a character).
constexpr size_t kAddressLimit = 16;
constexpr size_t kFigureLimit = 10;
constexpr size_t kDateLimit = 11;
constexpr size_t kMinutesLimit = 6;

// Account status bits.
constexpr uint32_t kNoEnd = 0x08;
constexpr uint32_t kEndIsDate = 0x10;
constexpr uint32_t kEndShownMask = 0xB0;  // shown (0x80) together with date (0x10) or time (0x20)
constexpr uint32_t kEndShown = 0x80;

// A text field of the record that need not be terminated.
template <size_t N>
std::string FieldText(const char (&field)[N]) {
  return std::string(field, strnlen(field, N));
}

std::string Unsigned(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%u", static_cast<unsigned>(value));
  return text;
}

void Draw(StatusValue* value, const std::string& text, size_t limit) {
  value->drawn = true;
  value->text = CutGbk(text, limit);
}

}  // namespace

StatusValues StatusPanelTexts(const CoreQueryRecord& record, int32_t runState) {
  StatusValues values = {{
      {IDC_ADDRESS, IDC_ADDRESS, false, {}},
      {IDC_CONN_TIME, IDC_CONN_TIME, false, {}},
      {IDC_RECV_DATA, IDC_CONN_TIME, false, {}},
      {IDC_RECV_RATE, IDC_CONN_TIME, false, {}},
      {IDC_SENT_DATA, IDC_CONN_TIME, false, {}},
      {IDC_SENT_RATE, IDC_CONN_TIME, false, {}},
      {IDC_EXPIRY, IDC_EXPIRY, false, {}},
  }};
  if (runState != RUN_CONNECTED) return values;

  const std::string address = FieldText(record.ip);
  if (!address.empty()) {
    Draw(&values[0], address, kAddressLimit);
    const uint32_t status = record.status;
    if (!(status & kNoEnd) && (status & kEndShownMask) > kEndShown) {
      if (status & kEndIsDate)
        Draw(&values[6], FieldText(record.date), kDateLimit);
      else
        Draw(&values[6], Unsigned(record.minutesLeft), kMinutesLimit);
    }
  }
  if (record.startTime != 0) {
    Draw(&values[1], FormatConnectedTime(static_cast<int32_t>(record.connectedSeconds)), kFigureLimit);
    Draw(&values[2], FormatSize(record.bytesReceived, "B"), kFigureLimit);
    Draw(&values[3], FormatSize(RateCount(record.receiveRate), "bps"), kFigureLimit);
    Draw(&values[4], FormatSize(record.bytesSent, "B"), kFigureLimit);
    Draw(&values[5], FormatSize(RateCount(record.sendRate), "bps"), kFigureLimit);
  }
  return values;
}

bool StatusControlReadsCore(int controlId) {
  return controlId == IDC_ADDRESS || controlId == IDC_CONN_TIME || controlId == IDC_EXPIRY;
}

std::string FormatConnectedTime(int32_t seconds) {
  char text[48];
  std::snprintf(text, sizeof text, "%d:%d:%d", static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
                static_cast<int>(seconds % 60));
  return text;
}

uint32_t RateCount(float rate) {
  const double scaled = static_cast<double>(rate) * 1024.0;
  // Converting a value outside int64 is undefined; such a rate is nonsense anyway.
  if (!std::isfinite(scaled) || scaled <= 0.0 || scaled >= 9223372036854775808.0) return 0;
  return static_cast<uint32_t>(static_cast<uint64_t>(static_cast<int64_t>(scaled)));
}

std::array<std::string, 3> QueryLogLines(const CoreQueryRecord& record) {
  const std::string date = FieldText(record.date);
  const std::string ip = FieldText(record.ip);
  char first[128];
  char second[128];
  char third[64];
  std::snprintf(first, sizeof first, "INFO: ID = %u; Status = %u; Time = %u; Date = %s",
                static_cast<unsigned>(record.id), static_cast<unsigned>(record.status),
                static_cast<unsigned>(record.minutesLeft), date.c_str());
  std::snprintf(second, sizeof second, "INFO: IP = %s (%u); Start = %u; Time = %u", ip.c_str(),
                static_cast<unsigned>(ip.size()), static_cast<unsigned>(record.startTime),
                static_cast<unsigned>(record.connectedSeconds));
  std::snprintf(third, sizeof third, "INFO: Recv: %u; Out: %u", static_cast<unsigned>(record.bytesSent),
                static_cast<unsigned>(record.bytesReceived));
  return {first, second, third};
}

bool TakeQueryLogTurn(QueryLogMark* mark, const CoreQueryRecord& record) {
  if (!mark) return false;
  if (mark->logged && mark->startTime == record.startTime && mark->connectedSeconds == record.connectedSeconds)
    return false;
  mark->logged = true;
  mark->startTime = record.startTime;
  mark->connectedSeconds = record.connectedSeconds;
  return true;
}
