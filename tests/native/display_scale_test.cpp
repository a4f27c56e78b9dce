#include "ui/display_scale.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "ui/main_view.h"

namespace {

LayoutRecord BuiltIn() {
  LayoutRecord record{};
  InitLayoutRecord(&record);
  return record;
}

// The scales a user meets: the five steps Windows offers and a few panels' own values.
constexpr int kDpis[] = {96, 120, 144, 168, 192, 110, 131, 157, 185};

std::vector<LayoutRect> Rects(const LayoutRecord& r) {
  std::vector<LayoutRect> rects;
  const auto* bytes = reinterpret_cast<const unsigned char*>(&r);
  for (size_t at = 0; at + sizeof(LayoutRect) <= sizeof r;) {
    if (at == offsetof(LayoutRecord, statusTextColor) || at == offsetof(LayoutRecord, aboutTextColor) ||
        at == offsetof(LayoutRecord, linkColor)) {
      at += sizeof(uint32_t);
      continue;
    }
    LayoutRect rect;
    std::memcpy(&rect, bytes + at, sizeof rect);
    rects.push_back(rect);
    at += sizeof rect;
  }
  return rects;
}

}  // namespace

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
    ::testing::Values(CoordinateCase{500, 96, 500}, CoordinateCase{300, 96, 300}, CoordinateCase{-7, 96, -7},
                      CoordinateCase{500, 120, 625}, CoordinateCase{13, 120, 16},    // 16.25
                      CoordinateCase{2, 120, 3},                                     // 2.5 rounds up
                      CoordinateCase{500, 144, 750}, CoordinateCase{13, 144, 20},    // 19.5
                      CoordinateCase{479, 144, 719}, CoordinateCase{495, 144, 743},  // 718.5, 742.5
                      CoordinateCase{500, 168, 875}, CoordinateCase{9, 168, 16},     // 15.75
                      CoordinateCase{500, 192, 1000}, CoordinateCase{13, 192, 26},
                      CoordinateCase{500, 110, 573}, CoordinateCase{300, 131, 409},  // 572.9, 409.4
                      CoordinateCase{-3, 144, -4},                                   // -4.5 rounds toward +inf
                      CoordinateCase{10, 0, 10}, CoordinateCase{10, -144, 10},       // no DPI: as at 96
                      CoordinateCase{500, 100000, 2500}));                           // capped at 480 dpi

TEST(ScaleLayoutRecordTest, At96DpiTheRecordIsUnchanged) {
  const LayoutRecord base = BuiltIn();
  const LayoutRecord scaled = ScaleLayoutRecord(base, 96);
  EXPECT_EQ(std::memcmp(&base, &scaled, sizeof base), 0);
}

// Every rectangle of the record at every scale: its edges are the scaled
// edges, its size within a pixel of the exact product, points stay points,
// colours stay, and edges that meet at 96 DPI still meet.
TEST(ScaleLayoutRecordTest, EdgesFollowTheOneRuleAtEveryScale) {
  const LayoutRecord base = BuiltIn();
  const std::vector<LayoutRect> before = Rects(base);
  for (int dpi : kDpis) {
    const LayoutRecord scaled = ScaleLayoutRecord(base, dpi);
    const std::vector<LayoutRect> after = Rects(scaled);
    ASSERT_EQ(after.size(), 61u);
    EXPECT_EQ(scaled.statusTextColor, base.statusTextColor);
    EXPECT_EQ(scaled.linkColor, base.linkColor);
    EXPECT_EQ(scaled.aboutTextColor, base.aboutTextColor);
    const double k = dpi / 96.0;
    for (size_t i = 0; i < before.size(); ++i) {
      const LayoutRect& b = before[i];
      const LayoutRect& a = after[i];
      SCOPED_TRACE(testing::Message() << "rect " << i << " at " << dpi << " dpi");
      EXPECT_EQ(a.x, ScaleCoordinate(b.x, dpi));
      EXPECT_EQ(a.y, ScaleCoordinate(b.y, dpi));
      EXPECT_EQ(a.x + a.width, ScaleCoordinate(b.x + b.width, dpi));
      EXPECT_EQ(a.y + a.height, ScaleCoordinate(b.y + b.height, dpi));
      EXPECT_LE(std::fabs(a.width - b.width * k), 1.0);
      EXPECT_LE(std::fabs(a.height - b.height * k), 1.0);
      if (b.width == 0) {
        EXPECT_EQ(a.width, 0);
      }
      if (b.height == 0) {
        EXPECT_EQ(a.height, 0);
      }
      for (size_t j = 0; j < before.size(); ++j) {
        const LayoutRect& o = before[j];
        const LayoutRect& s = after[j];
        if (b.x + b.width == o.x) {
          EXPECT_EQ(a.x + a.width, s.x) << "meets rect " << j;
        }
        if (b.y + b.height == o.y) {
          EXPECT_EQ(a.y + a.height, s.y) << "meets rect " << j;
        }
        if (b.x == o.x) {
          EXPECT_EQ(a.x, s.x) << "aligned with rect " << j;
        }
        if (b.y + b.height < o.y) {
          EXPECT_LE(a.y + a.height, s.y) << "row above rect " << j;
        }
      }
    }
  }
}

// A zone's scaled corners are inside it and one pixel beyond is outside, so
// a click acts at every scale exactly where the picture shows the mark.
TEST(ScaleLayoutRecordTest, ZonesHitAtTheirScaledCorners) {
  const LayoutRecord base = BuiltIn();
  for (int dpi : kDpis) {
    const LayoutRecord l = ScaleLayoutRecord(base, dpi);
    SCOPED_TRACE(testing::Message() << dpi << " dpi");
    const struct {
      const LayoutRect& zone;
      SurfaceAction action;
    } zones[] = {{l.closeBox, SurfaceAction::HideWindow},  {l.minimizeBox, SurfaceAction::HideWindow},
                 {l.tabMain, SurfaceAction::ShowMain},     {l.tabSettings, SurfaceAction::ShowSettings},
                 {l.tabAbout, SurfaceAction::ShowAbout},   {l.linkTopUp, SurfaceAction::OpenTopUp},
                 {l.linkRegister, SurfaceAction::OpenRegister}};
    for (const auto& z : zones) {
      const int right = z.zone.x + z.zone.width, bottom = z.zone.y + z.zone.height;
      EXPECT_EQ(SurfaceActionAt(l, z.zone.x, z.zone.y, 1), z.action);
      EXPECT_EQ(SurfaceActionAt(l, right, bottom, 1), z.action);
      EXPECT_EQ(SurfaceActionAt(l, (z.zone.x + right) / 2, (z.zone.y + bottom) / 2, 1), z.action);
      EXPECT_NE(SurfaceActionAt(l, right + 1, bottom, 1), z.action);
      EXPECT_NE(SurfaceActionAt(l, z.zone.x, z.zone.y - 1, 1), z.action);
    }
  }
}

// The slider runs in 96-DPI steps and is placed by the rule: its two ends and
// the track keep their places at every scale.
TEST(ScaleLayoutRecordTest, SliderEndsStayOnTheTrack) {
  const LayoutRecord base = BuiltIn();
  for (int dpi : kDpis) {
    SCOPED_TRACE(testing::Message() << dpi << " dpi");
    const LayoutRecord l = ScaleLayoutRecord(base, dpi);
    int x = base.progressSlider.x, lo = 1 << 20, hi = -1;
    bool forward = true;
    for (int step = 0; step < 200; ++step) {
      const SliderStep next = NextSliderPosition(x, forward, base);
      x = next.x;
      forward = next.forward;
      lo = std::min(lo, ScaleCoordinate(x, dpi));
      hi = std::max(hi, ScaleCoordinate(x, dpi));
    }
    EXPECT_EQ(lo, ScaleCoordinate(13, dpi));
    EXPECT_EQ(hi, ScaleCoordinate(404, dpi));
    EXPECT_GE(lo, l.progressTrack.x);
    EXPECT_LE(hi + l.progressSlider.width, l.progressTrack.x + l.progressTrack.width);
  }
}

struct PlaceCase {
  int x, y, w, h, dpi;
  LayoutRect expected;
};

class ScalePicturePlaceTest : public ::testing::TestWithParam<PlaceCase> {};

TEST_P(ScalePicturePlaceTest, EdgesScaled) {
  const PlaceCase& c = GetParam();
  const LayoutRect r = ScalePicturePlace(c.x, c.y, c.w, c.h, c.dpi);
  EXPECT_EQ(r.x, c.expected.x);
  EXPECT_EQ(r.y, c.expected.y);
  EXPECT_EQ(r.width, c.expected.width);
  EXPECT_EQ(r.height, c.expected.height);
}

INSTANTIATE_TEST_SUITE_P(Table, ScalePicturePlaceTest,
                         ::testing::Values(PlaceCase{0, 0, 500, 300, 96, {0, 0, 500, 300}},
                                           PlaceCase{0, 0, 500, 300, 144, {0, 0, 750, 450}},
                                           PlaceCase{56, 106, 60, 14, 144, {84, 159, 90, 21}},
                                           PlaceCase{84, 191, 33, 14, 144, {126, 287, 50, 21}},  // 286.5 up, 175.5 up
                                           PlaceCase{84, 191, 33, 14, 120, {105, 239, 41, 17}},
                                           PlaceCase{10, 244, 480, 12, 192, {20, 488, 960, 24}}));

TEST(FontHeightTest, ScalesBothSigns) {
  EXPECT_EQ(ScaleFontHeight(18, 96), 18);
  EXPECT_EQ(ScaleFontHeight(18, 144), 27);
  EXPECT_EQ(ScaleFontHeight(-13, 144), -20);
  EXPECT_EQ(ScaleFontHeight(13, 144), 20);
  EXPECT_EQ(ScaleFontHeight(17, 120), 21);
  EXPECT_EQ(ScaleFontHeight(-13, 192), -26);
}

TEST(PictureSourceTest, ByScale) {
  EXPECT_EQ(PictureSourceFor(96), PictureSource::kBaseAsIs);
  EXPECT_EQ(PictureSourceFor(0), PictureSource::kBaseAsIs);
  EXPECT_EQ(PictureSourceFor(192), PictureSource::kDoubleAsIs);
  EXPECT_EQ(PictureSourceFor(120), PictureSource::kDoubleReduced);
  EXPECT_EQ(PictureSourceFor(144), PictureSource::kDoubleReduced);
  EXPECT_EQ(PictureSourceFor(240), PictureSource::kDoubleReduced);
  EXPECT_EQ(PictureSourceFor(72), PictureSource::kBaseReduced);
}

struct ResampleCase {
  const char* name;
  std::vector<uint32_t> source;
  int sw, sh;
  std::vector<uint32_t> expected;
  int tw, th;
};

class ResampleAreaTest : public ::testing::TestWithParam<ResampleCase> {};

TEST_P(ResampleAreaTest, AveragesTheCoveredArea) {
  const ResampleCase& c = GetParam();
  std::vector<uint32_t> target(static_cast<size_t>(c.tw * c.th), 0xDEADBEEF);
  ASSERT_TRUE(ResampleArea(c.source.data(), c.sw, c.sh, target.data(), c.tw, c.th));
  EXPECT_EQ(target, c.expected);
}

void PrintTo(const ResampleCase& c, std::ostream* os) { *os << c.name; }

INSTANTIATE_TEST_SUITE_P(
    Table, ResampleAreaTest,
    ::testing::Values(
        // same size: an exact copy, so 200 % pictures stay sharp at 192 DPI
        ResampleCase{"copy", {0x00102030, 0x00FFFFFF, 0x00000000, 0x00ABCDEF}, 2, 2,
                     {0x00102030, 0x00FFFFFF, 0x00000000, 0x00ABCDEF}, 2, 2},
        // 2:1 in both directions: the mean of four, each channel apart
        ResampleCase{"half", {0x00000000, 0x00FF0000, 0x0000FF00, 0x000000FF}, 2, 2, {0x00404040}, 1, 1},
        // 4 -> 3 (150 % from 200 %): edge pixels weighted by their share
        ResampleCase{"three quarters", {0x00000000, 0x00000000, 0x000000FF, 0x000000FF}, 4, 1,
                     {0x00000000, 0x00000080, 0x000000FF}, 3, 1},
        // a hard edge on a pixel boundary of both sizes stays hard
        ResampleCase{"edge kept", {0x00FFFFFF, 0x00FFFFFF, 0x00FFFFFF, 0x00FFFFFF, 0, 0, 0, 0}, 1, 8,
                     {0x00FFFFFF, 0x00FFFFFF, 0, 0}, 1, 4},
        // 1 -> 2: an enlargement repeats the pixel
        ResampleCase{"double", {0x00336699}, 1, 1, {0x00336699, 0x00336699, 0x00336699, 0x00336699}, 2, 2}));

TEST(ResampleAreaTest, RefusesEmptyOrMissing) {
  uint32_t one = 1, out = 7;
  EXPECT_FALSE(ResampleArea(nullptr, 1, 1, &out, 1, 1));
  EXPECT_FALSE(ResampleArea(&one, 1, 1, nullptr, 1, 1));
  EXPECT_FALSE(ResampleArea(&one, 0, 1, &out, 1, 1));
  EXPECT_FALSE(ResampleArea(&one, 1, 1, &out, 1, -1));
  EXPECT_EQ(out, 7u);
}
