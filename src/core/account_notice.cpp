#include "core/account_notice.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr uint32_t kNoEnd = 0x8;
constexpr uint32_t kEndIsDate = 0x10;
constexpr uint32_t kEndIsTime = 0x20;
constexpr uint32_t kEndShown = 0x80;
constexpr std::time_t kTwoDays = 172800;
constexpr uint32_t kLastHourMinutes = 59;

unsigned Level(uint32_t status) { return (status >> 10) & 0x7; }

}  // namespace

bool DateMidnight(const char* date, std::time_t* midnight) {
  char text[12] = {};
  std::memcpy(text, date, 11);  // the field need not be terminated
  unsigned year = 0, month = 0, day = 0;
  if (std::sscanf(text, "%u-%u-%u", &year, &month, &day) != 3) return false;
  if (year < 1900 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31) return false;
  std::tm t{};
  t.tm_year = static_cast<int>(year) - 1900;
  t.tm_mon = static_cast<int>(month) - 1;
  t.tm_mday = static_cast<int>(day);
  t.tm_isdst = -1;  // midnight as the local clock shows it, summer time or not
  const std::time_t result = std::mktime(&t);
  if (result == static_cast<std::time_t>(-1)) return false;
  *midnight = result;
  return true;
}

AccountNotice DecideAccountNotice(uint32_t status, const char* date, uint32_t minutesLeft, std::time_t now) {
  const unsigned level = Level(status);
  if (level == 0 || (status & kNoEnd)) return AccountNotice::None;
  if (level >= 3 && (status & 0xB0) == kEndShown) return AccountNotice::None;
  if (status & kEndIsDate) {
    std::time_t midnight;
    if (!DateMidnight(date, &midnight)) return AccountNotice::None;
    return midnight >= now && midnight - now < kTwoDays ? AccountNotice::EndDate : AccountNotice::None;
  }
  if ((status & kEndIsTime) && minutesLeft <= kLastHourMinutes) return AccountNotice::EndTime;
  return AccountNotice::None;
}
