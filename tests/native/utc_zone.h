// Runs a test in UTC, so local-time conversions give fixed numbers.
#pragma once
#include <cstdlib>
#include <ctime>

inline void UseUtcZone() {
#ifdef _WIN32
  _putenv("TZ=UTC0");
  _tzset();
#else
  setenv("TZ", "UTC", 1);
  tzset();
#endif
}
