#include "ui/picture_size.h"

#include <limits>

namespace {
constexpr int64_t kHimetricPerInch = 2540;
}

int32_t HimetricToPixels(int32_t himetric, int32_t dpi) {
  // |himetric * dpi| <= 2^62, so neither the product nor the added half inch wraps.
  const int64_t pixels =
      (static_cast<int64_t>(himetric) * dpi + kHimetricPerInch / 2) / kHimetricPerInch;
  if (pixels > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (pixels < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(pixels);
}

PicturePixels PicturePixelSize(int32_t himetricWidth, int32_t himetricHeight, int32_t dpiX, int32_t dpiY) {
  return {HimetricToPixels(himetricWidth, dpiX), HimetricToPixels(himetricHeight, dpiY)};
}
