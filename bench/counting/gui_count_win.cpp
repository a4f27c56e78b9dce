// The counting wrappers of the counted build (gui_count_win.h is not forced
// into this file, so the calls below reach the system). The figures live in a
// named mapping the benchmark driver reads while the client runs.
#include <windows.h>

#include "gui_counts.h"

namespace {

GuiCounts* Counts() {
  static GuiCounts* shared = [] {
    HANDLE mapping =
        CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(GuiCounts), ZEPHAL_BENCH_COUNTS_NAME);
    void* view = mapping ? MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(GuiCounts)) : nullptr;
    // Without the mapping the counts go nowhere, but still somewhere valid.
    static GuiCounts local{};
    return view ? static_cast<GuiCounts*>(view) : &local;
  }();
  return shared;
}

void Add(int32_t GuiCounts::*field) {
  InterlockedIncrement(reinterpret_cast<volatile LONG*>(&(Counts()->*field)));
}

template <typename H>
H Created(H handle, int32_t GuiCounts::*field) {
  if (handle) Add(field);
  return handle;
}

BOOL Freed(BOOL ok, int32_t GuiCounts::*field) {
  if (ok) Add(field);
  return ok;
}

void CountMessage(const MSG* msg) {
  Add(&GuiCounts::loopWakes);
  if (msg->message == WM_TIMER) Add(&GuiCounts::timerMessages);
}

}  // namespace

HFONT ZephalCountedCreateFontA(int h, int w, int e, int o, int weight, DWORD i, DWORD u, DWORD s, DWORD cs, DWORD op,
                               DWORD cp, DWORD q, DWORD pf, LPCSTR face) {
  return Created(CreateFontA(h, w, e, o, weight, i, u, s, cs, op, cp, q, pf, face), &GuiCounts::gdiCreated);
}
HFONT ZephalCountedCreateFontIndirectA(const LOGFONTA* f) {
  return Created(CreateFontIndirectA(f), &GuiCounts::gdiCreated);
}
HBRUSH ZephalCountedCreateSolidBrush(COLORREF c) { return Created(CreateSolidBrush(c), &GuiCounts::gdiCreated); }
HPEN ZephalCountedCreatePen(int s, int w, COLORREF c) { return Created(CreatePen(s, w, c), &GuiCounts::gdiCreated); }
HDC ZephalCountedCreateCompatibleDC(HDC dc) { return Created(CreateCompatibleDC(dc), &GuiCounts::gdiCreated); }
HBITMAP ZephalCountedCreateCompatibleBitmap(HDC dc, int w, int h) {
  return Created(CreateCompatibleBitmap(dc, w, h), &GuiCounts::gdiCreated);
}
HBITMAP ZephalCountedCreateDIBSection(HDC dc, const BITMAPINFO* bi, UINT u, void** bits, HANDLE s, DWORD o) {
  return Created(CreateDIBSection(dc, bi, u, bits, s, o), &GuiCounts::gdiCreated);
}
HRGN ZephalCountedCreateRectRgn(int l, int t, int r, int b) {
  return Created(CreateRectRgn(l, t, r, b), &GuiCounts::gdiCreated);
}
BOOL ZephalCountedDeleteObject(HGDIOBJ o) { return Freed(DeleteObject(o), &GuiCounts::gdiDeleted); }
BOOL ZephalCountedDeleteDC(HDC dc) { return Freed(DeleteDC(dc), &GuiCounts::gdiDeleted); }
HDC ZephalCountedGetDC(HWND w) { return Created(GetDC(w), &GuiCounts::dcsTaken); }
HDC ZephalCountedGetWindowDC(HWND w) { return Created(GetWindowDC(w), &GuiCounts::dcsTaken); }
HDC ZephalCountedGetDCEx(HWND w, HRGN r, DWORD f) { return Created(GetDCEx(w, r, f), &GuiCounts::dcsTaken); }
int ZephalCountedReleaseDC(HWND w, HDC dc) { return Freed(ReleaseDC(w, dc), &GuiCounts::dcsReleased); }
HMENU ZephalCountedCreatePopupMenu() { return Created(CreatePopupMenu(), &GuiCounts::userCreated); }
HMENU ZephalCountedCreateMenu() { return Created(CreateMenu(), &GuiCounts::userCreated); }
BOOL ZephalCountedDestroyMenu(HMENU m) { return Freed(DestroyMenu(m), &GuiCounts::userDestroyed); }
HANDLE ZephalCountedLoadImageA(HINSTANCE i, LPCSTR n, UINT t, int w, int h, UINT f) {
  HANDLE image = LoadImageA(i, n, t, w, h, f);
  // A shared image belongs to the system and is never destroyed by us.
  return (f & LR_SHARED) ? image : Created(image, &GuiCounts::userCreated);
}
HANDLE ZephalCountedCopyImage(HANDLE h, UINT t, int w, int hh, UINT f) {
  return Created(CopyImage(h, t, w, hh, f), &GuiCounts::userCreated);
}
HICON ZephalCountedCreateIconIndirect(PICONINFO i) { return Created(CreateIconIndirect(i), &GuiCounts::userCreated); }
BOOL ZephalCountedDestroyIcon(HICON i) { return Freed(DestroyIcon(i), &GuiCounts::userDestroyed); }
BOOL ZephalCountedDestroyCursor(HCURSOR c) { return Freed(DestroyCursor(c), &GuiCounts::userDestroyed); }
HWND ZephalCountedCreateWindowExA(DWORD x, LPCSTR c, LPCSTR t, DWORD s, int l, int tp, int w, int h, HWND p, HMENU m,
                                  HINSTANCE i, LPVOID a) {
  return Created(CreateWindowExA(x, c, t, s, l, tp, w, h, p, m, i, a), &GuiCounts::userCreated);
}
BOOL ZephalCountedDestroyWindow(HWND w) { return Freed(DestroyWindow(w), &GuiCounts::userDestroyed); }
BOOL ZephalCountedGetMessageA(LPMSG m, HWND w, UINT lo, UINT hi) {
  const BOOL r = GetMessageA(m, w, lo, hi);
  if (r > 0) CountMessage(m);
  return r;
}
BOOL ZephalCountedPeekMessageA(LPMSG m, HWND w, UINT lo, UINT hi, UINT flags) {
  const BOOL r = PeekMessageA(m, w, lo, hi, flags);
  if (r && (flags & PM_REMOVE)) CountMessage(m);
  return r;
}
