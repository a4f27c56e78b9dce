#include "core/conflict_text.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// The string table's texts, as code page 936 bytes (this file is compiled to GBK).
const std::string kClosableHeading = "下面的软件会影响网络加速功能：\n";
const std::string kQuestion = "请选择【是】自动关闭，或选择【否】后手工关闭";

// An entry with the given bytes in its fields; a text as long as its field is
// stored without a terminator.
ConflictEntry Entry(const std::string& program, const std::string& name, int32_t pid = 7) {
  ConflictEntry entry{};
  entry.processId = pid;
  std::memcpy(entry.program, program.data(), std::min(program.size(), sizeof entry.program));
  std::memcpy(entry.displayName, name.data(), std::min(name.size(), sizeof entry.displayName));
  return entry;
}

std::string Line(const std::string& name, const std::string& program) { return name + ": " + program + "\n"; }

struct Case {
  const char* what;
  std::string heading;
  ConflictList entries;
  std::string closing;
  std::string expected;
};

std::vector<Case> Cases() {
  const std::string p250(250, 'p');
  const std::string heading10 = "HHHHHHHHH\n";
  std::vector<Case> cases = {
      {"entries in order, an empty name kept", kClosableHeading,
       {Entry("C:\\a.exe", "甲软件"), Entry("C:\\b.exe", "")}, kQuestion,
       kClosableHeading + Line("甲软件", "C:\\a.exe") + Line("", "C:\\b.exe") + kQuestion},
      {"no entries", kClosableHeading, {}, "", kClosableHeading},
      {"fields read to their ends when unterminated", "", {Entry(std::string(261, 'p'), std::string(43, 'n'))}, "",
       Line(std::string(43, 'n'), std::string(261, 'p'))},
      {"a lead byte at a field's end is dropped", "",
       {Entry(std::string(42, 'n') + "\xB0", "C:\\x\xC1"), Entry("C:\\y", std::string(42, 'n') + "\xB0")}, "",
       Line("C:\\x", std::string(42, 'n')) + Line(std::string(42, 'n'), "C:\\y")},
      // 10 + 4 * 253 + 1 = 1023 bytes: everything fits.
      {"exactly full", heading10, {Entry(p250, ""), Entry(p250, ""), Entry(p250, ""), Entry(p250, "")}, "Q",
       heading10 + Line("", p250) + Line("", p250) + Line("", p250) + Line("", p250) + "Q"},
      // One byte more: the last entry is counted instead.
      {"one byte over", heading10, {Entry(p250, ""), Entry(p250, ""), Entry(p250, ""), Entry(p250, "")}, "QQ",
       heading10 + Line("", p250) + Line("", p250) + Line("", p250) + OmittedLine(1) + "QQ"},
  };
  std::string tooLong;
  for (int i = 0; i < 600; ++i) tooLong += "连";
  cases.push_back({"a heading longer than the buffer is cut between characters", tooLong, {}, "", tooLong.substr(0, 1022)});
  return cases;
}

TEST(ConflictText, Cases) {
  for (const Case& c : Cases()) {
    const std::string text = BuildConflictText(c.heading, c.entries, c.closing);
    EXPECT_EQ(text, c.expected) << c.what;
    EXPECT_LE(text.size(), kConflictTextSize - 1) << c.what;
  }
}

TEST(ConflictText, FortyLongPathsEndWithTheCountOfTheRest) {
  ConflictList entries;
  std::vector<std::string> programs;
  for (int i = 0; i < 40; ++i) {
    programs.push_back("C:\\" + std::string(252, static_cast<char>('a' + i % 26)) + ".exe");  // 259 bytes
    entries.push_back(Entry(programs.back(), "Booster " + std::to_string(10 + i), 1000 + i));
  }
  ASSERT_EQ(programs[0].size(), 259u);
  const std::string text = BuildConflictText(kClosableHeading, entries, kQuestion);
  // 31 + 3 * 272 + 23 + 44 bytes: three whole lines, then the count of the other 37.
  EXPECT_EQ(text, kClosableHeading + Line("Booster 10", programs[0]) + Line("Booster 11", programs[1]) +
                      Line("Booster 12", programs[2]) + "另有 37 个软件未能列出\n" + kQuestion);
  EXPECT_LE(text.size(), kConflictTextSize - 1);
}

TEST(ConflictList, CopiesAtMostTheTrustedNumberOfEntries) {
  ConflictList array(300, Entry("C:\\z.exe", "z"));
  array[1] = Entry("C:\\second.exe", "second", 42);
  EXPECT_TRUE(CopyConflictList(nullptr, 3).empty());
  EXPECT_TRUE(CopyConflictList(array.data(), 0).empty());
  EXPECT_TRUE(CopyConflictList(array.data(), -1).empty());
  const ConflictList two = CopyConflictList(array.data(), 2);
  ASSERT_EQ(two.size(), 2u);
  EXPECT_EQ(two[1].processId, 42);
  EXPECT_EQ(ConflictProgram(two[1]), "C:\\second.exe");
  EXPECT_EQ(ConflictName(two[1]), "second");
  EXPECT_EQ(CopyConflictList(array.data(), 300).size(), static_cast<size_t>(kMaxConflictEntries));
  EXPECT_EQ(CopyConflictList(array.data(), 300).announced, 300u);
}

TEST(ConflictText, EntriesAnnouncedButNotReadAreCounted) {
  ConflictList read = {Entry("C:\\a.exe", "A"), Entry("C:\\b.exe", "B")};
  read.announced = 10000;
  EXPECT_EQ(BuildConflictText(kClosableHeading, read, kQuestion),
            kClosableHeading + Line("A", "C:\\a.exe") + Line("B", "C:\\b.exe") + "另有 9998 个软件未能列出\n" + kQuestion);
  read.announced = 1;  // a count below what was read never hides an entry
  EXPECT_EQ(BuildConflictText(kClosableHeading, read, kQuestion),
            kClosableHeading + Line("A", "C:\\a.exe") + Line("B", "C:\\b.exe") + kQuestion);
}

}  // namespace
