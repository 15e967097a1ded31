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

std::string Text(const FcChar8* s) { return reinterpret_cast<const char*>(s); }

// The family names of a pattern, in order.
std::vector<std::string> Families(FcPattern* pattern) {
  std::vector<std::string> names;
  FcChar8* family = nullptr;
  for (int i = 0; FcPatternGetString(pattern, FC_FAMILY, i, &family) == FcResultMatch; ++i)
    names.push_back(Text(family));
  return names;
}

bool Contains(const std::vector<std::string>& names, const std::string& name) {
  for (const std::string& n : names)
    if (strcasecmp(n.c_str(), name.c_str()) == 0) return true;
  return false;
}

// The faces fontconfig offers for a pattern, best first, and the families that the
// pattern's own names bring in: the names themselves and what fontconfig's alias rules add
// for them (Arial: Liberation Sans; monospace: a monospace face), not the defaults that
// every pattern gets.
struct Candidates {
  FcFontSet* fonts = nullptr;
  FcPattern* pattern = nullptr;
  std::vector<std::string> named;
  void Clear() {
    if (fonts != nullptr) FcFontSetDestroy(fonts);
    if (pattern != nullptr) FcPatternDestroy(pattern);
    fonts = nullptr, pattern = nullptr, named.clear();
  }
  ~Candidates() { Clear(); }
};

bool FindCandidates(FcPattern* wanted, Candidates* c) {
  FcPattern* plain = FcPatternDuplicate(wanted);
  FcPatternDel(plain, FC_FAMILY);
  FcConfigSubstitute(nullptr, plain, FcMatchPattern);
  FcDefaultSubstitute(plain);
  const std::vector<std::string> defaults = Families(plain);
  FcPatternDestroy(plain);

  c->pattern = FcPatternDuplicate(wanted);
  const std::vector<std::string> own = Families(c->pattern);
  FcConfigSubstitute(nullptr, c->pattern, FcMatchPattern);
  FcDefaultSubstitute(c->pattern);
  for (const std::string& family : Families(c->pattern))
    if (Contains(own, family) || !Contains(defaults, family)) c->named.push_back(family);
  FcResult result = FcResultNoMatch;
  c->fonts = FcFontSort(nullptr, c->pattern, FcTrue, nullptr, &result);
  return c->fonts != nullptr && c->fonts->nfont > 0;
}

// One face opened at the em height; null when FreeType cannot open or size it (a bitmap
// face without that size).
struct OpenFace {
  std::string path;
  int index = 0;
  std::string name;  // family and style, for the user
  FT_Face face = nullptr;
};

bool Open(FT_Library library, FcPattern* font, OpenFace* open) {
  FcChar8* path = nullptr;
  if (FcPatternGetString(font, FC_FILE, 0, &path) != FcResultMatch) return false;
  open->path = Text(path);
  FcPatternGetInteger(font, FC_INDEX, 0, &open->index);
  FcChar8* family = nullptr;
  FcChar8* style = nullptr;
  if (FcPatternGetString(font, FC_FAMILY, 0, &family) == FcResultMatch) open->name = Text(family);
  if (FcPatternGetString(font, FC_STYLE, 0, &style) == FcResultMatch)
    open->name += " " + Text(style);
  if (FT_New_Face(library, open->path.c_str(), open->index, &open->face) != 0) {
    open->face = nullptr;
    return false;
  }
  if (FT_Set_Pixel_Sizes(open->face, 0, kEmPixels) != 0) {
    FT_Done_Face(open->face);
    open->face = nullptr;
    return false;
  }
  return true;
}

// The faces a text is drawn in: the first for the text and its measures, the others for
// characters the first lacks, each found once.
struct Faces {
  FT_Library library = nullptr;
  std::vector<OpenFace> open;
  Candidates candidates;
  ~Faces() {
    for (OpenFace& f : open) FT_Done_Face(f.face);
    if (library != nullptr) FT_Done_FreeType(library);
  }
};

// Opens the first face of the candidates that FreeType can use, of a family the pattern
// named (any family with `anyFamily`). `installed` says whether there was one to try.
bool OpenFirst(Faces* faces, bool anyFamily, bool* installed) {
  FcFontSet* set = faces->candidates.fonts;
  *installed = false;
  for (int i = 0; i < set->nfont; ++i) {
    bool named = anyFamily;
    for (const std::string& f : Families(set->fonts[i]))
      named = named || Contains(faces->candidates.named, f);
    if (!named) return false;  // past the faces of the families it names
    *installed = true;
    OpenFace face;
    if (Open(faces->library, set->fonts[i], &face)) {
      faces->open.push_back(face);
      return true;
    }
  }
  return false;
}

// The face for a character: the first face when it has the character, else the first
// candidate whose character set has it, else the first face (its missing-glyph box).
FT_Face FaceFor(Faces* faces, uint32_t point, std::vector<int>* uses) {
  if (FT_Get_Char_Index(faces->open[0].face, point) != 0) return ++(*uses)[0], faces->open[0].face;
  for (size_t i = 1; i < faces->open.size(); ++i) {
    if (FT_Get_Char_Index(faces->open[i].face, point) != 0)
      return ++(*uses)[i], faces->open[i].face;
  }
  FcFontSet* set = faces->candidates.fonts;
  for (int i = 0; i < set->nfont; ++i) {
    FcCharSet* chars = nullptr;
    if (FcPatternGetCharSet(set->fonts[i], FC_CHARSET, 0, &chars) != FcResultMatch ||
        !FcCharSetHasChar(chars, point)) {
      continue;
    }
    OpenFace face;
    if (Open(faces->library, set->fonts[i], &face) && FT_Get_Char_Index(face.face, point) != 0) {
      faces->open.push_back(face);
      uses->push_back(1);
      return face.face;
    }
    if (face.face != nullptr) FT_Done_Face(face.face);
  }
  return ++(*uses)[0], faces->open[0].face;
}

// The faces for `font`, read as a fontconfig pattern ("DejaVu Sans:bold", "monospace"):
// its best face when it is of a family the pattern names or fontconfig's aliases give for
// them, else a heavy sans-serif. `why` says what stood in and why.
bool FindFaces(const char* font, Faces* faces, std::string* why) {
  if (!FcInit() || FT_Init_FreeType(&faces->library) != 0) return false;
  FcPattern* wanted = *font != '\0' ? FcNameParse(reinterpret_cast<const FcChar8*>(font)) : nullptr;
  FcChar8* family = nullptr;
  const bool named =
      wanted != nullptr && FcPatternGetString(wanted, FC_FAMILY, 0, &family) == FcResultMatch;
  // A generic name (sans-serif, monospace...) takes whatever face fontconfig gives for it.
  bool generic = false;
  for (const char* g : {"sans-serif", "sans", "serif", "monospace", "mono", "cursive", "fantasy",
                        "system-ui", "emoji", "math"})
    generic = generic || (named && Contains(Families(wanted), g));
  bool installed = false;
  if (named && FindCandidates(wanted, &faces->candidates) &&
      OpenFirst(faces, generic, &installed)) {
    FcPatternDestroy(wanted);
    return true;
  }
  if (wanted != nullptr) FcPatternDestroy(wanted);
  faces->candidates.Clear();
  FcPattern* heavy = FcNameParse(reinterpret_cast<const FcChar8*>("sans-serif:weight=black"));
  bool any = false;
  const bool found = FindCandidates(heavy, &faces->candidates) && OpenFirst(faces, true, &any);
  FcPatternDestroy(heavy);
  const std::string quoted = "\"" + std::string(font) + "\"";
  *why = !named      ? quoted + " names no font family"
         : installed ? quoted + " cannot be drawn at " + std::to_string(kEmPixels) + " pixels"
                     : quoted + " is not installed";
  return found;
}

// Code points of the text: UTF-8 where it is valid, otherwise a byte is Latin-1.
std::vector<uint32_t> CodePoints(const char* text) {
  std::vector<uint32_t> points;
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  while (*p != 0) {
    const int length = *p >= 0xF0 && *p < 0xF5   ? 4
                       : *p >= 0xE0 && *p < 0xF0 ? 3
                       : *p >= 0xC2 && *p < 0xE0 ? 2
                                                 : 1;
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
  int32_t cx = 0, cy = 0;
  std::vector<uint8_t> ink;
  {
    Faces faces;
    std::string why;
    if (!FindFaces(font, &faces, &why)) {
      *face = "no installed font can be used";
      FcFini();
      return none;
    }
    const FT_Face first = faces.open[0].face;
    const std::vector<uint32_t> points = CodePoints(text);
    std::vector<int> uses(1, 0);
    std::vector<FT_Face> faceOf;
    for (uint32_t point : points) faceOf.push_back(FaceFor(&faces, point, &uses));

    // Measured as GDI measures: advance widths across, ascent plus descent of the face
    // down.
    const int32_t ascent = static_cast<int32_t>(first->size->metrics.ascender >> 6);
    cy = ascent - static_cast<int32_t>(first->size->metrics.descender >> 6);
    int64_t advance = 0;
    for (size_t i = 0; i < points.size(); ++i) {
      if (FT_Load_Char(faceOf[i], points[i], FT_LOAD_TARGET_MONO) == 0)
        advance += faceOf[i]->glyph->advance.x >> 6;
    }
    cx = static_cast<int32_t>(std::min<int64_t>(advance, 1 << 20)) + 2 * kMargin;

    // White on black, one byte a pixel, the pen 50 columns in.
    ink.assign(static_cast<size_t>(cx) * std::max(cy, 0), 0);
    int64_t pen = kMargin;
    for (size_t i = 0; i < points.size(); ++i) {
      if (FT_Load_Char(faceOf[i], points[i], FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) != 0) continue;
      const FT_GlyphSlot glyph = faceOf[i]->glyph;
      const FT_Bitmap& bitmap = glyph->bitmap;
      for (unsigned row = 0; row < bitmap.rows; ++row) {
        const int64_t y = ascent - glyph->bitmap_top + static_cast<int64_t>(row);
        if (y < 0 || y >= cy) continue;
        const unsigned char* bits = bitmap.buffer + static_cast<int64_t>(row) * bitmap.pitch;
        for (unsigned column = 0; column < bitmap.width; ++column) {
          const int64_t x = pen + glyph->bitmap_left + column;
          const bool on = bitmap.pixel_mode == FT_PIXEL_MODE_MONO
                              ? (bits[column >> 3] >> (7 - (column & 7))) & 1
                              : bits[column] >= 128;
          if (on && x >= 0 && x < cx) ink[static_cast<size_t>(y) * cx + x] = 255;
        }
      }
      pen += glyph->advance.x >> 6;
    }

    *face = faces.open[0].name;
    if (!why.empty()) *face += " (" + why + ")";
    for (size_t i = 1; i < faces.open.size(); ++i) {
      *face += "; " + faces.open[i].name + " for " + std::to_string(uses[i]) +
               (uses[i] == 1 ? " character" : " characters") + " it lacks";
    }
  }
  FcFini();  // the text is rendered once: fontconfig's caches can go

  const TextBand band = ComputeTextBand(cx, cy, fieldWidth, fieldHeight);
  if (band.width <= 0) return none;
  pixels->assign(static_cast<size_t>(band.width) * band.height * 3, 0);
  SqueezeTextRaster(ink.data(), cx, cy, band.width, band.height, pixels->data());
  return TextRaster{pixels->data(), band.width, band.height};
}
