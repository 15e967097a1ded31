// Colour ramp: entries that only the exact arithmetic gets right.
#include "present/palette.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

namespace {

struct Rgb {
  int r, g, b;
  bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};
std::ostream& operator<<(std::ostream& os, const Rgb& c) {
  return os << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}

uint32_t ColorRef(int r, int g, int b) { return r | (g << 8) | (b << 16); }

struct Palette {
  std::vector<uint8_t> info = std::vector<uint8_t>(1064, 0xCC);
  Palette(uint32_t color, int32_t brightness, int32_t w = 640, int32_t h = -480) {
    BuildFieldPalette(info.data(), w, h, 8, color, brightness);
  }
  Rgb operator[](int i) const {
    const uint8_t* e = info.data() + 40 + 4 * i;
    EXPECT_EQ(e[3], 0) << "reserved byte of entry " << i;
    return Rgb{e[2], e[1], e[0]};
  }
  bool operator==(const Palette& o) const { return info == o.info; }
};

}  // namespace

TEST(FieldPalette, WhiteIsAGreyRampWithTwentyFourEntriesOneBelow) {
  const std::vector<int> below = {33, 37,  41,  45,  49,  53,  57,  61,  66,  74,  82,  90,
                                  98, 106, 114, 122, 132, 148, 164, 180, 196, 212, 228, 244};
  Palette white(ColorRef(255, 255, 255), 5);
  for (int i = 0; i < 256; ++i) {
    const bool isBelow = std::find(below.begin(), below.end(), i) != below.end();
    const int v = isBelow ? i - 1 : i;
    EXPECT_EQ(white[i], (Rgb{v, v, v})) << "entry " << i;
  }
  EXPECT_TRUE(white == Palette(ColorRef(0, 0, 0), 5));
  EXPECT_TRUE(white == Palette(ColorRef(128, 128, 128), 5));
  EXPECT_TRUE(white == Palette(ColorRef(7, 7, 7), 5));
}

TEST(FieldPalette, PureRedRampsFromBlackThroughRedToWhite) {
  Palette red(ColorRef(255, 0, 0), 5);
  EXPECT_EQ(red[0], (Rgb{0, 0, 0}));
  EXPECT_EQ(red[1], (Rgb{2, 0, 0}));
  EXPECT_EQ(red[64], (Rgb{128, 0, 0}));
  EXPECT_EQ(red[127], (Rgb{254, 0, 0}));
  EXPECT_EQ(red[128], (Rgb{255, 0, 0}));
  EXPECT_EQ(red[129], (Rgb{255, 2, 2}));
  EXPECT_EQ(red[192], (Rgb{255, 129, 129}));
  EXPECT_EQ(red[254], (Rgb{255, 253, 253}));
  EXPECT_EQ(red[255], (Rgb{255, 255, 255}));
  // Colours that share red's hue and saturation share its palette.
  EXPECT_TRUE(red == Palette(ColorRef(128, 0, 0), 5));
  EXPECT_TRUE(red == Palette(ColorRef(255, 128, 128), 5));
}

TEST(FieldPalette, TheColourItselfSitsAtEntry128) {
  EXPECT_EQ(Palette(ColorRef(0, 255, 0), 5)[128], (Rgb{0, 255, 0}));
  // Green largest with blue second: the hue lies between green and cyan (about 150 degrees),
  // so half way up the ramp blue is about half and red nearly nothing.
  const Rgb springGreen = Palette(ColorRef(0, 255, 128), 5)[128];
  EXPECT_EQ(springGreen.g, 255);
  EXPECT_LE(springGreen.r, 2);
  EXPECT_NEAR(springGreen.b, 128, 3);
  EXPECT_EQ(Palette(ColorRef(0, 0, 255), 5)[128], (Rgb{0, 0, 255}));
  EXPECT_EQ(Palette(ColorRef(255, 255, 0), 5)[128], (Rgb{255, 255, 0}));
}

TEST(FieldPalette, BrightnessShiftsTheRampAndTheClampsAbsorbAnyValue) {
  Palette bright(ColorRef(255, 255, 255), 10);
  EXPECT_EQ(bright[0], (Rgb{25, 25, 25}));
  EXPECT_EQ(bright[229], (Rgb{254, 254, 254}));
  for (int i = 230; i < 256; ++i) EXPECT_EQ(bright[i], (Rgb{255, 255, 255})) << i;

  Palette dark(ColorRef(255, 255, 255), 0);
  for (int i = 0; i < 26; ++i) EXPECT_EQ(dark[i], (Rgb{0, 0, 0})) << i;
  EXPECT_EQ(dark[26], (Rgb{1, 1, 1}));
  EXPECT_EQ(dark[255], (Rgb{230, 230, 230}));

  // Hand-edited values: brightness x 5 must not wrap around.
  for (int32_t b : {60, INT_MAX, INT_MAX / 5 + 1}) {
    Palette p(ColorRef(10, 200, 90), b);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(p[i], (Rgb{255, 255, 255})) << b << " entry " << i;
  }
  for (int32_t b : {-60, INT_MIN, INT_MIN / 5 - 1}) {
    Palette p(ColorRef(10, 200, 90), b);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(p[i], (Rgb{0, 0, 0})) << b << " entry " << i;
  }
}

TEST(FieldPalette, HeaderDescribesATopDownPicture) {
  Palette p(ColorRef(1, 2, 3), 5, 800, -600);
  const uint8_t expected[40] = {40, 0, 0, 0, 0x20, 3, 0, 0, 0xA8, 0xFD, 0xFF, 0xFF, 1, 0, 8, 0};
  EXPECT_EQ(std::memcmp(p.info.data(), expected, 40), 0);
}

TEST(HueToComponent, WrapsOnlyOnce) {
  // m1 = 0.25, m2 = 0.75: the rising, flat, falling and low stretches of the hue circle.
  EXPECT_EQ(HueToComponent(0.25, 0.75, 30), (0.5 * 30) * kOneOver60 + 0.25);
  EXPECT_EQ(HueToComponent(0.25, 0.75, 390), HueToComponent(0.25, 0.75, 30));
  EXPECT_EQ(HueToComponent(0.25, 0.75, -330), HueToComponent(0.25, 0.75, 30));
  EXPECT_EQ(HueToComponent(0.25, 0.75, 120), 0.75);
  EXPECT_EQ(HueToComponent(0.25, 0.75, 210), (0.5 * 30) * kOneOver60 + 0.25);
  // One turn is taken off or added, never more: 750 stays past 240, -690 stays below 0.
  EXPECT_EQ(HueToComponent(0.25, 0.75, 750), 0.25);
  EXPECT_DOUBLE_EQ(HueToComponent(0.25, 0.75, -690), -2.5);
  EXPECT_EQ(HueToComponent(0.25, 0.75, 300), 0.25);
}
