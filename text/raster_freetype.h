// raster_freetype.h: rendering the text with fontconfig and FreeType into the band raster
// the outline is found in (the Linux program and the simulator).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "text/outline.h"

// Renders `text` (UTF-8; a byte that is not is taken as Latin-1) white on black at an em
// height of 140 pixels, as the Windows saver asks at 96 dpi, in the family `font`, or a
// heavy sans-serif when that family is not installed; measures it as GDI does (the advance
// widths plus 50 black columns either side, ascent plus descent high), then squeezes it
// into the text band of a W x H field, black winning where pixels merge. The band raster
// goes into `pixels`; `face` says which face was used and why. Without any usable font
// the raster has width 0 (no outline).
TextRaster RenderTextBandFreeType(const char* text, const char* font, int32_t fieldWidth,
                                  int32_t fieldHeight, std::vector<uint8_t>* pixels,
                                  std::string* face);
