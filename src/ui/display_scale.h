// The main window at any display scale: the layout record stays in 96-DPI
// pixels and is multiplied out here, with one rounding rule for everything the
// window places, draws or hit-tests.
#pragma once
#include <cstdint>

#include "ui/layout.h"

// The DPI the layout record, the pictures and the fonts are designed for.
constexpr int kBaseDpi = 96;
// The DPI of the second set of pictures (200 %).
constexpr int kDoubleDpi = 192;

// Zero, negative or absurd values (a broken message, a missing API) fall back
// to 96; anything above 480 (500 %) is taken as 480 so every scaled
// coordinate of the record still fits its 16-bit field.
int SaneDpi(int dpi);

// The one rounding rule: value × dpi / 96 to the nearest pixel, halves away
// from the top-left (floor of x + 1/2). It is monotonic and applied to edges,
// never to sizes, so two rectangles that touch at 96 DPI touch at every scale.
int ScaleCoordinate(int value, int dpi);

// A rectangle's four edges scaled: width = S(x + width) − S(x). A point (width
// and height 0) stays a point.
LayoutRect ScaleLayoutRect(const LayoutRect& rect, int dpi);

// Every rectangle and point of the record scaled by ScaleLayoutRect; the colours
// as they are. At 96 DPI the result equals the record.
LayoutRecord ScaleLayoutRecord(const LayoutRecord& base, int dpi);

// A picture of w × h design pixels placed at x, y: where it lands on the
// window, by the same edge rule.
LayoutRect ScalePicturePlace(int x, int y, int width, int height, int dpi);

// Font heights (pixel cell heights, positive or negative as CreateFont takes them).
int ScaleFontHeight(int height, int dpi);

// Which picture set a scale draws from, and how.
enum class PictureSource : int8_t {
  kBaseAsIs,       // 96 DPI: the 100 % pictures pixel for pixel
  kDoubleAsIs,     // 192 DPI: the 200 % pictures pixel for pixel
  kDoubleReduced,  // between (and above): the 200 % pictures resampled to size
  kBaseReduced,    // below 96 DPI: the 100 % pictures resampled down
};
PictureSource PictureSourceFor(int dpi);

// Area-average resampling of a 32-bit picture (0x00RRGGBB or any four bytes a
// pixel, each byte averaged on its own): each target pixel is the mean of the
// source area it covers, fractional edge pixels weighted by their share. That
// is the high-quality filter for reductions up to 2:1 and a soft one for
// enlargements. Rows are top-down and tightly packed. Returns false (and
// writes nothing) for empty or negative sizes or null buffers.
bool ResampleArea(const uint32_t* source, int sourceWidth, int sourceHeight, uint32_t* target, int targetWidth,
                  int targetHeight);
