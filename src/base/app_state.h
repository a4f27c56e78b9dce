// AppState: the one global application record, and the process-wide flags beside it.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>

#include "base/codes.h"
#include "base/version.h"

struct LayoutRecord;

struct AppState {
  HWND hwndControl;
  HINSTANCE hInstance;
  std::atomic<HWND> hwndMain;
  std::atomic<int> mainCreated;
  std::atomic<int> mainVisible;
  LayoutRecord* layout;
  // The installation directory as Windows names it (ending in a backslash),
  // and its code page 936 form for the log and for what is built from it as
  // GBK; that form is empty when code page 936 cannot hold the directory.
  wchar_t installDirW[MAX_PATH];
  char installDir[MAX_PATH];
  wchar_t updaterPath[MAX_PATH];
  int rememberUser;
  int rememberPassword;
  int autoRun;
  int autoLogin;
  int importantOnly;
  int writeLog;
  // The login block: copied as one piece into the connection-start request.
  uint16_t loginKind;
  char userName[41];
  char password[41];
  uint16_t serviceIndex;
  char redirectServer[23];
  // Written by the core's status callback thread, read everywhere else.
  std::atomic<int32_t> runState;
};

extern AppState appState;
// Registered "TaskbarCreated" message number.
extern UINT taskbarCreatedMsg;

// Zeroes the whole record (start-up step 4).
void ResetAppState();

// Custom messages of the control window.
constexpr UINT WMU_SHOW_MAIN = WM_USER + 100;  // 1124, from a second instance
// wParam bit of WMU_SHOW_MAIN: the sender passed its foreground right on, so the
// main window may come to the front (0 from senders that do not say).
constexpr WPARAM kShowMainForegroundPassed = 1;
constexpr UINT WMU_TRAY = WM_USER + 110;       // 1134, tray icon callback

// Core events handed from the core's threads to the control window.
constexpr UINT WMU_CORE_STATUS = WM_USER + 120;  // wParam: the reported state
// The updater hand-over asks the control window to end the client; acted on
// only when the client itself made the request.
constexpr UINT WMU_HAND_OVER_EXIT = WM_USER + 122;
// A change of the log-on task has ended (settings/logon_task_win.h); to the
// window that asked for it, main or control.
constexpr UINT WMU_TASK_DONE = WM_USER + 124;

// Tray menu commands.
constexpr WORD IDM_TRAY_EXIT = 220;
constexpr WORD IDM_TRAY_OPEN = 221;

constexpr char kControlClass[] = "Zephal_Acc";
constexpr char kControlTitle[] = "Zephal Acc";
constexpr char kProductName[] = "Lumora Zephal";
constexpr char kBoxCaption[] = "Lumora Zephal 提示信息";
