// The text band rendered with GDI and turned into outline nodes (Windows build, under Wine).
#include "text/outline_win32.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "text/outline.h"

namespace {

struct Extracted {
  std::vector<uint8_t> field;
  TextOutline outline{};
  int32_t width, height;
  std::vector<uint8_t> pixels;
  TextRaster band{};

  Extracted(int32_t w, int32_t h, const char* text, const char* font)
      : field(static_cast<size_t>(w) * h), width(w), height(h) {
    HDC screen = GetDC(nullptr);
    band = RenderTextBand(screen, w, h, text, font, &pixels);
    ReleaseDC(nullptr, screen);
    BuildTextOutline(band, w, h, field.data(), &outline);
  }
  ~Extracted() { FreeTextOutline(&outline); }
  int32_t MinX() const {
    int32_t m = width;
    for (int32_t i = 0; i < outline.nodeCount; ++i) m = std::min(m, outline.nodeList[i]->x);
    return m;
  }
  int32_t MaxX() const {
    int32_t m = -1;
    for (int32_t i = 0; i < outline.nodeCount; ++i) m = std::max(m, outline.nodeList[i]->x);
    return m;
  }
};

// How many more GDI objects the process may make: fewer after a leak. Wine does not
// count GDI objects (GetGuiResources answers 0), but it too refuses new ones at its limit.
size_t GdiRoomLeft() {
  std::vector<HBRUSH> brushes;
  while (brushes.size() < 200000) {
    HBRUSH b = CreateSolidBrush(RGB(1, 2, 3));
    if (b == nullptr) break;
    brushes.push_back(b);
  }
  for (HBRUSH b : brushes) DeleteObject(b);
  return brushes.size();
}

}  // namespace

TEST(ExtractTextOutline, DefaultTextSitsLowInAFiveTwelfthsBand) {
  // The band is 5/12 of the field high, centred (rows 175 and 140 first); "name" has no
  // ascenders, so a raster read top row first puts its ink low in the band. The widths are
  // those of the face Wine gives for Arial Black here, rounded down to a multiple of 4.
  for (auto [w, h, bandWidth, bandHeight, inkTop, inkBottom] :
       {std::tuple{800, 600, 716, 250, 175 + 83, 175 + 203},
        std::tuple{640, 480, 572, 200, 140 + 66, 140 + 162}}) {
    Extracted e(w, h, "name", "Arial Black");
    EXPECT_EQ(e.band.width, bandWidth) << w;
    EXPECT_EQ(e.band.height, bandHeight) << w;
    ASSERT_GT(e.outline.nodeCount, 100) << w;
    int32_t top = h, bottom = -1;
    for (int32_t i = 0; i < e.outline.nodeCount; ++i) {
      const OutlineNode* n = e.outline.nodeList[i];
      top = std::min(top, n->y);
      bottom = std::max(bottom, n->y);
      ASSERT_GE(n->x, 0);
      ASSERT_LT(n->x, w);
      ASSERT_EQ(n->pixel, e.field.data() + n->y * w + n->x);
    }
    EXPECT_EQ(top, inkTop) << w;
    EXPECT_EQ(bottom, inkBottom) << w;
    // Centred: about as much room left of the text as right of it.
    EXPECT_LE(std::abs((e.MinX() - 0) - (w - 1 - e.MaxX())), 12) << w;
  }
}

TEST(ExtractTextOutline, BlanksGiveNoNodesAndAnUnknownFaceStillRenders) {
  Extracted blanks(800, 600, "      ", "Arial Black");
  EXPECT_EQ(blanks.outline.nodeCount, 0);
  Extracted empty(800, 600, "", "Arial Black");
  EXPECT_EQ(empty.outline.nodeCount, 0);
  Extracted unknown(800, 600, "name", "No Such Face At All");
  EXPECT_GT(unknown.outline.nodeCount, 100);
}

TEST(ExtractTextOutline, LongTextIsSqueezedToTheFieldWidth) {
  const std::string text(99, 'W');
  Extracted e(640, 480, text.c_str(), "Arial Black");
  ASSERT_GT(e.outline.nodeCount, 0);
  // The 50-pixel margins shrink with the text; the glyphs' own side bearings remain.
  EXPECT_LE(e.MinX(), 20);
  EXPECT_GE(e.MaxX(), 619);
}

TEST(ExtractTextOutline, LeavesNoGdiObjectBehind) {
  { Extracted warmUp(640, 480, "name", "Arial Black"); }
  const size_t before = GdiRoomLeft();
  ASSERT_GT(before, 1000u);
  ASSERT_LT(before, 200000u) << "no limit to measure against";
  for (int i = 0; i < 5; ++i) Extracted e(640, 480, "name", "Arial Black");
  EXPECT_EQ(GdiRoomLeft(), before);
}
