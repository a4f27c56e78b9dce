// The painted status figures on a window of the test's own, read back from
// the screen: the about panel in every state, the live values from the
// stand-in core while connected, blank values otherwise, and no font or DC
// left behind on any path.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <vector>

#include "base/app_state.h"
#include "coreapi/core_api.h"
#include "coreapi/core_records.h"
#include "screen_win.h"
#include "ui/control_ids.h"
#include "ui/layout.h"
#include "ui/image_controls_win.h"
#include "ui/status_panel_win.h"
#include "value_areas.h"

namespace {

// The test window sits in the bottom-right corner of the screen, clear of the
// tray window, the other window-side tests and the client's centred windows.
int Left() { return GetSystemMetrics(SM_CXSCREEN) - kMainWindowWidth - 10; }
int Top() { return GetSystemMetrics(SM_CYSCREEN) - kMainWindowHeight - 10; }

// The process's GDI handle table, as the PEB points to it (at its place for the
// pointer size). Wine's 32-bit processes in a 64-bit prefix have it in the
// 64-bit PEB only, reached through the 64-bit TEB, whose address Wine keeps in
// the 32-bit TEB's GdiBatchCount. Null when there is none.
const uint8_t* GdiHandleTable() {
  using GetBlock = void*(WINAPI*)();
  const auto ntdll = [](const char* name) {
    return reinterpret_cast<GetBlock>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), name)));
  };
  const GetBlock getPeb = ntdll("RtlGetCurrentPeb");
  if (!getPeb) return nullptr;
  constexpr size_t kTableInPeb = sizeof(void*) == 8 ? 0xF8 : 0x94;
  const auto* table = *reinterpret_cast<const uint8_t* const*>(static_cast<const uint8_t*>(getPeb()) + kTableInPeb);
#ifndef _WIN64
  const GetBlock getTeb = ntdll("NtCurrentTeb");
  const auto* teb = getTeb ? static_cast<const uint8_t*>(getTeb()) : nullptr;
  const uint32_t teb64 = table || !teb ? 0 : *reinterpret_cast<const uint32_t*>(teb + 0xF70);
  const uint64_t peb64 = teb64 ? *reinterpret_cast<const uint64_t*>(uintptr_t{teb64} + 0x60) : 0;
  const uint64_t table64 = peb64 && peb64 <= UINT32_MAX ? *reinterpret_cast<const uint64_t*>(uintptr_t(peb64) + 0xF8) : 0;
  if (table64 && table64 <= UINT32_MAX) table = reinterpret_cast<const uint8_t*>(uintptr_t(table64));
#endif
  return table;
}

// Live GDI objects of this process. An entry is 16 bytes in a 32-bit process on
// Windows and 24 otherwise (Wine keeps 24 in both); the layout is the one in
// which a brush made for the purpose shows up live and is gone once deleted.
// -1 when no table is found.
int LiveGdiObjects() {
  constexpr int kEntries = 0x10000;
  struct Layout {
    size_t entry;  // bytes per entry
    size_t type;   // offset of the type byte: after the object pointer, owner and unique words
  };
  static constexpr Layout kLayouts[] = {{24, 14}, {16, 10}};
  const uint8_t* table = GdiHandleTable();
  if (!table) return -1;
  static const Layout* layout = [table]() -> const Layout* {
    HBRUSH probe = CreateSolidBrush(RGB(1, 2, 3));
    const size_t index = reinterpret_cast<uintptr_t>(probe) & (kEntries - 1);
    const Layout* found = nullptr;
    for (const Layout& l : kLayouts)
      if (!found && table[index * l.entry + l.type] != 0) found = &l;
    DeleteObject(probe);
    return found && table[index * found->entry + found->type] == 0 ? found : nullptr;
  }();
  if (!layout) return -1;
  int live = 0;
  for (int i = 0; i < kEntries; ++i) live += table[i * layout->entry + layout->type] != 0;
  return live;
}

LRESULT CALLBACK PanelParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // The main dialog's own handling: paint, then let the default colouring apply.
  if (message == WM_CTLCOLORSTATIC) PaintStatusValue(reinterpret_cast<HWND>(lParam), appState.layout);
  return DefWindowProcA(window, message, wParam, lParam);
}

const char* PanelParentClass() {
  static const char* name = [] {
    WNDCLASSA wc{};
    wc.lpfnWndProc = PanelParentProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = "ZephalStatusPaintTest";
    RegisterClassA(&wc);
    return wc.lpszClassName;
  }();
  return name;
}

std::atomic<int32_t> coreState{0};
void ZEPHAL_CDECL OnMessage(uint32_t, const char*) {}
void ZEPHAL_CDECL OnStatus(int32_t state) { coreState = state; }

// Placed as in the main window: the panel starts at x 100.
constexpr LayoutRect kAboutPanel = {100, 78, 398, 176};

constexpr Rgb kWhite{255, 255, 255};
// Pixels of `r` that are not the window's white background.
int NotWhite(const Pixels& shot, const RECT& r) { return (r.right - r.left) * (r.bottom - r.top) - shot.Count(r, kWhite); }

class StatusPaintTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetAppState();
    appState.hInstance = GetModuleHandleA(nullptr);
    appState.layout = CreateLayoutRecord(nullptr);
    appState.runState = RUN_IDLE;
    ASSERT_NE(appState.layout, nullptr);
    window_ = CreateWindowExA(WS_EX_TOPMOST, PanelParentClass(), "status paint test", WS_POPUP, Left(), Top(),
                              kMainWindowWidth, kMainWindowHeight, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window_, nullptr);
    for (const ValueArea& v : kValueAreas) AddStatic(v.id, appState.layout->*v.rect);
    about_ = AddStatic(IDC_ABOUT_PANEL, kAboutPanel);
    ShowWindow(about_, SW_HIDE);
    SkinSubclassControls(window_);
    ShowWindow(window_, SW_SHOWNOACTIVATE);
    Repaint();
  }
  void TearDown() override {
    if (window_) DestroyWindow(window_);
    if (coreStarted_) {
      Zephal_Stop(nullptr, 0);
      Zephal_Clear();
    }
    appState.layout = FreeLayoutRecord(appState.layout);
  }
  // The main dialog's transparent image statics.
  HWND AddStatic(int id, const LayoutRect& r) {
    return CreateWindowExA(0, "STATIC", "", SS_BITMAP | SS_NOTIFY | SS_CENTERIMAGE | WS_CHILD | WS_VISIBLE, r.x, r.y,
                           r.width, r.height, window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleA(nullptr), nullptr);
  }
  void Repaint() {
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    GdiFlush();
    Sleep(100);  // let the X server show what was drawn
  }
  // The stand-in core of the build directory, connected inside this process.
  void Connect() {
    CoreInitRecord init = MakeCoreInitRecord("rd.zephal.example");
    ASSERT_EQ(Zephal_Init(&init, OnMessage, OnStatus), 0u);
    CoreStartRecord start = MakeCoreStartRecord("alice", "secret", 0);
    coreStarted_ = true;
    ASSERT_EQ(Zephal_Start(&start, 0), 0u);
    for (int i = 0; i < 100 && coreState != RUN_CONNECTED; ++i) Sleep(50);
    ASSERT_EQ(coreState.load(), RUN_CONNECTED);
    appState.runState = RUN_CONNECTED;
  }
  Pixels Shot() const { return Pixels::FromScreen(Left(), Top(), kMainWindowWidth, kMainWindowHeight); }

  HWND window_ = nullptr;
  HWND about_ = nullptr;
  bool coreStarted_ = false;
};

TEST_F(StatusPaintTest, ConnectedValuesAreDrawnInTheStatusColour) {
  Connect();
  Repaint();
  const Pixels shot = Shot();
  const Rgb ink = FromColorref(appState.layout->statusTextColor);
  for (const ValueArea& v : kValueAreas)
    EXPECT_GT(shot.Count(AreaInWindow(appState.layout->*v.rect), ink), 10) << "control " << v.id;
}

TEST_F(StatusPaintTest, OutsideTheConnectionEveryValueIsBare) {
  Connect();
  for (int32_t state : {RUN_DISCONNECTING, RUN_IDLE, RUN_CONNECTING}) {
    appState.runState = state;
    Repaint();
    const Pixels shot = Shot();
    for (const ValueArea& v : kValueAreas)
      EXPECT_EQ(NotWhite(shot, AreaInWindow(appState.layout->*v.rect)), 0) << "state " << state << ", control " << v.id;
  }
}

TEST_F(StatusPaintTest, AboutPanelShowsVersionAndLinkInEveryState) {
  ShowWindow(about_, SW_SHOW);
  const LayoutRecord& layout = *appState.layout;
  const RECT version = {kAboutPanel.x + layout.aboutVersionText.x, kAboutPanel.y + layout.aboutVersionText.y,
                        kAboutPanel.x + layout.aboutVersionText.x + 120, kAboutPanel.y + layout.aboutVersionText.y + 20};
  const RECT link = {kAboutPanel.x + layout.aboutLink.x, kAboutPanel.y + layout.aboutLink.y,
                     kAboutPanel.x + layout.aboutLink.x + 300, kAboutPanel.y + layout.aboutLink.y + 20};
  for (int32_t state : {RUN_IDLE, RUN_CONNECTING, RUN_CONNECTED, RUN_DISCONNECTING}) {
    appState.runState = state;
    Repaint();
    const Pixels shot = Shot();
    EXPECT_GT(shot.Count(version, FromColorref(layout.aboutTextColor)), 10) << "state " << state;
    EXPECT_GT(shot.Count(link, FromColorref(layout.linkColor)), 100) << "state " << state << ": underlined link";
  }
}

TEST_F(StatusPaintTest, AGoneSiblingLeavesTheOthersDrawn) {
  Connect();
  DestroyWindow(GetDlgItem(window_, IDC_RECV_DATA));
  Repaint();
  const Pixels shot = Shot();
  const Rgb ink = FromColorref(appState.layout->statusTextColor);
  EXPECT_GT(shot.Count(AreaInWindow(appState.layout->sentValue), ink), 10);
  EXPECT_GT(shot.Count(AreaInWindow(appState.layout->timeValue), ink), 10);
  EXPECT_EQ(NotWhite(shot, AreaInWindow(appState.layout->receivedValue)), 0);
}

TEST_F(StatusPaintTest, NoFontOrDcOutlivesAPaintOnAnyPath) {
  ASSERT_GE(LiveGdiObjects(), 0) << "no GDI handle table found through the PEB (" << sizeof(void*) * 8 << "-bit)";
  Connect();
  ShowWindow(about_, SW_SHOW);
  HWND gone = AddStatic(IDC_CONN_TIME, appState.layout->timeValue);
  DestroyWindow(gone);
  const int controls[] = {IDC_ADDRESS, IDC_CONN_TIME, IDC_EXPIRY, IDC_RECV_DATA, IDC_ABOUT_PANEL, IDC_STATUS_PANEL};
  auto paintEverything = [&] {
    for (int32_t state : {RUN_CONNECTED, RUN_DISCONNECTING, RUN_IDLE}) {
      appState.runState = state;
      for (int id : controls) PaintStatusValue(GetDlgItem(window_, id), appState.layout);
      PaintStatusValue(gone, appState.layout);
      PaintStatusValue(GetDlgItem(window_, IDC_CONN_TIME), nullptr);
    }
    appState.runState = RUN_CONNECTED;
  };
  paintEverything();  // the first round may fill caches
  const int before = LiveGdiObjects();
  for (int i = 0; i < 20; ++i) paintEverything();
  EXPECT_EQ(LiveGdiObjects(), before);
}

}  // namespace
