// Number formats shown to the user and written to the log.
#pragma once
#include <cstdint>
#include <string>

// A packed version (major 4 bits, minor 8, third 4, build 16) as "%u.%u.%u.%04u".
std::string FormatVersion(uint32_t packed);
