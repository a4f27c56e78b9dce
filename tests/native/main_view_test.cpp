#include "ui/main_view.h"

#include <gtest/gtest.h>

#include "ui/control_ids.h"

namespace {

bool Shown(const MainFace& f, int control) {
  for (const FaceControl& c : f.controls)
    if (c.id == control) return c.shown;
  ADD_FAILURE() << "no control " << control;
  return false;
}

bool Enabled(const MainFace& f, int control) {
  for (const FaceControl& c : f.controls)
    if (c.id == control) return c.enabled;
  return false;
}

bool PictureShown(const MainFace& f, int id) {
  for (const FacePicture& p : f.pictures)
    if (p.id == id) return p.shown;
  return false;
}

TEST(MainView, ButtonsAndProgressFollowTheState) {
  struct Case {
    int state;
    bool connect, cancel, disconnect, progress, status;
  };
  const Case cases[] = {
      {1, true, false, false, false, false},
      {2, false, true, false, true, false},
      {3, false, false, true, false, true},
      {4, false, false, false, true, false},
      {5, false, false, false, false, false},
  };
  for (const Case& c : cases) {
    const MainFace f = MainFaceFor(c.state);
    EXPECT_EQ(Shown(f, IDC_CONNECT), c.connect) << c.state;
    EXPECT_EQ(Shown(f, IDC_CANCEL), c.cancel) << c.state;
    EXPECT_EQ(Shown(f, IDC_DISCONNECT), c.disconnect) << c.state;
    EXPECT_EQ(Shown(f, IDC_PROGRESS), c.progress) << c.state;
    EXPECT_EQ(PictureShown(f, 1119), c.progress) << c.state;
    EXPECT_EQ(Shown(f, IDC_STATUS_PANEL), c.status) << c.state;
  }
}

TEST(MainView, LoginFormIsEditableOnlyWhileIdle) {
  const MainFace idle = MainFaceFor(1, 0, 0, false);
  EXPECT_TRUE(Shown(idle, IDC_USER));
  EXPECT_TRUE(PictureShown(idle, 1102));
  EXPECT_TRUE(PictureShown(idle, 1134));
  EXPECT_TRUE(Enabled(idle, IDC_USER));
  EXPECT_FALSE(Enabled(idle, IDC_SAVE_PASSWORD)) << "remember password needs remember user";
  EXPECT_TRUE(Enabled(MainFaceFor(1, 0, 0, true), IDC_SAVE_PASSWORD));
  EXPECT_FALSE(Shown(idle, IDC_AUTORUN)) << "settings belong to another view";
  EXPECT_FALSE(PictureShown(idle, 1120));

  const MainFace connecting = MainFaceFor(2, 0, 0, true);
  EXPECT_TRUE(Shown(connecting, IDC_USER));
  EXPECT_FALSE(Enabled(connecting, IDC_USER));
  EXPECT_FALSE(Enabled(connecting, IDC_SAVE_PASSWORD));
}

TEST(MainView, StatusFaceShowsAccountPictures) {
  // level 2 (VIP), end is a date, game acceleration
  const MainFace f = MainFaceFor(3, 0x810, 1);
  EXPECT_FALSE(Shown(f, IDC_USER));
  EXPECT_FALSE(PictureShown(f, 1102));
  EXPECT_TRUE(PictureShown(f, 1138));
  EXPECT_FALSE(PictureShown(f, 1137));
  EXPECT_TRUE(PictureShown(f, 1136));
  EXPECT_FALSE(PictureShown(f, 1135));
  EXPECT_TRUE(PictureShown(f, 1133));
  EXPECT_FALSE(PictureShown(f, 1129));
  EXPECT_TRUE(Shown(f, IDC_ADDRESS));
  // no end data: free user, neither expiry label
  const MainFace free = MainFaceFor(3, 0x408, 0);
  EXPECT_TRUE(PictureShown(free, 1137));
  EXPECT_FALSE(PictureShown(free, 1133));
  EXPECT_FALSE(PictureShown(free, 1129));
  EXPECT_TRUE(PictureShown(MainFaceFor(4, 0x420, 0), 1129));
}

}  // namespace
