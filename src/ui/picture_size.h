// Conversion of picture sizes from HIMETRIC (0.01 mm) to device pixels.
#pragma once
#include <cstdint>

// Nearest whole pixel: (himetric * dpi + 1270) / 2540 with integer division,
// 2540 being the HIMETRIC units per inch. The product is formed in 64 bits so
// large pictures or odd DPI values cannot overflow; a result beyond int32
// saturates.
int32_t HimetricToPixels(int32_t himetric, int32_t dpi);

struct PicturePixels {
  int32_t width;
  int32_t height;
};

// Widths follow the horizontal and heights the vertical dots per inch, which
// differ on some displays and printers.
PicturePixels PicturePixelSize(int32_t himetricWidth, int32_t himetricHeight, int32_t dpiX, int32_t dpiY);
