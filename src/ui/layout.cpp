#include "ui/layout.h"

#include <cstring>
#include <new>

namespace {

constexpr LayoutRect Rect(int16_t x, int16_t y, int16_t width, int16_t height) { return {x, y, width, height}; }
constexpr LayoutRect Point(int16_t x, int16_t y) { return {x, y, 0, 0}; }
constexpr uint32_t Colour(uint8_t red, uint8_t green, uint8_t blue) {
  return static_cast<uint32_t>(red) | static_cast<uint32_t>(green) << 8 | static_cast<uint32_t>(blue) << 16;
}

}  // namespace

LayoutRecord* InitLayoutRecord(LayoutRecord* r) {
  if (!r) return nullptr;
  r->tabAbout = Rect(138, 28, 29, 45);
  r->closeBox = Rect(479, 4, 16, 16);
  r->minimizeBox = Rect(457, 4, 16, 16);
  r->tabMain = Rect(58, 28, 29, 45);
  r->tabSettings = Rect(97, 28, 29, 45);
  r->linkTopUp = Rect(178, 28, 29, 45);
  r->linkRegister = Rect(14, 28, 29, 45);

  r->serviceLabel = Point(56, 106);
  r->serviceList = Rect(133, 100, 200, 160);
  r->userLabel = Point(70, 151);
  r->passwordLabel = Point(84, 191);
  r->userEdit = Rect(133, 146, 129, 24);  // narrower than the password edit: the register button sits beside it
  r->passwordEdit = Rect(133, 186, 200, 24);
  r->saveLoginBox = Rect(133, 225, 13, 13);
  r->savePasswordBox = Rect(253, 225, 13, 13);
  r->saveLoginLabel = Rect(153, 223, 84, 14);
  r->savePasswordLabel = Rect(273, 223, 84, 14);
  r->connectButton = Rect(387, 265, 81, 24);
  r->registerButton = Rect(272, 146, 61, 20);
  r->supportLink = Rect(28, 263, 163, 19);
  r->progressTrack = Rect(10, 244, 480, 0);
  r->progressSlider = Rect(11, 246, 63, 9);
  r->cancelButton = Rect(387, 265, 81, 24);
  r->disconnectButton = Rect(387, 265, 81, 24);

  r->userTypeLabel = Point(56, 102);
  r->userTypeFree = Point(131, 102);
  r->userTypePlatinum = Point(131, 102);
  r->userTypeVip = Point(131, 102);
  r->userTypeWeb = Point(131, 102);
  r->contentLabel = Point(56, 131);
  r->contentWeb = Point(131, 131);
  r->contentGame = Point(131, 131);
  r->minutesLabel = Point(294, 102);
  r->expiryLabel = Point(294, 102);
  r->expiryValue = Rect(370, 102, 100, 14);
  r->addressLabel = Point(84, 161);
  r->addressValue = Rect(131, 159, 100, 14);
  r->timeLabel = Point(294, 161);
  r->timeValue = Rect(370, 159, 100, 14);
  r->receivedLabel = Point(56, 195);
  r->receivedValue = Rect(131, 193, 150, 16);
  r->sentLabel = Point(56, 227);
  r->sentValue = Rect(131, 224, 150, 16);
  r->receiveRateLabel = Point(294, 195);
  r->receiveRateValue = Rect(370, 193, 150, 16);
  r->sendRateLabel = Point(294, 227);
  r->sendRateValue = Rect(370, 224, 150, 16);
  r->statusTextColor = Colour(44, 44, 44);

  r->autorunBox = Rect(56, 111, 13, 13);
  r->autoLoginBox = Rect(56, 143, 13, 13);
  r->importantOnlyBox = Rect(56, 175, 13, 13);
  r->writeLogBox = Rect(56, 207, 13, 13);
  r->autorunLabel = Rect(76, 111, 131, 14);
  r->autoLoginLabel = Rect(76, 143, 356, 14);
  r->importantOnlyLabel = Rect(76, 175, 126, 14);
  r->writeLogLabel = Rect(76, 207, 352, 14);

  r->aboutName = Point(74, 104);
  r->aboutVersion = Point(74, 128);
  r->aboutVersionText = Point(16, 50);
  r->aboutTextColor = Colour(60, 60, 60);
  r->aboutNotice = Point(74, 152);
  r->aboutHomePage = Point(74, 197);
  r->aboutLink = Rect(58, 117, 146, 16);
  r->linkColor = Colour(2, 91, 164);
  return r;
}

LayoutRecord* CreateLayoutRecord(LayoutRecord* existing) {
  if (existing) return existing;
  LayoutRecord* record = new (std::nothrow) LayoutRecord;
  if (!record) return nullptr;
  std::memset(record, 0, sizeof *record);
  return InitLayoutRecord(record);
}

LayoutRecord* FreeLayoutRecord(LayoutRecord* record) {
  delete record;
  return nullptr;
}
