// The seven painted value controls of the main window and where they lie.
#pragma once
#include <windows.h>

#include <algorithm>

#include "ui/control_ids.h"
#include "ui/layout.h"

struct ValueArea {
  int id;
  LayoutRect LayoutRecord::*rect;
};

inline constexpr ValueArea kValueAreas[] = {
    {IDC_ADDRESS, &LayoutRecord::addressValue},    {IDC_CONN_TIME, &LayoutRecord::timeValue},
    {IDC_RECV_DATA, &LayoutRecord::receivedValue}, {IDC_RECV_RATE, &LayoutRecord::receiveRateValue},
    {IDC_SENT_DATA, &LayoutRecord::sentValue},     {IDC_SENT_RATE, &LayoutRecord::sendRateValue},
    {IDC_EXPIRY, &LayoutRecord::expiryValue},
};

// A control's area inside the main window: the rate values run past its right edge.
inline RECT AreaInWindow(const LayoutRect& r) {
  return {r.x, r.y, std::min(r.x + r.width, kMainWindowWidth), std::min(r.y + r.height, kMainWindowHeight)};
}
