// The field fitted to windows of several shapes, drawn through a pixel palette.
#include "present/scale.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
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

  // Band-limited: one black column either side, opaque where the pixels have alpha; rows
  // follow the field.
  const FieldView pillar = FitFieldToWindow(4, 2, 2, 6, 2);
  const PixelFormat argb = {0xFF0000, 0xFF00, 0xFF, 0xFF000000, false};
  const uint32_t k = 0xFF000000;
  std::vector<uint32_t> image(6 * 2 + 3, 9);  // stride 7 leaves one pixel per row alone
  PresentField(field, 4, palette.data(), argb, pillar, image.data(), 7 * 4);
  EXPECT_EQ(image,
            (std::vector<uint32_t>{k, 100, 101, 102, 103, k, 9, k, 104, 105, 106, 107, k, 9, 9}));

  // Doubled, in 16-bit pixels: each field pixel becomes 2 x 2.
  const uint8_t small[] = {1, 2, 3, 4};
  const FieldView doubled = FitFieldToWindow(2, 2, 2, 4, 4);
  PixelFormat rgb565 = {0xF800, 0x7E0, 0x1F, 0, false};
  rgb565.bytesPerPixel = 2;
  std::vector<uint16_t> big(16);
  PresentField(small, 2, palette.data(), rgb565, doubled, big.data(), 4 * 2);
  EXPECT_EQ(big, (std::vector<uint16_t>{101, 101, 102, 102, 101, 101, 102, 102, 103, 103, 104, 104,
                                        103, 103, 104, 104}));
}

TEST(BuildPixelPalette, PlacesEachChannelAtItsMask) {
  ColorRamp ramp{};
  ramp.red[1] = 0x56, ramp.green[1] = 0x34, ramp.blue[1] = 0x12;
  const struct {
    PixelFormat format;
    uint32_t pixel;
  } cases[] = {
      {{0xFF0000, 0xFF00, 0xFF, 0, false}, 0x563412u},                   // x8r8g8b8
      {{0xFF, 0xFF00, 0xFF0000, 0, false}, 0x123456u},                   // x8b8g8r8
      {{0xF800, 0x7E0, 0x1F, 0, false}, (10u << 11) | (13u << 5) | 2u},  // 5-6-5
      // 10 bits a channel: the 8 repeated below, as the server widens them
      {{0x3FF00000, 0xFFC00, 0x3FF, 0, false}, 0x159u << 20 | 0xD0u << 10 | 0x48u},
      {{0xFF0000, 0xFF00, 0xFF, 0xFF000000, false}, 0xFF563412u},  // opaque alpha
      {{0xFF0000, 0xFF00, 0xFF, 0, true}, 0x12345600u},            // other byte order
      {{0xF800, 0x7E0, 0x1F, 0, true, 2}, 0xA251u},                // 5-6-5, swapped
  };
  for (const auto& c : cases) {
    uint32_t pixels[256];
    BuildPixelPalette(ramp, c.format, pixels);
    EXPECT_EQ(pixels[1], c.pixel) << std::hex << c.format.redMask;
    EXPECT_EQ(pixels[0], c.format.opaqueMask) << std::hex << c.format.redMask;
  }
}

// What a server sampling nearest at pixel centres shows (pixman: the centre transformed in
// 16.16, 1/65536 taken off, rounded down; the edge pixel beyond the field).
int32_t ServerPixel(int32_t scale, int32_t offset, int32_t n, int64_t at) {
  const int64_t centre = scale * at + ((static_cast<int64_t>(scale) * 0x8000 + 0x8000) >> 16);
  const int64_t v = (centre + offset - 1) >> 16;
  return static_cast<int32_t>(std::min<int64_t>(std::max<int64_t>(v, 0), n - 1));
}

TEST(FitFieldTransform, ShowsTheMappingsColumnsAndRowsOrTheirNeighbours) {
  // Every common screen exactly; other sizes at most one column or row in 256 one pixel off.
  struct Case {
    int32_t fw, fh, ww, wh;
    bool exact;
  } cases[] = {
      {640, 480, 1920, 1080, true},  {800, 600, 1920, 1080, true}, {640, 480, 3840, 2160, true},
      {800, 600, 3840, 2160, true},  {640, 480, 1280, 720, true},  {800, 600, 2560, 1440, true},
      {640, 480, 1366, 768, true},   {800, 600, 1024, 768, true},  {640, 480, 300, 400, true},
      {800, 600, 5120, 1440, false}, {800, 600, 1366, 768, false},
  };
  std::vector<Case> all(std::begin(cases), std::end(cases));
  for (int32_t w = 101; w < 2000; w += 37)
    all.push_back({w % 2 ? 640 : 800, 0, w, w * 9 / 16, false});
  for (Case c : all) {
    if (c.fh == 0) c.fh = c.fw * 3 / 4;
    const FieldView v = FitFieldToWindow(c.fw, c.fh, c.fh * 5 / 12, c.ww, c.wh);
    const FieldTransform t = FitFieldTransform(c.fw, c.fh, v);
    EXPECT_TRUE(t.exact || !c.exact) << c.ww << "x" << c.wh;
    // Window pixels one axis shows from `first` for `length`, against the mapping's.
    int32_t off = 0;
    auto axis = [&](const std::vector<int32_t>& mapping, int32_t first, int32_t length,
                    int32_t scale, int32_t offset, int32_t source, int32_t n) {
      for (int32_t i = 0; i < static_cast<int32_t>(mapping.size()); ++i) {
        const bool shown = i >= first && i < first + length;
        ASSERT_EQ(shown, mapping[i] >= 0) << c.ww << "x" << c.wh << " at " << i;
        if (!shown) continue;
        const int32_t pixel = ServerPixel(scale, offset, n, source + i - first);
        ASSERT_LE(std::abs(pixel - mapping[i]), 1) << c.ww << "x" << c.wh << " at " << i;
        off += pixel != mapping[i];
      }
    };
    axis(v.columns, t.left, t.width, t.scaleX, t.offsetX, t.sourceX, c.fw);
    axis(v.rows, t.top, t.height, t.scaleY, t.offsetY, t.sourceY, c.fh);
    EXPECT_TRUE(off == 0 || !t.exact) << c.ww << "x" << c.wh;
    EXPECT_LE(off, (c.ww + c.wh) / 256 + 1) << c.ww << "x" << c.wh;  // 16 at 5120 x 1440
  }
}

// A compositor samples the crop at each window pixel's centre, nearest neighbour: every
// window column and row lands in the field where the mapping says or on a neighbour (the
// mapping takes each pixel's left edge, the compositor its centre), or in a bar where the
// mapping has one. The buffer holds only what the window shows: the crop starts within its
// first pixel and ends within its last, so a compositor that drops the crop's offset
// misplaces the picture by under a pixel of the field.
TEST(FitFieldCrop, SampledAtPixelCentresItShowsTheMapping) {
  const int32_t sizes[][2] = {{1280, 720},  {1920, 1080}, {1080, 1920}, {3840, 1600},
                              {5120, 1440}, {800, 600},   {640, 480},   {64, 48},
                              {333, 700},   {2560, 1600}, {1366, 768},  {7680, 1080},
                              {2560, 1080}};
  for (const auto [fw, fh, band] : {std::array{640, 480, 200}, std::array{800, 600, 250}}) {
    for (const auto& size : sizes) {
      const FieldView view = FitFieldToWindow(fw, fh, band, size[0], size[1]);
      const FieldCrop crop = FitFieldCrop(fw, fh, view);
      struct Axis {
        int32_t window, buffer, at, first, count, source, length, field, shown;
        const std::vector<int32_t>& map;
      };
      for (const Axis& a :
           {Axis{size[0], crop.bufferWidth, crop.fieldX, crop.held.x, crop.held.width,
                 crop.sourceX, crop.sourceWidth, fw, view.shownWidth, view.columns},
            Axis{size[1], crop.bufferHeight, crop.fieldY, crop.held.y, crop.held.height,
                 crop.sourceY, crop.sourceHeight, fh, view.shownHeight, view.rows}}) {
        // One window pixel's worth of field pixels, at least one.
        const int32_t slack = std::max(1, (a.field + a.shown - 1) / std::max(a.shown, 1));
        SCOPED_TRACE(testing::Message() << fw << "x" << fh << " in " << size[0] << "x" << size[1]
                                        << ", axis of " << a.window);
        ASSERT_GE(a.source, 0);
        ASSERT_LT(a.source, 256);
        ASSERT_GT(a.source + a.length, (a.buffer - 1) * 256);
        ASSERT_LE(a.source + a.length, a.buffer * 256);
        ASSERT_GE(a.at, 0);
        ASSERT_LE(a.at + a.count, a.buffer);
        ASSERT_GE(a.first, 0);
        ASSERT_LE(a.first + a.count, a.field);
        for (int32_t i = 0; i < a.window; ++i) {
          const double at = a.source / 256.0 + (i + 0.5) * (a.length / 256.0) / a.window;
          const int32_t held = static_cast<int32_t>(at) - a.at;
          const int32_t shown = held >= 0 && held < a.count ? a.first + held : -1;
          if (shown == a.map[i]) continue;
          const bool edge = (shown < 0 && (a.map[i] == 0 || a.map[i] == a.field - 1)) ||
                            (a.map[i] < 0 && (shown == 0 || shown == a.field - 1));
          ASSERT_TRUE(edge || (shown >= 0 && a.map[i] >= 0 && std::abs(shown - a.map[i]) <= slack))
              << "window pixel " << i << " shows " << shown << ", the mapping " << a.map[i];
        }
      }
    }
  }
}

// Slivers of windows (a pixel high or wide, or far thinner than the field): a crop within
// a buffer no more than three times the field each way, never a buffer of bars.
TEST(FitFieldCrop, SliversOfWindowsKeepTheBufferSmall) {
  const int32_t sizes[][2] = {{1, 1}, {1920, 1}, {1, 1400}, {3840, 4}, {40000, 1}, {3, 30000}};
  for (const auto& size : sizes) {
    const FieldCrop crop =
        FitFieldCrop(800, 600, FitFieldToWindow(800, 600, 250, size[0], size[1]));
    SCOPED_TRACE(testing::Message() << size[0] << "x" << size[1]);
    EXPECT_LE(crop.bufferWidth, 3 * 800);
    EXPECT_LE(crop.bufferHeight, 3 * 600);
    EXPECT_GT(crop.sourceWidth, 0);
    EXPECT_GT(crop.sourceHeight, 0);
    EXPECT_GE(crop.sourceX, 0);
    EXPECT_GE(crop.sourceY, 0);
    EXPECT_LE(crop.sourceX + crop.sourceWidth, crop.bufferWidth * 256);
    EXPECT_LE(crop.sourceY + crop.sourceHeight, crop.bufferHeight * 256);
  }
}
