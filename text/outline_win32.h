// outline_win32.h: rendering the text with GDI into the band raster the outline is found in.
#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

#include "text/outline.h"

// Renders `text` in the face `font` (105 points at the device's vertical resolution) white
// on black, squeezes it into the text band of a W x H field (GDI's default stretch: black
// wins where pixels merge) and reads it back as the 24-bit band raster, into `pixels`. The
// device context is only read; every GDI object made here is deleted before returning. A
// text without ink gives a raster without ink; a band that cannot be read gives width 0.
TextRaster RenderTextBand(HDC deviceContext, int32_t fieldWidth, int32_t fieldHeight,
                          const char* text, const char* font, std::vector<uint8_t>* pixels);
