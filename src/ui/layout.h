// The built-in layout record of the main window: control positions, picture
// points, clickable zones of the painted background and three text colours.
#pragma once
#include <cstddef>
#include <cstdint>

// x, y, width, height; a point has width and height 0.
struct LayoutRect {
  int16_t x;
  int16_t y;
  int16_t width;
  int16_t height;
};
static_assert(sizeof(LayoutRect) == 8, "LayoutRect is four 16-bit values");

// Every field is a LayoutRect except the three colours, which are COLORREF
// values (0x00BBGGRR). The order is fixed: it is the record's binary layout.
struct LayoutRecord {
  // Zones of the toolbar icons and title-bar marks, from the window's top-left.
  LayoutRect tabAbout;
  LayoutRect closeBox;
  LayoutRect minimizeBox;
  LayoutRect tabMain;
  LayoutRect tabSettings;
  LayoutRect linkTopUp;
  LayoutRect linkRegister;
  // Login view.
  LayoutRect serviceLabel;
  LayoutRect serviceList;  // height includes the dropped list
  LayoutRect userLabel;
  LayoutRect passwordLabel;
  LayoutRect userEdit;
  LayoutRect passwordEdit;
  LayoutRect saveLoginBox;
  LayoutRect savePasswordBox;
  LayoutRect saveLoginLabel;
  LayoutRect savePasswordLabel;
  LayoutRect connectButton;
  LayoutRect registerButton;
  LayoutRect supportLink;
  LayoutRect progressTrack;  // x, y of the track picture; width is the travel length
  LayoutRect progressSlider;
  LayoutRect cancelButton;
  LayoutRect disconnectButton;
  // Connected view.
  LayoutRect userTypeLabel;
  LayoutRect userTypeFree;
  LayoutRect userTypePlatinum;
  LayoutRect userTypeVip;
  LayoutRect userTypeWeb;
  LayoutRect contentLabel;
  LayoutRect contentWeb;
  LayoutRect contentGame;
  LayoutRect minutesLabel;
  LayoutRect expiryLabel;
  LayoutRect expiryValue;
  LayoutRect addressLabel;
  LayoutRect addressValue;
  LayoutRect timeLabel;
  LayoutRect timeValue;
  LayoutRect receivedLabel;
  LayoutRect receivedValue;
  LayoutRect sentLabel;
  LayoutRect sentValue;
  LayoutRect receiveRateLabel;
  LayoutRect receiveRateValue;
  LayoutRect sendRateLabel;
  LayoutRect sendRateValue;
  uint32_t statusTextColor;
  // Settings view.
  LayoutRect autorunBox;
  LayoutRect autoLoginBox;
  LayoutRect importantOnlyBox;
  LayoutRect writeLogBox;
  LayoutRect autorunLabel;
  LayoutRect autoLoginLabel;
  LayoutRect importantOnlyLabel;
  LayoutRect writeLogLabel;
  // About view; aboutVersionText and aboutLink are in the about panel's own coordinates.
  LayoutRect aboutName;
  LayoutRect aboutVersion;
  LayoutRect aboutVersionText;
  uint32_t aboutTextColor;
  LayoutRect aboutNotice;
  LayoutRect aboutHomePage;
  LayoutRect aboutLink;
  uint32_t linkColor;
};

// The offsets pin the field order: a swapped or missing field fails the build.
#define ZEPHAL_LAYOUT_AT(field, offset) \
  static_assert(offsetof(LayoutRecord, field) == (offset), "LayoutRecord::" #field " offset")
ZEPHAL_LAYOUT_AT(tabAbout, 0);
ZEPHAL_LAYOUT_AT(closeBox, 8);
ZEPHAL_LAYOUT_AT(minimizeBox, 16);
ZEPHAL_LAYOUT_AT(tabMain, 24);
ZEPHAL_LAYOUT_AT(tabSettings, 32);
ZEPHAL_LAYOUT_AT(linkTopUp, 40);
ZEPHAL_LAYOUT_AT(linkRegister, 48);
ZEPHAL_LAYOUT_AT(serviceLabel, 56);
ZEPHAL_LAYOUT_AT(serviceList, 64);
ZEPHAL_LAYOUT_AT(userLabel, 72);
ZEPHAL_LAYOUT_AT(passwordLabel, 80);
ZEPHAL_LAYOUT_AT(userEdit, 88);
ZEPHAL_LAYOUT_AT(passwordEdit, 96);
ZEPHAL_LAYOUT_AT(saveLoginBox, 104);
ZEPHAL_LAYOUT_AT(savePasswordBox, 112);
ZEPHAL_LAYOUT_AT(saveLoginLabel, 120);
ZEPHAL_LAYOUT_AT(savePasswordLabel, 128);
ZEPHAL_LAYOUT_AT(connectButton, 136);
ZEPHAL_LAYOUT_AT(registerButton, 144);
ZEPHAL_LAYOUT_AT(supportLink, 152);
ZEPHAL_LAYOUT_AT(progressTrack, 160);
ZEPHAL_LAYOUT_AT(progressSlider, 168);
ZEPHAL_LAYOUT_AT(cancelButton, 176);
ZEPHAL_LAYOUT_AT(disconnectButton, 184);
ZEPHAL_LAYOUT_AT(userTypeLabel, 192);
ZEPHAL_LAYOUT_AT(userTypeFree, 200);
ZEPHAL_LAYOUT_AT(userTypePlatinum, 208);
ZEPHAL_LAYOUT_AT(userTypeVip, 216);
ZEPHAL_LAYOUT_AT(userTypeWeb, 224);
ZEPHAL_LAYOUT_AT(contentLabel, 232);
ZEPHAL_LAYOUT_AT(contentWeb, 240);
ZEPHAL_LAYOUT_AT(contentGame, 248);
ZEPHAL_LAYOUT_AT(minutesLabel, 256);
ZEPHAL_LAYOUT_AT(expiryLabel, 264);
ZEPHAL_LAYOUT_AT(expiryValue, 272);
ZEPHAL_LAYOUT_AT(addressLabel, 280);
ZEPHAL_LAYOUT_AT(addressValue, 288);
ZEPHAL_LAYOUT_AT(timeLabel, 296);
ZEPHAL_LAYOUT_AT(timeValue, 304);
ZEPHAL_LAYOUT_AT(receivedLabel, 312);
ZEPHAL_LAYOUT_AT(receivedValue, 320);
ZEPHAL_LAYOUT_AT(sentLabel, 328);
ZEPHAL_LAYOUT_AT(sentValue, 336);
ZEPHAL_LAYOUT_AT(receiveRateLabel, 344);
ZEPHAL_LAYOUT_AT(receiveRateValue, 352);
ZEPHAL_LAYOUT_AT(sendRateLabel, 360);
ZEPHAL_LAYOUT_AT(sendRateValue, 368);
ZEPHAL_LAYOUT_AT(statusTextColor, 376);
ZEPHAL_LAYOUT_AT(autorunBox, 380);
ZEPHAL_LAYOUT_AT(autoLoginBox, 388);
ZEPHAL_LAYOUT_AT(importantOnlyBox, 396);
ZEPHAL_LAYOUT_AT(writeLogBox, 404);
ZEPHAL_LAYOUT_AT(autorunLabel, 412);
ZEPHAL_LAYOUT_AT(autoLoginLabel, 420);
ZEPHAL_LAYOUT_AT(importantOnlyLabel, 428);
ZEPHAL_LAYOUT_AT(writeLogLabel, 436);
ZEPHAL_LAYOUT_AT(aboutName, 444);
ZEPHAL_LAYOUT_AT(aboutVersion, 452);
ZEPHAL_LAYOUT_AT(aboutVersionText, 460);
ZEPHAL_LAYOUT_AT(aboutTextColor, 468);
ZEPHAL_LAYOUT_AT(aboutNotice, 472);
ZEPHAL_LAYOUT_AT(aboutHomePage, 480);
ZEPHAL_LAYOUT_AT(aboutLink, 488);
ZEPHAL_LAYOUT_AT(linkColor, 496);
#undef ZEPHAL_LAYOUT_AT
static_assert(sizeof(LayoutRecord) == 500, "LayoutRecord is 61 rectangles and 3 colours, unpadded");

// The main window is always this size, whatever the display's DPI.
constexpr int kMainWindowWidth = 500;
constexpr int kMainWindowHeight = 300;

// Origin of the main window centred on a desktop client area of right × bottom;
// the halves truncate toward zero, as C++ integer division does.
constexpr int MainWindowX(int desktopRight) { return desktopRight / 2 - kMainWindowWidth / 2; }
constexpr int MainWindowY(int desktopBottom) { return desktopBottom / 2 - kMainWindowHeight / 2; }

// Closed-rectangle hit test: both far edges belong to the rectangle. Computed in
// int so that x + width cannot wrap in 16 bits.
constexpr bool PointInLayoutRect(const LayoutRect& rect, int x, int y) {
  return x >= rect.x && x <= static_cast<int>(rect.x) + rect.width &&
         y >= rect.y && y <= static_cast<int>(rect.y) + rect.height;
}

// Stores every built-in value into the record, the zero width and height of the
// points included, so the result does not depend on what the record held before.
LayoutRecord* InitLayoutRecord(LayoutRecord* record);
// Returns `existing` unchanged, or a new zero-filled and initialised record
// (null when it cannot be allocated).
LayoutRecord* CreateLayoutRecord(LayoutRecord* existing);
// Frees the record; returns null for the caller to store.
LayoutRecord* FreeLayoutRecord(LayoutRecord* record);
