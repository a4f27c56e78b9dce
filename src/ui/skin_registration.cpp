#include "ui/skin_registration.h"

#include "ui/control_ids.h"

namespace {
constexpr int kDialog = kSkinOwnerDialog;
}  // namespace

// List order is drawing order: the background comes first so every later
// dialog picture lands on top of it. The connected-view and about pictures
// start hidden; the views switch them by resource id.
const SkinRegistration kSkinRegistrations[kSkinRegistrationCount] = {
    {kDialog, 1100, nullptr, 1},  // background
    {IDC_SAVE_LOGIN_LABEL, 1104, nullptr, 1},
    {IDC_SAVE_PASSWORD_LABEL, 1105, nullptr, 1},
    {IDC_REGISTER, 1142, nullptr, 1},
    {IDC_SUPPORT, 1143, nullptr, 1},
    {kDialog, 1134, &LayoutRecord::serviceLabel, 1},
    {kDialog, 1102, &LayoutRecord::userLabel, 1},
    {kDialog, 1103, &LayoutRecord::passwordLabel, 1},
    {IDC_AUTORUN_LABEL, 1106, nullptr, 1},
    {IDC_AUTO_LOGIN_LABEL, 1107, nullptr, 1},
    {IDC_IMPORTANT_ONLY_LABEL, 1108, nullptr, 1},
    {IDC_WRITE_LOG_LABEL, 1109, nullptr, 1},
    {IDC_CONNECT, 1116, nullptr, 1},
    {IDC_DISCONNECT, 1117, nullptr, 1},
    {IDC_CANCEL, 1118, nullptr, 1},
    {kDialog, 1119, &LayoutRecord::progressTrack, 0},
    {IDC_PROGRESS, 1124, nullptr, 1},
    {kDialog, 1110, &LayoutRecord::aboutName, 0},
    {kDialog, 1111, &LayoutRecord::aboutVersion, 0},
    {kDialog, 1112, &LayoutRecord::aboutNotice, 0},
    {kDialog, 1113, &LayoutRecord::aboutHomePage, 0},
    {kDialog, 1132, &LayoutRecord::userTypeLabel, 0},
    {kDialog, 1137, &LayoutRecord::userTypeFree, 0},
    {kDialog, 1139, &LayoutRecord::userTypePlatinum, 0},
    {kDialog, 1138, &LayoutRecord::userTypeVip, 0},
    {kDialog, 1140, &LayoutRecord::userTypeWeb, 0},
    {kDialog, 1128, &LayoutRecord::contentLabel, 0},
    {kDialog, 1135, &LayoutRecord::contentWeb, 0},
    {kDialog, 1136, &LayoutRecord::contentGame, 0},
    {kDialog, 1129, &LayoutRecord::minutesLabel, 0},
    {kDialog, 1133, &LayoutRecord::expiryLabel, 0},
    {kDialog, 1120, &LayoutRecord::addressLabel, 0},
    {kDialog, 1121, &LayoutRecord::timeLabel, 0},
    {kDialog, 1122, &LayoutRecord::receivedLabel, 0},
    {kDialog, 1123, &LayoutRecord::sentLabel, 0},
    {kDialog, 1125, &LayoutRecord::receiveRateLabel, 0},
    {kDialog, 1126, &LayoutRecord::sendRateLabel, 0},
};

bool SkinRegistrationPoint(const SkinRegistration& row, const LayoutRecord* layout, int* x, int* y) {
  int px = 0;
  int py = 0;
  if (row.position) {
    if (!layout) return false;
    const LayoutRect& at = layout->*row.position;
    px = at.x;
    py = at.y;
  }
  if (x) *x = px;
  if (y) *y = py;
  return true;
}
