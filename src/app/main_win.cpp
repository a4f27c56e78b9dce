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
#include "base/gbk_text_win.h"
#include "base/report.h"
#include "base/top_calls.h"
#include "settings/settings_store_win.h"
#include "ui/layout.h"
#include "ui/skin_win.h"

namespace {

constexpr int kIconApp = 1000;
constexpr char16_t kUpdaterFile[] = u"updater.exe";

void CloseRunningUpdater() {
  HWND updater = FindWindowW(L"ZephalUpdater", L"Zephal Acc Updater");
  if (!updater) return;
  PostMessageA(updater, WM_CLOSE, 0, 0);
  Sleep(200);
}

// The updater's path, or an empty one when the installation directory leaves
// no room for it: a cut name would move or start another program.
bool SetUpdaterPath() {
  std::u16string path;
  const bool fits = InstallFilePath(std::u16string(WideView(appState.installDirW)), kUpdaterFile, &path);
  lstrcpynW(appState.updaterPath, fits ? WideChars(path) : L"", MAX_PATH);
  return fits;
}

enum class PendingUpdater { kDone, kTooLong, kNotOurFolder };

// The updater runs elevated: a pending one is moved into place only from the
// folder this program runs from, never from wherever the key says.
PendingUpdater PlacePendingUpdater() {
  std::u16string pending;
  if (!InstallFilePath(std::u16string(WideView(appState.installDirW)), std::u16string(u"_") + kUpdaterFile, &pending))
    return PendingUpdater::kTooLong;
  if (!appState.updaterPath[0] || GetFileAttributesW(WideChars(pending)) == INVALID_FILE_ATTRIBUTES)
    return PendingUpdater::kDone;
  if (!IsProgramFolder(appState.installDirW)) return PendingUpdater::kNotOurFolder;
  MoveFileExW(WideChars(pending), appState.updaterPath, MOVEFILE_REPLACE_EXISTING);
  return PendingUpdater::kDone;
}

bool RegisterControlClass(HINSTANCE instance) {
  static const WideText name = GbkToWide(kControlClass);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = ControlWindowProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(kIconApp));
  wc.hIconSm = LoadIconW(instance, MAKEINTRESOURCEW(kIconApp));
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = name.c_str();
  return RegisterClassExW(&wc) != 0;
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
      MsgBox(kReportOtherUser, "INSTANCE: the client already runs in another session");
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
  const std::string directory = WideToLogText(WideView(appState.installDirW)), updater = WideToLogText(kUpdaterFile);
  if (!updaterFits)
    MsgBox(kReportFailure, "DIRS: updater path too long, not used: %s%s", directory.c_str(), updater.c_str());
  else if (pending == PendingUpdater::kTooLong)
    MsgBox(kReportFailure, "DIRS: pending updater path too long, not moved: %s_%s", directory.c_str(), updater.c_str());
  else if (pending == PendingUpdater::kNotOurFolder)
    MsgBox(kReportFailure, "DIRS: pending updater not in the program's folder, not moved: %s_%s", directory.c_str(),
           updater.c_str());
  // Files and programs are named wide and work in any directory; what is
  // built as GBK (the autorun entry, the log-on task) needs its GBK form.
  if (!appState.installDir[0])
    MsgBox(kReportFailure, "DIRS: code page 936 cannot hold the installation directory %s; autorun cannot be set up",
           directory.c_str());
  ReportDllSearch(dllSearch);
  ProtectSettingsKey();
  if (InstanceRuleUnavailable())
    MsgBox(kReportFailure, "INSTANCE: no instance name to be had here; this start keeps no other out");
  else
    MsgBox(kReportDetail, "INSTANCE: this client is the machine's instance (%s)", InstanceNameKind());
  appState.layout = CreateLayoutRecord(appState.layout);

  if (!RegisterControlClass(instance))
    MsgBox(kReportStartFailed, "WINDOW: Registe the class of the window failed(code=%d).",
           static_cast<int>(GetLastError()));
  HWND control = CreateWindowExW(0, GbkToWide(kControlClass).c_str(), GbkToWide(kControlTitle).c_str(),
                                 WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 230, 200, nullptr, nullptr,
                                 instance, nullptr);
  if (!control && !ControlWindowEndedEarly())
    MsgBox(kReportStartFailed, "WINDOW: couldn't create the main window(code=%d).", static_cast<int>(GetLastError()));

  MSG msg{};
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  // A thread the exit stopped waiting for may still paint with the picture
  // store, or a job may still log, which the runtime's exit would destroy
  // under them: end the process at once, which stops every other thread first.
  if (ShutdownLeftThreads() || !NoJobRunning()) ExitProcess(static_cast<UINT>(msg.wParam));
  return static_cast<int>(msg.wParam);
}
