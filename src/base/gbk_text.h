// Text in code page 936 (GBK), as every text of the client is.
#pragma once
#include <cstddef>
#include <string>

// Cuts GBK text to at most `maxBytes` bytes without splitting a double-byte character.
std::string CutGbk(const std::string& text, size_t maxBytes);
