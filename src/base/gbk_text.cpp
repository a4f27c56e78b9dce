#include "base/gbk_text.h"

namespace {

// GBK's lead bytes; 0x80 and 0xFF stand alone.
bool IsLead(unsigned char b) { return b >= 0x81 && b <= 0xFE; }
bool IsTrail(unsigned char b) { return b >= 0x40 && b <= 0xFE && b != 0x7F; }
bool IsSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDFFF; }

}  // namespace

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

std::u16string GbkToUtf16(std::string_view text, GbkDecodeChar decode, size_t maxBytes) {
  if (text.size() > maxBytes) text = text.substr(0, maxBytes);
  std::u16string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const unsigned char b = static_cast<unsigned char>(text[i]);
    if (b < 0x80) {
      out += static_cast<char16_t>(b);
      ++i;
      continue;
    }
    // The platform decides what each character is, this loop what a broken
    // one becomes: Windows versions differ there ("?", U+30FB or nothing).
    size_t width = 1;
    if (IsLead(b)) {
      if (i + 1 == text.size()) break;  // cut in the middle of the character
      if (IsTrail(static_cast<unsigned char>(text[i + 1]))) width = 2;
    }
    const bool lone = IsLead(b) && width == 1;
    const char16_t unit = lone ? 0 : decode(text.data() + i, width);
    out += unit ? unit : kNoCharacter;
    i += width;
  }
  return out;
}

GbkInput Utf16ToGbk(std::u16string_view text, GbkEncodeChar encode, size_t maxBytes, std::string* out,
                    size_t* bytes) {
  std::string gbk;
  for (char16_t unit : text) {
    char pair[2];
    const size_t n = unit < 0x80 ? (pair[0] = static_cast<char>(unit), 1) : IsSurrogate(unit) ? 0 : encode(unit, pair);
    if (n == 0) return GbkInput::NotGbk;
    gbk.append(pair, n);
  }
  if (bytes) *bytes = gbk.size();
  if (gbk.size() > maxBytes) return GbkInput::TooLong;
  *out = gbk;
  return GbkInput::Fits;
}
