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

// GBK text, at most `maxBytes` bytes of it, for a wide call.
std::wstring GbkToWide(std::string_view gbk, size_t maxBytes = kGbkTextLimit);
// Wide text to GBK as Utf16ToGbk does.
GbkInput WideToGbk(std::wstring_view text, size_t maxBytes, std::string* out, size_t* bytes = nullptr);
// Wide text for a log line, which is GBK by its format: a character code page
// 936 cannot hold shows as "?" there, and only there.
std::string WideToLogText(std::wstring_view text);
// A string-table text read with LoadStringW, in GBK and at most
// `bufferBytes - 1` bytes long, as the ANSI buffer of that size held it.
std::string LoadGbkString(HINSTANCE module, UINT id, size_t bufferBytes);
