#include "ui/skin_win.h"

#include <olectl.h>

#include <cstring>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "base/gdi_win.h"
#include "ui/display_scale.h"
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
  ScopedBitmap bitmap;
};

HINSTANCE skinModule = nullptr;
int skinDpi = kBaseDpi;
// Main window thread only, like the placements; emptied on every change of scale.
std::vector<std::unique_ptr<ScaledPicture>> scaledCache;
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
  const auto measure = [&](HWND on) {
    const ScopedGetDC dc(on);
    if (!dc) return false;
    dpiX = GetDeviceCaps(dc.get(), LOGPIXELSX);
    dpiY = GetDeviceCaps(dc.get(), LOGPIXELSY);
    return true;
  };
  // A window that is already gone still leaves the screen to measure on.
  if (!measure(window) && window) measure(nullptr);
  const PicturePixels pixels = PicturePixelSize(himetricWidth, himetricHeight, dpiX, dpiY);
  record->resourceId = resourceId;
  record->picture = picture;
  record->width = pixels.width;
  record->height = pixels.height;
  record->himetricWidth = himetricWidth;
  record->himetricHeight = himetricHeight;
  return record;
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
ScopedBitmap MakeDib(HDC dc, int width, int height, uint32_t** bits) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* memory = nullptr;
  ScopedBitmap bitmap(CreateDIBSection(dc, &info, DIB_RGB_COLORS, &memory, nullptr, 0));
  *bits = bitmap ? static_cast<uint32_t*>(memory) : nullptr;
  return bitmap;
}

// `source` drawn at width × height: its pixels read back at their own size,
// then area-averaged to the target. Null when GDI refuses.
ScopedBitmap Resample(const SkinPicture& source, int width, int height) {
  const SIZE own = PixelSize(source);
  if (own.cx <= 0 || own.cy <= 0 || width <= 0 || height <= 0) return {};
  const ScopedGetDC screen(nullptr);
  if (!screen) return {};
  const ScopedMemoryDC dc(screen.get());
  if (!dc) return {};
  uint32_t* sourceBits = nullptr;
  const ScopedBitmap sourceDib = MakeDib(dc.get(), own.cx, own.cy, &sourceBits);
  if (!sourceDib) return {};
  {
    const ScopedSelectObject drawing(dc.get(), sourceDib.get());
    source.picture->Render(dc.get(), 0, 0, own.cx, own.cy, 0, source.himetricHeight, source.himetricWidth,
                           -source.himetricHeight, nullptr);
  }
  GdiFlush();
  uint32_t* targetBits = nullptr;
  ScopedBitmap result = MakeDib(dc.get(), width, height, &targetBits);
  if (result && !ResampleArea(sourceBits, own.cx, own.cy, targetBits, width, height)) result.reset();
  return result;
}

// The placement's picture as drawn at the current scale, made on first use.
HBITMAP ScaledBitmap(const SkinPicture& base, int width, int height) {
  for (const auto& scaled : scaledCache) {
    if (scaled->resourceId == base.resourceId && scaled->width == width && scaled->height == height)
      return scaled->bitmap.get();
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
  std::unique_ptr<ScaledPicture> made(
      new (std::nothrow) ScaledPicture{base.resourceId, width, height, Resample(*source, width, height)});
  if (!made || !made->bitmap) return nullptr;
  try {
    scaledCache.push_back(std::move(made));
  } catch (...) {
    return nullptr;
  }
  return scaledCache.back()->bitmap.get();
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
  const ScopedMemoryDC memory(dc);
  if (!memory) return;
  const ScopedSelectObject drawn(memory.get(), bitmap);
  BitBlt(dc, area.left, area.top, width, height, memory.get(), 0, 0, SRCCOPY);
}

}  // namespace

void SkinSetDpi(int dpi) {
  dpi = SaneDpi(dpi);
  if (dpi == skinDpi) return;
  skinDpi = dpi;
  std::vector<std::unique_ptr<ScaledPicture>>().swap(scaledCache);
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
  std::vector<std::unique_ptr<ScaledPicture>>().swap(scaledCache);
  std::vector<std::unique_ptr<Placement>>().swap(placements);
  std::vector<std::unique_ptr<SkinPicture, PictureDeleter>>().swap(pictureCache);
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
