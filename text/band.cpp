// band.cpp: band arithmetic and the black-wins squeeze.
#include "text/band.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace {

constexpr double kBandShare = 0.4166666666666667;  // 5/12, the nearest double

// The source span [first, end) that destination pixel i of n covers out of m: at least one
// pixel, so an enlargement repeats its nearest source pixel.
void SourceSpan(int32_t i, int32_t n, int32_t m, int32_t* first, int32_t* end) {
  *first = static_cast<int32_t>(static_cast<int64_t>(i) * m / n);
  *end = std::max(*first + 1, static_cast<int32_t>(static_cast<int64_t>(i + 1) * m / n));
}

}  // namespace

TextBand PlaceTextBand(int32_t width, int32_t height, int32_t fieldWidth, int32_t fieldHeight) {
  return TextBand{width, height, width < fieldWidth ? (fieldWidth - width) / 2 : 0,
                  (fieldHeight - height) / 2};
}

TextBand ComputeTextBand(int32_t cx, int32_t cy, int32_t fieldWidth, int32_t fieldHeight) {
  const int32_t h = static_cast<int32_t>(fieldHeight * kBandShare);
  int32_t w = 0;
  if (cy > 0) {
    // cx / cy first, then times h; a width past the field is clamped before it is converted.
    const double width = static_cast<double>(cx) / cy * h;
    w = width < fieldWidth + 4 ? static_cast<int32_t>(width) / 4 * 4 : fieldWidth;
    if (w > fieldWidth) w = fieldWidth;
    if (w < 0) w = 0;
  }
  return PlaceTextBand(w, h, fieldWidth, fieldHeight);
}

void SqueezeTextRaster(const uint8_t* grey, int32_t cx, int32_t cy, int32_t w, int32_t h,
                       uint8_t* raster24) {
  if (cx <= 0 || cy <= 0 || w <= 0 || h <= 0) return;
  std::vector<int32_t> columnFirst(w), columnEnd(w);
  for (int32_t x = 0; x < w; ++x) SourceSpan(x, w, cx, &columnFirst[x], &columnEnd[x]);
  for (int32_t y = 0; y < h; ++y) {
    int32_t rowFirst, rowEnd;
    SourceSpan(y, h, cy, &rowFirst, &rowEnd);
    uint8_t* out = raster24 + static_cast<size_t>(y) * w * 3;
    for (int32_t x = 0; x < w; ++x) {
      uint8_t darkest = 255;
      for (int32_t r = rowFirst; r < rowEnd; ++r) {
        const uint8_t* row = grey + static_cast<size_t>(r) * cx;
        for (int32_t c = columnFirst[x]; c < columnEnd[x]; ++c) darkest = std::min(darkest, row[c]);
      }
      out[3 * x] = out[3 * x + 1] = out[3 * x + 2] = darkest;
    }
  }
}
