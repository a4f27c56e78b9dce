// The client's own version, packed major.minor.third.build as 4+8+4+16 bits (1.7.2.0058).
#pragma once
#include <cstdint>

constexpr uint32_t ClientVersion = 0x1072003A;
