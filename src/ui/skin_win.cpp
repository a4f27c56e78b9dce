#include "ui/skin_win.h"

#include <olectl.h>

#include <array>
#include <cstring>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "base/app_state.h"
#include "ui/control_ids.h"
#include "ui/display_scale.h"
#include "ui/main_window_win.h"
#include "ui/picture_size.h"
#include "ui/skin_registration.h"

namespace {

// Used only when no display context can be had, so sizes stay sensible.
constexpr int kFallbackDpi = 96;

struct PictureDeleter {
  void operator()(SkinPicture* picture) const { SkinFreePicture(picture); }
};

// A placement list entry together with the placement it points to.
struct Placement {
  SkinImageNode node;
  SkinImage image;
};

// A picture resampled to the size one placement takes at the current scale.
struct ScaledPicture {
  int resourceId;
  int width;
  int height;
  HBITMAP bitmap;
};

struct ScaledDeleter {
  void operator()(ScaledPicture* scaled) const {
    if (scaled && scaled->bitmap) DeleteObject(scaled->bitmap);
    delete scaled;
  }
};

HINSTANCE skinModule = nullptr;
int skinDpi = kBaseDpi;
// Main window thread only, like the placements; emptied on every change of scale.
std::vector<std::unique_ptr<ScaledPicture, ScaledDeleter>> scaledCache;
// Keyed by resource id; append-only until SkinRelease.
std::vector<std::unique_ptr<SkinPicture, PictureDeleter>> pictureCache;
// List order is drawing order; entries are never reordered.
std::vector<std::unique_ptr<Placement>> placements;

void CopyTypeName(char (&target)[40], const char* source) {
  size_t i = 0;
  for (; source && source[i] && i + 1 < sizeof target; ++i) target[i] = source[i];
  target[i] = '\0';
}

// Turns the copied resource bytes into a picture record; the caller keeps and
// frees the memory block.
SkinPicture* DecodePicture(HWND window, int resourceId, HGLOBAL memory, DWORD size) {
  IStream* stream = nullptr;
  if (FAILED(CreateStreamOnHGlobal(memory, FALSE, &stream)) || !stream) return nullptr;
  IPicture* picture = nullptr;
  const HRESULT loaded =
      OleLoadPicture(stream, static_cast<LONG>(size), FALSE, IID_IPicture, reinterpret_cast<void**>(&picture));
  stream->Release();
  if (FAILED(loaded) || !picture) {
    if (picture) picture->Release();
    return nullptr;
  }
  SkinPicture* record = new (std::nothrow) SkinPicture{};
  if (!record) {
    picture->Release();
    return nullptr;
  }
  OLE_XSIZE_HIMETRIC himetricWidth = 0;
  OLE_YSIZE_HIMETRIC himetricHeight = 0;
  picture->get_Width(&himetricWidth);
  picture->get_Height(&himetricHeight);

  int dpiX = kFallbackDpi;
  int dpiY = kFallbackDpi;
  HWND dcWindow = window;
  HDC dc = GetDC(dcWindow);
  if (!dc && dcWindow) {
    // A window that is already gone still leaves the screen to measure on.
    dcWindow = nullptr;
    dc = GetDC(nullptr);
  }
  if (dc) {
    dpiX = GetDeviceCaps(dc, LOGPIXELSX);
    dpiY = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(dcWindow, dc);
  }
  const PicturePixels pixels = PicturePixelSize(himetricWidth, himetricHeight, dpiX, dpiY);
  record->resourceId = resourceId;
  record->picture = picture;
  record->width = pixels.width;
  record->height = pixels.height;
  record->himetricWidth = himetricWidth;
  record->himetricHeight = himetricHeight;
  return record;
}

// Cursor rules of the picture controls.
enum class Hand { kNever, kAlways, kRememberUser, kRememberBoth, kAboutLink };

struct SubclassRow {
  int id;
  Hand hand;
  bool keepPrevious;  // the slider has no previous procedure, so it sends no notifications
};

constexpr SubclassRow kSubclassRows[] = {
    {IDC_PROGRESS, Hand::kNever, false},
    {IDC_CONNECT, Hand::kAlways, true},
    {IDC_CANCEL, Hand::kAlways, true},
    {IDC_DISCONNECT, Hand::kAlways, true},
    {IDC_SAVE_LOGIN_LABEL, Hand::kAlways, true},
    {IDC_SAVE_PASSWORD_LABEL, Hand::kRememberUser, true},
    {IDC_AUTORUN_LABEL, Hand::kAlways, true},
    {IDC_AUTO_LOGIN_LABEL, Hand::kRememberBoth, true},
    {IDC_IMPORTANT_ONLY_LABEL, Hand::kAlways, true},
    {IDC_WRITE_LOG_LABEL, Hand::kAlways, true},
    {IDC_ABOUT_PANEL, Hand::kAboutLink, true},
    {IDC_REGISTER, Hand::kAlways, true},
    {IDC_SUPPORT, Hand::kAlways, true},
};
constexpr size_t kSubclassCount = sizeof kSubclassRows / sizeof kSubclassRows[0];
constexpr size_t kAboutRow = 10;
static_assert(kSubclassRows[kAboutRow].id == IDC_ABOUT_PANEL, "about panel row");

// One previous procedure per row of the table, written on the main window thread.
WNDPROC previousProcs[kSubclassCount] = {};

// Read at every WM_SETCURSOR so the cursor tells whether a click on the label acts.
int HandWanted(Hand hand) {
  switch (hand) {
    case Hand::kAlways:
      return 1;
    case Hand::kRememberUser:
      return appState.rememberUser ? 1 : 0;
    case Hand::kRememberBoth:
      return appState.rememberUser && appState.rememberPassword ? 1 : 0;
    default:
      return 0;
  }
}

template <size_t Row>
LRESULT CALLBACK ImageControlThunk(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return ImageControlProc(HandWanted(kSubclassRows[Row].hand), previousProcs[Row], window, message, wParam, lParam);
}

template <size_t... Rows>
constexpr std::array<WNDPROC, sizeof...(Rows)> MakeThunks(std::index_sequence<Rows...>) {
  return {{&ImageControlThunk<Rows>...}};
}
constexpr std::array<WNDPROC, kSubclassCount> kThunks = MakeThunks(std::make_index_sequence<kSubclassCount>{});

LRESULT PassOn(WNDPROC previous, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return previous ? CallWindowProcW(previous, window, message, wParam, lParam)
                  : DefWindowProcW(window, message, wParam, lParam);
}

// The transparent statics whose figures the dialog paints when they ask for
// their colour: the seven status values and the status panel over them.
constexpr int kPaintedStatics[] = {IDC_STATUS_PANEL, IDC_ADDRESS, IDC_CONN_TIME, IDC_RECV_DATA,
                                   IDC_RECV_RATE,    IDC_SENT_DATA, IDC_SENT_RATE, IDC_EXPIRY};
WNDPROC paintedStaticProc = nullptr;

// Paints like a static without a picture: it only asks its parent for the
// colour, which is when the figures are drawn. The common controls 6 static
// buffers its painting and would copy the background over the drawn figures.
void PaintTransparentStatic(HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  if (!dc) return;
  if (HWND parent = GetParent(window))
    SendMessageW(parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(window));
  EndPaint(window, &paint);
}

LRESULT CALLBACK PaintedStaticProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PaintTransparentStatic(window);
    return 0;
  }
  return PassOn(paintedStaticProc, window, message, wParam, lParam);
}

// The decoded picture's true pixel size: the bitmap OLE decoded it into, or
// the size converted from HIMETRIC when the picture has no bitmap.
SIZE PixelSize(const SkinPicture& picture) {
  SIZE size{picture.width, picture.height};
  short type = PICTYPE_UNINITIALIZED;
  OLE_HANDLE handle = 0;
  if (picture.picture && SUCCEEDED(picture.picture->get_Type(&type)) && type == PICTYPE_BITMAP &&
      SUCCEEDED(picture.picture->get_Handle(&handle)) && handle) {
    BITMAP bitmap{};
    if (GetObjectA(reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle)), sizeof bitmap, &bitmap) &&
        bitmap.bmWidth > 0 && bitmap.bmHeight > 0)
      size = {bitmap.bmWidth, bitmap.bmHeight};
  }
  return size;
}

// A top-down 32-bit DIB section; bits are 0x00RRGGBB a pixel.
HBITMAP MakeDib(HDC dc, int width, int height, uint32_t** bits) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* memory = nullptr;
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &memory, nullptr, 0);
  *bits = bitmap ? static_cast<uint32_t*>(memory) : nullptr;
  return bitmap;
}

// `source` drawn at width × height: its pixels read back at their own size,
// then area-averaged to the target. Null when GDI refuses.
HBITMAP Resample(const SkinPicture& source, int width, int height) {
  const SIZE own = PixelSize(source);
  if (own.cx <= 0 || own.cy <= 0 || width <= 0 || height <= 0) return nullptr;
  HDC screen = GetDC(nullptr);
  HDC dc = screen ? CreateCompatibleDC(screen) : nullptr;
  HBITMAP result = nullptr;
  uint32_t* sourceBits = nullptr;
  HBITMAP sourceDib = dc ? MakeDib(dc, own.cx, own.cy, &sourceBits) : nullptr;
  if (sourceDib) {
    const HGDIOBJ previous = SelectObject(dc, sourceDib);
    source.picture->Render(dc, 0, 0, own.cx, own.cy, 0, source.himetricHeight, source.himetricWidth,
                           -source.himetricHeight, nullptr);
    SelectObject(dc, previous);
    GdiFlush();
    uint32_t* targetBits = nullptr;
    result = MakeDib(dc, width, height, &targetBits);
    if (result && !ResampleArea(sourceBits, own.cx, own.cy, targetBits, width, height)) {
      DeleteObject(result);
      result = nullptr;
    }
    DeleteObject(sourceDib);
  }
  if (dc) DeleteDC(dc);
  if (screen) ReleaseDC(nullptr, screen);
  return result;
}

// The placement's picture as drawn at the current scale, made on first use.
HBITMAP ScaledBitmap(const SkinPicture& base, int width, int height) {
  for (const auto& scaled : scaledCache) {
    if (scaled->resourceId == base.resourceId && scaled->width == width && scaled->height == height)
      return scaled->bitmap;
  }
  const SkinPicture* source = &base;
  if (PictureSourceFor(skinDpi) == PictureSource::kDoubleAsIs ||
      PictureSourceFor(skinDpi) == PictureSource::kDoubleReduced) {
    // Without its 200 % drawing a picture is enlarged from the 100 % one: soft, but in place.
    if (const SkinPicture* twice =
            SkinGetPicture(nullptr, base.resourceId + kDoublePictureOffset, kSkinResourceType))
      source = twice;
  }
  if (!source->picture) return nullptr;
  std::unique_ptr<ScaledPicture, ScaledDeleter> made(
      new (std::nothrow) ScaledPicture{base.resourceId, width, height, Resample(*source, width, height)});
  if (!made || !made->bitmap) return nullptr;
  try {
    scaledCache.push_back(std::move(made));
  } catch (...) {
    return nullptr;
  }
  return scaledCache.back()->bitmap;
}

// Where a placement lands at the current scale, in its owner's client coordinates.
RECT ScaledArea(const SkinImage& image, const SkinPicture& picture) {
  // Image controls are sized by the layout to their picture: the picture fills
  // the control, so the rounding of the control's edges decides its size.
  RECT client{};
  if (image.x == 0 && image.y == 0 && image.width == 0 && image.height == 0 &&
      (GetWindowLongW(image.owner, GWL_STYLE) & WS_CHILD) && GetClientRect(image.owner, &client))
    return client;
  const SIZE own = PixelSize(picture);
  const LayoutRect place = ScalePicturePlace(image.x, image.y, image.width ? image.width : own.cx,
                                             image.height ? image.height : own.cy, skinDpi);
  return {place.x, place.y, place.x + place.width, place.y + place.height};
}

void PaintScaled(HDC dc, const SkinImage& image, const SkinPicture& picture) {
  const RECT area = ScaledArea(image, picture);
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  if (width <= 0 || height <= 0 || !RectVisible(dc, &area)) return;
  HBITMAP bitmap = ScaledBitmap(picture, width, height);
  if (!bitmap) return;
  HDC memory = CreateCompatibleDC(dc);
  if (!memory) return;
  const HGDIOBJ previous = SelectObject(memory, bitmap);
  BitBlt(dc, area.left, area.top, width, height, memory, 0, 0, SRCCOPY);
  SelectObject(memory, previous);
  DeleteDC(memory);
}

}  // namespace

void SkinSetDpi(int dpi) {
  dpi = SaneDpi(dpi);
  if (dpi == skinDpi) return;
  skinDpi = dpi;
  std::vector<std::unique_ptr<ScaledPicture, ScaledDeleter>>().swap(scaledCache);
}

int SkinDpi() { return skinDpi; }

size_t SkinScaledCount() { return scaledCache.size(); }

void SkinInit(HINSTANCE module) {
  skinModule = module;
  try {
    placements.reserve(kSkinRegistrationCount);
  } catch (...) {
    // The list still grows entry by entry.
  }
}

SkinPicture* SkinLoadPicture(HWND window, int resourceId, const char* typeName) {
  if (!typeName) return nullptr;
  HMODULE module = skinModule ? skinModule : GetModuleHandleA(nullptr);
  HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(resourceId), typeName);
  if (!info) return nullptr;
  HGLOBAL resource = LoadResource(module, info);
  const void* bytes = resource ? LockResource(resource) : nullptr;
  const DWORD size = SizeofResource(module, info);
  SkinPicture* record = nullptr;
  if (bytes && size) {
    // The stream needs memory of its own: resource memory is read-only and not an HGLOBAL.
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    if (memory) {
      if (void* copy = GlobalLock(memory)) {
        std::memcpy(copy, bytes, size);
        GlobalUnlock(memory);
        record = DecodePicture(window, resourceId, memory, size);
      }
      GlobalFree(memory);
    }
  }
  if (resource) FreeResource(resource);
  return record;
}

void SkinFreePicture(SkinPicture* picture) {
  if (!picture) return;
  if (picture->picture) picture->picture->Release();
  delete picture;
}

SkinPicture* SkinGetPicture(HWND window, int resourceId, const char* typeName) {
  for (const auto& cached : pictureCache) {
    if (cached->resourceId == resourceId) return cached.get();
  }
  std::unique_ptr<SkinPicture, PictureDeleter> loaded(SkinLoadPicture(window, resourceId, typeName));
  if (!loaded) return nullptr;
  try {
    pictureCache.push_back(std::move(loaded));
  } catch (...) {
    return nullptr;
  }
  return pictureCache.back().get();
}

SkinImageNode* SkinAddImage(HWND owner, int resourceId, const char* typeName, int x, int y, int width, int height,
                            int visible) {
  if (SkinImageNode* existing = SkinFindImage(owner, resourceId)) return existing;
  std::unique_ptr<Placement> entry(new (std::nothrow) Placement{});
  if (!entry) return nullptr;
  SkinImage& image = entry->image;
  image.owner = owner;
  image.resourceId = resourceId;
  image.visible = visible;
  CopyTypeName(image.typeName, typeName);
  image.x = x;
  image.y = y;
  image.width = width;
  image.height = height;
  entry->node.image = &image;
  entry->node.picture = SkinGetPicture(owner, resourceId, image.typeName);
  try {
    placements.push_back(std::move(entry));
  } catch (...) {
    return nullptr;
  }
  return &placements.back()->node;
}

SkinImageNode* SkinFindImage(HWND owner, int resourceId) {
  for (const auto& entry : placements) {
    SkinImageNode& node = entry->node;
    if (node.picture && node.image && node.image->owner == owner && node.image->resourceId == resourceId) return &node;
  }
  return nullptr;
}

void SkinSetVisible(HWND owner, int resourceId, int visible) {
  for (const auto& entry : placements) {
    SkinImageNode& node = entry->node;
    if (!node.picture || !node.image || node.image->resourceId != resourceId) continue;
    if (owner && node.image->owner != owner) continue;
    node.image->visible = visible;
  }
}

void SkinShowImage(int resourceId) { SkinSetVisible(nullptr, resourceId, 1); }

void SkinHideImage(int resourceId) { SkinSetVisible(nullptr, resourceId, 0); }

void SkinPaint(HWND owner, HDC dc) {
  if (!dc) return;
  for (const auto& entry : placements) {
    const SkinImageNode& node = entry->node;
    if (!node.picture || !node.picture->picture || !node.image) continue;
    const SkinImage& image = *node.image;
    if (image.owner != owner || image.visible != 1) continue;
    const SkinPicture& picture = *node.picture;
    if (skinDpi != kBaseDpi) {
      PaintScaled(dc, image, picture);
      continue;
    }
    const LONG width = image.width ? image.width : picture.width;
    const LONG height = image.height ? image.height : picture.height;
    // A repaint of a few figures must not render every picture of the window.
    const RECT area{image.x, image.y, image.x + width, image.y + height};
    if (!RectVisible(dc, &area)) continue;
    // HIMETRIC runs bottom-up: start at the bottom edge with a negative height
    // to draw the picture upright.
    picture.picture->Render(dc, image.x, image.y, width, height, 0, picture.himetricHeight, picture.himetricWidth,
                            -picture.himetricHeight, nullptr);
  }
}

size_t SkinImageCount() { return placements.size(); }

void SkinRelease() {
  std::vector<std::unique_ptr<ScaledPicture, ScaledDeleter>>().swap(scaledCache);
  std::vector<std::unique_ptr<Placement>>().swap(placements);
  std::vector<std::unique_ptr<SkinPicture, PictureDeleter>>().swap(pictureCache);
}

LRESULT ImageControlProc(int handCursor, WNDPROC previous, HWND window, UINT message, WPARAM wParam,
                         LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      if (HDC dc = BeginPaint(window, &paint)) {
        SkinPaint(window, dc);
        EndPaint(window, &paint);
      }
      // The update region is now empty, so the control's own painting draws nothing over the pictures.
      break;
    }
    case WM_SETCURSOR:
      SetCursor(LoadCursor(nullptr, handCursor ? IDC_HAND : IDC_ARROW));
      return TRUE;
    default:
      break;
  }
  return PassOn(previous, window, message, wParam, lParam);
}

LRESULT CALLBACK AboutPanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PaintTransparentStatic(window);  // the version and the link are drawn then
    return 0;
  }
  if (message != WM_SETCURSOR) return PassOn(previousProcs[kAboutRow], window, message, wParam, lParam);
  const LayoutRecord* layout = MainWindowLayout();
  if (!layout || reinterpret_cast<HWND>(wParam) != window) return FALSE;
  // The link rectangle is in the panel's own coordinates.
  POINT cursor;
  RECT panel;
  const bool overLink = GetCursorPos(&cursor) && GetWindowRect(window, &panel) &&
                        PointInLayoutRect(layout->aboutLink, cursor.x - panel.left, cursor.y - panel.top);
  SetCursor(LoadCursor(nullptr, overLink ? IDC_HAND : IDC_ARROW));
  return TRUE;
}

int SkinSubclassControls(HWND dialog) {
  if (!dialog) return 0;
  int subclassed = 0;
  for (size_t row = 0; row < kSubclassCount; ++row) {
    HWND control = GetDlgItem(dialog, kSubclassRows[row].id);
    if (!control) continue;
    const WNDPROC procedure = kSubclassRows[row].hand == Hand::kAboutLink ? AboutPanelProc : kThunks[row];
    // A second call must not keep our own procedure as the previous one: it would call itself.
    if (reinterpret_cast<WNDPROC>(GetWindowLongPtrW(control, GWLP_WNDPROC)) == procedure) continue;
    const LONG_PTR previous = SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure));
    if (!previous) continue;
    if (kSubclassRows[row].keepPrevious) previousProcs[row] = reinterpret_cast<WNDPROC>(previous);
    ++subclassed;
  }
  for (int id : kPaintedStatics) {
    HWND control = GetDlgItem(dialog, id);
    if (!control || reinterpret_cast<WNDPROC>(GetWindowLongPtrW(control, GWLP_WNDPROC)) == PaintedStaticProc) continue;
    const LONG_PTR previous =
        SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PaintedStaticProc));
    if (!previous) continue;
    // Every one of them is a STATIC: they share the class procedure.
    paintedStaticProc = reinterpret_cast<WNDPROC>(previous);
    ++subclassed;
  }
  return subclassed;
}

int SkinRegisterMainWindow(HWND dialog, const LayoutRecord* layout) {
  if (!dialog) return 0;
  int registered = 0;
  for (const SkinRegistration& row : kSkinRegistrations) {
    HWND owner = row.owner == kSkinOwnerDialog ? dialog : GetDlgItem(dialog, row.owner);
    int x = 0;
    int y = 0;
    if (!owner || !SkinRegistrationPoint(row, layout, &x, &y)) continue;
    if (SkinAddImage(owner, row.resourceId, kSkinResourceType, x, y, 0, 0, row.visible)) ++registered;
  }
  return registered;
}
