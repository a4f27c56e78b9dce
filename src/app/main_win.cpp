// Process entry and start-up.
#include <windows.h>

#include <cstdio>
#include <string>

#include "app/command_line.h"
#include "app/control_window_win.h"
#include "app/install_path.h"
#include "base/app_state.h"
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

bool HandOverToRunningInstance() {
  HWND other = FindWindowW(GbkToWide(kControlClass).c_str(), nullptr);
  if (!other) return false;
  // This start holds the right to bring a window forward; without handing it
  // on, Windows refuses the running client's SetForegroundWindow.
  DWORD pid = 0;
  GetWindowThreadProcessId(other, &pid);
  const bool passed = pid != 0 && AllowSetForegroundWindow(pid);
  PostMessageA(other, WMU_SHOW_MAIN, passed ? kShowMainForegroundPassed : 0, 0);
  return true;
}

// Two starts at the same moment (the Run entry and the log-on task both fire
// where UAC is off) would each miss the other's window and both run. The
// first to own this name is the instance; it holds it until the process ends.
constexpr char kInstanceMutex[] = "Local\\Zephal_Acc";
constexpr DWORD kInstanceWaitMs = 5000;

// True when this process may go on starting: it owns the instance name, or
// took it over from an instance that ended meanwhile. Otherwise it handed
// over to the instance, or gave up on one that never showed its window.
bool BecomeTheInstance() {
  HANDLE name = CreateMutexA(nullptr, TRUE, kInstanceMutex);
  if (!name) return true;  // no name to share: the window check alone, as before
  if (GetLastError() != ERROR_ALREADY_EXISTS) return true;
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < kInstanceWaitMs) {
    if (HandOverToRunningInstance()) return false;
    const DWORD r = WaitForSingleObject(name, 100);
    if (r == WAIT_OBJECT_0 || r == WAIT_ABANDONED) return true;
  }
  return false;
}

// The updater's path, or an empty one when the installation directory leaves
// no room for it: a cut name would move or start another program.
bool SetUpdaterPath() {
  std::u16string path;
  const bool fits = InstallFilePath(std::u16string(WideView(appState.installDirW)), kUpdaterFile, &path);
  lstrcpynW(appState.updaterPath, fits ? WideChars(path) : L"", MAX_PATH);
  return fits;
}

// False when the pending file's name does not fit (it is one byte longer).
bool PlacePendingUpdater() {
  std::u16string pending;
  if (!InstallFilePath(std::u16string(WideView(appState.installDirW)), std::u16string(u"_") + kUpdaterFile, &pending))
    return false;
  if (appState.updaterPath[0] && GetFileAttributesW(WideChars(pending)) != INVALID_FILE_ATTRIBUTES)
    MoveFileExW(WideChars(pending), appState.updaterPath, MOVEFILE_REPLACE_EXISTING);
  return true;
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
  CloseRunningUpdater();
  if (HandOverToRunningInstance() || !BecomeTheInstance()) return 1;
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
  const bool pendingFits = PlacePendingUpdater();

  SkinInit(instance);
  LogSetup();
  // Reported once the log is open, like the Run entry that does not fit.
  const std::string directory = WideToLogText(WideView(appState.installDirW)), updater = WideToLogText(kUpdaterFile);
  if (!updaterFits)
    MsgBox(0x10001, "DIRS: updater path too long, not used: %s%s", directory.c_str(), updater.c_str());
  else if (!pendingFits)
    MsgBox(0x10001, "DIRS: pending updater path too long, not moved: %s_%s", directory.c_str(), updater.c_str());
  // Files and programs are named wide and work in any directory; what is
  // built as GBK (the autorun entry, the log-on task) needs its GBK form.
  if (!appState.installDir[0])
    MsgBox(0x10001, "DIRS: code page 936 cannot hold the installation directory %s; autorun cannot be set up",
           directory.c_str());
  appState.layout = CreateLayoutRecord(appState.layout);

  if (!RegisterControlClass(instance))
    MsgBox(0x12020, "WINDOW: Registe the class of the window failed(code=%d).", static_cast<int>(GetLastError()));
  HWND control = CreateWindowExW(0, GbkToWide(kControlClass).c_str(), GbkToWide(kControlTitle).c_str(),
                                 WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 230, 200, nullptr, nullptr,
                                 instance, nullptr);
  if (!control && !ControlWindowEndedEarly())
    MsgBox(0x12020, "WINDOW: couldn't create the main window(code=%d).", static_cast<int>(GetLastError()));

  MSG msg{};
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  // A thread the exit stopped waiting for may still paint with the picture
  // store, which the runtime's exit would destroy under it: end the process
  // at once, which stops every other thread first.
  if (ShutdownLeftThreads()) ExitProcess(static_cast<UINT>(msg.wParam));
  return static_cast<int>(msg.wParam);
}
