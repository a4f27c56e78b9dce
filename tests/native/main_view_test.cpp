#include "ui/main_view.h"

#include <gtest/gtest.h>

#include <vector>

#include "ui/control_ids.h"
#include "ui/layout.h"

namespace {

const FaceControl& Control(const ViewFace& f, int id) {
  for (const FaceControl& c : f.controls)
    if (c.id == id) return c;
  static const FaceControl missing{0, false, Enable::Keep};
  ADD_FAILURE() << "no control " << id;
  return missing;
}

bool Shown(const ViewFace& f, int id) { return Control(f, id).shown; }

bool PictureShown(const ViewFace& f, int id) {
  for (const FacePicture& p : f.pictures)
    if (p.id == id) return p.shown;
  ADD_FAILURE() << "no picture " << id;
  return false;
}

LayoutRecord BuiltIn() {
  LayoutRecord r{};
  InitLayoutRecord(&r);
  return r;
}

// The main view's result table, state by state (5 stands for any other value).
TEST(MainView, FollowsTheConnectionState) {
  struct Case {
    int state;
    bool connect, cancel, disconnect, progress, status, loginForm;
    Enable loginInputs;
  };
  const Case cases[] = {
      {1, true, false, false, false, false, true, Enable::On},
      {2, false, true, false, true, false, true, Enable::Off},
      {3, false, false, true, false, true, false, Enable::Off},
      {4, false, false, false, true, false, false, Enable::Off},
      {5, false, false, false, false, false, true, Enable::Off},
  };
  for (const Case& c : cases) {
    const ViewFace f = ViewFaceFor(VIEW_MAIN, c.state, 0, 0, true);
    SCOPED_TRACE(c.state);
    EXPECT_EQ(Shown(f, IDC_CONNECT), c.connect);
    EXPECT_EQ(Shown(f, IDC_CANCEL), c.cancel);
    EXPECT_EQ(Shown(f, IDC_DISCONNECT), c.disconnect);
    EXPECT_EQ(Shown(f, IDC_PROGRESS), c.progress);
    EXPECT_EQ(PictureShown(f, 1119), c.progress);
    EXPECT_EQ(f.progress, c.progress);
    EXPECT_EQ(Shown(f, IDC_STATUS_PANEL), c.status);
    EXPECT_EQ(f.statusRefresh, c.status);
    EXPECT_EQ(Shown(f, IDC_USER), c.loginForm);
    for (int label : {IDC_USER_LABEL, IDC_PASSWORD_LABEL, IDC_SERVICE_LABEL})
      EXPECT_EQ(Shown(f, label), c.loginForm) << "a name comes and goes with its control";
    EXPECT_EQ(PictureShown(f, 1134), c.loginForm);
    EXPECT_EQ(Shown(f, IDC_EXPIRY), !c.loginForm);
    EXPECT_EQ(PictureShown(f, 1120), !c.loginForm);
    EXPECT_TRUE(Shown(f, IDC_SUPPORT));
    EXPECT_EQ(Control(f, IDC_USER).enable, c.loginInputs);
    EXPECT_EQ(Control(f, IDC_SAVE_LOGIN).enable, c.loginInputs);
    EXPECT_FALSE(Shown(f, IDC_AUTORUN)) << "settings belong to another view";
    EXPECT_EQ(Control(f, IDC_AUTO_LOGIN).enable, Enable::Keep) << "the option boxes keep their dependencies";
  }
  EXPECT_EQ(Control(ViewFaceFor(VIEW_MAIN, 1, 0, 0, false), IDC_SAVE_PASSWORD).enable, Enable::Off);
  EXPECT_EQ(Control(ViewFaceFor(VIEW_MAIN, 1, 0, 0, true), IDC_SAVE_PASSWORD).enable, Enable::On);
  EXPECT_TRUE(ViewNeedsStatus(VIEW_MAIN, 3));
  EXPECT_TRUE(ViewNeedsStatus(VIEW_MAIN, 4));
  EXPECT_FALSE(ViewNeedsStatus(VIEW_ABOUT, 3));
  EXPECT_FALSE(ViewNeedsStatus(VIEW_MAIN, 2));
}

TEST(MainView, AccountPicturesFollowTheStatusWord) {
  struct Case {
    uint32_t status;
    int serviceIndex;
    int userType;  // 0: none
    int expiryLabel;
    int service;
  };
  const Case cases[] = {
      {0x0000, 0, 1137, 0, 1135},     {0x0890, 0, 1138, 1133, 1135}, {0x1020, 1, 0, 1129, 1136},
      {0x0C18, 0, 1137, 1133, 1135},  {0x0410, 7, 1140, 1133, 1135}, {0x0C20, 1, 1139, 1129, 1136},
  };
  for (const Case& c : cases) {
    const ViewFace f = ViewFaceFor(VIEW_MAIN, 3, c.status, c.serviceIndex);
    SCOPED_TRACE(c.status);
    EXPECT_TRUE(PictureShown(f, 1132));
    for (int type : {1137, 1138, 1139, 1140}) EXPECT_EQ(PictureShown(f, type), type == c.userType) << type;
    for (int label : {1129, 1133}) EXPECT_EQ(PictureShown(f, label), label == c.expiryLabel) << label;
    for (int service : {1135, 1136}) EXPECT_EQ(PictureShown(f, service), service == c.service) << service;
  }
}

TEST(MainView, OtherViewsShowOnlyTheirOwnParts) {
  const ViewFace settings = ViewFaceFor(VIEW_SETTINGS, 3, 0x890);
  EXPECT_TRUE(Shown(settings, IDC_AUTO_LOGIN));
  EXPECT_TRUE(Shown(settings, IDC_WRITE_LOG_LABEL));
  EXPECT_EQ(Control(settings, IDC_AUTO_LOGIN).enable, Enable::Keep);
  EXPECT_FALSE(Shown(settings, IDC_STATUS_PANEL));
  EXPECT_FALSE(settings.statusRefresh);

  const ViewFace about = ViewFaceFor(VIEW_ABOUT, 3, 0x890);
  EXPECT_TRUE(Shown(about, IDC_ABOUT_PANEL));
  EXPECT_TRUE(PictureShown(about, 1110));
  EXPECT_TRUE(PictureShown(about, 1113));
  EXPECT_FALSE(Shown(about, IDC_DISCONNECT));
  EXPECT_FALSE(PictureShown(about, 1120));
  EXPECT_FALSE(about.statusRefresh) << "leaving the status face stops its refresh";

  const ViewFace unknown = ViewFaceFor(1999, 1);
  for (const FaceControl& c : unknown.controls) EXPECT_FALSE(c.shown) << c.id;
  for (const FacePicture& p : unknown.pictures) EXPECT_FALSE(p.shown) << p.id;
  EXPECT_EQ(Control(unknown, IDC_USER).enable, Enable::Off);
}

TEST(MainView, SliderBouncesBetweenItsEnds) {
  const LayoutRecord layout = BuiltIn();
  // From the start position, forwards until it turns at 404, back until it turns at 13.
  int x = layout.progressSlider.x;
  bool forward = true;
  std::vector<int> turns;
  std::vector<int> path;
  for (int i = 0; i < 250; ++i) {
    const SliderStep s = NextSliderPosition(x, forward, layout);
    ASSERT_GE(s.x, 13);
    ASSERT_LE(s.x, 404);
    if (s.forward != forward) turns.push_back(s.x);
    path.push_back(s.x);
    x = s.x;
    forward = s.forward;
  }
  EXPECT_EQ(path[0], 16);
  EXPECT_EQ(path[1], 21);
  ASSERT_GE(turns.size(), 3u);
  EXPECT_EQ(turns[0], 404);
  EXPECT_EQ(turns[1], 13);
  EXPECT_EQ(turns[2], 404);
}

TEST(MainView, PaintedAreasActByState) {
  const LayoutRecord l = BuiltIn();
  using A = SurfaceAction;
  struct Case {
    int x, y, state;
    A action;
  };
  const Case cases[] = {
      {479 + 16, 4 + 16, 1, A::HideWindow},  // both far edges belong to the close mark
      {479, 4, 3, A::HideWindow},
      {479 + 17, 4, 1, A::None},
      {480, 10, 2, A::None},  // marks do nothing while connecting
      {460, 10, 1, A::HideWindow},
      {60, 30, 3, A::ShowMain},
      {100, 40, 1, A::ShowSettings},
      {100, 40, 3, A::None},  // settings only while idle
      {140, 40, 3, A::ShowAbout},
      {140, 40, 4, A::None},
      {180, 40, 2, A::OpenTopUp},  // top up and register work in every state
      {14, 28, 4, A::OpenRegister},
      {250, 150, 1, A::None},
  };
  for (const Case& c : cases)
    EXPECT_EQ(SurfaceActionAt(l, c.x, c.y, c.state), c.action) << c.x << "," << c.y << " state " << c.state;
}

// Enter and Escape in every view and state (5 stands for any other value).
TEST(MainView, DialogKeysActByViewAndState) {
  using A = KeyAction;
  struct Case {
    int view, state;
    A enter, escape;
  };
  const Case cases[] = {
      {VIEW_MAIN, 1, A::Connect, A::HideWindow},  // the idle login form submits
      {VIEW_MAIN, 2, A::None, A::HideWindow},
      {VIEW_MAIN, 3, A::None, A::HideWindow},  // connected: Enter starts nothing
      {VIEW_MAIN, 4, A::None, A::HideWindow},
      {VIEW_MAIN, 5, A::None, A::HideWindow},
      {VIEW_SETTINGS, 1, A::None, A::HideWindow},
      {VIEW_ABOUT, 1, A::None, A::HideWindow},
      {VIEW_ABOUT, 3, A::None, A::HideWindow},
      {1999, 1, A::None, A::HideWindow},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "view " << c.view << " state " << c.state);
    EXPECT_EQ(KeyActionFor(DialogKey::Enter, c.view, c.state), c.enter);
    EXPECT_EQ(KeyActionFor(DialogKey::Escape, c.view, c.state), c.escape);
  }
}

}  // namespace
