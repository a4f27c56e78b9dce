// The figures a counted build of the client publishes, shared with the
// benchmark driver through a named file mapping. Plain layout, no Windows types.
#pragma once
#include <cstdint>

#define ZEPHAL_BENCH_COUNTS_NAME "Local\\ZephalBenchCounts"

struct GuiCounts {
  int32_t gdiCreated;     // fonts, brushes, pens, bitmaps, regions, memory DCs
  int32_t gdiDeleted;     // DeleteObject and DeleteDC that succeeded
  int32_t dcsTaken;       // GetDC, GetWindowDC, GetDCEx
  int32_t dcsReleased;    // ReleaseDC that succeeded
  int32_t userCreated;    // menus, icons, cursors, images, windows created by CreateWindowEx
  int32_t userDestroyed;  // their destruction
  int32_t timerMessages;  // WM_TIMER taken by the client's own message loops
  int32_t loopWakes;      // messages taken by those loops, of any kind
};
static_assert(sizeof(GuiCounts) == 32, "shared with the driver");
