// raster_pango.cpp: the text band laid out by Pango and drawn by cairo.
#include "text/raster_pango.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>
#include <pango/pangofc-font.h>
#include <pango/pangofc-fontmap.h>
#include <strings.h>

#include <algorithm>
#include <cstdio>

#include "text/band.h"
#include "text/utf8.h"

namespace {

constexpr int kEmPixels = 140;      // 105 points at 96 dpi, what the Windows saver asks for
constexpr int kMargin = 50;         // black columns either side of the text
// The largest raster drawn: a text is 99 bytes at most, and 49 stacked marks stay in it.
constexpr int kMaxWidth = 1 << 16;
constexpr int kMaxHeight = 1 << 12;
constexpr int kTileWidth = 8192;    // cairo draws at most 32767 columns at once

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

// Family and style, for the user.
std::string FaceName(FcPattern* font) {
  FcChar8* family = nullptr;
  FcChar8* style = nullptr;
  std::string name;
  if (FcPatternGetString(font, FC_FAMILY, 0, &family) == FcResultMatch) name = Text(family);
  if (FcPatternGetString(font, FC_STYLE, 0, &style) == FcResultMatch) name += " " + Text(style);
  return name;
}

std::string FaceFile(FcPattern* font) {
  FcChar8* path = nullptr;
  int index = 0;
  FcPatternGetInteger(font, FC_INDEX, 0, &index);
  if (FcPatternGetString(font, FC_FILE, 0, &path) != FcResultMatch) return "";
  return Text(path) + ":" + std::to_string(index);
}

// A fontconfig configuration of our own, read afresh: fontconfig's process-wide one belongs
// to every library in the process (libdecor's too), so it is neither ended nor changed.
struct Fonts {
  FcConfig* config = nullptr;
  FcFontSet* candidates = nullptr;
  FcPattern* first = nullptr;  // the face the text is measured in (one of the candidates)
  ~Fonts() {
    if (candidates != nullptr) FcFontSetDestroy(candidates);
    if (config != nullptr) FcConfigDestroy(config);
  }
};

// The faces fontconfig offers for `wanted`, best first, and the families that the
// pattern's own names bring in: the names themselves and what fontconfig's alias rules add
// for them (Arial: Liberation Sans; monospace: a monospace face), not the defaults that
// every pattern gets.
bool FindCandidates(FcConfig* config, FcPattern* wanted, FcFontSet** fonts,
                    std::vector<std::string>* named) {
  FcPattern* plain = FcPatternDuplicate(wanted);
  FcPatternDel(plain, FC_FAMILY);
  FcConfigSubstitute(config, plain, FcMatchPattern);
  FcDefaultSubstitute(plain);
  const std::vector<std::string> defaults = Families(plain);
  FcPatternDestroy(plain);

  FcPattern* pattern = FcPatternDuplicate(wanted);
  const std::vector<std::string> own = Families(pattern);
  FcConfigSubstitute(config, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  named->clear();
  for (const std::string& family : Families(pattern))
    if (Contains(own, family) || !Contains(defaults, family)) named->push_back(family);
  FcResult result = FcResultNoMatch;
  if (*fonts != nullptr) FcFontSetDestroy(*fonts);
  *fonts = FcFontSort(config, pattern, FcTrue, nullptr, &result);
  FcPatternDestroy(pattern);
  return *fonts != nullptr && (*fonts)->nfont > 0;
}

// The first candidate that can be drawn at the em height (an outline or colour face, not a
// bitmap face of fixed sizes), of a family the pattern named (any family with
// `anyFamily`). `installed` says whether there was one to try.
FcPattern* FirstDrawable(FcFontSet* set, const std::vector<std::string>& named, bool anyFamily,
                         bool* installed) {
  *installed = false;
  for (int i = 0; i < set->nfont; ++i) {
    bool ours = anyFamily;
    for (const std::string& f : Families(set->fonts[i])) ours = ours || Contains(named, f);
    if (!ours) return nullptr;  // past the faces of the families it names
    *installed = true;
    FcBool scalable = FcFalse;
    if (FcPatternGetBool(set->fonts[i], FC_SCALABLE, 0, &scalable) == FcResultMatch && scalable)
      return set->fonts[i];
  }
  return nullptr;
}

// The face for `font`, read as a fontconfig pattern ("DejaVu Sans:bold", "monospace"): its
// best face when it is of a family the pattern names or fontconfig's aliases give for them,
// else a heavy sans-serif. `why` says what stood in and why.
bool FindFirstFace(const char* font, Fonts* fonts, std::string* why) {
  fonts->config = FcInitLoadConfigAndFonts();
  if (fonts->config == nullptr) return false;
  FcPattern* wanted = *font != '\0' ? FcNameParse(reinterpret_cast<const FcChar8*>(font)) : nullptr;
  FcChar8* family = nullptr;
  const bool named =
      wanted != nullptr && FcPatternGetString(wanted, FC_FAMILY, 0, &family) == FcResultMatch;
  // A generic name (sans-serif, monospace...) takes whatever face fontconfig gives for it.
  bool generic = false;
  for (const char* g : {"sans-serif", "sans", "serif", "monospace", "mono", "cursive", "fantasy",
                        "system-ui", "emoji", "math"})
    generic = generic || (named && Contains(Families(wanted), g));
  std::vector<std::string> families;
  bool installed = false;
  if (named && FindCandidates(fonts->config, wanted, &fonts->candidates, &families))
    fonts->first = FirstDrawable(fonts->candidates, families, generic, &installed);
  if (wanted != nullptr) FcPatternDestroy(wanted);
  if (fonts->first != nullptr) return true;
  FcPattern* heavy = FcNameParse(reinterpret_cast<const FcChar8*>("sans-serif:weight=black"));
  bool any = false;
  if (FindCandidates(fonts->config, heavy, &fonts->candidates, &families))
    fonts->first = FirstDrawable(fonts->candidates, families, true, &any);
  FcPatternDestroy(heavy);
  const std::string quoted = "\"" + std::string(font) + "\"";
  *why = !named      ? quoted + " names no font family"
         : installed ? quoted + " cannot be drawn at " + std::to_string(kEmPixels) + " pixels"
                     : quoted + " is not installed";
  return fonts->first != nullptr;
}

// Where to find a face for characters nothing installed has: Debian's packages that cover
// most of the world's scripts.
const char* PackageFor(uint32_t point) {
  if ((point >= 0x1F000 && point <= 0x1FAFF) || (point >= 0x2600 && point <= 0x27BF))
    return "fonts-noto-color-emoji";
  if ((point >= 0x2E80 && point <= 0x9FFF) || (point >= 0xAC00 && point <= 0xD7AF) ||
      (point >= 0xF900 && point <= 0xFAFF) || (point >= 0x20000 && point <= 0x3FFFF))
    return "fonts-noto-cjk";
  return "fonts-noto-core";
}

// One line naming the characters drawn as boxes, and where to get a face that has them.
std::string DescribeMissing(const std::vector<uint32_t>& points) {
  if (points.empty()) return "";
  std::string line = "no installed font has";
  std::vector<std::string> packages;
  for (uint32_t point : points) {
    char name[16];
    std::snprintf(name, sizeof name, " U+%04X", static_cast<unsigned>(point));
    line += name;
    const bool control = point < 0x20 || (point >= 0x7F && point < 0xA0);  // no face draws one
    const std::string package = control ? "" : PackageFor(point);
    if (!control && std::find(packages.begin(), packages.end(), package) == packages.end())
      packages.push_back(package);
  }
  line += ", drawn as boxes";
  if (packages.empty()) return line;
  line += "; Debian's ";
  for (size_t i = 0; i < packages.size(); ++i) line += (i > 0 ? " or " : "") + packages[i];
  return line + (packages.size() > 1 ? " have faces for them" : " has faces for them");
}

// What the layout drew with: the first face's name (and why it stood in), each other face
// with the number of characters it drew, and the characters none had.
void DescribeRuns(PangoLayout* layout, FcPattern* first, const std::string& why,
                  TextReport* report) {
  const std::string firstFile = FaceFile(first);
  std::vector<std::string> names;
  std::vector<int> counts;
  std::vector<uint32_t> missing;
  for (GSList* run = pango_layout_get_line_readonly(layout, 0)->runs; run != nullptr;
       run = run->next) {
    const PangoGlyphItem* item = static_cast<PangoGlyphItem*>(run->data);
    int unknown = 0;
    for (int i = 0; i < item->glyphs->num_glyphs; ++i) {
      const PangoGlyph glyph = item->glyphs->glyphs[i].glyph;
      if ((glyph & PANGO_GLYPH_UNKNOWN_FLAG) == 0 || glyph == PANGO_GLYPH_EMPTY ||
          glyph == PANGO_GLYPH_INVALID_INPUT) {
        continue;
      }
      ++unknown;
      const uint32_t point = glyph & ~PANGO_GLYPH_UNKNOWN_FLAG;
      if (std::find(missing.begin(), missing.end(), point) == missing.end())
        missing.push_back(point);
    }
    PangoFont* font = item->item->analysis.font;
    if (font == nullptr || !PANGO_IS_FC_FONT(font) || unknown > 0) continue;
    FcPattern* pattern = pango_fc_font_get_pattern(PANGO_FC_FONT(font));
    if (FaceFile(pattern) == firstFile) continue;
    const std::string name = FaceName(pattern);
    const size_t at = std::find(names.begin(), names.end(), name) - names.begin();
    if (at == names.size()) names.push_back(name), counts.push_back(0);
    counts[at] += item->item->num_chars;
  }
  report->face = FaceName(first);
  if (!why.empty()) report->face += " (" + why + ")";
  for (size_t i = 0; i < names.size(); ++i) {
    report->face += "; " + names[i] + " for " + std::to_string(counts[i]) +
                    (counts[i] == 1 ? " character" : " characters") + " it lacks";
  }
  report->missing = DescribeMissing(missing);
}

// The layout drawn white on black into `ink` (cx x cy, one byte a pixel, 255 where the
// coverage is at least half), its origin at (x, y); a colour glyph counts by its coverage.
void DrawInk(PangoLayout* layout, int32_t x, int32_t y, int32_t cx, int32_t cy,
             std::vector<uint8_t>* ink) {
  for (int32_t left = 0; left < cx; left += kTileWidth) {
    const int32_t width = std::min(kTileWidth, cx - left);
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_A8, width, cy);
    cairo_t* cairo = cairo_create(surface);
    cairo_set_source_rgb(cairo, 1, 1, 1);
    cairo_move_to(cairo, x - left, y);
    pango_cairo_show_layout(cairo, layout);
    cairo_destroy(cairo);
    cairo_surface_flush(surface);
    if (cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS) {
      const unsigned char* data = cairo_image_surface_get_data(surface);
      const int stride = cairo_image_surface_get_stride(surface);
      for (int32_t row = 0; row < cy; ++row) {
        for (int32_t column = 0; column < width; ++column) {
          if (data[static_cast<size_t>(row) * stride + column] >= 128)
            (*ink)[static_cast<size_t>(row) * cx + left + column] = 255;
        }
      }
    }
    cairo_surface_destroy(surface);
  }
}

}  // namespace

TextRaster RenderTextBand(const char* text, const char* font, int32_t fieldWidth,
                          int32_t fieldHeight, std::vector<uint8_t>* pixels, TextReport* report) {
  TextRaster none = {nullptr, 0, 0};
  *report = TextReport{};
  Fonts fonts;
  std::string why;
  if (!FindFirstFace(font, &fonts, &why)) {
    report->face = "no installed font can be used";
    return none;
  }

  PangoFontMap* map = pango_cairo_font_map_new_for_font_type(CAIRO_FONT_TYPE_FT);
  if (map == nullptr) {
    report->face = "no installed font can be used";
    return none;
  }
  pango_fc_font_map_set_config(PANGO_FC_FONT_MAP(map), fonts.config);
  PangoContext* context = pango_font_map_create_context(map);
  // Shapes and positions as the font designs them, not bent to the pixel grid.
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  pango_cairo_context_set_font_options(context, options);
  cairo_font_options_destroy(options);
  pango_context_set_round_glyph_positions(context, FALSE);

  PangoFontDescription* description = pango_fc_font_description_from_pattern(fonts.first, FALSE);
  pango_font_description_set_absolute_size(description, kEmPixels * PANGO_SCALE);
  PangoLayout* layout = pango_layout_new(context);
  pango_layout_set_font_description(layout, description);
  pango_font_description_free(description);
  pango_layout_set_single_paragraph_mode(layout, TRUE);  // one line, whatever it holds
  const std::string utf8 = ToUtf8(text);
  pango_layout_set_text(layout, utf8.c_str(), static_cast<int>(utf8.size()));

  // Measured as GDI measures, grown to the ink where it reaches further.
  PangoRectangle inked, logical;
  pango_layout_get_pixel_extents(layout, &inked, &logical);
  if (inked.width <= 0 || inked.height <= 0) inked = logical;
  const int64_t left = std::min(logical.x, inked.x) - int64_t{kMargin};
  const int64_t right =
      std::max(logical.x + logical.width, inked.x + inked.width) + int64_t{kMargin};
  const int64_t top = std::min(logical.y, inked.y);
  const int64_t bottom = std::max(logical.y + logical.height, inked.y + inked.height);
  const int32_t cx = static_cast<int32_t>(std::min<int64_t>(right - left, kMaxWidth));
  const int32_t cy = static_cast<int32_t>(std::clamp<int64_t>(bottom - top, 0, kMaxHeight));
  std::vector<uint8_t> ink(static_cast<size_t>(cx) * cy, 0);
  DrawInk(layout, static_cast<int32_t>(-left), static_cast<int32_t>(-top), cx, cy, &ink);
  DescribeRuns(layout, fonts.first, why, report);

  g_object_unref(layout);
  g_object_unref(context);
  pango_fc_font_map_shutdown(PANGO_FC_FONT_MAP(map));  // its fonts let go of the map
  pango_fc_font_map_set_config(PANGO_FC_FONT_MAP(map), nullptr);  // and it of the fonts
  g_object_unref(map);

  const TextBand band = ComputeTextBand(cx, cy, fieldWidth, fieldHeight);
  if (band.width <= 0) return none;
  pixels->assign(static_cast<size_t>(band.width) * band.height * 3, 0);
  SqueezeTextRaster(ink.data(), cx, cy, band.width, band.height, pixels->data());
  return TextRaster{pixels->data(), band.width, band.height};
}
