#include "base/gbk_text.h"

std::string CutGbk(const std::string& text, size_t maxBytes) {
  size_t end = 0;
  while (end < text.size()) {
    // A lead byte of 0x81 or above starts a double-byte character.
    const size_t width = static_cast<unsigned char>(text[end]) >= 0x81 ? 2 : 1;
    if (end + width > maxBytes || end + width > text.size()) break;
    end += width;
  }
  return text.substr(0, end);
}
