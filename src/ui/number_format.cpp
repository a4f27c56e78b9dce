#include "ui/number_format.h"

#include <cstdio>

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
