// Number formats shown to the user and written to the log.
#pragma once
#include <cstdint>
#include <string>

// A byte count or rate with two decimals in the largest unit of 1024 that
// leaves more than 1 (exactly 1024 stays in the lower unit): 1536, "B" gives
// "1.50KB". A null suffix is left out.
std::string FormatSize(uint32_t count, const char* suffix);
