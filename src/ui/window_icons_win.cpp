#include "ui/window_icons_win.h"

#include "base/report.h"
#include "ui/dpi_win.h"

namespace {

constexpr WORD kProgramIcon = 1000;  // the same resource as the tray's IDI_APP
constexpr UINT kTries = 3;
constexpr DWORD kRetryPauseMs = 2000;

}  // namespace

void SetWindowIcons(HINSTANCE module, HWND window, int dpi) {
  // Made here (not shared), so each is destroyed once the window holds its successor.
  static HICON ownBig = nullptr;
  static HICON ownSmall = nullptr;
  const int bigSize = dpi ? SystemMetricForDpi(SM_CXICON, dpi) : GetSystemMetrics(SM_CXICON);
  const int smallSize = dpi ? SystemMetricForDpi(SM_CXSMICON, dpi) : GetSystemMetrics(SM_CXSMICON);
  for (UINT i = 0; i < kTries; ++i) {
    HICON big = static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(kProgramIcon), IMAGE_ICON, bigSize, bigSize, 0));
    HICON smallIcon =
        static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(kProgramIcon), IMAGE_ICON, smallSize, smallSize, 0));
    if (big) {
      SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
      SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon ? smallIcon : big));
      const HICON oldBig = ownBig;
      const HICON oldSmall = ownSmall;
      ownBig = big;
      ownSmall = smallIcon;
      if (oldBig) DestroyIcon(oldBig);
      if (oldSmall) DestroyIcon(oldSmall);
      return;
    }
    if (smallIcon) DestroyIcon(smallIcon);
    MsgBox(kReportWarning, "TRAY: Create application icon in system failed(code=%d), sleep %u seconds to retry.",
           static_cast<int>(GetLastError()), 2u);
    Sleep(kRetryPauseMs);
  }
  MsgBox(kReportModuleFailed, "TRAY: Couldn't create the tray module.");
}
