#include "ui/main_view.h"

#include "base/codes.h"
#include "ui/control_ids.h"
#include "ui/layout.h"

namespace {

// Pictures the views switch; everything registered but not listed keeps its flag.
constexpr int kSwitchedPictures[] = {1119, 1134, 1102, 1103, 1132, 1137, 1139, 1138, 1140, 1128, 1135, 1136,
                                     1129, 1133, 1120, 1121, 1122, 1123, 1125, 1126, 1110, 1111, 1112, 1113};

constexpr int kAllControls[] = {IDC_USER_LABEL, IDC_USER, IDC_PASSWORD_LABEL, IDC_PASSWORD, IDC_SAVE_LOGIN_LABEL,
                                IDC_SAVE_PASSWORD_LABEL, IDC_ABOUT_PANEL, IDC_STATUS_PANEL, IDC_ADDRESS, IDC_CONN_TIME,
                                IDC_RECV_DATA, IDC_SENT_DATA, IDC_RECV_RATE, IDC_SENT_RATE, IDC_SAVE_LOGIN,
                                IDC_SAVE_PASSWORD, IDC_AUTORUN, IDC_AUTO_LOGIN, IDC_IMPORTANT_ONLY, IDC_WRITE_LOG,
                                IDC_SERVICE_LABEL, IDC_SERVICE, IDC_CONNECT, IDC_DISCONNECT, IDC_CANCEL, IDC_PROGRESS,
                                IDC_AUTORUN_LABEL, IDC_AUTO_LOGIN_LABEL, IDC_IMPORTANT_ONLY_LABEL, IDC_WRITE_LOG_LABEL,
                                IDC_EXPIRY, IDC_REGISTER, IDC_SUPPORT};

// The login controls every view starts from disabled; the idle login form enables them.
constexpr int kLoginInputs[] = {IDC_SERVICE, IDC_USER, IDC_PASSWORD, IDC_SAVE_LOGIN, IDC_SAVE_PASSWORD};

// Starts from the reset every view begins with: everything hidden, login inputs disabled.
struct Builder {
  ViewFace face;
  Builder() {
    for (int id : kAllControls) face.controls.push_back({id, false, Enable::Keep});
    for (int id : kSwitchedPictures) face.pictures.push_back({id, false});
    for (int id : kLoginInputs) SetEnabled(id, false);
  }
  void Show(int control, bool shown = true) {
    for (FaceControl& c : face.controls)
      if (c.id == control) c.shown = shown;
  }
  void SetEnabled(int control, bool enabled) {
    for (FaceControl& c : face.controls)
      if (c.id == control) c.enable = enabled ? Enable::On : Enable::Off;
  }
  void Picture(int id, bool shown = true) {
    for (FacePicture& p : face.pictures)
      if (p.id == id) p.shown = shown;
  }
};

int UserTypePicture(uint32_t s) {
  if ((s & 0x30) == 0 || (s & 0x08)) return 1137;
  switch ((s >> 10) & 7) {
    case 0: return 1137;
    case 1: return 1140;
    case 2: return 1138;
    case 3: return 1139;
    default: return 0;
  }
}

void MainView(Builder& b, int32_t r, uint32_t s, int serviceIndex, bool rememberUser) {
  b.face.statusRefresh = r == RUN_CONNECTED;
  b.Show(IDC_STATUS_PANEL, r == RUN_CONNECTED);
  b.face.progress = r == RUN_CONNECTING || r == RUN_DISCONNECTING;
  b.Picture(1119, b.face.progress);
  b.Show(IDC_PROGRESS, b.face.progress);

  if (r == RUN_CONNECTED || r == RUN_DISCONNECTING) {
    b.Show(IDC_SUPPORT);
    b.Picture(1132);
    if (int type = UserTypePicture(s)) b.Picture(type);
    b.Picture(1128);
    b.Picture(serviceIndex == 1 ? 1136 : 1135);
    if (s & 0x10)
      b.Picture(1133);
    else if (s & 0x20)
      b.Picture(1129);
    b.Show(IDC_EXPIRY);
    for (int id : {1120, 1121, 1122, 1123, 1125, 1126}) b.Picture(id);
    for (int id : {IDC_ADDRESS, IDC_CONN_TIME, IDC_RECV_DATA, IDC_SENT_DATA, IDC_RECV_RATE, IDC_SENT_RATE}) b.Show(id);
    b.Show(IDC_DISCONNECT, r == RUN_CONNECTED);
  } else {
    b.Picture(1102);
    b.Picture(1103);
    b.Show(IDC_CANCEL, r == RUN_CONNECTING);
    b.Show(IDC_CONNECT, r == RUN_IDLE);
    b.Picture(1134);
    for (int id : {IDC_SERVICE, IDC_USER, IDC_PASSWORD, IDC_SAVE_LOGIN, IDC_SAVE_PASSWORD, IDC_SAVE_LOGIN_LABEL,
                   IDC_SAVE_PASSWORD_LABEL, IDC_REGISTER, IDC_SUPPORT})
      b.Show(id);
    // The text labels come and go with what they name.
    for (int id : {IDC_SERVICE_LABEL, IDC_USER_LABEL, IDC_PASSWORD_LABEL}) b.Show(id);
  }
  if (r != RUN_CONNECTED) {
    for (int id : {IDC_SERVICE, IDC_USER, IDC_PASSWORD, IDC_SAVE_LOGIN}) b.SetEnabled(id, r == RUN_IDLE);
    b.SetEnabled(IDC_SAVE_PASSWORD, r == RUN_IDLE && rememberUser);
  }
}

bool In(const LayoutRect& r, int x, int y) { return PointInLayoutRect(r, x, y); }

}  // namespace

bool ViewNeedsStatus(int view, int32_t r) {
  return view == VIEW_MAIN && (r == RUN_CONNECTED || r == RUN_DISCONNECTING);
}

ViewFace ViewFaceFor(int view, int32_t r, uint32_t s, int serviceIndex, bool rememberUser) {
  Builder b;
  switch (view) {
    case VIEW_MAIN:
      MainView(b, r, s, serviceIndex, rememberUser);
      break;
    case VIEW_SETTINGS:
      // The check boxes keep the enabled state their dependencies gave them.
      for (int id : {IDC_AUTORUN, IDC_AUTO_LOGIN, IDC_IMPORTANT_ONLY, IDC_WRITE_LOG, IDC_AUTORUN_LABEL,
                     IDC_AUTO_LOGIN_LABEL, IDC_IMPORTANT_ONLY_LABEL, IDC_WRITE_LOG_LABEL})
        b.Show(id);
      break;
    case VIEW_ABOUT:
      b.Show(IDC_ABOUT_PANEL);
      for (int id : {1112, 1113, 1110, 1111}) b.Picture(id);
      break;
    default:
      break;  // an unknown view leaves everything of the reset hidden
  }
  return b.face;
}

SliderStep NextSliderPosition(int x, bool forward, const LayoutRecord& layout) {
  // The far end is measured from the track's width alone, as the skin was drawn for it.
  const int lo = layout.progressTrack.x + 3;
  const int hi = layout.progressTrack.width - layout.progressSlider.width - lo;
  if (forward) {
    if (x + 5 >= hi) return {hi, false};
    return {x + 5, true};
  }
  if (x - 5 <= lo) return {lo, true};
  return {x - 5, false};
}

SurfaceAction SurfaceActionAt(const LayoutRecord& l, int x, int y, int32_t r) {
  // The title-bar marks and view icons only act while the connection is at rest.
  if (r == RUN_IDLE || r == RUN_CONNECTED) {
    if (In(l.closeBox, x, y) || In(l.minimizeBox, x, y)) return SurfaceAction::HideWindow;
    if (In(l.tabMain, x, y)) return SurfaceAction::ShowMain;
    if (In(l.tabSettings, x, y)) return r == RUN_IDLE ? SurfaceAction::ShowSettings : SurfaceAction::None;
    if (In(l.tabAbout, x, y)) return SurfaceAction::ShowAbout;
  }
  if (In(l.linkTopUp, x, y)) return SurfaceAction::OpenTopUp;
  if (In(l.linkRegister, x, y)) return SurfaceAction::OpenRegister;
  return SurfaceAction::None;
}

KeyAction KeyActionFor(DialogKey key, int view, int32_t r) {
  if (key == DialogKey::Escape) return KeyAction::HideWindow;
  return view == VIEW_MAIN && r == RUN_IDLE ? KeyAction::Connect : KeyAction::None;
}
