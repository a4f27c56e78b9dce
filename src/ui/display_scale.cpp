#include "ui/display_scale.h"

#include <vector>

namespace {

constexpr int kMaxDpi = 480;
constexpr int kMinDpi = 24;

// floor(n / d) for d > 0, also for negative n (C++ division truncates toward zero).
int64_t FloorDiv(int64_t n, int64_t d) { return n >= 0 ? n / d : -((-n + d - 1) / d); }

int16_t Clamp16(int v) {
  if (v > INT16_MAX) return INT16_MAX;
  if (v < INT16_MIN) return INT16_MIN;
  return static_cast<int16_t>(v);
}

// One axis of the area filter: for every target pixel the source pixels it
// covers and the weight of each, in units of 1 / (source length × target length)
// so the sums stay integral.
struct Span {
  int first;
  std::vector<int64_t> weights;
};

std::vector<Span> Spans(int sourceLength, int targetLength) {
  std::vector<Span> spans(static_cast<size_t>(targetLength));
  // Target pixel t covers [t·S, (t+1)·S) in units where a source pixel is T long.
  const int64_t s = sourceLength, t = targetLength;
  for (int64_t i = 0; i < t; ++i) {
    const int64_t begin = i * s, end = (i + 1) * s;
    Span& span = spans[static_cast<size_t>(i)];
    span.first = static_cast<int>(begin / t);
    for (int64_t p = begin / t; p * t < end && p < s; ++p) {
      const int64_t lo = p * t > begin ? p * t : begin;
      const int64_t hi = (p + 1) * t < end ? (p + 1) * t : end;
      span.weights.push_back(hi - lo);
    }
  }
  return spans;
}

}  // namespace

int SaneDpi(int dpi) {
  if (dpi < kMinDpi) return kBaseDpi;
  return dpi > kMaxDpi ? kMaxDpi : dpi;
}

int ScaleCoordinate(int value, int dpi) {
  dpi = SaneDpi(dpi);
  if (dpi == kBaseDpi) return value;
  return static_cast<int>(FloorDiv(static_cast<int64_t>(value) * dpi + kBaseDpi / 2, kBaseDpi));
}

LayoutRect ScaleLayoutRect(const LayoutRect& r, int dpi) {
  const int left = ScaleCoordinate(r.x, dpi);
  const int top = ScaleCoordinate(r.y, dpi);
  const int right = ScaleCoordinate(r.x + r.width, dpi);
  const int bottom = ScaleCoordinate(r.y + r.height, dpi);
  return {Clamp16(left), Clamp16(top), Clamp16(right - left), Clamp16(bottom - top)};
}

LayoutRecord ScaleLayoutRecord(const LayoutRecord& base, int dpi) {
  LayoutRecord scaled = base;
  // Every member but the three colours is a rectangle or a point.
  LayoutRect LayoutRecord::*const rects[] = {
      &LayoutRecord::tabAbout,         &LayoutRecord::closeBox,         &LayoutRecord::minimizeBox,
      &LayoutRecord::tabMain,          &LayoutRecord::tabSettings,      &LayoutRecord::linkTopUp,
      &LayoutRecord::linkRegister,     &LayoutRecord::serviceLabel,     &LayoutRecord::serviceList,
      &LayoutRecord::userLabel,        &LayoutRecord::passwordLabel,    &LayoutRecord::userEdit,
      &LayoutRecord::passwordEdit,     &LayoutRecord::saveLoginBox,     &LayoutRecord::savePasswordBox,
      &LayoutRecord::saveLoginLabel,   &LayoutRecord::savePasswordLabel, &LayoutRecord::connectButton,
      &LayoutRecord::registerButton,   &LayoutRecord::supportLink,      &LayoutRecord::progressTrack,
      &LayoutRecord::progressSlider,   &LayoutRecord::cancelButton,     &LayoutRecord::disconnectButton,
      &LayoutRecord::userTypeLabel,    &LayoutRecord::userTypeFree,     &LayoutRecord::userTypePlatinum,
      &LayoutRecord::userTypeVip,      &LayoutRecord::userTypeWeb,      &LayoutRecord::contentLabel,
      &LayoutRecord::contentWeb,       &LayoutRecord::contentGame,      &LayoutRecord::minutesLabel,
      &LayoutRecord::expiryLabel,      &LayoutRecord::expiryValue,      &LayoutRecord::addressLabel,
      &LayoutRecord::addressValue,     &LayoutRecord::timeLabel,        &LayoutRecord::timeValue,
      &LayoutRecord::receivedLabel,    &LayoutRecord::receivedValue,    &LayoutRecord::sentLabel,
      &LayoutRecord::sentValue,        &LayoutRecord::receiveRateLabel, &LayoutRecord::receiveRateValue,
      &LayoutRecord::sendRateLabel,    &LayoutRecord::sendRateValue,    &LayoutRecord::autorunBox,
      &LayoutRecord::autoLoginBox,     &LayoutRecord::importantOnlyBox, &LayoutRecord::writeLogBox,
      &LayoutRecord::autorunLabel,     &LayoutRecord::autoLoginLabel,   &LayoutRecord::importantOnlyLabel,
      &LayoutRecord::writeLogLabel,    &LayoutRecord::aboutName,        &LayoutRecord::aboutVersion,
      &LayoutRecord::aboutVersionText, &LayoutRecord::aboutNotice,      &LayoutRecord::aboutHomePage,
      &LayoutRecord::aboutLink,
  };
  static_assert(sizeof rects / sizeof rects[0] * sizeof(LayoutRect) + 3 * sizeof(uint32_t) == sizeof(LayoutRecord),
                "every rectangle of the record is scaled");
  for (LayoutRect LayoutRecord::*field : rects) scaled.*field = ScaleLayoutRect(base.*field, dpi);
  return scaled;
}

LayoutRect ScalePicturePlace(int x, int y, int width, int height, int dpi) {
  const int left = ScaleCoordinate(x, dpi);
  const int top = ScaleCoordinate(y, dpi);
  return {Clamp16(left), Clamp16(top), Clamp16(ScaleCoordinate(x + width, dpi) - left),
          Clamp16(ScaleCoordinate(y + height, dpi) - top)};
}

int ScaleFontHeight(int height, int dpi) {
  // Symmetric, so -13 and 13 give the same cell at every scale.
  return height < 0 ? -ScaleCoordinate(-height, dpi) : ScaleCoordinate(height, dpi);
}

PictureSource PictureSourceFor(int dpi) {
  dpi = SaneDpi(dpi);
  if (dpi == kBaseDpi) return PictureSource::kBaseAsIs;
  if (dpi == kDoubleDpi) return PictureSource::kDoubleAsIs;
  return dpi < kBaseDpi ? PictureSource::kBaseReduced : PictureSource::kDoubleReduced;
}

bool ResampleArea(const uint32_t* source, int sw, int sh, uint32_t* target, int tw, int th) {
  if (!source || !target || sw <= 0 || sh <= 0 || tw <= 0 || th <= 0) return false;
  const std::vector<Span> xs = Spans(sw, tw);
  const std::vector<Span> ys = Spans(sh, th);
  // Each weight pair sums to sw·tw·sh·th... per axis: Σ weights = source length.
  const uint64_t total = static_cast<uint64_t>(sw) * static_cast<uint64_t>(sh);
  for (int ty = 0; ty < th; ++ty) {
    const Span& ry = ys[static_cast<size_t>(ty)];
    for (int tx = 0; tx < tw; ++tx) {
      const Span& rx = xs[static_cast<size_t>(tx)];
      uint64_t sum[4] = {0, 0, 0, 0};
      for (size_t j = 0; j < ry.weights.size(); ++j) {
        const uint32_t* row = source + static_cast<size_t>(ry.first + static_cast<int>(j)) * static_cast<size_t>(sw);
        for (size_t i = 0; i < rx.weights.size(); ++i) {
          const uint64_t w = static_cast<uint64_t>(ry.weights[j]) * static_cast<uint64_t>(rx.weights[i]);
          const uint32_t p = row[rx.first + static_cast<int>(i)];
          for (int c = 0; c < 4; ++c) sum[c] += w * ((p >> (8 * c)) & 0xFF);
        }
      }
      uint32_t out = 0;
      for (int c = 0; c < 4; ++c) out |= static_cast<uint32_t>((sum[c] + total / 2) / total) << (8 * c);
      target[static_cast<size_t>(ty) * static_cast<size_t>(tw) + static_cast<size_t>(tx)] = out;
    }
  }
  return true;
}
