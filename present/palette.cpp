// palette.cpp: HSL conversions and the field palette.
#include "present/palette.h"

#include <cmath>
#include <cstring>

void RgbToHsl(double r, double g, double b, double* hue, double* lightness, double* saturation) {
  double max = r;
  if (max < g) max = g;
  if (max < b) max = b;
  double min = r;
  if (min > g) min = g;
  if (min > b) min = b;

  const double delta = max - min;
  const double sum = min + max;
  *lightness = sum * 0.5;
  if (std::fabs(delta) < 0.00001) {  // grey
    *hue = 0;
    *saturation = 0;
    return;
  }
  *saturation = *lightness <= 0.5 ? delta / sum : delta / ((2 - max) - min);

  const double inv = 1 / delta;
  const double dr = (max - r) * inv, dg = (max - g) * inv, db = (max - b) * inv;
  double h;
  if (r == max) {
    h = db - dg;
  } else if (g == max) {
    h = (dr + 2) - db;
  } else {
    h = (dg + 4) - dr;
  }
  h = h * 60;
  if (h < 0) h = h + 360;
  *hue = h;
}

double HueToComponent(double m1, double m2, double hue) {
  if (hue > 360) {
    hue = hue - 360;
  } else if (hue < 0) {
    hue = hue + 360;
  }
  if (hue < 60) return ((m2 - m1) * hue) * kOneOver60 + m1;
  if (hue < 180) return m2;
  if (hue < 240) return ((m2 - m1) * (240 - hue)) * kOneOver60 + m1;
  return m1;
}

void HslToRgb(double hue, double lightness, double saturation, double* r, double* g, double* b) {
  const double m2 = lightness <= 0.5 ? (saturation + 1) * lightness
                                     : (saturation + lightness) - (lightness * saturation);
  const double m1 = (lightness + lightness) - m2;
  if (saturation == 0) {
    *r = *g = *b = lightness;
    return;
  }
  *r = HueToComponent(m1, m2, hue + 120);
  *g = HueToComponent(m1, m2, hue);
  *b = HueToComponent(m1, m2, hue - 120);
}

namespace {

double Clamp255(double v) {
  if (v > 255) v = 255;
  if (v < 0) v = 0;
  return v;
}

void PutLittleEndian(uint8_t* p, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) p[i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

void HslToRgb255(double hue, double lightness, double saturation, double* r, double* g, double* b) {
  HslToRgb(hue, lightness, saturation, r, g, b);
  *r = Clamp255(*r * 255);
  *g = Clamp255(*g * 255);
  *b = Clamp255(*b * 255);
}

void BuildColorRamp(uint32_t color, int32_t brightness, ColorRamp* ramp) {
  double hue, lightness, saturation;
  RgbToHsl((color & 0xFF) * kOneOver255, ((color >> 8) & 0xFF) * kOneOver255,
           ((color >> 16) & 0xFF) * kOneOver255, &hue, &lightness, &saturation);
  // In 64 bits so that a hand-edited brightness cannot overflow; the clamps absorb it.
  const double offset = static_cast<double>(static_cast<int64_t>(brightness) * 5 - 25);
  for (int32_t i = 0; i < 256; ++i) {
    double r, g, b;
    HslToRgb255(hue, i * kOneOver255, saturation, &r, &g, &b);
    ramp->red[i] = static_cast<uint8_t>(Clamp255(r + offset));
    ramp->green[i] = static_cast<uint8_t>(Clamp255(g + offset));
    ramp->blue[i] = static_cast<uint8_t>(Clamp255(b + offset));
  }
}

void BuildFieldPalette(uint8_t* fieldBitmapInfo, int32_t width, int32_t height, int32_t bitCount,
                       uint32_t color, int32_t brightness) {
  uint8_t* header = fieldBitmapInfo;
  std::memset(header, 0, 40);
  PutLittleEndian(header + 0, 40, 4);                                // biSize
  PutLittleEndian(header + 4, static_cast<uint32_t>(width), 4);      // biWidth
  PutLittleEndian(header + 8, static_cast<uint32_t>(height), 4);     // biHeight
  PutLittleEndian(header + 12, 1, 2);                                // biPlanes
  PutLittleEndian(header + 14, static_cast<uint32_t>(bitCount), 2);  // biBitCount

  ColorRamp ramp;
  BuildColorRamp(color, brightness, &ramp);
  uint8_t* entry = fieldBitmapInfo + 40;
  for (int32_t i = 0; i < 256; ++i, entry += 4) {
    entry[0] = ramp.blue[i];
    entry[1] = ramp.green[i];
    entry[2] = ramp.red[i];
    entry[3] = 0;
  }
}
