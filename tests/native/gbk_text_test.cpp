#include "base/gbk_text.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include "base/gbk_text_win.h"
#else
#include <iconv.h>
#endif

namespace {

// The platform's code page 936: Windows' own under Wine, glibc's natively.
#ifdef _WIN32
GbkDecodeChar Decode() { return DecodeGbkChar; }
GbkEncodeChar Encode() { return EncodeGbkChar; }
#else
size_t Convert(const char* to, const char* from, const char* in, size_t inSize, char* out, size_t outSize) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return 0;
  char* src = const_cast<char*>(in);
  char* dst = out;
  size_t left = outSize;
  const size_t r = iconv(cd, &src, &inSize, &dst, &left);
  iconv_close(cd);
  return r == static_cast<size_t>(-1) || inSize ? 0 : outSize - left;
}
char16_t DecodeIconv(const char* bytes, size_t count) {
  char16_t unit = 0;
  return Convert("UTF-16LE", "CP936", bytes, count, reinterpret_cast<char*>(&unit), 2) == 2 ? unit : 0;
}
size_t EncodeIconv(char16_t unit, char* out) {
  return Convert("CP936", "UTF-16LE", reinterpret_cast<const char*>(&unit), 2, out, 2);
}
GbkDecodeChar Decode() { return DecodeIconv; }
GbkEncodeChar Encode() { return EncodeIconv; }
#endif

struct ShownCase {
  const char* what;
  std::string gbk;
  std::u16string shown;
};

// The sources are UTF-8 and the execution character set GBK, so u"" is what
// Windows shows and "" the bytes the client holds.
const ShownCase kShown[] = {
    {"ascii", "Lumora Zephal\n", u"Lumora Zephal\n"},
    {"two-byte", "上网加速 游戏加速", u"上网加速 游戏加速"},
    {"mixed, full-width punctuation", "%s 已经连接成功，IP: 10.0.0.1", u"%s 已经连接成功，IP: 10.0.0.1"},
    {"a lead byte cut by the end", std::string("上网") + "\xBC", u"上网"},
    {"a lead byte before a blank", "\x81 1", u"\uFFFD 1"},
    {"a lead byte before a letter: a pair", "\x81" "A", u"\u4E04"},
    {"a lead byte before DEL", "\xB0\x7F", u"\uFFFD\u007F"},
    {"a byte that is no character", "a\xFF" "b", u"a\uFFFDb"},
    {"empty", "", u""},
};

TEST(GbkText, ShownTextIsTheSameCharactersAndBrokenBytesAreMarkedOrDropped) {
  for (const ShownCase& c : kShown) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(GbkToUtf16(c.gbk, Decode()), c.shown);
  }
}

TEST(GbkText, AtMost1024BytesAreShownAndNoCharacterIsCutThere) {
  const std::string a1023(1023, 'a');
  EXPECT_EQ(GbkToUtf16(std::string(1024, 'a') + "b", Decode()), std::u16string(1024, u'a'));
  EXPECT_EQ(GbkToUtf16(a1023 + "上", Decode()), std::u16string(1023, u'a'));
  EXPECT_EQ(GbkToUtf16(std::string(1022, 'a') + "上", Decode()), std::u16string(1022, u'a') + u"上");
  EXPECT_EQ(GbkToUtf16(a1023 + "上", Decode(), 2000).back(), u'上');
}

struct TypedCase {
  const char* what;
  std::u16string typed;
  GbkInput result;
  std::string gbk;  // on Fits
  size_t bytes;     // GBK bytes, on Fits and TooLong
};

// Limited to 20 bytes of GBK, as the login fields are: a Chinese character counts two.
const TypedCase kTyped[] = {
    {"ascii", u"alice", GbkInput::Fits, "alice", 5},
    {"two-byte", u"用户名", GbkInput::Fits, "用户名", 6},
    {"exactly twenty bytes", u"一二三四五六七八九十", GbkInput::Fits, "一二三四五六七八九十", 20},
    {"twenty-one bytes", u"一二三四五六七八九十a", GbkInput::TooLong, "", 21},
    {"Hangul, which GBK lacks", u"用\uD55C", GbkInput::NotGbk, "", 0},
    {"outside the BMP", u"a\U0001F600", GbkInput::NotGbk, "", 0},
    {"a lone surrogate", u"a\xD800", GbkInput::NotGbk, "", 0},
    {"empty", u"", GbkInput::Fits, "", 0},
};

TEST(GbkText, TypedTextBecomesGbkOrIsRefusedWholeNeverWithQuestionMarks) {
  for (const TypedCase& c : kTyped) {
    SCOPED_TRACE(c.what);
    std::string out = "untouched";
    size_t bytes = 0;
    EXPECT_EQ(Utf16ToGbk(c.typed, Encode(), 20, &out, &bytes), c.result);
    EXPECT_EQ(out, c.result == GbkInput::Fits ? c.gbk : "untouched");
    if (c.result != GbkInput::NotGbk) {
      EXPECT_EQ(bytes, c.bytes);
    }
    // Shown again, accepted text is what was typed.
    if (c.result == GbkInput::Fits) {
      EXPECT_EQ(GbkToUtf16(out, Decode()), c.typed);
    }
  }
}

}  // namespace

TEST(GbkText, FontsAskForChineseByNameOnlyWhereTheSystemCodePageIsNotChinese) {
  const struct {
    unsigned codePage;
    int charset;
  } cases[] = {{936, kDefaultCharset}, {1252, kGb2312Charset}, {950, kGb2312Charset}, {65001, kGb2312Charset}};
  for (const auto& c : cases) EXPECT_EQ(FontCharsetFor(c.codePage), c.charset) << c.codePage;
}
