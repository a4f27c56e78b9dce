// The tray menu's items as the menu holds them. Wine gives no process the
// items of another's menu, so this reads them in-process from the tray module
// the client is linked from, with the client's own string table, while the
// menu is open; the suite runs it under code pages 936, 1252 and 950.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "base/app_state.h"
#include "tray/tray_win.h"

namespace {

std::vector<std::u16string> ReadOpenMenu(DWORD thread) {
  std::vector<std::u16string> items;
  for (int i = 0; i < 150 && items.empty(); ++i, Sleep(20)) {
    HWND window = FindWindowA("#32768", nullptr);
    if (!window || !IsWindowVisible(window) || GetWindowThreadProcessId(window, nullptr) != thread) continue;
    HMENU menu = reinterpret_cast<HMENU>(SendMessageW(window, MN_GETHMENU, 0, 0));
    for (int n = 0; menu && n < GetMenuItemCount(menu); ++n) {
      wchar_t text[64] = L"";
      GetMenuStringW(menu, n, text, 64, MF_BYPOSITION);
      items.emplace_back(reinterpret_cast<const char16_t*>(text));
    }
    PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
  }
  return items;
}

TEST(TrayMenu, ItemsAreTheStringTableTextsWhateverTheCodePage) {
  if (const char* wanted = std::getenv("ZEPHAL_TEST_CODE_PAGE")) {
    ASSERT_EQ(GetACP(), static_cast<UINT>(std::atoi(wanted)));
  }
  HINSTANCE module = GetModuleHandleW(nullptr);
  HWND owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, module, nullptr);
  ASSERT_NE(owner, nullptr);
  appState.runState = RUN_IDLE;
  TrayAdd(module, owner);
  std::vector<std::u16string> items;
  std::thread reader([&items, thread = GetCurrentThreadId()] { items = ReadOpenMenu(thread); });
  SetCursorPos(400, 300);
  TrayNotify(owner, nullptr, WM_RBUTTONDOWN, RUN_IDLE);  // returns when the menu closes
  reader.join();
  TrayRemove();
  DestroyWindow(owner);
  EXPECT_EQ(items, (std::vector<std::u16string>{u"打开主界面", u"", u"退出"}));
}

}  // namespace
