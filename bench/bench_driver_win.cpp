// zephal_bench.exe: drives a running client (or the reference program) for
// scripts/bench.sh and prints one figure a line as "name value".
//   close   --class C                 posts WM_CLOSE to the window, waits for its process, prints ms
//   refresh --title T --count N [--timer ID]  sends N ticks of a timer (default the status refresh) to the
//                                     main window, synchronously
//   cycles  --title T --count N       hides and shows the main window N times, synchronously
//   scales  --title T --count N       N changes of display scale (WM_DPICHANGED 192, 144, 120, 96 in turn,
//                                     ending at 96), each laid out and painted before the call returns
//   hide    --class C --title T       WM_CLOSE sent to a shown window (both programs hide on it)
//   show    --title T                 the main window shown the way the tray's open asks
//   objects --class C                 GetGuiResources of the window's process and the counted build's figures
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "counting/gui_counts.h"

namespace {

constexpr DWORD kCloseTimeoutMs = 15000;

const char* Option(int argc, char** argv, const char* name, const char* fallback) {
  for (int i = 2; i + 1 < argc; ++i)
    if (!std::strcmp(argv[i], name)) return argv[i + 1];
  return fallback;
}

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

LARGE_INTEGER Now() {
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return t;
}

HWND MainWindow(const char* title) { return FindWindowA("#32770", title); }

int Close(const char* cls) {
  HWND hwnd = FindWindowA(cls, nullptr);
  DWORD pid = 0;
  if (hwnd) GetWindowThreadProcessId(hwnd, &pid);
  HANDLE process = pid ? OpenProcess(SYNCHRONIZE, FALSE, pid) : nullptr;
  if (!process) {
    std::fprintf(stderr, "no process for class %s\n", cls);
    return 1;
  }
  const LARGE_INTEGER start = Now();
  PostMessageA(hwnd, WM_CLOSE, 0, 0);
  const DWORD r = WaitForSingleObject(process, kCloseTimeoutMs);
  const LARGE_INTEGER end = Now();
  CloseHandle(process);
  if (r != WAIT_OBJECT_0) {
    std::fprintf(stderr, "process did not end\n");
    return 1;
  }
  std::printf("shutdown_ms %.1f\n", Milliseconds(start, end));
  return 0;
}

// Each tick is sent, not posted, so it has been handled when the call returns.
int Refresh(const char* title, int count, UINT_PTR timer) {
  HWND hwnd = MainWindow(title);
  if (!hwnd) return 1;
  const LARGE_INTEGER start = Now();
  for (int i = 0; i < count; ++i) SendMessageA(hwnd, WM_TIMER, timer, 0);
  std::printf("refresh_wall_ms %.1f\n", Milliseconds(start, Now()));
  return 0;
}

// Hidden the way the close mark hides it, shown the way the tray's open asks.
int Cycles(const char* title, int count) {
  HWND hwnd = MainWindow(title);
  if (!hwnd) return 1;
  for (int i = 0; i < count; ++i) {
    SendMessageA(hwnd, WM_CLOSE, 0, 0);
    SendMessageA(hwnd, WM_SHOWWINDOW, 1, 0);
  }
  std::printf("cycles %d\n", count);
  return 0;
}

// As a move between monitors of different scales; no suggested rectangle, so
// the window keeps its centre.
int Scales(const char* title, int count) {
  HWND hwnd = MainWindow(title);
  if (!hwnd) return 1;
  static constexpr int kDpis[] = {192, 144, 120, 96};
  for (int i = 0; i < count; ++i) {
    const int dpi = i + 1 == count ? 96 : kDpis[i % 4];
    SendMessageA(hwnd, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), 0);
  }
  std::printf("scales %d\n", count);
  return 0;
}

int SendTo(HWND hwnd, UINT msg, WPARAM wParam) {
  if (!hwnd) return 1;
  SendMessageA(hwnd, msg, wParam, 0);
  return 0;
}

int Objects(const char* cls) {
  HWND hwnd = FindWindowA(cls, nullptr);
  DWORD pid = 0;
  if (hwnd) GetWindowThreadProcessId(hwnd, &pid);
  HANDLE process = pid ? OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, pid) : nullptr;
  if (!process) return 1;
  std::printf("gui_gdi %lu\ngui_user %lu\n", GetGuiResources(process, GR_GDIOBJECTS),
              GetGuiResources(process, GR_USEROBJECTS));
  CloseHandle(process);
  HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, ZEPHAL_BENCH_COUNTS_NAME);
  const void* view = mapping ? MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, sizeof(GuiCounts)) : nullptr;
  if (view) {
    GuiCounts c;
    std::memcpy(&c, view, sizeof c);
    std::printf("counted_gdi %ld\ncounted_dc %ld\ncounted_user %ld\ntimer_messages %ld\nloop_wakes %ld\n",
                static_cast<long>(c.gdiCreated - c.gdiDeleted), static_cast<long>(c.dcsTaken - c.dcsReleased),
                static_cast<long>(c.userCreated - c.userDestroyed), static_cast<long>(c.timerMessages),
                static_cast<long>(c.loopWakes));
    UnmapViewOfFile(view);
  }
  if (mapping) CloseHandle(mapping);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: zephal_bench close|refresh|cycles|scales|hide|show|objects [options]\n");
    return 2;
  }
  const char* command = argv[1];
  const char* cls = Option(argc, argv, "--class", "Zephal_Acc");
  const char* title = Option(argc, argv, "--title", "Lumora Zephal");
  const int count = std::atoi(Option(argc, argv, "--count", "1"));
  if (!std::strcmp(command, "close")) return Close(cls);
  if (!std::strcmp(command, "refresh"))
    return Refresh(title, count, std::strtoul(Option(argc, argv, "--timer", "1905"), nullptr, 10));
  if (!std::strcmp(command, "cycles")) return Cycles(title, count);
  if (!std::strcmp(command, "scales")) return Scales(title, count);
  if (!std::strcmp(command, "objects")) return Objects(cls);
  if (!std::strcmp(command, "hide")) return SendTo(FindWindowA(cls, title), WM_CLOSE, 0);
  if (!std::strcmp(command, "show")) return SendTo(MainWindow(title), WM_SHOWWINDOW, 1);
  std::fprintf(stderr, "unknown command %s\n", command);
  return 2;
}
