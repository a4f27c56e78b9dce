// Message catalogues: the Chinese texts (code page 936) shown for numeric codes.
#pragma once
#include <cstdint>

// Text of a core library code. Never fails: an unknown code yields
// "未知错误 (#%x)" formatted into a buffer owned by the calling thread.
const char* CoreText(uint32_t code);
// Text of one of the client's own report codes, same fallback.
const char* ReportText(uint32_t code);
