// Process entry and start-up.
#include <windows.h>

#include <cstdio>
#include <string>

#include "app/command_line.h"
#include "app/control_window_win.h"
#include "app/install_path.h"
#include "app/program_folder_win.h"
#include "app/instance_win.h"
#include "base/app_state.h"
#include "base/bounded_wait_win.h"
#include "base/report.h"
#include "base/top_calls.h"
#include "settings/settings_store_win.h"
#include "ui/layout.h"
#include "ui/skin_win.h"

namespace {

constexpr int kIconApp = 1000;
constexpr char kUpdaterFile[] = "updater.exe";

void CloseRunningUpdater() {
  HWND updater = FindWindowA("ZephalUpdater", "Zephal Acc Updater");
  if (!updater) return;
  PostMessageA(updater, WM_CLOSE, 0, 0);
  Sleep(200);
}

// The box of a start that finds the client running for another user.
constexpr uint32_t kOtherUserReport = 0x162001;

// The updater's path, or an empty one when the installation directory leaves
// no room for it: a cut name would move or start another program.
bool SetUpdaterPath() {
  std::string path;
  const bool fits = InstallFilePath(appState.installDir, kUpdaterFile, &path);
  std::snprintf(appState.updaterPath, sizeof appState.updaterPath, "%s", fits ? path.c_str() : "");
  return fits;
}

enum class PendingUpdater { kDone, kTooLong, kNotOurFolder };

// The updater runs elevated: a pending one is moved into place only from the
// folder this program runs from, never from wherever the key says.
PendingUpdater PlacePendingUpdater() {
  std::string pending;
  if (!InstallFilePath(appState.installDir, std::string("_") + kUpdaterFile, &pending)) return PendingUpdater::kTooLong;
  if (!appState.updaterPath[0] || GetFileAttributesA(pending.c_str()) == INVALID_FILE_ATTRIBUTES)
    return PendingUpdater::kDone;
  if (!IsProgramFolder(appState.installDir)) return PendingUpdater::kNotOurFolder;
  MoveFileExA(pending.c_str(), appState.updaterPath, MOVEFILE_REPLACE_EXISTING);
  return PendingUpdater::kDone;
}

bool RegisterControlClass(HINSTANCE instance) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = ControlWindowProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(kIconApp));
  wc.hIconSm = LoadIconA(instance, MAKEINTRESOURCEA(kIconApp));
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kControlClass;
  return RegisterClassExA(&wc) != 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  const DllSearch dllSearch = LimitDllSearch();  // before anything can load a DLL
  // Before anything of the machine's one client is touched: the log, the
  // settings, the core and the updater are the instance's alone.
  switch (BecomeTheInstance()) {
    case InstanceStart::Run:
      break;
    case InstanceStart::OtherUser:
      // The log is not open yet: the box is all this start leaves behind.
      MsgBox(kOtherUserReport, "INSTANCE: the client already runs in another session");
      return 1;
    case InstanceStart::HandedOver:
    case InstanceStart::GaveUp:
      return 1;
  }
  CloseRunningUpdater();
  debugLog = IsDebugLogSwitch(commandLine ? commandLine : "") ? 1 : 0;

  ResetAppState();
  // Before any thread that asks the top (main window, core, network watch) starts.
  SetTopCalls(TopCalls{ShutdownRunning, HandOverShutdown, PressConnect});
  appState.hInstance = instance;
  if (!LoadSettings(&appState)) return 1;

  const bool updaterFits = SetUpdaterPath();
  appState.mainCreated = 0;
  appState.mainVisible = 1;
  appState.runState = RUN_IDLE;
  const PendingUpdater pending = PlacePendingUpdater();

  SkinInit(instance);
  LogSetup();
  // Reported once the log is open, like the Run entry that does not fit.
  if (!updaterFits)
    MsgBox(0x10001, "DIRS: updater path too long, not used: %s%s", appState.installDir, kUpdaterFile);
  else if (pending == PendingUpdater::kTooLong)
    MsgBox(0x10001, "DIRS: pending updater path too long, not moved: %s_%s", appState.installDir, kUpdaterFile);
  else if (pending == PendingUpdater::kNotOurFolder)
    MsgBox(0x10001, "DIRS: pending updater not in the program's folder, not moved: %s_%s", appState.installDir,
           kUpdaterFile);
  ReportDllSearch(dllSearch);
  ProtectSettingsKey();
  if (InstanceRuleUnavailable())
    MsgBox(0x10001, "INSTANCE: no instance name to be had here; this start keeps no other out");
  else
    MsgBox(0x10004, "INSTANCE: this client is the machine's instance (%s)", InstanceNameKind());
  appState.layout = CreateLayoutRecord(appState.layout);

  if (!RegisterControlClass(instance))
    MsgBox(0x12020, "WINDOW: Registe the class of the window failed(code=%d).", static_cast<int>(GetLastError()));
  HWND control = CreateWindowExA(0, kControlClass, kControlTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                 230, 200, nullptr, nullptr, instance, nullptr);
  if (!control && !ControlWindowEndedEarly())
    MsgBox(0x12020, "WINDOW: couldn't create the main window(code=%d).", static_cast<int>(GetLastError()));

  MSG msg{};
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  // A thread the exit stopped waiting for may still paint with the picture
  // store, or a job may still log, which the runtime's exit would destroy
  // under them: end the process at once, which stops every other thread first.
  if (ShutdownLeftThreads() || !NoJobRunning()) ExitProcess(static_cast<UINT>(msg.wParam));
  return static_cast<int>(msg.wParam);
}
