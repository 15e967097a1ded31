// The field fitted to windows of several shapes, drawn through a pixel palette.
#include "present/scale.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

TEST(FitFieldToWindow, CropsLandscapeLetterboxesPortraitAndAlwaysShowsTheBand) {
  struct Case {
    int32_t fw, fh, band, ww, wh;
    int32_t shownWidth, shownHeight, left, top;
  } cases[] = {
      {640, 480, 200, 1024, 768, 1024, 768, 0, 0},        // 4:3: exactly the field
      {800, 600, 250, 1920, 1080, 1920, 1440, 0, -180},   // 16:9: smoke cropped above and below
      {800, 600, 250, 1080, 1920, 1080, 810, 0, 555},     // 9:16: bars above and below
      {800, 600, 250, 3840, 800, 2560, 1920, 640, -560},  // wider than the band: bars at the sides
  };
  for (const Case& c : cases) {
    const FieldView v = FitFieldToWindow(c.fw, c.fh, c.band, c.ww, c.wh);
    EXPECT_EQ(v.shownWidth, c.shownWidth) << c.ww << "x" << c.wh;
    EXPECT_EQ(v.shownHeight, c.shownHeight) << c.ww << "x" << c.wh;
    EXPECT_EQ(v.left, c.left) << c.ww << "x" << c.wh;
    EXPECT_EQ(v.top, c.top) << c.ww << "x" << c.wh;
    // Every row of the text band is on screen.
    const int32_t bandTop = (c.fh - c.band) / 2;
    for (int32_t r = bandTop; r < bandTop + c.band; ++r) {
      EXPECT_NE(std::find(v.rows.begin(), v.rows.end(), r), v.rows.end()) << c.ww << " row " << r;
    }
  }
  // Which field pixel the window's corners show at 16:9, and no bars there.
  const FieldView wide = FitFieldToWindow(800, 600, 250, 1920, 1080);
  EXPECT_EQ(wide.columns.front(), 0);
  EXPECT_EQ(wide.columns.back(), 799);
  EXPECT_EQ(wide.rows.front(), 75);
  EXPECT_EQ(wide.rows.back(), 524);
  EXPECT_EQ(std::count(wide.rows.begin(), wide.rows.end(), -1), 0);
  const FieldView tall = FitFieldToWindow(800, 600, 250, 1080, 1920);
  EXPECT_EQ(std::count(tall.rows.begin(), tall.rows.end(), -1), 1920 - 810);
  EXPECT_EQ(tall.rows[555], 0);
  EXPECT_EQ(tall.rows[554], -1);
  EXPECT_EQ(tall.rows[555 + 809], 599);
}

TEST(PresentField, DrawsThroughThePaletteWithBlackBars) {
  std::vector<uint32_t> palette(256);
  for (int i = 0; i < 256; ++i) palette[i] = 100 + i;
  const uint8_t field[] = {0, 1, 2, 3, 4, 5, 6, 7};  // 4 x 2

  // Band-limited: one black column either side; rows follow the field.
  const FieldView pillar = FitFieldToWindow(4, 2, 2, 6, 2);
  std::vector<uint32_t> image(6 * 2 + 3, 9);  // stride 7 leaves one pixel per row alone
  PresentField(field, 4, palette.data(), pillar, image.data(), 7);
  EXPECT_EQ(image, (std::vector<uint32_t>{0, 100, 101, 102, 103, 0, 9,
                                          0, 104, 105, 106, 107, 0, 9, 9}));

  // Doubled: each field pixel becomes 2 x 2.
  const uint8_t small[] = {1, 2, 3, 4};
  const FieldView doubled = FitFieldToWindow(2, 2, 2, 4, 4);
  std::vector<uint32_t> big(16);
  PresentField(small, 2, palette.data(), doubled, big.data(), 4);
  EXPECT_EQ(big, (std::vector<uint32_t>{101, 101, 102, 102, 101, 101, 102, 102,
                                        103, 103, 104, 104, 103, 103, 104, 104}));
}

TEST(BuildPixelPalette, PlacesEachChannelAtItsMask) {
  uint8_t quads[1024] = {};
  quads[4] = 0x12, quads[5] = 0x34, quads[6] = 0x56;  // entry 1: blue, green, red
  uint32_t pixels[256];
  BuildPixelPalette(quads, 0xFF0000, 0xFF00, 0xFF, pixels);
  EXPECT_EQ(pixels[1], 0x563412u);
  BuildPixelPalette(quads, 0xFF, 0xFF00, 0xFF0000, pixels);
  EXPECT_EQ(pixels[1], 0x123456u);
  BuildPixelPalette(quads, 0xF800, 0x7E0, 0x1F, pixels);
  EXPECT_EQ(pixels[1], (10u << 11) | (13u << 5) | 2u);
  EXPECT_EQ(pixels[0], 0u);
}
