// The text band laid out by Pango and turned into outline nodes (Linux build).
#include "text/raster_pango.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "text/outline.h"

namespace {

// The faces the expectations name, and only those: a machine with more (fonts-noto-core has
// Devanagari and Syriac too) would give other fallbacks.
const bool kOwnFonts = setenv("FONTCONFIG_FILE", VAPRYX_TEST_FONTS, 1) == 0;

struct Rendered {
  std::vector<uint8_t> field, pixels;
  std::string face, missing;
  TextRaster band{};
  TextOutline outline{};
  int32_t minX = 1 << 30, maxX = -1, minY = 1 << 30, maxY = -1;

  Rendered(int32_t w, int32_t h, const char* text, const char* font)
      : field(static_cast<size_t>(w) * h) {
    TextReport report;
    band = RenderTextBand(text, font, w, h, &pixels, &report);
    face = report.face, missing = report.missing;
    BuildTextOutline(band, w, h, field.data(), &outline);
    for (int32_t i = 0; i < outline.nodeCount; ++i) {
      const OutlineNode* n = outline.nodeList[i];
      minX = std::min(minX, n->x), maxX = std::max(maxX, n->x);
      minY = std::min(minY, n->y), maxY = std::max(maxY, n->y);
    }
  }
  ~Rendered() { FreeTextOutline(&outline); }
};

}  // namespace

TEST(RenderTextBand, DefaultTextLiesCentredInTheBandInAHeavyFallback) {
  for (auto [w, h, top, rows] : {std::tuple{800, 600, 175, 250}, std::tuple{640, 480, 140, 200}}) {
    Rendered r(w, h, "name", "Arial Black");
    EXPECT_NE(r.face.find("not installed"), std::string::npos) << r.face;
    ASSERT_EQ(r.band.height, rows);
    EXPECT_EQ(r.band.width % 4, 0);
    ASSERT_GT(r.outline.nodeCount, 100) << w;
    EXPECT_GE(r.minY, top + 1);
    EXPECT_LE(r.maxY, top + rows - 2);
    // "name" has no descender and no capital: its ink sits in the lower part of the band.
    EXPECT_GT(r.minY, top + rows / 4) << "ink too high: a flipped raster?";
    EXPECT_LE(std::abs(r.minX - (w - 1 - r.maxX)), 12) << w;
  }
}

TEST(RenderTextBand, InstalledFamilyBlankTextAndLongText) {
  Rendered dejavu(800, 600, "name", "DejaVu Sans");
  EXPECT_EQ(dejavu.face.rfind("DejaVu Sans", 0), 0u) << dejavu.face;
  EXPECT_EQ(dejavu.face.find("not installed"), std::string::npos) << dejavu.face;
  EXPECT_GT(dejavu.outline.nodeCount, 100);

  EXPECT_EQ(Rendered(800, 600, "      ", "DejaVu Sans").outline.nodeCount, 0);
  EXPECT_EQ(Rendered(800, 600, "", "DejaVu Sans").outline.nodeCount, 0);

  Rendered longText(640, 480, std::string(99, 'W').c_str(), "DejaVu Sans");
  EXPECT_EQ(longText.band.width, 640);
  EXPECT_LE(longText.minX, 20);
  EXPECT_GE(longText.maxX, 619);
}

TEST(RenderTextBand, FontNamesAsFontconfigReadsThem) {
  // A family, a pattern, an alias, generics, unknown names, and characters the face lacks
  // (Liberation Sans has no U+2200 or U+2713; DejaVu Sans has both).
  const struct {
    const char* font;
    const char* text;
    const char* face;  // how the face description starts
    const char* also;  // and what it says besides, if anything
  } cases[] = {
      {"DejaVu Sans", "name", "DejaVu Sans Book", nullptr},
      {"DejaVu Sans:bold", "name", "DejaVu Sans Bold", nullptr},
      {"Arial", "name", "Liberation Sans", nullptr},
      {"monospace", "name", "DejaVu Sans Mono", nullptr},
      {"sans-serif", "name", "DejaVu Sans", nullptr},
      {"Arial Black", "name", "DejaVu Sans Bold", "\"Arial Black\" is not installed"},
      {":bold", "name", "DejaVu Sans Bold", "names no font family"},
      {"Liberation Sans", "a\u2200\u2713", "Liberation Sans Regular",
       "; DejaVu Sans Book for 2 characters it lacks"},
      {"DejaVu Sans", "\u0928\u092E\u0938\u094D\u0924\u0947", "DejaVu Sans Book",
       "; Lohit Devanagari Regular for 6 characters it lacks"},
  };
  for (const auto& c : cases) {
    Rendered r(640, 480, c.text, c.font);
    EXPECT_EQ(r.face.rfind(c.face, 0), 0u) << c.font << ": " << r.face;
    if (c.also != nullptr) {
      EXPECT_NE(r.face.find(c.also), std::string::npos) << c.font << ": " << r.face;
    } else {
      EXPECT_EQ(r.face.find('('), std::string::npos) << c.font << ": " << r.face;
    }
    EXPECT_GT(r.outline.nodeCount, 50) << c.font;
    EXPECT_EQ(r.missing, "") << c.font;
  }
  // What no installed face has is named once each, with where to find a face for it.
  Rendered boxes(640, 480, "a\u0710\u4E2D\u0710", "DejaVu Sans");
  EXPECT_EQ(boxes.missing,
            "no installed font has U+0710 U+4E2D, drawn as boxes; Debian's fonts-noto-core or "
            "fonts-noto-cjk have faces for them");
  EXPECT_GT(boxes.outline.nodeCount, 50);
  EXPECT_EQ(Rendered(640, 480, "a\nb", "DejaVu Sans").missing,
            "no installed font has U+000A, drawn as boxes");  // a control character: no face has one
}

TEST(RenderTextBand, AFaceThatCannotBeDrawnAt140PixelsGivesWayToTheHeavyFallbackOrToNone) {
  // An installed bitmap-only face, 8 pixels high: it cannot be scaled to 140.
  char dir[] = "/tmp/vapryx-bitmap-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string font = std::string(dir) + "/bitmap.bdf", conf = std::string(dir) + "/fonts.conf";
  std::FILE* f = std::fopen(font.c_str(), "w");
  ASSERT_NE(f, nullptr);
  std::fputs(
      "STARTFONT 2.1\nFONT -vapryx-Vapryx Bitmap-medium-r-normal--8-80-75-75-c-80-iso10646-1\n"
      "SIZE 8 75 75\nFONTBOUNDINGBOX 8 8 0 0\nSTARTPROPERTIES 4\nFAMILY_NAME \"Vapryx Bitmap\"\n"
      "FONT_ASCENT 8\nFONT_DESCENT 0\nCHARSET_REGISTRY \"ISO10646\"\nENDPROPERTIES\nCHARS 1\n"
      "STARTCHAR n\nENCODING 110\nSWIDTH 1000 0\nDWIDTH 8 0\nBBX 8 8 0 0\nBITMAP\n"
      "FF\n81\n81\n81\n81\n81\n81\n81\nENDCHAR\nENDFONT\n",
      f);
  std::fclose(f);
  f = std::fopen(conf.c_str(), "w");
  ASSERT_NE(f, nullptr);
  // The faces above, this folder, and the face let through Debian's rule against bitmaps.
  ASSERT_TRUE(kOwnFonts);
  std::fprintf(f,
               "<?xml version=\"1.0\"?>\n<fontconfig><include ignore_missing=\"yes\">"
               "%s</include><dir>%s</dir><cachedir>%s</cachedir><selectfont>"
               "<acceptfont><pattern><patelt name=\"family\"><string>Vapryx Bitmap</string>"
               "</patelt></pattern></acceptfont></selectfont></fontconfig>\n",
               std::getenv("FONTCONFIG_FILE"), dir, dir);
  std::fclose(f);
  const char* previous = std::getenv("FONTCONFIG_FILE");
  const std::string kept = previous != nullptr ? previous : "";
  setenv("FONTCONFIG_FILE", conf.c_str(), 1);
  {
    Rendered r(640, 480, "name", "Vapryx Bitmap");
    EXPECT_EQ(r.face.rfind("DejaVu Sans Bold", 0), 0u) << r.face;
    EXPECT_NE(r.face.find("cannot be drawn at 140 pixels"), std::string::npos) << r.face;
    EXPECT_GT(r.outline.nodeCount, 50);
  }
  // A kiosk with bitmap faces only: no face, no outline, and no crash.
  f = std::fopen(conf.c_str(), "w");
  ASSERT_NE(f, nullptr);
  std::fprintf(f, "<?xml version=\"1.0\"?>\n<fontconfig><dir>%s</dir><cachedir>%s</cachedir>"
               "</fontconfig>\n", dir, dir);
  std::fclose(f);
  for (const char* font : {"Vapryx Bitmap", "DejaVu Sans"}) {
    Rendered r(640, 480, "name", font);
    EXPECT_EQ(r.face, "no installed font can be used");
    EXPECT_EQ(r.band.width, 0);
    EXPECT_EQ(r.outline.nodeCount, 0);
  }
  if (previous != nullptr) {
    setenv("FONTCONFIG_FILE", kept.c_str(), 1);
  } else {
    unsetenv("FONTCONFIG_FILE");
  }
  std::filesystem::remove_all(dir);
}
