// scale.cpp: fitting the field to a window, and its bytes through the ramp into pixels.
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

// One axis of FieldTransform: n field pixels shown across `shown` window pixels from
// window position `start`, in a window `size` pixels long.
struct AxisTransform {
  int32_t scale, offset, first, length, source;
  bool exact;
};

AxisTransform FitAxis(int32_t n, int32_t shown, int32_t start, int32_t size) {
  AxisTransform t{65536, 0, std::max(start, 0), 0, 0, true};
  const int32_t end = std::min(start + shown, size);
  if (shown <= 0 || end <= t.first) return t;
  t.length = end - t.first;
  t.source = t.first - start;
  // The server takes field pixel floor((scale x at + u) / 65536) for window pixel at (u
  // gathers the offset, the half-pixel centre and the 1/65536 it subtracts). Window pixel at
  // shows the mapping's at x n / shown for u in [lo(at), hi(at)]. Look for a scale near the
  // exact ratio where one u serves every shown pixel, and take the middle of those u, so
  // that small rounding differences of a server do not matter.
  const int64_t ideal = static_cast<int64_t>(n) * 65536 / shown;
  auto scaleAt = [&](int64_t d) { return ideal + (d % 2 ? (d + 1) / 2 : -d / 2); };
  auto bounds = [&](int64_t a, int64_t at, int64_t* lo, int64_t* hi) {
    const int64_t k = at * n / shown;
    *lo = 65536 * k - a * at;
    *hi = 65536 * k + 65535 - a * at;
  };
  constexpr int64_t kScales = 129;
  int64_t scale = ideal, u = 0;
  t.exact = false;
  for (int64_t d = 0; d < kScales && !t.exact; ++d) {
    const int64_t a = scaleAt(d);
    int64_t lo = INT64_MIN, hi = INT64_MAX;
    for (int64_t at = t.source; at < t.source + t.length && lo <= hi; ++at) {
      int64_t l, h;
      bounds(a, at, &l, &h);
      lo = std::max(lo, l), hi = std::min(hi, h);
    }
    if (a > 0 && lo <= hi) scale = a, u = lo + (hi - lo) / 2, t.exact = true;
  }
  // None serves every pixel (a size whose ratio 16.16 cannot carry): the scale and u that
  // serve the most, by a sweep over the u intervals; the others show a neighbouring pixel.
  int64_t served = -1;
  std::vector<std::pair<int64_t, int32_t>> edges;
  for (int64_t d = 0; d < 9 && !t.exact; ++d) {  // the nearest scales serve as well as any
    const int64_t a = scaleAt(d);
    if (a <= 0) continue;
    edges.clear();
    for (int64_t at = t.source; at < t.source + t.length; ++at) {
      int64_t l, h;
      bounds(a, at, &l, &h);
      edges.push_back({l, 1}), edges.push_back({h + 1, -1});
    }
    std::sort(edges.begin(), edges.end());
    int64_t open = 0;
    for (size_t i = 0; i + 1 < edges.size(); ++i) {
      open += edges[i].second;
      if (open > served) {
        served = open, scale = a;
        u = edges[i].first + (edges[i + 1].first - 1 - edges[i].first) / 2;
      }
    }
  }
  t.scale = static_cast<int32_t>(scale);
  // The centre of window pixel at is at + 1/2, which the server scales with rounding.
  t.offset = static_cast<int32_t>(u + 1 - (scale + 1) / 2);
  return t;
}

// The channel's 8 bits placed at the mask's top, as a TrueColor pixel holds them; a wider
// channel repeats them below (255 is 1023 in 10 bits), as the X server widens them.
uint32_t Channel(uint8_t value, uint32_t mask) {
  if (mask == 0) return 0;
  int low = 0, top = 31;
  while (!(mask >> low & 1)) ++low;
  while (!(mask >> top & 1)) --top;
  const int bits = top - low + 1;
  uint32_t v = 0;
  for (int filled = 0; filled < bits; filled += 8) {
    const int shift = bits - 8 - filled;  // where this copy of the 8 bits starts
    v |=
        shift >= 0 ? static_cast<uint32_t>(value) << shift : static_cast<uint32_t>(value) >> -shift;
  }
  return (v << low) & mask;
}

// The rows of one pixel size.
template <typename Pixel>
void PresentRows(const uint8_t* field, int32_t fieldWidth, const uint32_t* palette, Pixel black,
                 const FieldView& view, uint8_t* image, size_t strideBytes) {
  const int32_t width = view.windowWidth;
  // The window columns that show the field are one run: bars, if any, are at the sides.
  int32_t first = 0, end = width;
  while (first < end && view.columns[first] < 0) ++first;
  while (end > first && view.columns[end - 1] < 0) --end;
  const int32_t* columns = view.columns.data();
  for (int32_t y = 0; y < view.windowHeight; ++y) {
    Pixel* out = reinterpret_cast<Pixel*>(image + static_cast<size_t>(y) * strideBytes);
    const int32_t row = view.rows[y];
    if (row < 0 || first == end) {
      std::fill(out, out + width, black);
    } else if (y > 0 && row == view.rows[y - 1]) {
      // Enlarged: the window row repeats the one above it.
      std::memcpy(out, reinterpret_cast<const uint8_t*>(out) - strideBytes, sizeof(Pixel) * width);
    } else {
      const uint8_t* source = field + static_cast<size_t>(row) * fieldWidth;
      std::fill(out, out + first, black);
      for (int32_t x = first; x < end; ++x)
        out[x] = static_cast<Pixel>(palette[source[columns[x]]]);
      std::fill(out + end, out + width, black);
    }
  }
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

namespace {

// One axis of FitFieldCrop: the field's `field` pixels shown as `shown` window pixels
// starting at window position `start` (negative: cut off) in a window of `window` pixels.
// False where the bars would be wider than the field itself (a sliver of a window).
struct CropAxis {
  int32_t buffer, fieldAt, first, count, source, sourceSize;
};
bool FitCropAxis(int32_t field, int32_t shown, int32_t start, int32_t window, CropAxis* axis) {
  shown = std::max(shown, 1);  // a window a pixel high shows a field shown 0 rows high
  // Window pixels to 1/256 field pixels, rounded to nearest.
  auto toField = [&](int64_t pixels) { return (pixels * field * 256 + shown / 2) / shown; };
  const int64_t bar = start > 0 ? (toField(start) + 255) / 256 : 0;  // whole bar columns
  if (bar > field) return false;
  // The crop within the field with its bars, then the whole pixels around it.
  const int64_t all = field + 2 * bar;
  const int64_t from = start > 0 ? bar * 256 - toField(start) : toField(-int64_t{start});
  const int64_t size = std::min(toField(window), all * 256 - from);
  const int64_t low = from / 256, high = std::min(all, (from + size + 255) / 256);
  axis->buffer = static_cast<int32_t>(high - low);
  axis->fieldAt = static_cast<int32_t>(std::max(int64_t{0}, bar - low));
  axis->first = static_cast<int32_t>(std::max(int64_t{0}, low - bar));
  axis->count = static_cast<int32_t>(
      std::max(int64_t{0}, std::min(int64_t{field}, high - bar) - axis->first));
  axis->source = static_cast<int32_t>(from - low * 256);
  axis->sourceSize = static_cast<int32_t>(size);
  return true;
}

}  // namespace

FieldCrop FitFieldCrop(int32_t fieldWidth, int32_t fieldHeight, const FieldView& view) {
  CropAxis x, y;
  if (FitCropAxis(fieldWidth, view.shownWidth, view.left, view.windowWidth, &x) &&
      FitCropAxis(fieldHeight, view.shownHeight, view.top, view.windowHeight, &y)) {
    const bool whole = x.source == 0 && y.source == 0 && x.sourceSize == x.buffer * 256 &&
                       y.sourceSize == y.buffer * 256;
    return FieldCrop{x.buffer,     y.buffer,     x.fieldAt,     y.fieldAt,
                     {x.first, y.first, x.count, y.count},
                     x.source,     y.source,     x.sourceSize,  y.sourceSize, whole};
  }
  // A sliver of a window: the whole field stretched over it, rather than a buffer of bars.
  return FieldCrop{fieldWidth, fieldHeight, 0, 0, {0, 0, fieldWidth, fieldHeight},
                   0, 0, fieldWidth * 256, fieldHeight * 256, true};
}

FieldTransform FitFieldTransform(int32_t fieldWidth, int32_t fieldHeight, const FieldView& view) {
  const AxisTransform x = FitAxis(fieldWidth, view.shownWidth, view.left, view.windowWidth);
  const AxisTransform y = FitAxis(fieldHeight, view.shownHeight, view.top, view.windowHeight);
  return FieldTransform{x.scale,  y.scale,  x.offset, y.offset, x.first,           y.first,
                        x.length, y.length, x.source, y.source, x.exact && y.exact};
}

uint32_t FormatPixel(const PixelFormat& format, uint8_t red, uint8_t green, uint8_t blue) {
  const uint32_t p = Channel(red, format.redMask) | Channel(green, format.greenMask) |
                     Channel(blue, format.blueMask) | format.opaqueMask;
  if (!format.swapped) return p;
  return format.bytesPerPixel == 2 ? __builtin_bswap16(static_cast<uint16_t>(p))
                                   : __builtin_bswap32(p);
}

void BuildPixelPalette(const ColorRamp& ramp, const PixelFormat& format, uint32_t* pixels) {
  for (int i = 0; i < 256; ++i)
    pixels[i] = FormatPixel(format, ramp.red[i], ramp.green[i], ramp.blue[i]);
}

void RenderFieldImage(const uint8_t* field, int32_t fieldWidth, int32_t fieldHeight,
                      const uint32_t* palette, uint32_t* image, size_t stride) {
  RenderFieldPart(field, fieldWidth, FieldRect{0, 0, fieldWidth, fieldHeight}, palette, image,
                  stride);
}

void RenderFieldPart(const uint8_t* field, int32_t fieldWidth, const FieldRect& part,
                     const uint32_t* palette, uint32_t* image, size_t stride) {
  for (int32_t y = 0; y < part.height; ++y) {
    const uint8_t* in = field + static_cast<size_t>(part.y + y) * fieldWidth + part.x;
    uint32_t* out = image + static_cast<size_t>(y) * stride;
    for (int32_t x = 0; x < part.width; ++x) out[x] = palette[in[x]];
  }
}

void PresentField(const uint8_t* field, int32_t fieldWidth, const uint32_t* palette,
                  const PixelFormat& format, const FieldView& view, void* image,
                  size_t strideBytes) {
  const uint32_t black = FormatPixel(format, 0, 0, 0);
  uint8_t* bytes = static_cast<uint8_t*>(image);
  if (format.bytesPerPixel == 2) {
    PresentRows<uint16_t>(field, fieldWidth, palette, static_cast<uint16_t>(black), view, bytes,
                          strideBytes);
  } else {
    PresentRows<uint32_t>(field, fieldWidth, palette, black, view, bytes, strideBytes);
  }
}
