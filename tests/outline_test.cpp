// Edge scan and linking of the text raster.
#include "text/outline.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "smoke/random.h"

namespace {

// A raster drawn from rows of '#' (ink) and '.' (blank), placed in a 640 x 480 field.
struct Outline {
  std::vector<uint8_t> pixels;
  std::vector<uint8_t> field = std::vector<uint8_t>(640 * 480);
  std::vector<OutlineNode> nodes;
  std::vector<OutlineNode*> list;
  TextRaster raster{};
  int32_t xoff = 0, yoff = 0;

  explicit Outline(const std::vector<std::string>& rows) {
    const int32_t w = static_cast<int32_t>(rows[0].size()), h = static_cast<int32_t>(rows.size());
    pixels.assign(static_cast<size_t>(w) * h * 3, 0);
    for (int32_t j = 0; j < h; ++j)
      for (int32_t k = 0; k < w; ++k)
        if (rows[j][k] == '#') pixels[(j * w + k) * 3] = 255;
    Scan(w, h);
  }
  Outline(std::vector<uint8_t> raw, int32_t w, int32_t h) : pixels(std::move(raw)) { Scan(w, h); }

  void Scan(int32_t w, int32_t h) {
    raster = TextRaster{pixels.data(), w, h};
    const int32_t count = ScanTextRaster(raster, 640, 480, field.data(), nullptr, nullptr);
    nodes.resize(count);
    list.resize(count);
    EXPECT_EQ(ScanTextRaster(raster, 640, 480, field.data(), nodes.data(), list.data()), count);
    xoff = (640 - w) / 2;
    yoff = (480 - h) / 2;
  }
  // The node at raster position (k, j), or null.
  const OutlineNode* At(int32_t k, int32_t j) const {
    for (const OutlineNode* n : list)
      if (n->x == k + xoff && n->y == j + yoff) return n;
    return nullptr;
  }
  // Its links as a set of slot names, e.g. "E S".
  std::string Links(int32_t k, int32_t j) const {
    static const char* names[] = {"N", "NE", "E", "SE", "S", "SW", "W", "NW"};
    const OutlineNode* n = At(k, j);
    if (n == nullptr) return "none";
    std::string s;
    for (int32_t slot = 0; slot < kLinkSlots; ++slot) {
      if (n->links[slot] == nullptr) continue;
      if (!s.empty()) s += ' ';
      s += names[slot];
    }
    return s;
  }
};

}  // namespace

TEST(ScanTextRaster, LoneRunAndDiagonal) {
  Outline single({".....", "..#..", "....."});
  ASSERT_EQ(single.list.size(), 1u);
  EXPECT_EQ(single.Links(2, 1), "");

  Outline run({"......", ".####.", "......"});
  ASSERT_EQ(run.list.size(), 4u);
  EXPECT_EQ(run.Links(1, 1), "E");
  EXPECT_EQ(run.Links(2, 1), "E W");
  EXPECT_EQ(run.Links(3, 1), "E W");
  EXPECT_EQ(run.Links(4, 1), "W");

  Outline diagonal({".....", ".#...", "..#..", "...#.", "....."});
  EXPECT_EQ(diagonal.Links(1, 1), "SE");
  EXPECT_EQ(diagonal.Links(2, 2), "SE NW");
  EXPECT_EQ(diagonal.Links(3, 3), "NW");
}

TEST(ScanTextRaster, SquaresFillTheirEarlyNodesFirst) {
  Outline two({"....", ".##.", ".##.", "...."});
  ASSERT_EQ(two.list.size(), 4u);
  EXPECT_EQ(two.Links(1, 1), "E S");
  EXPECT_EQ(two.Links(2, 1), "SW W");
  EXPECT_EQ(two.Links(1, 2), "N NE");
  EXPECT_EQ(two.Links(2, 2), "");

  Outline three({".....", ".###.", ".###.", ".###.", "....."});
  ASSERT_EQ(three.list.size(), 8u);
  EXPECT_EQ(three.At(2, 2), nullptr);  // the centre is not an edge
  EXPECT_EQ(three.Links(1, 1), "E S");
  EXPECT_EQ(three.Links(2, 1), "E W");
  EXPECT_EQ(three.Links(3, 1), "S W");
  EXPECT_EQ(three.Links(1, 2), "N S");
  EXPECT_EQ(three.Links(3, 2), "N SW");
  EXPECT_EQ(three.Links(1, 3), "N E");
  EXPECT_EQ(three.Links(2, 3), "NE W");
  EXPECT_EQ(three.Links(3, 3), "");
}

TEST(ScanTextRaster, InkIsTheBlueByteAndOnlyDirectNeighboursMakeAnEdge) {
  // 4 x 3 raster: green and red set everywhere, blue only in the middle row.
  std::vector<uint8_t> raw(4 * 3 * 3, 200);
  for (int32_t k = 0; k < 4; ++k) raw[k * 3] = raw[(8 + k) * 3] = 0;
  Outline o(raw, 4, 3);
  EXPECT_EQ(o.list.size(), 2u);  // columns 1 and 2 only: 0 and 3 are the border

  Outline border({"######", "######", "######"});
  EXPECT_EQ(border.list.size(), 0u);  // inner ink surrounded by ink, border ink never a node

  // Only the four direct neighbours decide; a diagonal one plays no part.
  Outline notch({"......", ".###..", "..##..", ".###..", "......"});
  EXPECT_NE(notch.At(2, 2), nullptr);  // blank on its left, ink on its upper left
  Outline corner({"......", "..##..", ".###..", ".###..", "......"});
  EXPECT_EQ(corner.At(2, 2), nullptr);  // ink all round but for its upper left
}

TEST(ScanTextRaster, PlacesTheBandInTheMiddleOfTheField) {
  std::vector<uint8_t> raw(200 * 200 * 3, 0);
  raw[(1 * 200 + 1) * 3] = 1;      // first possible node
  raw[(198 * 200 + 198) * 3] = 1;  // last possible node
  Outline o(raw, 200, 200);
  ASSERT_EQ(o.list.size(), 2u);
  EXPECT_EQ(o.list[0]->x, 221);
  EXPECT_EQ(o.list[0]->y, 141);
  EXPECT_EQ(o.list[1]->x, 418);
  EXPECT_EQ(o.list[1]->y, 338);
  EXPECT_EQ(o.list[1]->pixel, o.field.data() + 338 * 640 + 418);

  std::vector<uint8_t> wide(640 * 4 * 3, 0);
  wide[(1 * 640 + 5) * 3] = 1;
  Outline full(wide, 640, 4);  // as wide as the field: no horizontal offset
  ASSERT_EQ(full.list.size(), 1u);
  EXPECT_EQ(full.list[0]->x, 5);

  std::vector<uint8_t> field(640 * 480);
  std::vector<uint8_t> big(644 * 4 * 3, 1);
  EXPECT_EQ(
      ScanTextRaster(TextRaster{big.data(), 644, 4}, 640, 480, field.data(), nullptr, nullptr), 0);
}

// Offering every earlier node, as the linking rule is defined, makes the same links as
// looking only at the four earlier neighbours.
TEST(ScanTextRaster, LinksAsIfEveryEarlierNodeWereOffered) {
  RandomGenerator random{};
  SeedRandom(&random, 2024);
  for (int trial = 0; trial < 40; ++trial) {
    const int32_t w = 8 + NextRandom(&random) % 40, h = 3 + NextRandom(&random) % 30;
    const int32_t density = 20 + NextRandom(&random) % 70;
    std::vector<uint8_t> raw(static_cast<size_t>(w) * h * 3);
    for (size_t i = 0; i < raw.size(); ++i) raw[i] = NextRandom(&random) % 100 < density ? 255 : 0;
    Outline fast(raw, w, h);

    std::vector<OutlineNode> plain(fast.nodes.size());
    for (size_t n = 0; n < plain.size(); ++n) {
      InitOutlineNode(&plain[n], fast.list[n]->x, fast.list[n]->y, fast.field.data(), 640);
      for (size_t e = 0; e < n; ++e) {
        if (plain[e].linkCount < 2) LinkOutlineNodes(&plain[n], &plain[e]);
      }
    }
    for (size_t n = 0; n < plain.size(); ++n) {
      ASSERT_EQ(fast.list[n]->linkCount, plain[n].linkCount) << "trial " << trial << " node " << n;
      for (int32_t slot = 0; slot < kLinkSlots; ++slot) {
        const OutlineNode* f = fast.list[n]->links[slot];
        const OutlineNode* p = plain[n].links[slot];
        ASSERT_EQ(f == nullptr ? -1 : f - fast.nodes.data(), p == nullptr ? -1 : p - plain.data())
            << "trial " << trial << " node " << n << " slot " << slot;
      }
    }
  }
}

TEST(LinkOutlineNodes, OnlyNeighboursWithAFreeSlot) {
  std::vector<uint8_t> field(640 * 480);
  OutlineNode a, b, c, far;
  InitOutlineNode(&a, 10, 10, field.data(), 640);
  InitOutlineNode(&b, 11, 9, field.data(), 640);
  InitOutlineNode(&c, 11, 9, field.data(), 640);  // same place as b
  InitOutlineNode(&far, 12, 10, field.data(), 640);
  EXPECT_EQ(LinkOutlineNodes(&a, &a), 0);
  EXPECT_EQ(LinkOutlineNodes(&a, &far), 0);
  EXPECT_EQ(LinkOutlineNodes(&a, &b), 1);
  EXPECT_EQ(a.links[NorthEast], &b);
  EXPECT_EQ(b.links[SouthWest], &a);
  EXPECT_EQ(LinkOutlineNodes(&a, &c), 0);  // a's NorthEast slot is taken
  EXPECT_EQ(a.linkCount, 1);
  EXPECT_EQ(c.linkCount, 0);
}
