// Text in code page 936 (GBK), as every text of the client is, and its
// conversion to and from UTF-16 for the wide calls.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

// Cuts GBK text to at most `maxBytes` bytes without splitting a double-byte character.
std::string CutGbk(const std::string& text, size_t maxBytes);

// The platform's code page 936 for one character: `count` (1 or 2) bytes to
// their UTF-16 unit, or 0 when the code page assigns none.
using GbkDecodeChar = char16_t (*)(const char* bytes, size_t count);
// One UTF-16 unit (never a surrogate) to its code page 936 bytes in `out`
// (room for two): their number, or 0 when the code page cannot hold it.
using GbkEncodeChar = size_t (*)(char16_t unit, char* out);

// The most a shown text holds: the size of every message the client composes.
constexpr size_t kGbkTextLimit = 1024;
// What a byte that is no character becomes.
constexpr char16_t kNoCharacter = 0xFFFD;

// The first `maxBytes` bytes of `text` as UTF-16. A double-byte character cut
// by the end (or by the limit) is dropped; a byte or pair that is no character
// becomes kNoCharacter, and a byte after a lead byte that cannot pair with it
// (a blank, a digit) stays itself.
std::u16string GbkToUtf16(std::string_view text, GbkDecodeChar decode, size_t maxBytes = kGbkTextLimit);

enum class GbkInput { Fits, TooLong, NotGbk };
// Typed UTF-16 to GBK. NotGbk when a character has no code page 936 form
// (nothing is ever replaced by "?"); TooLong when its GBK form exceeds
// `maxBytes` bytes, which `bytes` then counts. `out` is only set on Fits.
GbkInput Utf16ToGbk(std::u16string_view text, GbkEncodeChar encode, size_t maxBytes, std::string* out,
                    size_t* bytes = nullptr);

// The character set a font of ours asks for. Where the system's ANSI code page
// is 936 the default set is Simplified Chinese already, and the fonts stay as
// they always were; elsewhere the default set (Western under 1252) lets the font
// mapper pick a face without Chinese, and the service list and the login edits
// show empty boxes, so the font asks for GB2312 by name.
constexpr int kDefaultCharset = 1;  // DEFAULT_CHARSET
constexpr int kGb2312Charset = 134;  // GB2312_CHARSET
constexpr int FontCharsetFor(unsigned ansiCodePage) {
  return ansiCodePage == 936 ? kDefaultCharset : kGb2312Charset;
}
