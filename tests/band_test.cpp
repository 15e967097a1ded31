// The text band's size and place, and the black-wins squeeze.
#include "text/band.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(ComputeTextBand, SizeAndPlace) {
  struct Case {
    int32_t cx, cy, fieldWidth, fieldHeight;
    TextBand band;
  } cases[] = {
      {736, 250, 800, 600, {736, 250, 32, 175}},  // the band is 5/12 high, from row 175
      {736, 250, 640, 480, {588, 200, 26, 140}},  // 588.8 truncated, then a multiple of 4
      {503, 250, 800, 600, {500, 250, 150, 175}},  // 503 rounds down to 500
      {950, 250, 800, 600, {800, 250, 0, 175}},   // wider than the field: squeezed to W
      {2000000000, 1, 800, 600, {800, 250, 0, 175}},  // far too wide: no overflow
      {300, 0, 800, 600, {0, 250, 400, 175}},     // nothing measured, no band
  };
  for (const Case& c : cases) {
    const TextBand b = ComputeTextBand(c.cx, c.cy, c.fieldWidth, c.fieldHeight);
    EXPECT_EQ(b.width, c.band.width) << c.cx;
    EXPECT_EQ(b.height, c.band.height) << c.cx;
    EXPECT_EQ(b.left, c.band.left) << c.cx;
    EXPECT_EQ(b.top, c.band.top) << c.cx;
  }
}

namespace {

// Squeezes rows of '#' (ink) and '.' and gives the result the same way.
std::vector<std::string> Squeeze(const std::vector<std::string>& rows, int32_t w, int32_t h) {
  const int32_t cx = static_cast<int32_t>(rows[0].size()), cy = static_cast<int32_t>(rows.size());
  std::vector<uint8_t> grey;
  for (const std::string& r : rows)
    for (char c : r) grey.push_back(c == '#' ? 255 : 0);
  std::vector<uint8_t> out(3 * w * h, 7);
  SqueezeTextRaster(grey.data(), cx, cy, w, h, out.data());
  std::vector<std::string> result(h, std::string(w, '?'));
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) {
      const uint8_t* p = &out[3 * (y * w + x)];
      if (p[0] == p[1] && p[1] == p[2]) result[y][x] = p[0] == 255 ? '#' : p[0] == 0 ? '.' : '?';
    }
  }
  return result;
}

}  // namespace

TEST(SqueezeTextRaster, BlackWinsWhereNearestPixelsMerge) {
  // Halved: a one-pixel gap survives, ink survives only where both merged pixels are ink.
  EXPECT_EQ(Squeeze({"##.###..",
                     "########"}, 4, 1),
            (std::vector<std::string>{"#.#."}));
  // Three rows into two: the middle row merges with the one below it.
  EXPECT_EQ(Squeeze({"####", "#..#", "####"}, 4, 2), (std::vector<std::string>{"####", "#..#"}));
  // Enlarged: each pixel repeated, nearest first.
  EXPECT_EQ(Squeeze({"#.", ".#"}, 4, 3),
            (std::vector<std::string>{"##..", "##..", "..##"}));
  // Unevenly: 5 columns into 3 cover 0, 1-2, 3-4.
  EXPECT_EQ(Squeeze({"#.###"}, 3, 1), (std::vector<std::string>{"#.#"}));
}
