// Decay table and the in-place remap.
#include "smoke/decay.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "smoke/flow.h"
#include "tests/smoke_reference.h"

TEST(DecayTable, DecayedValuesLoseOneFiftiethRoundedUp) {
  for (int32_t v = 0; v < 256; ++v) {
    ASSERT_EQ(DecayedValue(v), v - (v + 49) / 50) << v;
  }
  EXPECT_EQ(DecayedValue(50), 49);
  EXPECT_EQ(DecayedValue(51), 49);
  EXPECT_EQ(DecayedValue(100), 98);
  EXPECT_EQ(DecayedValue(101), 98);
  EXPECT_EQ(DecayedValue(250), 245);
  EXPECT_EQ(DecayedValue(255), 249);
}

namespace {

// Fills a table and says which share of its rows 0..height-1 drop, and where the
// generator stands afterwards.
struct DecayRun {
  std::vector<uint8_t> table = std::vector<uint8_t>(kDecayTableBytes, 0xAA);
  RandomGenerator random{};
  double dropShare = 0;
  int result = 0;

  DecayRun(int32_t height, int32_t volume, uint32_t seed = 1) {
    SeedRandom(&random, seed);
    result = BuildDecayTable(table.data(), height, volume, &random);
    if (result != 1) return;
    int drops = 0, decaying = 0;
    for (int32_t y = 0; y < height; ++y) {
      for (int32_t v = 1; v < 256; ++v) {
        const uint8_t e = table[v * 768 + y];
        EXPECT_TRUE(e == v || e == DecayedValue(v)) << v << "," << y;
        ++decaying;
        drops += e != v;
      }
    }
    dropShare = static_cast<double>(drops) / decaying;
  }
};

RandomGenerator After(uint32_t seed, int draws) {
  RandomGenerator r{};
  SeedRandom(&r, seed);
  for (int i = 0; i < draws; ++i) NextRandom(&r);
  return r;
}

}  // namespace

TEST(DecayTable, OneDrawPerEntryRowsOuterValuesInner) {
  DecayRun run(600, 5, 12345);
  ASSERT_EQ(run.result, 1);
  EXPECT_EQ(run.random.state, After(12345, 600 * 256).state);
  // Entry [v][y] used draw number y * 256 + v.
  RandomGenerator r{};
  SeedRandom(&r, 12345);
  for (int32_t y = 0; y < 600; ++y) {
    for (int32_t v = 0; v < 256; ++v) {
      const bool keeps = NextRandom(&r) % 3 != 0;
      ASSERT_EQ(run.table[v * 768 + y], keeps ? v : DecayedValue(v)) << v << "," << y;
    }
  }
  for (int32_t i = 600; i < 768; ++i) EXPECT_EQ(run.table[i], 0xAA);  // unused rows of value 0
}

TEST(DecayTable, VolumeSetsTheShareThatDrops) {
  const struct {
    int32_t volume;
    double share;
  } cases[] = {{0, 1.0},     {1, 1.0},     {2, 1.0 / 2}, {5, 1.0 / 3},
               {7, 1.0 / 4}, {8, 1.0 / 5}, {10, 1.0 / 6}};
  for (const auto& c : cases) {
    DecayRun run(480, c.volume);
    ASSERT_EQ(run.result, 1);
    EXPECT_NEAR(run.dropShare, c.share, 0.01) << "volume " << c.volume;
    EXPECT_EQ(run.random.state, After(1, 480 * 256).state) << "volume " << c.volume;
  }
}

TEST(DecayTable, HandEditedVolumesReadAsUnsigned) {
  // -1 is 0xFFFFFFFF: divisor 2^31, so only a draw of 0 drops. 0x7FFFFFFF: divisor 2^30.
  for (int32_t volume : {-1, 0x7FFFFFFF}) {
    DecayRun run(600, volume, 777);
    ASSERT_EQ(run.result, 1);
    RandomGenerator r{};
    SeedRandom(&r, 777);
    for (int32_t y = 0; y < 600; ++y) {
      for (int32_t v = 0; v < 256; ++v) {
        const bool drops = NextRandom(&r) == 0;
        ASSERT_EQ(run.table[v * 768 + y], drops ? DecayedValue(v) : v);
      }
    }
  }
}

TEST(DecayTable, RefusesHeightsThatAreNotFieldHeights) {
  for (int32_t height : {0, -600, 599, 768, 769}) {
    DecayRun run(height, 5);
    EXPECT_EQ(run.result, 0) << height;
    EXPECT_EQ(run.random.state, 1u) << "no draws for " << height;
  }
}

// Both kernels: the portable one everywhere, and the one this processor picked.
TEST(RemapAndDecay, InPlaceEqualsFromACopyOnRandomFields) {
  for (auto [w, h] : {std::pair{800, 600}, std::pair{640, 480}}) {
    for (int32_t volume : {0, 5, 10}) {
      auto t = MakeTestEngine(w, h, volume, 31 + volume);
      ASSERT_NE(t, nullptr);
      for (RemapKernel kernel : {RemapKernel::Portable, t->Plan()->kernel}) {
        t->Plan()->kernel = kernel;
        std::vector<uint8_t> plain(t->Area()), copy(t->Area());
        for (int frame = 0; frame < 3; ++frame) {
          FillRandom(t->Field(), t->Area(), 50 + frame + volume);
          plain.assign(t->Field(), t->Field() + t->Area());
          copy = plain;
          RemapAndDecay(t->Field(), t->Plan());
          reference::RemapAndDecay(plain.data(), t->engine.sourceMap, w, h, h / 2,
                                   t->engine.decayTable, t->engine.flowProfile);
          reference::RemapAndDecayFromCopy(copy.data(), t->engine.sourceMap, w, h,
                                           t->engine.decayTable);
          ASSERT_EQ(plain, copy) << w << " volume " << volume;
          ASSERT_TRUE(std::equal(plain.begin(), plain.end(), t->Field()))
              << w << " volume " << volume << " kernel " << static_cast<int>(kernel);
        }
      }
    }
  }
}

TEST(RemapAndDecay, EveryValueOnEveryRowDecaysAsItsTableSays) {
  // Row y of a field full of value v; every (v, y) pair once for each kernel.
  auto t = MakeTestEngine(800, 600, 6, 8);
  ASSERT_NE(t, nullptr);
  for (RemapKernel kernel : {RemapKernel::Portable, t->Plan()->kernel}) {
    t->Plan()->kernel = kernel;
    for (int32_t v = 0; v < 256; ++v) {
      std::fill(t->Field(), t->Field() + t->Area(), static_cast<uint8_t>(v));
      RemapAndDecay(t->Field(), t->Plan());
      for (int32_t y = 0; y < 600; ++y) {
        const uint8_t expected = t->engine.decayTable[v * 768 + y];
        for (int32_t x = 0; x < 800; ++x) {
          ASSERT_EQ(t->Field()[y * 800 + x], expected) << "v " << v << " at " << x << "," << y;
        }
      }
    }
  }
}

TEST(RemapAndDecay, ZeroStaysAndOneFadesWhereItsEntryDrops) {
  auto t = MakeTestEngine(640, 480, 0);  // every entry drops
  ASSERT_NE(t, nullptr);
  RemapAndDecay(t->Field(), t->Plan());
  EXPECT_EQ(std::count(t->Field(), t->Field() + t->Area(), 0), static_cast<long>(t->Area()));
  std::fill(t->Field(), t->Field() + t->Area(), 1);
  RemapAndDecay(t->Field(), t->Plan());
  EXPECT_EQ(std::count(t->Field(), t->Field() + t->Area(), 0), static_cast<long>(t->Area()));
}

TEST(RemapPlan, RefusesMapsThatCannotBeWalkedInPlace) {
  auto t = MakeTestEngine(640, 480);
  ASSERT_NE(t, nullptr);
  std::vector<uint32_t> map(t->engine.sourceMap, t->engine.sourceMap + t->Area());
  RemapPlan plan;
  auto build = [&](const std::vector<uint32_t>& m) {
    return BuildRemapPlan(&plan, m.data(), 640, 480, 240, t->engine.decayTable,
                          t->engine.flowProfile);
  };
  ASSERT_EQ(build(map), 1);

  auto broken = map;
  broken[100 * 640 + 5] = 640 * 480;  // outside the field
  EXPECT_EQ(build(broken), 0);
  auto wholeRowFrom = [&](int32_t y, int32_t source) {
    broken = map;
    for (int32_t x = 0; x < 640; ++x) broken[y * 640 + x] = source * 640 + x;
  };
  wholeRowFrom(400, 470);  // a lower row the walk has already rewritten
  EXPECT_EQ(build(broken), 0);
  wholeRowFrom(100, 99);  // an upper row already rewritten
  EXPECT_EQ(build(broken), 0);
  wholeRowFrom(100, 300);  // a lower row, rewritten before the upper half starts
  EXPECT_EQ(build(broken), 0);
  wholeRowFrom(400, 100);  // an upper row, not yet rewritten when row 400 is
  EXPECT_EQ(build(broken), 1);
  broken = map;
  broken[100 * 640 + 5] = 120 * 640 + 5;  // a second source row for one row
  EXPECT_EQ(build(broken), 0);
  broken = map;
  for (int32_t x = 0; x < 640; ++x) broken[300 * 640 + x] = 300 * 640 + x;  // a row from itself
  EXPECT_EQ(build(broken), 1);
  broken[300 * 640 + 5] = 300 * 640 + 4;  // ... but from a pixel the walk has already rewritten
  EXPECT_EQ(build(broken), 0);

  std::vector<uint8_t> table(t->engine.decayTable, t->engine.decayTable + kDecayTableBytes);
  table[200 * 768 + 17] = 7;  // neither 200 nor decayed(200)
  EXPECT_EQ(BuildRemapPlan(&plan, map.data(), 640, 480, 240, table.data(), t->engine.flowProfile),
            0);
  EXPECT_EQ(
      BuildRemapPlan(&plan, map.data(), 640, 600, 240, t->engine.decayTable, t->engine.flowProfile),
      0);
}
