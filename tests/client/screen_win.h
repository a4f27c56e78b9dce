// What the user sees: a rectangle of the screen copied into memory, and the
// pixels of a picture file as the program's own decoder renders them, read
// back through a 32-bit memory canvas that tests can also paint on.
#pragma once
#include <windows.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

struct Rgb {
  int r, g, b;
  bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

std::ostream& operator<<(std::ostream& os, const Rgb& c);

Rgb FromColorref(uint32_t colour);

// 32-bit pixels of a width × height area, read back once.
class Pixels {
 public:
  Pixels() = default;
  Pixels(int width, int height) : width_(width), height_(height), bits_(static_cast<size_t>(width) * height) {}
  // The screen area at (left, top) as it is now.
  static Pixels FromScreen(int left, int top, int width, int height);
  // A picture file (JPEG or GIF) rendered by OleLoadPicture at its own size;
  // empty when it cannot be read.
  static Pixels FromPictureFile(const std::string& path);

  bool empty() const { return bits_.empty(); }
  int width() const { return width_; }
  int height() const { return height_; }
  Rgb At(int x, int y) const;
  // Pixels of exactly `colour` inside `r`.
  int Count(const RECT& r, const Rgb& colour) const;
  // Pixels inside `r` farther than `tolerance` (sum of channel differences) from `other`.
  int Differing(const Pixels& other, const RECT& r, int tolerance) const;

 private:
  friend class DibCanvas;
  int width_ = 0;
  int height_ = 0;
  std::vector<uint32_t> bits_;
};

// A top-down 32-bit DIB section selected into a memory DC.
class DibCanvas {
 public:
  DibCanvas(int width, int height);
  ~DibCanvas();
  DibCanvas(const DibCanvas&) = delete;
  DibCanvas& operator=(const DibCanvas&) = delete;
  HDC dc() const { return old_ ? dc_ : nullptr; }  // null when it could not be made
  // The pixels, 0x00RRGGBB, row by row from the top; GdiFlush before reading.
  uint32_t* bits() const { return static_cast<uint32_t*>(bits_); }
  Pixels Read() const;

 private:
  int width_;
  int height_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  void* bits_ = nullptr;
};
