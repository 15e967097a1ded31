// Block smoothing and tile blur: worked values, the rows they must not touch, and the
// fast versions against the plain ones on random fields and arguments.
#include "smoke/filters.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/smoke_reference.h"

namespace {

struct Field {
  int32_t width, height;
  std::vector<uint8_t> pixels;
  std::vector<uint16_t> averages;
  Field(int32_t w, int32_t h, uint8_t v = 0)
      : width(w), height(h), pixels(static_cast<size_t>(w) * h, v), averages((w / 4) * (h / 4)) {}
  uint8_t& at(int32_t x, int32_t y) { return pixels[static_cast<size_t>(y) * width + x]; }
  int SmoothBand() {
    return SmoothBlocks(pixels.data(), averages.data(), width, height, 0, height / 2 - height / 4,
                        width, height / 2 + height / 4);
  }
  int Blur() { return BlurField(pixels.data(), width, height, 0, 0, width, height, 2); }
};

const std::pair<int32_t, int32_t> kSizes[] = {{800, 600}, {640, 480}};

}  // namespace

TEST(SmoothBlocks, LoneBrightBlockAndItsNeighbours) {
  Field f(800, 600);
  // Block (10, 10) of the band: columns 40..43, rows 190..193.
  for (int32_t y = 190; y < 194; ++y)
    for (int32_t x = 40; x < 44; ++x) f.at(x, y) = 255;
  ASSERT_EQ(f.SmoothBand(), 1);
  EXPECT_EQ(f.at(40, 190), 153);
  EXPECT_EQ(f.at(43, 193), 153);
  EXPECT_EQ(f.at(41, 186), 25);  // above
  EXPECT_EQ(f.at(41, 197), 25);  // below
  EXPECT_EQ(f.at(36, 191), 25);  // left
  EXPECT_EQ(f.at(47, 191), 25);  // right
  EXPECT_EQ(f.at(36, 186), 0);   // diagonal neighbours are not part of the neighbourhood
}

TEST(SmoothBlocks, CornerAndEdgeBlocksDivideByFewerNeighbours) {
  Field f(640, 480);
  // Top-left block of the band (rows 120..123): its neighbourhood is itself, right, below.
  for (int32_t y = 120; y < 124; ++y)
    for (int32_t x = 0; x < 4; ++x) f.at(x, y) = 240;
  ASSERT_EQ(f.SmoothBand(), 1);
  EXPECT_EQ(f.at(0, 120), (240 + 240 / 3) / 2);
  EXPECT_EQ(f.at(4, 120), (0 + 240 / 4) / 2);  // edge block: itself, left, right, below
}

TEST(SmoothBlocks, UniformBandStaysAndRowsOutsideItAreUntouched) {
  for (auto [w, h] : kSizes) {
    Field f(w, h, 77);
    FillRandom(f.pixels.data(), static_cast<size_t>(w) * (h / 4), 3);  // rows above the band
    const std::vector<uint8_t> before = f.pixels;
    ASSERT_EQ(f.SmoothBand(), 1);
    EXPECT_EQ(f.pixels, before) << w;

    FillRandom(f.pixels.data(), f.pixels.size(), 4);
    const std::vector<uint8_t> random = f.pixels;
    ASSERT_EQ(f.SmoothBand(), 1);
    const size_t bandBegin = static_cast<size_t>(h / 4) * w,
                 bandEnd = static_cast<size_t>(3 * h / 4) * w;
    for (size_t i = 0; i < f.pixels.size(); ++i) {
      if (i < bandBegin || i >= bandEnd) {
        ASSERT_EQ(f.pixels[i], random[i]) << w << " offset " << i;
      }
    }
  }
}

TEST(SmoothBlocks, MatchesThePlainFilterOnRandomFieldsAndRectangles) {
  RandomGenerator pick{};
  SeedRandom(&pick, 99);
  for (int trial = 0; trial < 60; ++trial) {
    const auto [w, h] = kSizes[trial % 2];
    Field fast(w, h), plain(w, h);
    FillRandom(fast.pixels.data(), fast.pixels.size(), 1000 + trial);
    plain.pixels = fast.pixels;
    int32_t x0 = 0, y0 = h / 4, x1 = w, y1 = 3 * h / 4;
    if (trial >= 2) {  // odd block counts, offsets not a multiple of 4, thin and empty ones
      x0 = NextRandom(&pick) % w, x1 = x0 + NextRandom(&pick) % (w - x0 + 1);
      y0 = NextRandom(&pick) % h, y1 = y0 + NextRandom(&pick) % (h - y0 + 1);
    }
    ASSERT_EQ(SmoothBlocks(fast.pixels.data(), fast.averages.data(), w, h, x0, y0, x1, y1), 1);
    reference::SmoothBlocks(plain.pixels.data(), w, x0, y0, x1, y1);
    ASSERT_EQ(fast.pixels, plain.pixels) << w << ": " << x0 << "," << y0 << " " << x1 << "," << y1;
  }
}

TEST(SmoothBlocks, RefusesRectanglesOutsideTheField) {
  Field f(640, 480, 9);
  const int32_t bad[][4] = {{-4, 0, 640, 480}, {0, 0, 644, 480}, {0, -1, 640, 480},
                            {0, 0, 640, 484},  {8, 0, 4, 480},   {0, 8, 640, 4}};
  for (const auto& r : bad) {
    EXPECT_EQ(SmoothBlocks(f.pixels.data(), f.averages.data(), 640, 480, r[0], r[1], r[2], r[3]),
              0);
  }
  EXPECT_EQ(SmoothBlocks(f.pixels.data(), f.averages.data(), 640, 600, 0, 0, 640, 480), 0);
  // Ending on the last row and column is inside.
  EXPECT_EQ(SmoothBlocks(f.pixels.data(), f.averages.data(), 640, 480, 600, 440, 640, 480), 1);
}

TEST(BlurField, LoneCornerPixelSpreadsIntoItsTile) {
  Field f(800, 600);
  f.at(4, 9) = 255;
  ASSERT_EQ(f.Blur(), 1);
  EXPECT_EQ(f.at(4, 9), 255);
  for (auto [x, y] : {std::pair{5, 10}, {6, 10}, {5, 11}, {6, 11}}) EXPECT_EQ(f.at(x, y), 51);
  EXPECT_EQ(f.at(3, 10), 0);
  EXPECT_EQ(f.at(7, 10), 0);
}

TEST(BlurField, LastTileOfABandRunsIntoTheNextRow) {
  for (auto [w, h] : kSizes) {
    Field f(w, h);
    f.at(w - 1, 10) = 255;  // row 3t + 1 with t = 3
    ASSERT_EQ(f.Blur(), 1);
    EXPECT_EQ(f.at(w - 1, 10), 51) << w;
    EXPECT_EQ(f.at(w - 1, 11), 51) << w;
    EXPECT_EQ(f.at(0, 11), 51) << w;
    EXPECT_EQ(f.at(0, 12), 51) << w;
    for (auto [x, y] : {std::pair{1, 13}, {2, 13}, {1, 14}, {2, 14}})
      EXPECT_EQ(f.at(x, y), 10) << w;
    EXPECT_EQ(f.at(3, 13), 0) << w;
  }
}

TEST(BlurField, UniformFieldsStayAndTheBottomRowsAreLeftAlone) {
  for (auto [w, h] : kSizes) {
    for (uint8_t v : {0, 1, 200, 255}) {
      Field f(w, h, v);
      ASSERT_EQ(f.Blur(), 1);
      ASSERT_EQ(f.pixels, std::vector<uint8_t>(f.pixels.size(), v)) << w << " value " << int(v);
    }
    Field f(w, h);
    FillRandom(f.pixels.data(), f.pixels.size(), 5);
    const std::vector<uint8_t> before = f.pixels;
    ASSERT_EQ(f.Blur(), 1);
    for (int32_t y = h - 3; y < h; ++y) {
      for (int32_t x = (y == h - 3 ? 1 : 0); x < w; ++x) ASSERT_EQ(f.at(x, y), before[y * w + x]);
    }
    EXPECT_NE(f.at(0, h - 3), before[(h - 3) * w]);  // written by the last band's last tile
  }
}

TEST(BlurField, MatchesThePlainWalkOnRandomFieldsAndArguments) {
  RandomGenerator pick{};
  SeedRandom(&pick, 7);
  for (int trial = 0; trial < 80; ++trial) {
    const auto [w, h] = kSizes[trial % 2];
    Field fast(w, h), plain(w, h);
    FillRandom(fast.pixels.data(), fast.pixels.size(), 2000 + trial);
    plain.pixels = fast.pixels;
    int32_t x0 = 0, y0 = 0, x1 = w, y1 = h, step = 2;
    if (trial >= 2) {
      x0 = NextRandom(&pick) % w - w / 4;
      x1 = x0 + NextRandom(&pick) % (w + 1);
      y0 = NextRandom(&pick) % h;
      y1 = NextRandom(&pick) % (h + 1);
      step = 1 + NextRandom(&pick) % 9;
    }
    ASSERT_EQ(BlurField(fast.pixels.data(), w, h, x0, y0, x1, y1, step), 1);
    reference::BlurField(plain.pixels.data(), w, x0, y0, x1, y1, step);
    ASSERT_EQ(fast.pixels, plain.pixels)
        << w << ": " << x0 << "," << y0 << " " << x1 << "," << y1 << " step " << step;
  }
}

TEST(BlurField, RefusesArgumentsThatWouldLeaveTheField) {
  Field f(640, 480, 9);
  EXPECT_EQ(BlurField(f.pixels.data(), 640, 480, 0, 0, 640, 480, 0), 0);
  EXPECT_EQ(BlurField(f.pixels.data(), 640, 480, 0, 0, 641, 480, 2), 0);
  EXPECT_EQ(BlurField(f.pixels.data(), 640, 480, 0, -1, 640, 480, 2), 0);
  EXPECT_EQ(BlurField(f.pixels.data(), 640, 480, 0, 0, 640, 481, 2), 0);
  EXPECT_EQ(BlurField(f.pixels.data(), 800, 480, 0, 0, 640, 480, 2), 0);
  EXPECT_EQ(f.pixels, std::vector<uint8_t>(f.pixels.size(), 9));
}
