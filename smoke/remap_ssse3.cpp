// remap_ssse3.cpp: the remap row kernel for processors with SSSE3, 16 pixels at a time.
//
// Instead of looking each pixel up in the row's 256 decay values, it computes
// decayed(v) = v - ceil(v / 50) and subtracts the loss where the row's drop bit for v is
// set; both are byte shuffles indexed by v's nibbles.
#include <tmmintrin.h>

#include "smoke/remap_kernels.h"

void RemapRowSsse3(uint8_t* target, const uint8_t* source, const RemapRow& row,
                   const RemapPlan* plan) {
  const __m128i lowNibble = _mm_set1_epi8(0x0F);
  const __m128i seven = _mm_set1_epi8(7);
  // ceil(v / 50) at v = 16h, and the low nibble from which it is one more (16 = never).
  const __m128i lossAtNibble = _mm_setr_epi8(0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5, 5, 5);
  const __m128i stepAt = _mm_setr_epi8(1, 16, 16, 3, 16, 16, 5, 16, 16, 7, 16, 16, 9, 16, 16, 11);
  const __m128i bitOf = _mm_setr_epi8(1, 2, 4, 8, 16, 32, 64, -128, 1, 2, 4, 8, 16, 32, 64, -128);
  const __m128i dropLow = _mm_loadu_si128(reinterpret_cast<const __m128i*>(plan->dropLow[row.row]));
  const __m128i dropHigh =
      _mm_loadu_si128(reinterpret_cast<const __m128i*>(plan->dropHigh[row.row]));

  auto group = [&](uint8_t* to, const uint8_t* from) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
    const __m128i l = _mm_and_si128(v, lowNibble);
    const __m128i h = _mm_and_si128(_mm_srli_epi16(v, 4), lowNibble);
    const __m128i stepped = _mm_cmpeq_epi8(_mm_max_epu8(l, _mm_shuffle_epi8(stepAt, h)), l);
    const __m128i loss = _mm_sub_epi8(_mm_shuffle_epi8(lossAtNibble, h), stepped);  // -1 adds one
    const __m128i upper = _mm_cmpgt_epi8(l, seven);
    const __m128i bits = _mm_or_si128(_mm_and_si128(upper, _mm_shuffle_epi8(dropHigh, h)),
                                      _mm_andnot_si128(upper, _mm_shuffle_epi8(dropLow, h)));
    const __m128i bit = _mm_shuffle_epi8(bitOf, l);
    const __m128i drops = _mm_cmpeq_epi8(_mm_and_si128(bits, bit), bit);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to), _mm_sub_epi8(v, _mm_and_si128(loss, drops)));
  };
  const uint8_t* decay = plan->decayByRow[row.row];
  auto one = [decay](uint8_t* to, const uint8_t* from) { *to = decay[*from]; };
  for (int32_t s = 0; s < row.spanCount; ++s) WalkRun<16>(target, source, row.spans[s], group, one);
}
