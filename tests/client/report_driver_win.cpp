// Runs one report through the client's reporting code, for tests of the
// paths that show a box or end the process.
//   report_driver.exe <verbose 0|1> <msg|dll> <code in hex> <text>
// The log is written to lumora_zephal.log in the driver's own folder.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "base/app_state.h"
#include "base/report.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  if (__argc < 5) return 2;
  ResetAppState();
  appState.hInstance = instance;
  GetModuleFileNameW(nullptr, appState.installDirW, MAX_PATH);
  *(std::wcsrchr(appState.installDirW, L'\\') + 1) = L'\0';
  appState.writeLog = 1;
  debugLog = std::atoi(__argv[1]);
  LogSetup();

  const uint32_t code = static_cast<uint32_t>(std::strtoul(__argv[3], nullptr, 16));
  if (std::strcmp(__argv[2], "dll") == 0)
    ReportDll(code, __argv[4]);
  else
    MsgBox(code, "%s", __argv[4]);
  LogClose();
  return 0;
}
