#include "ui/skin_registration.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "ui/control_ids.h"
#include "ui/layout.h"
#include "ui/picture_size.h"

namespace {

struct RecordDeleter {
  void operator()(LayoutRecord* r) const { FreeLayoutRecord(r); }
};
using RecordPtr = std::unique_ptr<LayoutRecord, RecordDeleter>;

const SkinRegistration& Row(size_t order) { return kSkinRegistrations[order - 1]; }

}  // namespace

// --- registration list ------------------------------------------------------

TEST(SkinRegistrationTest, HasThirtySevenRowsInDrawingOrder) {
  ASSERT_EQ(kSkinRegistrationCount, 37u);
  const int expected[] = {1100, 1104, 1105, 1142, 1143, 1134, 1102, 1103, 1106, 1107, 1108, 1109, 1116,
                          1117, 1118, 1119, 1124, 1110, 1111, 1112, 1113, 1132, 1137, 1139, 1138, 1140,
                          1128, 1135, 1136, 1129, 1133, 1120, 1121, 1122, 1123, 1125, 1126};
  ASSERT_EQ(sizeof expected / sizeof expected[0], kSkinRegistrationCount);
  for (size_t i = 0; i < kSkinRegistrationCount; ++i) {
    EXPECT_EQ(kSkinRegistrations[i].resourceId, expected[i]) << "row " << i + 1;
  }
}

TEST(SkinRegistrationTest, OwnersFollowTheList) {
  EXPECT_EQ(Row(1).owner, kSkinOwnerDialog);
  EXPECT_EQ(Row(2).owner, IDC_SAVE_LOGIN_LABEL);
  EXPECT_EQ(Row(3).owner, IDC_SAVE_PASSWORD_LABEL);
  EXPECT_EQ(Row(4).owner, IDC_REGISTER);
  EXPECT_EQ(Row(5).owner, IDC_SUPPORT);
  EXPECT_EQ(Row(6).owner, kSkinOwnerDialog);
  EXPECT_EQ(Row(9).owner, IDC_AUTORUN_LABEL);
  EXPECT_EQ(Row(10).owner, IDC_AUTO_LOGIN_LABEL);
  EXPECT_EQ(Row(11).owner, IDC_IMPORTANT_ONLY_LABEL);
  EXPECT_EQ(Row(12).owner, IDC_WRITE_LOG_LABEL);
  EXPECT_EQ(Row(13).owner, IDC_CONNECT);
  EXPECT_EQ(Row(14).owner, IDC_DISCONNECT);
  EXPECT_EQ(Row(15).owner, IDC_CANCEL);
  EXPECT_EQ(Row(16).owner, kSkinOwnerDialog);
  EXPECT_EQ(Row(17).owner, IDC_PROGRESS);
  // Everything after the slider is painted on the dialog.
  for (size_t order = 18; order <= kSkinRegistrationCount; ++order) {
    EXPECT_EQ(Row(order).owner, kSkinOwnerDialog) << "row " << order;
  }
}

TEST(SkinRegistrationTest, OnlyTheLoginFacePicturesStartVisible) {
  for (size_t order = 1; order <= kSkinRegistrationCount; ++order) {
    const bool shown = order <= 15 || order == 17;
    EXPECT_EQ(Row(order).visible, shown ? 1 : 0) << "row " << order << " resource " << Row(order).resourceId;
  }
}

TEST(SkinRegistrationTest, DialogPicturesTakeTheirLayoutField) {
  EXPECT_EQ(Row(1).position, nullptr);  // the background fills the dialog from 0, 0
  EXPECT_EQ(Row(6).position, &LayoutRecord::serviceLabel);
  EXPECT_EQ(Row(7).position, &LayoutRecord::userLabel);
  EXPECT_EQ(Row(8).position, &LayoutRecord::passwordLabel);
  EXPECT_EQ(Row(16).position, &LayoutRecord::progressTrack);
  EXPECT_EQ(Row(18).position, &LayoutRecord::aboutName);
  EXPECT_EQ(Row(20).position, &LayoutRecord::aboutNotice);
  EXPECT_EQ(Row(23).position, &LayoutRecord::userTypeFree);
  EXPECT_EQ(Row(24).position, &LayoutRecord::userTypePlatinum);
  EXPECT_EQ(Row(25).position, &LayoutRecord::userTypeVip);
  EXPECT_EQ(Row(26).position, &LayoutRecord::userTypeWeb);
  EXPECT_EQ(Row(30).position, &LayoutRecord::minutesLabel);
  EXPECT_EQ(Row(31).position, &LayoutRecord::expiryLabel);
  EXPECT_EQ(Row(37).position, &LayoutRecord::sendRateLabel);
}

TEST(SkinRegistrationTest, ResourceIdsAreUniquePerOwnerAndInRange) {
  std::set<std::pair<int, int>> seen;
  for (const SkinRegistration& row : kSkinRegistrations) {
    EXPECT_GE(row.resourceId, 1100);
    EXPECT_LE(row.resourceId, 1143);
    EXPECT_TRUE(seen.insert({row.owner, row.resourceId}).second)
        << "owner " << row.owner << " resource " << row.resourceId << " registered twice";
  }
}

TEST(SkinRegistrationTest, DialogRowsArePlacedAndControlRowsSitAtTheOrigin) {
  for (const SkinRegistration& row : kSkinRegistrations) {
    if (row.owner == kSkinOwnerDialog) {
      if (row.resourceId != 1100) {
        EXPECT_NE(row.position, nullptr) << "resource " << row.resourceId;
      }
    } else {
      EXPECT_EQ(row.position, nullptr) << "resource " << row.resourceId;
    }
  }
}

TEST(SkinRegistrationTest, PointComesFromTheRecord) {
  RecordPtr layout(CreateLayoutRecord(nullptr));
  ASSERT_TRUE(layout);
  int x = -1;
  int y = -1;
  ASSERT_TRUE(SkinRegistrationPoint(Row(6), layout.get(), &x, &y));
  EXPECT_EQ(x, layout->serviceLabel.x);
  EXPECT_EQ(y, layout->serviceLabel.y);
  ASSERT_TRUE(SkinRegistrationPoint(Row(16), layout.get(), &x, &y));
  EXPECT_EQ(x, 10);
  EXPECT_EQ(y, 244);
  ASSERT_TRUE(SkinRegistrationPoint(Row(33), layout.get(), &x, &y));
  EXPECT_EQ(x, layout->timeLabel.x);
  EXPECT_EQ(y, layout->timeLabel.y);

  for (const SkinRegistration& row : kSkinRegistrations) {
    if (row.position) continue;
    x = y = -1;
    ASSERT_TRUE(SkinRegistrationPoint(row, layout.get(), &x, &y));
    EXPECT_EQ(x, 0) << "resource " << row.resourceId;
    EXPECT_EQ(y, 0) << "resource " << row.resourceId;
  }
}

TEST(SkinRegistrationTest, WithoutARecordOnlyUnplacedRowsHaveAPoint) {
  int x = -1;
  int y = -1;
  EXPECT_FALSE(SkinRegistrationPoint(Row(6), nullptr, &x, &y));
  EXPECT_TRUE(SkinRegistrationPoint(Row(1), nullptr, &x, &y));
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  EXPECT_TRUE(SkinRegistrationPoint(Row(13), nullptr, &x, &y));
}

TEST(SkinRegistrationTest, StackedPicturesShareOnePoint) {
  RecordPtr layout(CreateLayoutRecord(nullptr));
  ASSERT_TRUE(layout);
  auto point = [&](size_t order) {
    int x = 0;
    int y = 0;
    SkinRegistrationPoint(Row(order), layout.get(), &x, &y);
    return std::make_pair(x, y);
  };
  // The four user types, the two contents and the two expiry labels.
  EXPECT_EQ(point(23), point(24));
  EXPECT_EQ(point(23), point(25));
  EXPECT_EQ(point(23), point(26));
  EXPECT_EQ(point(28), point(29));
  EXPECT_EQ(point(30), point(31));
}

// --- HIMETRIC to pixels -----------------------------------------------------

TEST(PictureSizeTest, FiveHundredPixelsSurviveTheRoundTripAt96Dpi) {
  // 500 px at 96 dpi is 13229.17 HIMETRIC; the picture reports 13229.
  EXPECT_EQ(HimetricToPixels(13229, 96), 500);
  EXPECT_EQ(HimetricToPixels(7938, 96), 300);
}

TEST(PictureSizeTest, ScalesWithTheDpi) {
  EXPECT_EQ(HimetricToPixels(13229, 120), 625);  // 625.49
  EXPECT_EQ(HimetricToPixels(13229, 144), 750);  // 750.49
  EXPECT_EQ(HimetricToPixels(13229, 192), 1000);
  EXPECT_EQ(HimetricToPixels(2540, 72), 72);     // one inch
  EXPECT_EQ(HimetricToPixels(0, 96), 0);
}

TEST(PictureSizeTest, WidthFollowsXAndHeightFollowsY) {
  const PicturePixels size = PicturePixelSize(13229, 7938, 96, 120);
  EXPECT_EQ(size.width, 500);
  EXPECT_EQ(size.height, 375);  // 375.52
  const PicturePixels other = PicturePixelSize(13229, 7938, 120, 96);
  EXPECT_EQ(other.width, 625);
  EXPECT_EQ(other.height, 300);
}

TEST(PictureSizeTest, HalfAPixelRoundsUp) {
  EXPECT_EQ(HimetricToPixels(1269, 1), 0);  // 0.4996
  EXPECT_EQ(HimetricToPixels(1270, 1), 1);  // exactly 0.5
  EXPECT_EQ(HimetricToPixels(3809, 1), 1);  // 1.4996
  EXPECT_EQ(HimetricToPixels(3810, 1), 2);  // exactly 1.5
  EXPECT_EQ(HimetricToPixels(4, 254), 0);   // 0.4
  EXPECT_EQ(HimetricToPixels(5, 254), 1);   // 0.5
  EXPECT_EQ(HimetricToPixels(15, 254), 2);  // 1.5
}

TEST(PictureSizeTest, EveryPixelSizeRoundTripsAtCommonDpis) {
  for (int dpi : {72, 96, 120, 144, 192}) {
    for (int pixels = 0; pixels <= 4000; ++pixels) {
      // What a picture reports: the nearest HIMETRIC value of its pixel size.
      const int himetric = (pixels * 2540 + dpi / 2) / dpi;
      ASSERT_EQ(HimetricToPixels(himetric, dpi), pixels) << pixels << " px at " << dpi << " dpi";
    }
  }
}

TEST(PictureSizeTest, LargeValuesDoNotOverflow) {
  const int32_t big = std::numeric_limits<int32_t>::max();
  // 32-bit arithmetic would wrap here: 2^31 * 96 does not fit.
  EXPECT_EQ(HimetricToPixels(big, 96), static_cast<int32_t>((static_cast<int64_t>(big) * 96 + 1270) / 2540));
  EXPECT_EQ(HimetricToPixels(30000000, 600), 7086614);
  EXPECT_EQ(HimetricToPixels(big, big), big);  // saturates
}
