// Code page 936 at the wide calls. Every Windows holds code page 936 whatever
// its own ANSI code page is; converting explicitly makes the client's GBK
// texts read the same under 1252, 950 or 65001 as under 936.
#pragma once
#include <windows.h>

#include <string>
#include <string_view>

#include "base/gbk_text.h"

// The platform's code page 936 for GbkToUtf16 and Utf16ToGbk.
char16_t DecodeGbkChar(const char* bytes, size_t count);
size_t EncodeGbkChar(char16_t unit, char* out);

// Wide text is held as std::u16string: std::wstring would link libstdc++'s
// whole wide string (35 KB) into the i686 client for nothing it needs.
struct WideText {
  std::u16string text;
  const wchar_t* c_str() const { return reinterpret_cast<const wchar_t*>(text.c_str()); }
};
inline const wchar_t* WideChars(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }
// A terminated wide string (a path, an edit's text) as UTF-16.
inline std::u16string_view WideView(const wchar_t* text) {
  return {reinterpret_cast<const char16_t*>(text), text ? wcslen(text) : 0};
}

// GBK text, at most `maxBytes` bytes of it, for a wide call.
WideText GbkToWide(std::string_view gbk, size_t maxBytes = kGbkTextLimit);
// Wide text to GBK as Utf16ToGbk does.
GbkInput WideToGbk(std::u16string_view text, size_t maxBytes, std::string* out, size_t* bytes = nullptr);
// Wide text for a log line, which is GBK by its format: a character code page
// 936 cannot hold shows as "?" there, and only there.
std::string WideToLogText(std::u16string_view text);
// A string-table text read with LoadStringW, in GBK and at most
// `bufferBytes - 1` bytes long, as the ANSI buffer of that size held it.
std::string LoadGbkString(HINSTANCE module, UINT id, size_t bufferBytes);
