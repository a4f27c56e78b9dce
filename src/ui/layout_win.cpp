#include "ui/layout_win.h"

#include "base/app_state.h"
#include "base/gbk_text_win.h"
#include "ui/control_ids.h"
#include "ui/display_scale.h"

namespace {

struct ControlPlace {
  int id;
  LayoutRect LayoutRecord::*rect;
};

// Login form and the support link; moved before the login check boxes are set.
constexpr ControlPlace kLoginPlaces[] = {
    {IDC_SERVICE, &LayoutRecord::serviceList},
    {IDC_USER, &LayoutRecord::userEdit},
    {IDC_PASSWORD, &LayoutRecord::passwordEdit},
    {IDC_SAVE_LOGIN, &LayoutRecord::saveLoginBox},
    {IDC_SAVE_PASSWORD, &LayoutRecord::savePasswordBox},
    {IDC_SAVE_LOGIN_LABEL, &LayoutRecord::saveLoginLabel},
    {IDC_SAVE_PASSWORD_LABEL, &LayoutRecord::savePasswordLabel},
    {IDC_CONNECT, &LayoutRecord::connectButton},
    {IDC_REGISTER, &LayoutRecord::registerButton},
    {IDC_SUPPORT, &LayoutRecord::supportLink},
};

// Progress, status values and the settings view.
constexpr ControlPlace kOtherPlaces[] = {
    {IDC_CANCEL, &LayoutRecord::cancelButton},
    {IDC_PROGRESS, &LayoutRecord::progressSlider},
    {IDC_DISCONNECT, &LayoutRecord::disconnectButton},
    {IDC_EXPIRY, &LayoutRecord::expiryValue},
    {IDC_ADDRESS, &LayoutRecord::addressValue},
    {IDC_CONN_TIME, &LayoutRecord::timeValue},
    {IDC_RECV_DATA, &LayoutRecord::receivedValue},
    {IDC_SENT_DATA, &LayoutRecord::sentValue},
    {IDC_RECV_RATE, &LayoutRecord::receiveRateValue},
    {IDC_SENT_RATE, &LayoutRecord::sendRateValue},
    {IDC_AUTORUN, &LayoutRecord::autorunBox},
    {IDC_AUTO_LOGIN, &LayoutRecord::autoLoginBox},
    {IDC_IMPORTANT_ONLY, &LayoutRecord::importantOnlyBox},
    {IDC_WRITE_LOG, &LayoutRecord::writeLogBox},
    {IDC_AUTORUN_LABEL, &LayoutRecord::autorunLabel},
    {IDC_AUTO_LOGIN_LABEL, &LayoutRecord::autoLoginLabel},
    {IDC_IMPORTANT_ONLY_LABEL, &LayoutRecord::importantOnlyLabel},
    {IDC_WRITE_LOG_LABEL, &LayoutRecord::writeLogLabel},
};

// The two transparent panels are placed by fixed numbers, not by the record.
// The about panel starts at x 100 on purpose; its right part is clipped.
constexpr LayoutRect kStatusPanel = {1, 78, 498, 176};
constexpr LayoutRect kAboutPanel = {100, 78, 498, 176};

// Nothing is visible yet (or the whole window repaints after a change of
// scale), so no move repaints.
void MoveControl(HWND dialog, int id, const LayoutRect& r, int dpi) {
  const LayoutRect s = ScaleLayoutRect(r, dpi);
  if (HWND control = GetDlgItem(dialog, id)) MoveWindow(control, s.x, s.y, s.width, s.height, FALSE);
}

template <size_t N>
void MoveControls(HWND dialog, const LayoutRecord* layout, const ControlPlace (&places)[N], int dpi) {
  if (!layout) return;
  for (const ControlPlace& place : places) MoveControl(dialog, place.id, layout->*place.rect, dpi);
}

void Check(HWND dialog, int id, int flag) {
  if (GetDlgItem(dialog, id)) CheckDlgButton(dialog, id, flag ? BST_CHECKED : BST_UNCHECKED);
}

void Enable(HWND dialog, int id, bool enabled) {
  if (HWND control = GetDlgItem(dialog, id)) EnableWindow(control, enabled ? TRUE : FALSE);
}

void SetText(HWND dialog, int id, const char* text) {
  if (HWND control = GetDlgItem(dialog, id)) SetWindowTextW(control, GbkToWide(text).c_str());
}

}  // namespace

SIZE MainWindowSize(int dpi) {
  const LayoutRect s = ScaleLayoutRect({0, 0, kMainWindowWidth, kMainWindowHeight}, dpi);
  return {s.width, s.height};
}

void PlaceControls(HWND dialog, const LayoutRecord* layout, int dpi) {
  if (!dialog) return;
  MoveControl(dialog, IDC_STATUS_PANEL, kStatusPanel, dpi);
  MoveControls(dialog, layout, kLoginPlaces, dpi);
  MoveControls(dialog, layout, kOtherPlaces, dpi);
  MoveControl(dialog, IDC_ABOUT_PANEL, kAboutPanel, dpi);
}

void ApplyLayout(HWND dialog, const LayoutRecord* layout, int dpi) {
  if (!dialog) return;

  RECT desktop = {};
  GetClientRect(GetDesktopWindow(), &desktop);
  const SIZE size = MainWindowSize(dpi);
  // Centred as at 96 DPI: half the desktop less half the window, halves truncated.
  MoveWindow(dialog, desktop.right / 2 - size.cx / 2, desktop.bottom / 2 - size.cy / 2, size.cx, size.cy, FALSE);

  MoveControl(dialog, IDC_STATUS_PANEL, kStatusPanel, dpi);
  MoveControls(dialog, layout, kLoginPlaces, dpi);

  // The texts raise EN_CHANGE; stored texts are within the 20-character limit.
  Check(dialog, IDC_SAVE_LOGIN, appState.rememberUser);
  if (appState.rememberUser) SetText(dialog, IDC_USER, appState.userName);
  Check(dialog, IDC_SAVE_PASSWORD, appState.rememberPassword);
  Enable(dialog, IDC_SAVE_PASSWORD, appState.rememberUser != 0);
  // The password goes in even when the user name is not remembered.
  if (appState.rememberPassword) SetText(dialog, IDC_PASSWORD, appState.password);

  MoveControls(dialog, layout, kOtherPlaces, dpi);

  Check(dialog, IDC_AUTORUN, appState.autoRun);
  Check(dialog, IDC_AUTO_LOGIN, appState.autoLogin);
  Enable(dialog, IDC_AUTO_LOGIN, appState.rememberUser && appState.rememberPassword);
  Check(dialog, IDC_IMPORTANT_ONLY, appState.importantOnly);
  Check(dialog, IDC_WRITE_LOG, appState.writeLog);

  MoveControl(dialog, IDC_ABOUT_PANEL, kAboutPanel, dpi);
}
