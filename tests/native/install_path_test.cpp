#include "app/install_path.h"

#include <gtest/gtest.h>

namespace {

struct PathCase {
  size_t dirLength;  // "C:\" + filler + "\"
  const char* name;
  bool fits;
};

// 259 bytes and the terminator fit; one byte more would be cut.
const PathCase kPaths[] = {
    {30, "updater.exe", true},
    {248, "updater.exe", true},    // 259 in all
    {249, "updater.exe", false},   // 260
    {248, "_updater.exe", false},  // the pending file is one byte longer
    {247, "_updater.exe", true},
    {259, "", true},
    {260, "", false},
};

std::string Dir(size_t length) { return "C:\\" + std::string(length - 4, 'd') + "\\"; }

TEST(InstallPath, AFileNameThatDoesNotFitIsRefusedNotCut) {
  for (const PathCase& c : kPaths) {
    SCOPED_TRACE(testing::Message() << c.dirLength << " + " << c.name);
    std::string path = "untouched";
    EXPECT_EQ(InstallFilePath(Dir(c.dirLength), c.name, &path), c.fits);
    EXPECT_EQ(path, c.fits ? Dir(c.dirLength) + c.name : "untouched");
  }
}

}  // namespace
