#include "base/version.h"

#include <cstdio>

std::string FormatVersion(uint32_t packed) {
  char text[32];
  std::snprintf(text, sizeof text, "%u.%u.%u.%04u", static_cast<unsigned>(packed >> 28),
                static_cast<unsigned>((packed >> 20) & 0xFF), static_cast<unsigned>((packed >> 16) & 0xF),
                static_cast<unsigned>(packed & 0xFFFF));
  return text;
}
