// palette.h: the colour ramp that puts smoke intensities on screen.
//
// Entry i of the 256-entry palette has the hue and saturation of the user's colour at
// lightness i / 255, from black through the colour to white, shifted by the brightness.
// All arithmetic is double, in a fixed order, with 1/255 and 1/60 as multiplied constants.
#pragma once
#include <cstdint>

constexpr double kOneOver255 = 0.00392156862745098;
constexpr double kOneOver60 = 0.016666666666666666;

// r, g, b in 0..1 to hue (degrees, 0 to below 360), lightness and saturation (0..1).
void RgbToHsl(double r, double g, double b, double* hue, double* lightness, double* saturation);
double HueToComponent(double m1, double m2, double hue);
// Hue, lightness, saturation to r, g, b in 0..1.
void HslToRgb(double hue, double lightness, double saturation, double* r, double* g, double* b);
// The same, scaled to 0..255 and clamped.
void HslToRgb255(double hue, double lightness, double saturation, double* r, double* g, double* b);

// The colour ramp: entry i is the colour intensity i is shown in.
struct ColorRamp {
  uint8_t red[256];
  uint8_t green[256];
  uint8_t blue[256];
};

// Ramps `color` (a COLORREF: red in the low byte) from black through the colour to white,
// shifted by brightness x 5 - 25. Any brightness is accepted: the offset is computed
// without overflow and the clamps absorb it.
void BuildColorRamp(uint32_t color, int32_t brightness, ColorRamp* ramp);

// Writes the 1,064 bytes of FieldBitmapInfo, as the Windows saver hands them to GDI: a
// BITMAPINFOHEADER for width x height at bitCount bits, then the ramp as 256 RGBQUADs
// (blue, green, red, 0).
void BuildFieldPalette(uint8_t* fieldBitmapInfo, int32_t width, int32_t height, int32_t bitCount,
                       uint32_t color, int32_t brightness);
