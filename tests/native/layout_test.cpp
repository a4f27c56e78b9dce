#include "ui/layout.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <ostream>

namespace {

struct RecordDeleter {
  void operator()(LayoutRecord* r) const { FreeLayoutRecord(r); }
};
using RecordPtr = std::unique_ptr<LayoutRecord, RecordDeleter>;

RecordPtr Fresh() { return RecordPtr(CreateLayoutRecord(nullptr)); }

::testing::AssertionResult RectIs(const LayoutRect& r, int x, int y, int w, int h) {
  if (r.x == x && r.y == y && r.width == w && r.height == h) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "is {" << r.x << ", " << r.y << ", " << r.width << ", " << r.height
                                       << "}, expected {" << x << ", " << y << ", " << w << ", " << h << "}";
}

}  // namespace

// --- hit test ---------------------------------------------------------------

struct HitCase {
  LayoutRect rect;
  int x, y;
  bool inside;
};

void PrintTo(const HitCase& c, std::ostream* os) {
  *os << "{" << c.rect.x << ", " << c.rect.y << ", " << c.rect.width << ", " << c.rect.height << "} (" << c.x << ", "
      << c.y << ") " << (c.inside ? "inside" : "outside");
}

class PointInLayoutRectTest : public ::testing::TestWithParam<HitCase> {};

TEST_P(PointInLayoutRectTest, ClosedRectangle) {
  const HitCase& c = GetParam();
  EXPECT_EQ(PointInLayoutRect(c.rect, c.x, c.y), c.inside)
      << "rect {" << c.rect.x << ", " << c.rect.y << ", " << c.rect.width << ", " << c.rect.height << "} point ("
      << c.x << ", " << c.y << ")";
}

constexpr LayoutRect kClose = {479, 4, 16, 16};
constexpr LayoutRect kWraps = {32767, 32767, 10, 10};  // x + width is past the 16-bit range
constexpr LayoutRect kNegative = {-10, -20, 5, 5};

INSTANTIATE_TEST_SUITE_P(
    Edges, PointInLayoutRectTest,
    ::testing::Values(
        // the four corners and both far edges belong to the zone
        HitCase{kClose, 479, 4, true}, HitCase{kClose, 495, 4, true}, HitCase{kClose, 479, 20, true},
        HitCase{kClose, 495, 20, true}, HitCase{kClose, 487, 12, true},
        // one beyond each edge does not
        HitCase{kClose, 496, 12, false}, HitCase{kClose, 487, 21, false}, HitCase{kClose, 478, 12, false},
        HitCase{kClose, 487, 3, false}, HitCase{kClose, 496, 21, false},
        // a point-sized area holds exactly its own point
        HitCase{LayoutRect{10, 244, 0, 0}, 10, 244, true}, HitCase{LayoutRect{10, 244, 0, 0}, 11, 244, false},
        // sums past 32767 must not wrap
        HitCase{kWraps, 32777, 32777, true}, HitCase{kWraps, 32767, 32767, true}, HitCase{kWraps, 0, 0, false},
        HitCase{kWraps, 32778, 32770, false},
        // negative coordinates
        HitCase{kNegative, -5, -15, true}, HitCase{kNegative, -10, -20, true}, HitCase{kNegative, -4, -15, false},
        HitCase{kNegative, -11, -15, false}));

TEST(PointInLayoutRect, BuiltInZonesMeetTheirNeighbours) {
  RecordPtr r = Fresh();
  ASSERT_TRUE(r);
  // 473..478 lies between the minimise and close marks.
  EXPECT_TRUE(PointInLayoutRect(r->minimizeBox, 473, 20));
  EXPECT_FALSE(PointInLayoutRect(r->minimizeBox, 474, 10));
  EXPECT_FALSE(PointInLayoutRect(r->closeBox, 478, 10));
  EXPECT_TRUE(PointInLayoutRect(r->closeBox, 495, 20));
  // bottom edge of the toolbar icons is y 73
  EXPECT_TRUE(PointInLayoutRect(r->tabMain, 87, 73));
  EXPECT_FALSE(PointInLayoutRect(r->tabMain, 87, 74));
}

// --- creation ---------------------------------------------------------------

TEST(CreateLayoutRecord, ReturnsAnExistingRecordUnchanged) {
  RecordPtr r = Fresh();
  ASSERT_TRUE(r);
  r->closeBox = LayoutRect{1, 2, 3, 4};
  r->linkColor = 0x00123456;
  LayoutRecord before;
  std::memcpy(&before, r.get(), sizeof before);

  EXPECT_EQ(CreateLayoutRecord(r.get()), r.get());
  EXPECT_TRUE(RectIs(r->closeBox, 1, 2, 3, 4)) << "the existing record must not be re-initialised";
  EXPECT_EQ(r->linkColor, 0x00123456u);
  EXPECT_EQ(std::memcmp(&before, r.get(), sizeof before), 0);
}

TEST(CreateLayoutRecord, FreshRecordsAreSeparateAndFreeReturnsNull) {
  LayoutRecord* a = CreateLayoutRecord(nullptr);
  LayoutRecord* b = CreateLayoutRecord(nullptr);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_NE(a, b);
  EXPECT_EQ(std::memcmp(a, b, sizeof *a), 0);
  EXPECT_EQ(FreeLayoutRecord(a), nullptr);
  EXPECT_EQ(FreeLayoutRecord(b), nullptr);
  EXPECT_EQ(FreeLayoutRecord(nullptr), nullptr);
}

// Init writes every byte itself: a field it forgot would keep the filler here
// but be 0 in the zero-filled record.
TEST(InitLayoutRecord, StoresEveryFieldWhateverTheRecordHeld) {
  RecordPtr fresh = Fresh();
  ASSERT_TRUE(fresh);
  LayoutRecord dirty;
  std::memset(&dirty, 0xA5, sizeof dirty);
  EXPECT_EQ(InitLayoutRecord(&dirty), &dirty);
  EXPECT_EQ(std::memcmp(&dirty, fresh.get(), sizeof dirty), 0);
  EXPECT_EQ(InitLayoutRecord(nullptr), nullptr);
}

// --- built-in values --------------------------------------------------------

struct FieldCase {
  const char* name;
  LayoutRect LayoutRecord::*field;
  int x, y, w, h;
};

// Neighbours in the record and look-alike rows, so a shifted or swapped
// transcription shows up.
const FieldCase kFields[] = {
    {"tabAbout", &LayoutRecord::tabAbout, 138, 28, 29, 45},
    {"closeBox", &LayoutRecord::closeBox, 479, 4, 16, 16},
    {"minimizeBox", &LayoutRecord::minimizeBox, 457, 4, 16, 16},
    {"tabMain", &LayoutRecord::tabMain, 58, 28, 29, 45},
    {"tabSettings", &LayoutRecord::tabSettings, 97, 28, 29, 45},
    {"linkTopUp", &LayoutRecord::linkTopUp, 178, 28, 29, 45},
    {"linkRegister", &LayoutRecord::linkRegister, 14, 28, 29, 45},
    {"serviceLabel", &LayoutRecord::serviceLabel, 56, 106, 0, 0},
    {"serviceList", &LayoutRecord::serviceList, 133, 100, 200, 160},
    {"userEdit", &LayoutRecord::userEdit, 133, 146, 129, 24},
    {"passwordEdit", &LayoutRecord::passwordEdit, 133, 186, 200, 24},
    {"savePasswordBox", &LayoutRecord::savePasswordBox, 253, 225, 13, 13},
    {"saveLoginLabel", &LayoutRecord::saveLoginLabel, 153, 223, 84, 14},
    {"registerButton", &LayoutRecord::registerButton, 272, 146, 61, 20},
    {"supportLink", &LayoutRecord::supportLink, 28, 263, 163, 19},
    {"progressTrack", &LayoutRecord::progressTrack, 10, 244, 480, 0},
    {"progressSlider", &LayoutRecord::progressSlider, 11, 246, 63, 9},
    {"disconnectButton", &LayoutRecord::disconnectButton, 387, 265, 81, 24},
    {"userTypeWeb", &LayoutRecord::userTypeWeb, 131, 102, 0, 0},
    {"expiryValue", &LayoutRecord::expiryValue, 370, 102, 100, 14},
    {"addressLabel", &LayoutRecord::addressLabel, 84, 161, 0, 0},
    {"addressValue", &LayoutRecord::addressValue, 131, 159, 100, 14},
    {"sentValue", &LayoutRecord::sentValue, 131, 224, 150, 16},
    {"sendRateLabel", &LayoutRecord::sendRateLabel, 294, 227, 0, 0},
    {"sendRateValue", &LayoutRecord::sendRateValue, 370, 224, 150, 16},
    {"autorunBox", &LayoutRecord::autorunBox, 56, 111, 13, 13},
    {"writeLogBox", &LayoutRecord::writeLogBox, 56, 207, 13, 13},
    {"autorunLabel", &LayoutRecord::autorunLabel, 76, 111, 131, 14},
    {"autoLoginLabel", &LayoutRecord::autoLoginLabel, 76, 143, 356, 14},
    {"importantOnlyLabel", &LayoutRecord::importantOnlyLabel, 76, 175, 126, 14},
    {"writeLogLabel", &LayoutRecord::writeLogLabel, 76, 207, 352, 14},
    {"aboutName", &LayoutRecord::aboutName, 74, 104, 0, 0},
    {"aboutVersionText", &LayoutRecord::aboutVersionText, 16, 50, 0, 0},
    {"aboutNotice", &LayoutRecord::aboutNotice, 74, 152, 0, 0},
    {"aboutHomePage", &LayoutRecord::aboutHomePage, 74, 197, 0, 0},
    {"aboutLink", &LayoutRecord::aboutLink, 58, 117, 146, 16},
};

TEST(InitLayoutRecord, BuiltInRectangles) {
  RecordPtr r = Fresh();
  ASSERT_TRUE(r);
  for (const FieldCase& f : kFields) EXPECT_TRUE(RectIs(r.get()->*f.field, f.x, f.y, f.w, f.h)) << f.name;
}

TEST(InitLayoutRecord, ColoursAreRedInTheLowByte) {
  RecordPtr r = Fresh();
  ASSERT_TRUE(r);
  EXPECT_EQ(r->statusTextColor, 0x002C2C2Cu);
  EXPECT_EQ(r->aboutTextColor, 0x003C3C3Cu);
  EXPECT_EQ(r->linkColor, 0x00A45B02u) << "red 2, green 91, blue 164";
}

TEST(InitLayoutRecord, ProgressTravelMatchesTheSliderBounds) {
  RecordPtr r = Fresh();
  ASSERT_TRUE(r);
  // The slider reverses at these two positions.
  const int lo = r->progressTrack.x + 3;
  const int hi = r->progressTrack.width - r->progressSlider.width - lo;
  EXPECT_EQ(lo, 13);
  EXPECT_EQ(hi, 404);
}

TEST(MainWindowPlacement, CentresWithTruncatedHalves) {
  EXPECT_EQ(MainWindowX(1365), 432);
  EXPECT_EQ(MainWindowY(767), 233);
  EXPECT_EQ(MainWindowX(1024), 262);
  EXPECT_EQ(MainWindowY(768), 234);
  EXPECT_EQ(MainWindowX(-1), -250) << "halving truncates toward zero";
}
