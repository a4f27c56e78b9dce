// Which account-end notice a new connection raises, from the core's query record.
#pragma once
#include <cstdint>
#include <ctime>

enum class AccountNotice {
  None,
  EndDate,  // the paid time ends on a date less than two days ahead
  EndTime,  // less than an hour of paid time is left
};

// `date` is the record's 11-byte field, not necessarily terminated; `now` the
// current time. Midnight of the date is taken in local time.
AccountNotice DecideAccountNotice(uint32_t status, const char* date, uint32_t minutesLeft, std::time_t now);

// Local midnight of a "%u-%u-%u" date within 11 bytes; false when unreadable.
bool DateMidnight(const char* date, std::time_t* midnight);
