// The generator must draw the classic runtime sequence on every build.
#include "smoke/random.h"

#include <gtest/gtest.h>

TEST(Random, DrawsTheClassicSequence) {
  RandomGenerator random{};
  SeedRandom(&random, 1);
  for (int32_t expected : {41, 18467, 6334, 26500, 19169}) EXPECT_EQ(NextRandom(&random), expected);

  // Far into the sequence the state has wrapped modulo 2^32 many times.
  SeedRandom(&random, 1);
  int32_t value = 0;
  for (int i = 0; i < 100000; ++i) value = NextRandom(&random);
  EXPECT_EQ(value, 1629);
}

TEST(Random, StaysWithinFifteenBits) {
  RandomGenerator random{};
  SeedRandom(&random, 0xFFFFFFFFu);
  int32_t lowest = kRandomMax, highest = 0;
  for (int i = 0; i < 200000; ++i) {
    const int32_t v = NextRandom(&random);
    lowest = std::min(lowest, v);
    highest = std::max(highest, v);
  }
  EXPECT_EQ(lowest, 0);
  EXPECT_EQ(highest, kRandomMax);
}
