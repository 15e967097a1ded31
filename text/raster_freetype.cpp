// raster_freetype.cpp: the text band rendered with fontconfig and FreeType.
#include "text/raster_freetype.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <strings.h>

#include <algorithm>

#include "text/band.h"

namespace {

constexpr int kEmPixels = 140;  // 105 points at 96 dpi, what the Windows saver asks for
constexpr int kMargin = 50;     // black columns either side of the text

struct FontFile {
  std::string path;
  int index = 0;
  std::string name;  // family and style, for the user
};

// The best match for a fontconfig pattern; `exact` tells whether it is of `wantedFamily`.
bool MatchFont(FcPattern* pattern, const char* wantedFamily, FontFile* file, bool* exact) {
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  if (match == nullptr) return false;
  FcChar8* path = nullptr;
  bool found = FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch;
  if (found) {
    file->path = reinterpret_cast<const char*>(path);
    FcPatternGetInteger(match, FC_INDEX, 0, &file->index);
    FcChar8* family = nullptr;
    FcChar8* style = nullptr;
    *exact = false;
    // fontconfig always answers with something: it is the asked family only when one of
    // the match's family names is that family.
    for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &family) == FcResultMatch; ++i) {
      if (i == 0) file->name = reinterpret_cast<const char*>(family);
      if (wantedFamily != nullptr && strcasecmp(reinterpret_cast<const char*>(family), wantedFamily) == 0)
        *exact = true;
    }
    if (FcPatternGetString(match, FC_STYLE, 0, &style) == FcResultMatch)
      file->name += std::string(" ") + reinterpret_cast<const char*>(style);
  }
  FcPatternDestroy(match);
  return found;
}

// The installed face of the family, or else a heavy sans-serif.
bool FindFont(const char* family, FontFile* file, std::string* face) {
  if (!FcInit()) return false;
  bool exact = false;
  if (*family != '\0') {
    FcPattern* wanted = FcPatternCreate();
    FcPatternAddString(wanted, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    const bool ok = MatchFont(wanted, family, file, &exact);
    FcPatternDestroy(wanted);
    if (ok && exact) {
      *face = file->name;
      return true;
    }
  }
  FcPattern* heavy = FcPatternCreate();
  FcPatternAddString(heavy, FC_FAMILY, reinterpret_cast<const FcChar8*>("sans-serif"));
  FcPatternAddInteger(heavy, FC_WEIGHT, FC_WEIGHT_BLACK);
  const bool ok = MatchFont(heavy, nullptr, file, &exact);
  FcPatternDestroy(heavy);
  if (ok) *face = file->name + " (\"" + family + "\" is not installed)";
  return ok;
}

// Code points of the text: UTF-8 where it is valid, otherwise a byte is Latin-1.
std::vector<uint32_t> CodePoints(const char* text) {
  std::vector<uint32_t> points;
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  while (*p != 0) {
    const int length = *p >= 0xF0 && *p < 0xF5 ? 4 : *p >= 0xE0 && *p < 0xF0 ? 3
                       : *p >= 0xC2 && *p < 0xE0 ? 2 : 1;
    uint32_t point = length == 1 ? *p : *p & (0x7F >> length);
    bool valid = true;
    // A terminating zero is not a continuation byte, so this never reads past it.
    for (int i = 1; valid && i < length; ++i) {
      valid = (p[i] & 0xC0) == 0x80;
      point = (point << 6) | (p[i] & 0x3F);
    }
    points.push_back(valid ? point : *p);
    p += valid ? length : 1;
  }
  return points;
}

}  // namespace

TextRaster RenderTextBandFreeType(const char* text, const char* font, int32_t fieldWidth,
                                  int32_t fieldHeight, std::vector<uint8_t>* pixels,
                                  std::string* face) {
  TextRaster none = {nullptr, 0, 0};
  FontFile file;
  const bool found = FindFont(font, &file, face);
  FcFini();  // the text is rendered once: fontconfig's caches can go
  if (!found) {
    *face = "no font found";
    return none;
  }
  FT_Library library = nullptr;
  if (FT_Init_FreeType(&library) != 0) return none;
  FT_Face ftFace = nullptr;
  if (FT_New_Face(library, file.path.c_str(), file.index, &ftFace) != 0 ||
      FT_Set_Pixel_Sizes(ftFace, 0, kEmPixels) != 0) {
    *face = "cannot open " + file.path;
    if (ftFace != nullptr) FT_Done_Face(ftFace);
    FT_Done_FreeType(library);
    return none;
  }

  // Measured as GDI measures: advance widths across, ascent plus descent down.
  const std::vector<uint32_t> points = CodePoints(text);
  const int32_t ascent = static_cast<int32_t>(ftFace->size->metrics.ascender >> 6);
  const int32_t cy = ascent - static_cast<int32_t>(ftFace->size->metrics.descender >> 6);
  int64_t advance = 0;
  for (uint32_t point : points) {
    if (FT_Load_Char(ftFace, point, FT_LOAD_TARGET_MONO) == 0) advance += ftFace->glyph->advance.x >> 6;
  }
  const int32_t cx = static_cast<int32_t>(std::min<int64_t>(advance, 1 << 20)) + 2 * kMargin;

  // White on black, one byte a pixel, the pen 50 columns in.
  std::vector<uint8_t> grey(static_cast<size_t>(cx) * std::max(cy, 0), 0);
  int64_t pen = kMargin;
  for (uint32_t point : points) {
    if (FT_Load_Char(ftFace, point, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) != 0) continue;
    const FT_GlyphSlot glyph = ftFace->glyph;
    const FT_Bitmap& bitmap = glyph->bitmap;
    for (unsigned row = 0; row < bitmap.rows; ++row) {
      const int64_t y = ascent - glyph->bitmap_top + static_cast<int64_t>(row);
      if (y < 0 || y >= cy) continue;
      const unsigned char* bits = bitmap.buffer + static_cast<int64_t>(row) * bitmap.pitch;
      for (unsigned column = 0; column < bitmap.width; ++column) {
        const int64_t x = pen + glyph->bitmap_left + column;
        const bool ink = bitmap.pixel_mode == FT_PIXEL_MODE_MONO
                             ? (bits[column >> 3] >> (7 - (column & 7))) & 1
                             : bits[column] >= 128;
        if (ink && x >= 0 && x < cx) grey[static_cast<size_t>(y) * cx + x] = 255;
      }
    }
    pen += glyph->advance.x >> 6;
  }
  FT_Done_Face(ftFace);
  FT_Done_FreeType(library);

  const TextBand band = ComputeTextBand(cx, cy, fieldWidth, fieldHeight);
  if (band.width <= 0) return none;
  pixels->assign(static_cast<size_t>(band.width) * band.height * 3, 0);
  SqueezeTextRaster(grey.data(), cx, cy, band.width, band.height, pixels->data());
  return TextRaster{pixels->data(), band.width, band.height};
}
