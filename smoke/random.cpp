// random.cpp: the saver's random generator.
#include "smoke/random.h"

void SeedRandom(RandomGenerator* random, uint32_t seed) { random->state = seed; }

int32_t NextRandom(RandomGenerator* random) {
  random->state = random->state * 214013u + 2531011u;  // wraps modulo 2^32
  return static_cast<int32_t>((random->state >> 16) & 0x7FFFu);
}
