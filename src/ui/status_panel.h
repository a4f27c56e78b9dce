// What the status value controls of the main window show for a core query
// record, and the debug lines written about the record.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "coreapi/core_records.h"

// One value control: the text it shows, or nothing.
struct StatusValue {
  int controlId;
  int paintedWith;   // the control whose painting draws this value
  bool drawn;        // false: the control stays blank
  std::string text;  // already cut to the control's limit
};

// In drawing order: address, connection time, data received, receive rate,
// data sent, send rate, expiry.
constexpr size_t kStatusValueCount = 7;
using StatusValues = std::array<StatusValue, kStatusValueCount>;

// The seven values for a record and the connection state. The core is asked
// only while connected, so in any other state every value is blank, whatever
// the record holds. The address and the date are read within their fields.
StatusValues StatusPanelTexts(const CoreQueryRecord& record, int32_t runState);

// Whether painting this control draws record values, so the core must be asked.
bool StatusControlReadsCore(int controlId);

// "%d:%d:%d" hours (not wrapped), minutes, seconds: 3725 gives "1:2:5".
std::string FormatConnectedTime(int32_t seconds);

// A rate in units of 1024 per second as the count FormatSize shows: truncated
// toward zero, low 32 bits. A rate that is negative, not a number or beyond
// 64 bits counts as 0.
uint32_t RateCount(float rate);

// The three "INFO: " lines about a record, fields read within their bounds.
std::array<std::string, 3> QueryLogLines(const CoreQueryRecord& record);

// Which connection second was logged last. Every paint of a value queries the
// core, several paints come with each refresh, but the record is logged once
// for each second of connection.
struct QueryLogMark {
  bool logged = false;
  uint32_t startTime = 0;
  uint32_t connectedSeconds = 0;
};

// True when `record` is from another second than the last one logged; marks it.
bool TakeQueryLogTurn(QueryLogMark* mark, const CoreQueryRecord& record);
