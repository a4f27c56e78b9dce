// The client's own version, packed major.minor.third.build as 4+8+4+16 bits (1.7.2.0058).
#pragma once
#include <cstdint>
#include <string>

constexpr uint32_t ClientVersion = 0x1072003A;

// A packed version (major 4 bits, minor 8, third 4, build 16) as "%u.%u.%u.%04u".
std::string FormatVersion(uint32_t packed);
