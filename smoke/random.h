// random.h: the saver's random generator.
//
// The classic C runtime generator (state * 214013 + 2531011, 15-bit results), written
// out here so that every build draws the same sequence whatever its runtime library.
#pragma once
#include <cstdint>

constexpr int32_t kRandomMax = 32767;

struct RandomGenerator {
  uint32_t state;
};

void SeedRandom(RandomGenerator* random, uint32_t seed);
// Next value, 0..32767.
int32_t NextRandom(RandomGenerator* random);
