// filters.cpp: block smoothing and tile blur.
//
// Both run every frame over most of the field, so the inner loops work on several pixels
// at once: 64-bit words of bytes in SmoothBlocks, SSE2 vectors of tiles in BlurField
// (with a plain loop where SSE2 is missing).
#include "smoke/filters.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "smoke/field.h"

namespace {

constexpr uint64_t kEvenBytes = 0x00FF00FF00FF00FFull;
constexpr uint64_t kLow7Bits = 0x7F7F7F7F7F7F7F7Full;

uint64_t Load64(const uint8_t* p) {
  uint64_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

void Store64(uint8_t* p, uint64_t v) { std::memcpy(p, &v, sizeof v); }

// Per 16-bit lane, the sum of its two bytes.
uint64_t PairSums(uint64_t bytes) { return (bytes & kEvenBytes) + ((bytes >> 8) & kEvenBytes); }

// floor((p + a) / 2) for each of the eight bytes, without carries between them.
uint64_t HalfwayBytes(uint64_t p, uint64_t a) { return (p & a) + (((p ^ a) >> 1) & kLow7Bits); }

uint64_t BroadcastPair(uint32_t left, uint32_t right) {
  return static_cast<uint64_t>(left * 0x01010101u) |
         (static_cast<uint64_t>(right * 0x01010101u) << 32);
}

}  // namespace

int SmoothBlocks(uint8_t* smokeField, uint16_t* blockAverages, int32_t width, int32_t height,
                 int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  if (!IsFieldSize(width, height)) return 0;
  if (x0 < 0 || x0 > x1 || x1 > width || y0 < 0 || y0 > y1 || y1 > height) return 0;
  const int32_t nbx = (x1 - x0) / 4, nby = (y1 - y0) / 4;
  const int32_t pairs = nbx / 2;  // blocks are handled two at a time, 8 bytes per row

  for (int32_t by = 0; by < nby; ++by) {
    const uint8_t* top = smokeField + (y0 + 4 * by) * width + x0;
    uint16_t* averages = blockAverages + by * nbx;
    for (int32_t pair = 0; pair < pairs; ++pair) {
      const uint8_t* p = top + 8 * pair;
      const uint64_t lanes = PairSums(Load64(p)) + PairSums(Load64(p + width)) +
                             PairSums(Load64(p + 2 * width)) + PairSums(Load64(p + 3 * width));
      averages[2 * pair] =
          static_cast<uint16_t>(((lanes & 0xFFFF) + ((lanes >> 16) & 0xFFFF)) / 16);
      averages[2 * pair + 1] =
          static_cast<uint16_t>((((lanes >> 32) & 0xFFFF) + (lanes >> 48)) / 16);
    }
    if (nbx % 2) {
      const uint8_t* p = top + 4 * (nbx - 1);
      uint32_t sum = 0;
      for (int32_t r = 0; r < 4; ++r) {
        for (int32_t c = 0; c < 4; ++c) sum += p[r * width + c];
      }
      averages[nbx - 1] = static_cast<uint16_t>(sum / 16);
    }
  }

  // The mean of a block and its direct neighbours: 3 at a corner, 4 at an edge, 5 inside.
  auto neighbourhood = [&](int32_t bx, int32_t by) -> uint32_t {
    const uint16_t* a = blockAverages + by * nbx + bx;
    uint32_t sum = a[0], count = 1;
    if (by > 0) sum += a[-nbx], ++count;
    if (by < nby - 1) sum += a[nbx], ++count;
    if (bx > 0) sum += a[-1], ++count;
    if (bx < nbx - 1) sum += a[1], ++count;
    return sum / count;
  };

  for (int32_t by = 0; by < nby; ++by) {
    uint8_t* top = smokeField + (y0 + 4 * by) * width + x0;
    for (int32_t pair = 0; pair < pairs; ++pair) {
      const uint64_t a =
          BroadcastPair(neighbourhood(2 * pair, by), neighbourhood(2 * pair + 1, by));
      uint8_t* p = top + 8 * pair;
      for (int32_t r = 0; r < 4; ++r, p += width) Store64(p, HalfwayBytes(Load64(p), a));
    }
    if (nbx % 2) {
      const uint32_t a = neighbourhood(nbx - 1, by);
      uint8_t* p = top + 4 * (nbx - 1);
      for (int32_t r = 0; r < 4; ++r) {
        for (int32_t c = 0; c < 4; ++c)
          p[r * width + c] = static_cast<uint8_t>((p[r * width + c] + a) / 2);
      }
    }
  }
  return 1;
}

namespace {

// One tile: the corner at o and the square at o + W + 1; the square gets the mean of all five.
void BlurTile(uint8_t* field, int64_t o, int32_t width) {
  uint8_t* a = field + o + width + 1;
  uint8_t* b = a + width;
  const uint8_t mean = static_cast<uint8_t>((field[o] + a[0] + a[1] + b[0] + b[1]) / 5);
  a[0] = a[1] = b[0] = b[1] = mean;
}

// The tiles of one band of the frame step's walk (step 2, W/2 tiles): all but the last lie
// within their rows and are independent of each other; the last runs on into the next row.
void BlurBand(uint8_t* field, int64_t base, int32_t width) {
  const uint8_t* corner = field + base;
  uint8_t* upper = field + base + width + 1;  // top-left of tile 0's square
  uint8_t* lower = upper + width;
  const int32_t inner = width / 2 - 1;
  int32_t k = 0;
#if defined(__SSE2__)
  // Eight tiles per vector: 16-bit lane k holds tile k's corner (low byte) and square columns.
  const __m128i lowBytes = _mm_set1_epi16(0x00FF);
  const __m128i fifth = _mm_set1_epi16(13108);  // (s * 13108) >> 16 == s / 5 for s <= 1275
  for (; k + 8 <= inner; k += 8) {
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(corner + 2 * k));
    const __m128i u = _mm_loadu_si128(reinterpret_cast<const __m128i*>(upper + 2 * k));
    const __m128i l = _mm_loadu_si128(reinterpret_cast<const __m128i*>(lower + 2 * k));
    __m128i sum = _mm_and_si128(c, lowBytes);
    sum = _mm_add_epi16(sum, _mm_and_si128(u, lowBytes));
    sum = _mm_add_epi16(sum, _mm_srli_epi16(u, 8));
    sum = _mm_add_epi16(sum, _mm_and_si128(l, lowBytes));
    sum = _mm_add_epi16(sum, _mm_srli_epi16(l, 8));
    const __m128i mean = _mm_mulhi_epu16(sum, fifth);
    const __m128i both = _mm_or_si128(mean, _mm_slli_epi16(mean, 8));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(upper + 2 * k), both);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(lower + 2 * k), both);
  }
#endif
  for (; k < inner; ++k) {
    const uint8_t mean = static_cast<uint8_t>(
        (corner[2 * k] + upper[2 * k] + upper[2 * k + 1] + lower[2 * k] + lower[2 * k + 1]) / 5);
    upper[2 * k] = upper[2 * k + 1] = lower[2 * k] = lower[2 * k + 1] = mean;
  }
  BlurTile(field, base + 2 * inner, width);
}

}  // namespace

int BlurField(uint8_t* smokeField, int32_t width, int32_t height, int32_t x0, int32_t y0,
              int32_t x1, int32_t y1, int32_t step) {
  if (!IsFieldSize(width, height)) return 0;
  if (step <= 0 || static_cast<int64_t>(x1) - x0 > width || y0 < 0 || y1 > height) return 0;

  const int64_t tiles = x1 > x0 ? (static_cast<int64_t>(x1) - x0 + step - 1) / step : 0;
  const int64_t end = (static_cast<int64_t>(y1) - 1) * width;
  const int64_t advance = tiles * step + static_cast<int64_t>(step) * width;
  const bool wholeRows = step == 2 && tiles * step == width;

  for (int64_t base = static_cast<int64_t>(y0) * width; base + 2 * width + 2 < end;
       base += advance) {
    if (wholeRows) {
      BlurBand(smokeField, base, width);
    } else {
      for (int64_t k = 0; k < tiles; ++k) BlurTile(smokeField, base + k * step, width);
    }
  }
  return 1;
}
