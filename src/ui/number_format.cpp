#include "ui/number_format.h"

#include <cstdio>

std::string FormatVersion(uint32_t packed) {
  char text[32];
  std::snprintf(text, sizeof text, "%u.%u.%u.%04u", static_cast<unsigned>(packed >> 28),
                static_cast<unsigned>((packed >> 20) & 0xFF), static_cast<unsigned>((packed >> 16) & 0xF),
                static_cast<unsigned>(packed & 0xFFFF));
  return text;
}

std::string FormatSize(uint32_t count, const char* suffix) {
  static const char* const kUnits[] = {"", "K", "M", "G", "T"};
  constexpr size_t kLastUnit = sizeof kUnits / sizeof kUnits[0] - 1;
  // Dividing by 1024 is exact in a double, so the comparisons with 1 are too.
  double value = count;
  size_t unit = 0;
  while (unit < kLastUnit && value / 1024.0 > 1.0) {
    value /= 1024.0;
    ++unit;
  }
  char text[64];
  std::snprintf(text, sizeof text, "%2.2f%s%s", value, kUnits[unit], suffix ? suffix : "");
  return text;
}
