#include "base/gbk_text_win.h"

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wide text is UTF-16");

namespace {

constexpr UINT kGbk = 936;

}  // namespace

char16_t DecodeGbkChar(const char* bytes, size_t count) {
  wchar_t unit = 0;
  // Strict: an unassigned pair is no character, not whatever this Windows makes of it.
  return MultiByteToWideChar(kGbk, MB_ERR_INVALID_CHARS, bytes, static_cast<int>(count), &unit, 1) == 1 ? unit : 0;
}

size_t EncodeGbkChar(char16_t unit, char* out) {
  const wchar_t wide = unit;
  BOOL usedDefault = FALSE;
  // No best fit either: "é" must not quietly become "e" in an account name.
  const int n = WideCharToMultiByte(kGbk, WC_NO_BEST_FIT_CHARS, &wide, 1, out, 2, nullptr, &usedDefault);
  return n > 0 && !usedDefault ? static_cast<size_t>(n) : 0;
}

WideText GbkToWide(std::string_view gbk, size_t maxBytes) { return {GbkToUtf16(gbk, DecodeGbkChar, maxBytes)}; }

GbkInput WideToGbk(std::u16string_view text, size_t maxBytes, std::string* out, size_t* bytes) {
  return Utf16ToGbk(text, EncodeGbkChar, maxBytes, out, bytes);
}

std::string WideToLogText(std::u16string_view text) {
  std::string out;
  for (char16_t unit : text) {
    std::string one;
    out += WideToGbk(std::u16string_view(&unit, 1), 2, &one) == GbkInput::Fits ? one : "?";
  }
  return out;
}

std::string LoadGbkString(HINSTANCE module, UINT id, size_t bufferBytes) {
  wchar_t text[kGbkTextLimit] = L"";
  const int n = LoadStringW(module, id, text, static_cast<int>(sizeof text / sizeof text[0]));
  std::string gbk;
  if (n <= 0 || bufferBytes == 0 ||
      WideToGbk(std::u16string_view(reinterpret_cast<const char16_t*>(text), static_cast<size_t>(n)), SIZE_MAX,
                &gbk) != GbkInput::Fits)
    return "";
  return CutGbk(gbk, bufferBytes - 1);
}
