// Flow profile and source map: worked values that only the exact arithmetic gets right,
// and the guarantees the in-place remap relies on, for every pixel.
#include "smoke/flow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <vector>

#include "tests/smoke_reference.h"

namespace {

struct Motion {
  int32_t width, height;
  std::vector<int32_t> profile = std::vector<int32_t>(kTableRows);
  std::vector<uint32_t> map;

  Motion(int32_t w, int32_t h) : width(w), height(h), map(static_cast<size_t>(w) * h) {
    EXPECT_EQ(BuildFlowProfile(profile.data(), 100, w, h), 1);
    EXPECT_EQ(BuildSourceMap(map.data(), w, h, h / 2, 10, 8, 10, profile.data()), 1);
  }
  uint32_t Entry(int32_t x, int32_t y) const { return map[static_cast<size_t>(y) * width + x]; }
  int32_t SourceRow(int32_t y) const { return Entry(0, y) / width; }
  int32_t SourceColumn(int32_t x, int32_t y) const { return Entry(x, y) % width; }
};

}  // namespace

TEST(FlowProfile, WavesAndMiddleBand800x600) {
  Motion m(800, 600);
  const std::map<int32_t, int32_t> expected = {{0, 350},   {100, 425}, {150, 300}, {199, 396},
                                               {200, 400}, {201, 400}, {449, 400}, {450, 400},
                                               {451, 403}, {599, 306}};
  for (auto [row, split] : expected) EXPECT_EQ(m.profile[row], split) << "row " << row;
  for (int32_t y = 201; y < 450; ++y) EXPECT_EQ(m.profile[y], 400) << "row " << y;
  EXPECT_EQ(*std::min_element(m.profile.begin(), m.profile.begin() + 600), 300);
  EXPECT_EQ(*std::max_element(m.profile.begin(), m.profile.begin() + 600), 499);
}

TEST(FlowProfile, WavesAndMiddleBand640x480) {
  Motion m(640, 480);
  const std::map<int32_t, int32_t> expected = {{0, 419},   {100, 222}, {120, 257}, {139, 316},
                                               {140, 320}, {141, 320}, {359, 320}, {360, 320},
                                               {361, 323}, {479, 241}};
  for (auto [row, split] : expected) EXPECT_EQ(m.profile[row], split) << "row " << row;
  EXPECT_EQ(*std::min_element(m.profile.begin(), m.profile.begin() + 480), 220);
  EXPECT_EQ(*std::max_element(m.profile.begin(), m.profile.begin() + 480), 419);
}

TEST(FlowProfile, LeavesRowsBelowTheFieldAlone) {
  std::vector<int32_t> profile(kTableRows, -7);
  ASSERT_EQ(BuildFlowProfile(profile.data(), 100, 640, 480), 1);
  for (int32_t y = 480; y < kTableRows; ++y) ASSERT_EQ(profile[y], -7);
}

TEST(SourceMap, SourceRowsFollowTheSinglePrecisionStep) {
  Motion big(800, 600);
  const std::map<int32_t, int32_t> rows800 = {{0, 9},     {1, 9},     {2, 10},
                                              {75, 81},   {150, 154}, {225, 227},
                                              {299, 299}, {300, 300}, {599, 589}};
  for (auto [y, s] : rows800) EXPECT_EQ(big.SourceRow(y), s) << "800x600 row " << y;

  Motion small(640, 480);
  const std::map<int32_t, int32_t> rows640 = {{0, 9},     {30, 37},   {60, 66},
                                              {239, 239}, {240, 240}, {479, 469}};
  for (auto [y, s] : rows640) EXPECT_EQ(small.SourceRow(y), s) << "640x480 row " << y;
}

TEST(SourceMap, RowsNearTheCentreOfTheLowerHalfStayPut) {
  const struct { int32_t w, h, lastStill; } cases[] = {{800, 600, 326}, {640, 480, 260}};
  for (const auto& c : cases) {
    Motion m(c.w, c.h);
    for (int32_t y = c.h / 2; y <= c.lastStill; ++y) EXPECT_EQ(m.SourceRow(y), y) << c.w;
    EXPECT_LT(m.SourceRow(c.lastStill + 1), c.lastStill + 1) << c.w;
  }
}

TEST(SourceMap, SourceColumnsOfRow300At800x600) {
  Motion m(800, 600);
  const std::map<int32_t, int32_t> columns = {{0, 5},     {79, 83},   {80, 83},   {81, 84},
                                              {160, 162}, {398, 398}, {399, 399}, {400, 400},
                                              {719, 716}, {720, 716}, {799, 794}};
  for (auto [x, c] : columns) EXPECT_EQ(m.SourceColumn(x, 300), c) << "x " << x;
}

TEST(SourceMap, TopAndBottomRows) {
  Motion big(800, 600);
  EXPECT_EQ(big.Entry(0, 0), 9u * 800 + 4);
  EXPECT_EQ(big.Entry(799, 0), 9u * 800 + 794);
  Motion small(640, 480);
  EXPECT_EQ(small.Entry(0, 0), 9u * 640 + 6);
  EXPECT_EQ(small.Entry(639, 0), 9u * 640 + 636);
  for (const Motion* m : {&big, &small}) {
    const int32_t bottom = m->height - 1;
    for (int32_t x = 0; x < m->width; ++x) {
      ASSERT_EQ(m->Entry(x, bottom), static_cast<uint32_t>((bottom - 10) * m->width + x)) << x;
    }
  }
}

TEST(SourceMap, EveryPixelTakesFromItsOwnHalfAndSideNearby) {
  for (auto [w, h] : {std::pair{800, 600}, std::pair{640, 480}}) {
    Motion m(w, h);
    const int32_t centre = h / 2;
    int32_t widest = 0, tallest = 0;
    for (int32_t y = 0; y < h; ++y) {
      const int32_t s = m.SourceRow(y);
      if (y >= centre) {
        ASSERT_TRUE(centre <= s && s <= y) << w << " row " << y;
      } else if (y < centre - 1) {
        ASSERT_TRUE(y < s && s <= centre - 1) << w << " row " << y;
      } else {
        ASSERT_EQ(s, y);
      }
      tallest = std::max(tallest, std::abs(s - y));
      const int32_t split = m.profile[y];
      for (int32_t x = 0; x < w; ++x) {
        ASSERT_EQ(m.Entry(x, y) / w, static_cast<uint32_t>(s)) << w << " (" << x << "," << y << ")";
        const int32_t c = m.SourceColumn(x, y);
        if (x < split) {
          ASSERT_TRUE(x <= c && c < split) << w << " (" << x << "," << y << ") -> " << c;
        } else {
          ASSERT_TRUE(split <= c && c <= x) << w << " (" << x << "," << y << ") -> " << c;
        }
        widest = std::max(widest, std::abs(c - x));
      }
    }
    EXPECT_EQ(widest, 6) << w;
    EXPECT_EQ(tallest, 10) << w;
  }
}

TEST(SourceMap, RefusesArgumentsThatWouldLeaveTheField) {
  std::vector<int32_t> profile(kTableRows);
  ASSERT_EQ(BuildFlowProfile(profile.data(), 100, 800, 600), 1);
  std::vector<uint32_t> map(800 * 600, 0xDEADBEEF);
  EXPECT_EQ(BuildSourceMap(map.data(), 800, 601, 300, 10, 8, 10, profile.data()), 0);
  EXPECT_EQ(BuildSourceMap(map.data(), 800, 600, 0, 10, 8, 10, profile.data()), 0);
  EXPECT_EQ(BuildSourceMap(map.data(), 800, 600, 600, 10, 8, 10, profile.data()), 0);
  EXPECT_EQ(BuildSourceMap(map.data(), 800, 600, 300, -1, 8, 10, profile.data()), 0);
  EXPECT_EQ(BuildSourceMap(map.data(), 800, 600, 300, 10, 8, 1 << 30, profile.data()), 0);
  profile[42] = 801;
  EXPECT_EQ(BuildSourceMap(map.data(), 800, 600, 300, 10, 8, 10, profile.data()), 0);
  EXPECT_TRUE(std::all_of(map.begin(), map.end(), [](uint32_t e) { return e == 0xDEADBEEF; }));
  profile[42] = 800;  // a split at the very right edge is still inside
  EXPECT_EQ(BuildSourceMap(map.data(), 800, 600, 300, 10, 8, 10, profile.data()), 1);
  EXPECT_EQ(BuildFlowProfile(profile.data(), 100, 1024, 768), 0);
}

// Start-up tables are computed with floating point; both builds must agree on every entry.
TEST(SourceMap, TablesAreTheSameOnEveryBuild) {
  Motion big(800, 600);
  Motion small(640, 480);
  EXPECT_EQ(Fingerprint(big.profile.data(), 600 * 4), 0x54cfc4c352d5b524ull);
  EXPECT_EQ(Fingerprint(big.map.data(), big.map.size() * 4), 0xfea9b5ce94e337c2ull);
  EXPECT_EQ(Fingerprint(small.profile.data(), 480 * 4), 0x0f78ba3bb55a53f7ull);
  EXPECT_EQ(Fingerprint(small.map.data(), small.map.size() * 4), 0xf944f165b26b11faull);
}
