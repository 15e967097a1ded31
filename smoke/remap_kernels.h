// remap_kernels.h: the row kernels of RemapAndDecay, shared by decay.cpp and the SSSE3
// unit (built with SSSE3 enabled and run only where the processor has it).
#pragma once
#include <cstdint>

#include "smoke/decay.h"

#if defined(__x86_64__) || defined(__i386__)
#define VAPRYX_HAVE_SSSE3_KERNEL 1
#endif

// Walks a run of columns in groups of kGroup, each group read whole before it is written:
// the plan guarantees that no pixel reads one the walk has already rewritten, so a group
// only reads pixels the one-at-a-time walk would still find unchanged. group(to, from)
// decays kGroup pixels, one(to, from) a single pixel.
template <int32_t kGroup, typename Group, typename One>
inline void WalkRun(uint8_t* target, const uint8_t* source, const RemapSpan& span, Group group,
                    One one) {
  int32_t x = span.first;
  int32_t left = (span.last - span.first) * span.step + 1;
  if (span.step > 0) {
    for (; left >= kGroup; left -= kGroup, x += kGroup) group(target + x, source + x + span.shift);
  } else {
    for (; left >= kGroup; left -= kGroup, x -= kGroup) {
      group(target + x - (kGroup - 1), source + x - (kGroup - 1) + span.shift);
    }
  }
  for (; left > 0; --left, x += span.step) one(target + x, source + x + span.shift);
}

// One row of the pass: byte by byte through decayByRow, or 16 bytes at a time with SSSE3.
void RemapRowPortable(uint8_t* target, const uint8_t* source, const RemapRow& row,
                      const RemapPlan* plan);
#if VAPRYX_HAVE_SSSE3_KERNEL
void RemapRowSsse3(uint8_t* target, const uint8_t* source, const RemapRow& row,
                   const RemapPlan* plan);
#endif
