#include "screen_win.h"

#include <olectl.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

DibCanvas::DibCanvas(int width, int height) : width_(width), height_(height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  dc_ = CreateCompatibleDC(nullptr);
  bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
  if (dc_ && bitmap_) old_ = SelectObject(dc_, bitmap_);
}

DibCanvas::~DibCanvas() {
  if (old_) SelectObject(dc_, old_);
  if (bitmap_) DeleteObject(bitmap_);
  if (dc_) DeleteDC(dc_);
}

Pixels DibCanvas::Read() const {
  Pixels p(width_, height_);
  GdiFlush();
  if (bits_) std::memcpy(p.bits_.data(), bits_, p.bits_.size() * 4);
  return p;
}

std::ostream& operator<<(std::ostream& os, const Rgb& c) {
  return os << "rgb(" << c.r << "," << c.g << "," << c.b << ")";
}

Rgb FromColorref(uint32_t c) {
  return {static_cast<int>(c & 0xFF), static_cast<int>(c >> 8 & 0xFF), static_cast<int>(c >> 16 & 0xFF)};
}

Pixels Pixels::FromScreen(int left, int top, int width, int height) {
  DibCanvas canvas(width, height);
  HDC screen = GetDC(nullptr);
  if (!screen || !canvas.dc()) {
    if (screen) ReleaseDC(nullptr, screen);
    return Pixels();
  }
  BitBlt(canvas.dc(), 0, 0, width, height, screen, left, top, SRCCOPY);
  ReleaseDC(nullptr, screen);
  return canvas.Read();
}

Pixels Pixels::FromPictureFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (bytes.empty()) return Pixels();
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
  if (!memory) return Pixels();
  if (void* copy = GlobalLock(memory)) {
    std::memcpy(copy, bytes.data(), bytes.size());
    GlobalUnlock(memory);
  }
  Pixels result;
  IStream* stream = nullptr;
  IPicture* picture = nullptr;
  if (SUCCEEDED(CreateStreamOnHGlobal(memory, FALSE, &stream)) &&
      SUCCEEDED(OleLoadPicture(stream, static_cast<LONG>(bytes.size()), FALSE, IID_IPicture,
                               reinterpret_cast<void**>(&picture)))) {
    OLE_XSIZE_HIMETRIC w = 0;
    OLE_YSIZE_HIMETRIC h = 0;
    picture->get_Width(&w);
    picture->get_Height(&h);
    // The picture's own pixels: the bitmap it decoded into. OLE converts that
    // size to HIMETRIC at the screen's DPI, so HIMETRIC at 96 DPI (2540 units
    // per inch) is only the fallback.
    int width = static_cast<int>((w * 96 + 1270) / 2540);
    int height = static_cast<int>((h * 96 + 1270) / 2540);
    short type = PICTYPE_UNINITIALIZED;
    OLE_HANDLE handle = 0;
    BITMAP bitmap{};
    if (SUCCEEDED(picture->get_Type(&type)) && type == PICTYPE_BITMAP && SUCCEEDED(picture->get_Handle(&handle)) &&
        GetObjectA(reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle)), sizeof bitmap, &bitmap)) {
      width = bitmap.bmWidth;
      height = bitmap.bmHeight;
    }
    DibCanvas canvas(width, height);
    if (canvas.dc()) {
      picture->Render(canvas.dc(), 0, 0, width, height, 0, h, w, -h, nullptr);
      result = canvas.Read();
    }
  }
  if (picture) picture->Release();
  if (stream) stream->Release();
  GlobalFree(memory);
  return result;
}

Rgb Pixels::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return {-1, -1, -1};
  const uint32_t v = bits_[static_cast<size_t>(y) * width_ + x];
  return {static_cast<int>(v >> 16 & 0xFF), static_cast<int>(v >> 8 & 0xFF), static_cast<int>(v & 0xFF)};
}

int Pixels::Count(const RECT& r, const Rgb& colour) const {
  int n = 0;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) n += At(x, y) == colour;
  return n;
}

int Pixels::Differing(const Pixels& other, const RECT& r, int tolerance) const {
  int n = 0;
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = r.left; x < r.right; ++x) {
      const Rgb a = At(x, y);
      const Rgb b = other.At(x, y);
      n += std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b) > tolerance;
    }
  }
  return n;
}
