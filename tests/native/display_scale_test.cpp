#include "ui/display_scale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

// The one rounding rule: 100-200 % and a few panels' own values.
struct CoordinateCase {
  int value, dpi, expected;
};

class ScaleCoordinateTest : public ::testing::TestWithParam<CoordinateCase> {};

TEST_P(ScaleCoordinateTest, NearestPixelHalvesUp) {
  const CoordinateCase& c = GetParam();
  EXPECT_EQ(ScaleCoordinate(c.value, c.dpi), c.expected) << c.value << " at " << c.dpi << " dpi";
}

INSTANTIATE_TEST_SUITE_P(
    Table, ScaleCoordinateTest,
    ::testing::Values(CoordinateCase{500, 96, 500}, CoordinateCase{-7, 96, -7},
                      CoordinateCase{500, 120, 625}, CoordinateCase{13, 120, 16},    // 16.25
                      CoordinateCase{2, 120, 3},                                     // 2.5 rounds up
                      CoordinateCase{13, 144, 20}, CoordinateCase{479, 144, 719},    // 19.5, 718.5
                      CoordinateCase{500, 168, 875}, CoordinateCase{9, 168, 16},     // 15.75
                      CoordinateCase{13, 192, 26}, CoordinateCase{500, 110, 573},    // 572.9
                      CoordinateCase{300, 131, 409}, CoordinateCase{-3, 144, -4},    // 409.4; -4.5 up
                      CoordinateCase{10, 0, 10}, CoordinateCase{10, -144, 10},       // no DPI: as at 96
                      CoordinateCase{500, 100000, 2500}));                           // capped at 480 dpi

// Every rectangle of the built-in record at every scale: its edges are the
// scaled edges (so at 96 DPI it is unchanged), its size within a pixel of the
// exact product, points stay points, colours stay, and edges that meet or
// line up at 96 DPI still do, so controls and zones never drift apart.
TEST(ScaleLayoutRecordTest, EdgesFollowTheOneRuleAtEveryScale) {
  LayoutRecord base{};
  InitLayoutRecord(&base);
  std::vector<size_t> offsets;  // of the 61 rectangles, the three colours skipped
  for (size_t at = 0; at < sizeof base;) {
    const bool colour = at == offsetof(LayoutRecord, statusTextColor) ||
                        at == offsetof(LayoutRecord, aboutTextColor) || at == offsetof(LayoutRecord, linkColor);
    if (!colour) offsets.push_back(at);
    at += colour ? sizeof(uint32_t) : sizeof(LayoutRect);
  }
  ASSERT_EQ(offsets.size(), 61u);
  auto rect = [](const LayoutRecord& r, size_t at) {
    LayoutRect out;
    std::memcpy(&out, reinterpret_cast<const char*>(&r) + at, sizeof out);
    return out;
  };
  for (int dpi : {96, 120, 144, 168, 192, 110, 131, 157}) {
    const LayoutRecord scaled = ScaleLayoutRecord(base, dpi);
    EXPECT_EQ(scaled.linkColor, base.linkColor);
    const double k = dpi / 96.0;
    for (size_t i = 0; i < offsets.size(); ++i) {
      const LayoutRect b = rect(base, offsets[i]), a = rect(scaled, offsets[i]);
      SCOPED_TRACE(testing::Message() << "rect at offset " << offsets[i] << ", " << dpi << " dpi");
      EXPECT_EQ(a.x, ScaleCoordinate(b.x, dpi));
      EXPECT_EQ(a.y, ScaleCoordinate(b.y, dpi));
      EXPECT_EQ(a.x + a.width, ScaleCoordinate(b.x + b.width, dpi));
      EXPECT_EQ(a.y + a.height, ScaleCoordinate(b.y + b.height, dpi));
      EXPECT_LE(std::fabs(a.width - b.width * k), 1.0);
      EXPECT_LE(std::fabs(a.height - b.height * k), 1.0);
      EXPECT_EQ(a.width == 0, b.width == 0);
      for (size_t j = 0; j < offsets.size(); ++j) {
        const LayoutRect o = rect(base, offsets[j]), s = rect(scaled, offsets[j]);
        EXPECT_EQ(b.x + b.width == o.x, a.x + a.width == s.x) << "meets rect at " << offsets[j];
        EXPECT_EQ(b.y == o.y, a.y == s.y) << "in a row with rect at " << offsets[j];
        EXPECT_EQ(b.y + b.height <= o.y, a.y + a.height <= s.y) << "above rect at " << offsets[j];
      }
    }
  }
}

// The filter that reduces the 200 % pictures: each target pixel the mean of
// the source area it covers, channel by channel.
struct ResampleCase {
  const char* name;
  std::vector<uint32_t> source;
  int sw, sh;
  std::vector<uint32_t> expected;
  int tw, th;
};

void PrintTo(const ResampleCase& c, std::ostream* os) { *os << c.name; }

class ResampleAreaTest : public ::testing::TestWithParam<ResampleCase> {};

TEST_P(ResampleAreaTest, AveragesTheCoveredArea) {
  const ResampleCase& c = GetParam();
  std::vector<uint32_t> target(static_cast<size_t>(c.tw) * c.th, 0xDEADBEEF);
  EXPECT_EQ(ResampleArea(c.source.data(), c.sw, c.sh, target.data(), c.tw, c.th), !c.expected.empty());
  if (!c.expected.empty()) {
    EXPECT_EQ(target, c.expected);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ResampleAreaTest,
    ::testing::Values(
        // same size (192 DPI): an exact copy
        ResampleCase{"copy", {0x00102030, 0x00FFFFFF, 0x00000000, 0x00ABCDEF}, 2, 2,
                     {0x00102030, 0x00FFFFFF, 0x00000000, 0x00ABCDEF}, 2, 2},
        ResampleCase{"half", {0x00000000, 0x00FF0000, 0x0000FF00, 0x000000FF}, 2, 2, {0x00404040}, 1, 1},
        // 4 -> 3 (150 %): edge pixels weighted by their share
        ResampleCase{"three quarters", {0, 0, 0xFF, 0xFF}, 4, 1, {0, 0x80, 0xFF}, 3, 1},
        // an edge on a pixel boundary of both sizes stays hard
        ResampleCase{"edge kept", {0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0, 0, 0, 0}, 1, 8,
                     {0xFFFFFF, 0xFFFFFF, 0, 0}, 1, 4},
        ResampleCase{"enlarged", {0x00336699}, 1, 1, {0x00336699, 0x00336699, 0x00336699, 0x00336699}, 2, 2},
        ResampleCase{"empty source", {}, 0, 1, {}, 1, 1}));
