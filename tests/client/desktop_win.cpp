#include "desktop_win.h"

#include <cstdio>
#include <sstream>

#include "install_win.h"
#include "kit_win.h"
#include "probe_win.h"

#ifndef ZEPHAL_SOURCE_DIR
#error "ZEPHAL_SOURCE_DIR must name the source tree, for tests/wine/capture-url.sh"
#endif

namespace desktop {
namespace {

// The capture script writes beside the Wine prefix, which every Wine process knows.
std::string UrlLog() {
  char prefix[MAX_PATH] = "";
  if (!GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof prefix)) return "";
  return std::string("Z:") + prefix + "/zephal-urls.log";
}

}  // namespace

bool RunLinux(const std::string& commandLine) {
  std::string command = commandLine;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
  WaitForSingleObject(pi.hProcess, 5000);  // fails at once: Wine hands out no waitable handle for it
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  return true;
}

bool XDoTool(const std::string& args) { return RunLinux("Z:\\usr\\bin\\xdotool " + args); }

bool PointerTo(int x, int y) { return XDoTool("mousemove " + std::to_string(x) + " " + std::to_string(y)); }

bool ClickAt(int x, int y) {
  return XDoTool("mousemove " + std::to_string(x) + " " + std::to_string(y) + " click 1");
}

int WineTrayIcons() {
  HWND tray = FindWindowA("__winex11_standalone_tray", nullptr);
  if (!tray) return 0;
  int count = 0;
  for (const auto& c : probe::ListControls(tray))
    if (c.cls == "__winex11_tray_icon") ++count;
  return count;
}

bool CaptureBrowser() {
  const std::string log = UrlLog();
  if (log.empty()) return false;
  DeleteFileA(log.c_str());
  const std::string script = ZEPHAL_SOURCE_DIR "/tests/wine/capture-url.sh";
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\WineBrowser", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return false;
  const LONG r = RegSetValueExA(key, "Browsers", 0, REG_SZ, reinterpret_cast<const BYTE*>(script.c_str()),
                                static_cast<DWORD>(script.size() + 1));
  RegCloseKey(key);
  return r == ERROR_SUCCESS;
}

std::vector<std::string> CapturedUrls() {
  std::vector<std::string> urls;
  std::istringstream in(install::ReadFile(UrlLog()));
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) urls.push_back(line);
  return urls;
}

bool WaitUrls(size_t count, DWORD timeoutMs) {
  return WaitFor([&] { return CapturedUrls().size() >= count; }, timeoutMs);
}

std::u16string HoverTrayTooltip() {
  HWND tray = FindWindowA("__winex11_standalone_tray", nullptr);
  HWND icon = nullptr;
  for (const auto& c : probe::ListControls(tray))
    if (c.cls == "__winex11_tray_icon") icon = c.hwnd;
  if (!icon) return u"<no icon>";
  RECT rc;
  GetWindowRect(icon, &rc);
  // Arrive from outside the icon, then rest on it until the hover delay has
  // passed. Explorer now and then lets a hover pass without its tooltip once
  // other programs' icons have come and gone: leave and come back.
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (!PointerTo(rc.right + 40, rc.bottom + 40) || !PointerTo(rc.left + 3 + attempt, rc.top + 3))
      return u"<no xdotool>";
    for (int i = 0; i < 30; ++i, Sleep(100)) {
      HWND shown = nullptr;
      while ((shown = FindWindowExA(nullptr, shown, "tooltips_class32", nullptr)))
        if (IsWindowVisible(shown) && !probe::WindowTextW(shown).empty()) return probe::WindowTextW(shown);
    }
  }
  return u"";
}

}  // namespace desktop
