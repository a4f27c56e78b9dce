#include "tray/tray_win.h"

#include <shellapi.h>

#include <cstring>
#include <iterator>

#include "base/app_state.h"
#include "base/gbk_text.h"
#include "base/gbk_text_win.h"
#include "base/report.h"
#include "coreapi/core_api.h"
#include "coreapi/core_records.h"
#include "tray/tray_tooltip.h"
#include "ui/main_window_win.h"

namespace {

constexpr UINT IDS_MENU_OPEN = 1860;
constexpr UINT IDS_MENU_EXIT = 1861;
constexpr UINT kTries = 3;
constexpr DWORD kRetryPauseMs = 2000;
// At log-on the shell may not take icons yet; keep offering it for two minutes.
constexpr int kAddRetries = 60;

NOTIFYICONDATAW record;
HINSTANCE trayModule = nullptr;
HWND trayOwner = nullptr;
HMENU trayMenu = nullptr;
int addRetriesLeft = 0;

std::string LoadPiece(UINT id) {
  return LoadGbkString(trayModule, id, kTrayPieceSize);
}

TrayTexts LoadTexts() {
  return TrayTexts{LoadPiece(1870), LoadPiece(1871), LoadPiece(1872), LoadPiece(1873), LoadPiece(1874), LoadPiece(1875)};
}

void TrayMenuBuild(HINSTANCE module) {
  wchar_t text[50] = L"";
  LoadStringW(module, IDS_MENU_OPEN, text, static_cast<int>(std::size(text)));
  AppendMenuW(trayMenu, MF_STRING, IDM_TRAY_OPEN, text);
  AppendMenuW(trayMenu, MF_SEPARATOR, 0, nullptr);
  LoadStringW(module, IDS_MENU_EXIT, text, static_cast<int>(std::size(text)));
  AppendMenuW(trayMenu, MF_STRING, IDM_TRAY_EXIT, text);
}

// Log lines stay one line: the tooltip's breaks are written as "\n".
std::string OneLine(const std::string& text) {
  std::string line;
  for (char c : text) line += c == '\n' ? std::string("\\n") : std::string(1, c);
  return line;
}

void ScheduleAddRetry() {
  if (addRetriesLeft <= 0 || !trayOwner) return;
  --addRetriesLeft;
  SetTimer(trayOwner, TIMER_TRAY_RETRY, kRetryPauseMs, nullptr);
}

}  // namespace

// The wide record form with balloon fields: 936 bytes in the 32-bit release build.
constexpr DWORD kRecordSize = NOTIFYICONDATAW_V2_SIZE;
static_assert(sizeof(void*) == 8 || kRecordSize == 936, "the 32-bit balloon record is 936 bytes");

void TrayAdd(HINSTANCE module, HWND owner) {
  std::memset(&record, 0, sizeof record);
  for (UINT i = 0; i < kTries; ++i) {
    trayMenu = CreatePopupMenu();
    if (trayMenu) {
      trayModule = module;
      trayOwner = owner;
      addRetriesLeft = kAddRetries;
      TrayMenuBuild(module);
      TrayUpdate(RUN_IDLE, 1);
      return;
    }
    MsgBox(kReportWarning, "TRAY: Create popup menu failed (code=%d), sleep %u seconds to retry.",
           static_cast<int>(GetLastError()), 2u);
    Sleep(kRetryPauseMs);
  }
  MsgBox(kReportModuleFailed, "TRAY: Couldn't create the tray module.");
}

void TrayUpdate(int state, int add) {
  if (!trayOwner) return;
  record.cbSize = kRecordSize;
  record.hWnd = trayOwner;
  record.uID = 0;
  record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  record.uCallbackMessage = WMU_TRAY;

  CoreQueryRecord query{};
  if (state == RUN_CONNECTED) Zephal_Get_QueryData(&query);
  const TrayFace face = BuildTrayFace(state, LoadTexts(), query.startTime, query.ip);
  // The tip holds at most 127 bytes of GBK, so never more than 127 characters.
  lstrcpynW(record.szTip, GbkToWide(face.tip).c_str(), static_cast<int>(std::size(record.szTip)));
  MsgBox(kReportDetail, "TRAY: icon %d tip %s", face.icon, OneLine(face.tip).c_str());

  HICON icon = static_cast<HICON>(LoadImageA(trayModule, MAKEINTRESOURCEA(face.icon), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
  record.hIcon = icon;
  BOOL done = Shell_NotifyIconW(add ? NIM_ADD : NIM_MODIFY, &record);
  // A shell that still shows our icon refuses to add it twice: update it instead.
  if (add && !done) done = Shell_NotifyIconW(NIM_MODIFY, &record);
  if (icon) DestroyIcon(icon);
  record.hIcon = nullptr;
  if (add && !done) {
    MsgBox(kReportWarning, "TRAY: the shell did not take the icon (code=%d), retrying.",
           static_cast<int>(GetLastError()));
    ScheduleAddRetry();
  } else if (add) {
    KillTimer(trayOwner, TIMER_TRAY_RETRY);
  }
}

void TrayRetryTimer() {
  if (!trayOwner) return;
  KillTimer(trayOwner, TIMER_TRAY_RETRY);
  TrayUpdate(appState.runState, 1);
}

void TrayBalloon(HWND owner, const char* title, const char* text) {
  if (!trayOwner) return;
  record.cbSize = kRecordSize;
  record.hWnd = owner;
  record.uID = 0;
  record.uFlags = NIF_INFO;
  record.uTimeout = 5000;
  record.dwInfoFlags = NIIF_INFO;
  // Cut to as many GBK bytes as the fields have characters, as before.
  const std::string info = CutGbk(text ? text : "", std::size(record.szInfo) - 1);
  const std::string infoTitle = CutGbk(title ? title : "", std::size(record.szInfoTitle) - 1);
  lstrcpynW(record.szInfo, GbkToWide(info).c_str(), static_cast<int>(std::size(record.szInfo)));
  lstrcpynW(record.szInfoTitle, GbkToWide(infoTitle).c_str(), static_cast<int>(std::size(record.szInfoTitle)));
  MsgBox(kReportDetail, "TRAY: balloon \"%s\" \"%s\"", OneLine(infoTitle).c_str(), OneLine(info).c_str());
  Shell_NotifyIconW(NIM_MODIFY, &record);
}

void TrayNotify(HWND owner, HWND mainWindow, UINT mouseMessage, int state) {
  if (mouseMessage == WM_LBUTTONDBLCLK) {
    OpenMainWindow(mainWindow);
  } else if (mouseMessage == WM_RBUTTONDOWN) {
    if (state == RUN_CONNECTING || state == RUN_DISCONNECTING) {
      OpenMainWindow(mainWindow);
    } else if (trayMenu) {
      POINT at;
      GetCursorPos(&at);
      SetForegroundWindow(owner);
      MsgBox(kReportDetail, "TRAY: menu at %ld,%ld", at.x, at.y);
      TrackPopupMenu(trayMenu, TPM_RIGHTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, owner, nullptr);
    }
  }
  // Lets the menu close when the user clicks elsewhere.
  PostMessageA(owner, WM_NULL, 0, 0);
}

void TrayRemove() {
  if (trayOwner) KillTimer(trayOwner, TIMER_TRAY_RETRY);
  trayModule = nullptr;
  trayOwner = nullptr;
  if (trayMenu) DestroyMenu(trayMenu);
  trayMenu = nullptr;
  if (record.hWnd) Shell_NotifyIconW(NIM_DELETE, &record);
  record.hWnd = nullptr;
}
