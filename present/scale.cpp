// scale.cpp: fitting the field to a window and drawing it there.
#include "present/scale.h"

#include <algorithm>
#include <cstring>

namespace {

// Index into n source pixels shown across `shown` window pixels from `start`; -1 outside.
void MapAxis(int32_t n, int32_t shown, int32_t start, std::vector<int32_t>* map) {
  for (size_t i = 0; i < map->size(); ++i) {
    const int64_t at = static_cast<int64_t>(i) - start;
    (*map)[i] = at < 0 || at >= shown ? -1 : static_cast<int32_t>(at * n / shown);
  }
}

// The channel's 8 bits placed at the mask's top, as a TrueColor pixel holds them.
uint32_t Channel(uint8_t value, uint32_t mask) {
  if (mask == 0) return 0;
  int shift = 31;
  while (!(mask >> shift & 1)) --shift;  // top bit of the mask
  shift -= 7;
  const uint32_t v = shift >= 0 ? static_cast<uint32_t>(value) << shift : value >> -shift;
  return v & mask;
}

}  // namespace

FieldView FitFieldToWindow(int32_t fieldWidth, int32_t fieldHeight, int32_t bandHeight,
                           int32_t windowWidth, int32_t windowHeight) {
  FieldView v{};
  v.windowWidth = std::max(windowWidth, 0);
  v.windowHeight = std::max(windowHeight, 0);
  const int64_t w = v.windowWidth, h = v.windowHeight;
  if (w * bandHeight <= h * fieldWidth) {
    // Width fills the window; the band fits in the height.
    v.shownWidth = static_cast<int32_t>(w);
    v.shownHeight = static_cast<int32_t>(w * fieldHeight / fieldWidth);
  } else {
    // So wide that the band's height limits the scale.
    v.shownHeight = static_cast<int32_t>(h * fieldHeight / bandHeight);
    v.shownWidth = static_cast<int32_t>(h * fieldWidth / bandHeight);
  }
  v.left = (v.windowWidth - v.shownWidth) / 2;
  v.top = (v.windowHeight - v.shownHeight) / 2;
  v.columns.resize(v.windowWidth);
  v.rows.resize(v.windowHeight);
  MapAxis(fieldWidth, v.shownWidth, v.left, &v.columns);
  MapAxis(fieldHeight, v.shownHeight, v.top, &v.rows);
  return v;
}

void BuildPixelPalette(const uint8_t* rgbQuads, uint32_t redMask, uint32_t greenMask,
                       uint32_t blueMask, uint32_t* pixels) {
  for (int i = 0; i < 256; ++i) {
    const uint8_t* q = rgbQuads + 4 * i;
    pixels[i] = Channel(q[2], redMask) | Channel(q[1], greenMask) | Channel(q[0], blueMask);
  }
}

void PresentField(const uint8_t* field, int32_t fieldWidth, const uint32_t* palette,
                  const FieldView& view, uint32_t* image, size_t stride) {
  const int32_t width = view.windowWidth;
  // The window columns that show the field are one run: bars, if any, are at the sides.
  int32_t first = 0, end = width;
  while (first < end && view.columns[first] < 0) ++first;
  while (end > first && view.columns[end - 1] < 0) --end;
  const int32_t* columns = view.columns.data();
  for (int32_t y = 0; y < view.windowHeight; ++y) {
    uint32_t* out = image + static_cast<size_t>(y) * stride;
    const int32_t row = view.rows[y];
    if (row < 0 || first == end) {
      std::memset(out, 0, sizeof(uint32_t) * width);
    } else if (y > 0 && row == view.rows[y - 1]) {
      // Enlarged: the window row repeats the one above it.
      std::memcpy(out, out - stride, sizeof(uint32_t) * width);
    } else {
      const uint8_t* source = field + static_cast<size_t>(row) * fieldWidth;
      std::fill(out, out + first, 0u);
      for (int32_t x = first; x < end; ++x) out[x] = palette[source[columns[x]]];
      std::fill(out + end, out + width, 0u);
    }
  }
}
