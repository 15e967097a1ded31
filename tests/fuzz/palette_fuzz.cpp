// The palette on any colour, brightness and size, and the colour conversions it uses.
#include <cmath>
#include <cstring>

#include "present/palette.h"
#include "tests/fuzz/fuzz.h"

namespace {

int32_t Int32At(const uint8_t* p) {
  int32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in{data, size};
  const uint32_t color = in.Word();
  const int32_t brightness = in.Int(), width = in.Int(), height = in.Int();
  uint8_t info[40 + 256 * 4];
  BuildFieldPalette(info, width, height, 8, color, brightness);
  FUZZ_CHECK(Int32At(info) == 40 && Int32At(info + 4) == width && Int32At(info + 8) == height);
  FUZZ_CHECK(info[12] == 1 && info[13] == 0 && info[14] == 8 && info[15] == 0);
  // From dark to light no channel gets darker, but for the one step that truncation loses
  // where the exact value is whole (255 for spring green's green at 133 and after); black
  // to white at the middle setting.
  for (int i = 0; i < 256; ++i) {
    const uint8_t* entry = info + 40 + 4 * i;
    FUZZ_CHECK(entry[3] == 0);
    if (i > 0) {
      for (int c = 0; c < 3; ++c) FUZZ_CHECK(entry[c] + 1 >= entry[c - 4]);
    }
  }
  if (brightness == 5) {  // white may come out a step short where 1 + s - s is not 1
    FUZZ_CHECK((info[40] | info[41] | info[42]) == 0);
    for (int c = 0; c < 3; ++c) FUZZ_CHECK(info[40 + 1020 + c] >= 254);
  }

  // A colour to hue, lightness and saturation and back is the same colour.
  const double r = (color & 0xFF) * kOneOver255, g = ((color >> 8) & 0xFF) * kOneOver255,
               b = ((color >> 16) & 0xFF) * kOneOver255;
  double hue, lightness, saturation, r2, g2, b2;
  RgbToHsl(r, g, b, &hue, &lightness, &saturation);
  FUZZ_CHECK(hue >= 0 && hue < 360 && lightness >= 0 && lightness <= 1);
  FUZZ_CHECK(saturation >= 0 && saturation <= 1);
  HslToRgb(hue, lightness, saturation, &r2, &g2, &b2);
  FUZZ_CHECK(std::fabs(r2 - r) < 1e-9 && std::fabs(g2 - g) < 1e-9 && std::fabs(b2 - b) < 1e-9);
  return 0;
}
