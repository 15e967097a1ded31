// raster_pango.h: the text laid out by Pango (shaping, direction, a fallback face for each
// run the first lacks) and drawn by cairo into the band raster the outline is found in (the
// Linux program and the simulator); the face chosen with fontconfig.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "text/outline.h"

struct TextReport {
  std::string face;     // which faces were used and why, for --verbose
  std::string missing;  // characters no installed face has, and what to install, or empty
};

// Renders `text` (UTF-8; a byte that is not is taken as Latin-1) as one line in its natural
// direction, white on black at an em height of 140 pixels, as the Windows saver asks at
// 96 dpi, in the family `font`, or a heavy sans-serif when that family is not installed.
// Measured as GDI measures (the advance widths plus 50 black columns either side, the
// line's ascent plus descent high), grown where ink reaches past that, so no glyph is cut;
// then squeezed into the text band of a W x H field, black winning where pixels merge. A
// colour glyph (emoji) is drawn as its coverage. The band raster goes into `pixels`.
// Without any usable font the raster has width 0 (no outline).
TextRaster RenderTextBand(const char* text, const char* font, int32_t fieldWidth,
                          int32_t fieldHeight, std::vector<uint8_t>* pixels, TextReport* report);
