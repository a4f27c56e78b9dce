#include "ui/dpi_win.h"

#include "base/gdi_win.h"
#include "ui/display_scale.h"

namespace {

// Looked up by name: the program also runs on systems older than these calls.
template <typename Function>
Function User32(const char* name) {
  HMODULE user32 = GetModuleHandleA("user32.dll");
  return user32 ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
using SetDialogDpiChangeBehaviorFn = BOOL(WINAPI*)(HWND, int, int);

// DIALOG_DPI_CHANGE_BEHAVIORS: DDC_DISABLE_ALL, in the mask of all three.
constexpr int kDdcDisableAll = 0x0001;
constexpr int kDdcMaskAll = 0x0007;

int SystemDpi() {
  int dpi = kBaseDpi;
  if (const ScopedGetDC screen(nullptr); screen) dpi = GetDeviceCaps(screen.get(), LOGPIXELSX);
  return SaneDpi(dpi);
}

}  // namespace

int WindowDpi(HWND window) {
  static const auto getDpiForWindow = User32<GetDpiForWindowFn>("GetDpiForWindow");
  if (getDpiForWindow && window) {
    if (const UINT dpi = getDpiForWindow(window)) return SaneDpi(static_cast<int>(dpi));
  }
  return SystemDpi();
}

int SystemMetricForDpi(int index, int dpi) {
  static const auto forDpi = User32<GetSystemMetricsForDpiFn>("GetSystemMetricsForDpi");
  return forDpi ? forDpi(index, static_cast<UINT>(SaneDpi(dpi))) : GetSystemMetrics(index);
}

void KeepDialogScalingOurs(HWND dialog) {
  static const auto setBehavior = User32<SetDialogDpiChangeBehaviorFn>("SetDialogDpiChangeBehavior");
  if (setBehavior && dialog) setBehavior(dialog, kDdcMaskAll, kDdcDisableAll);
}
