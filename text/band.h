// band.h: where the rendered text goes in the field, and how it is squeezed to get there.
//
// The text is rendered at its own size (cx x cy, 50 black columns either side), then
// stretched to a band 5/12 of the field high, with the text's proportions, a multiple of 4
// wide and at most the field's width, centred in the field. Every rasteriser shares this.
#pragma once
#include <cstdint>

struct TextBand {
  int32_t width;   // w: a multiple of 4 (or exactly the field width), 0 for no text
  int32_t height;  // h: 5/12 of the field height
  int32_t left;    // field column of the band's first column
  int32_t top;     // field row of the band's first row
};

// The band's place in the field for a band of width x height.
TextBand PlaceTextBand(int32_t width, int32_t height, int32_t fieldWidth, int32_t fieldHeight);

// The band for a text raster of cx x cy pixels (cy 0 or less gives no band).
TextBand ComputeTextBand(int32_t cx, int32_t cy, int32_t fieldWidth, int32_t fieldHeight);

// Stretches a grey cx x cy raster (one byte a pixel, rows of cx bytes, non-zero is ink)
// to w x h by nearest pixel; where several source pixels merge into one, the darkest wins,
// so thin gaps between letters stay open. Writes the 24-bit raster the outline is found in
// (3 x w x h bytes, each pixel's three bytes the same grey).
void SqueezeTextRaster(const uint8_t* grey, int32_t cx, int32_t cy, int32_t w, int32_t h,
                       uint8_t* raster24);
