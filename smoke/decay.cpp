// decay.cpp: decay table, remap plan and the per-frame remap.
#include "smoke/decay.h"

#include <cstring>

#include "smoke/field.h"
#include "smoke/random.h"
#include "smoke/remap_kernels.h"

uint8_t DecayedValue(int32_t value) {
  return static_cast<uint8_t>(static_cast<int32_t>(value * static_cast<double>(0.98f)));
}

int BuildDecayTable(uint8_t* decayTable, int32_t height, int32_t volume, RandomGenerator* random) {
  if (height != 480 && height != 600) return 0;
  const uint32_t keepDivisor = (static_cast<uint32_t>(volume) >> 1) + 1;
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t v = 0; v < 256; ++v) {
      const uint8_t decayed = DecayedValue(v);
      const uint32_t r = static_cast<uint32_t>(NextRandom(random));
      decayTable[v * kTableRows + y] = (r % keepDivisor != 0) ? static_cast<uint8_t>(v) : decayed;
    }
  }
  return 1;
}

namespace {

// Adds pixel `x` of `row` to the row's runs; 0 when the row has too many runs.
int AddToRuns(RemapRow* row, int32_t x, int32_t step, int32_t shift) {
  if (row->spanCount > 0) {
    RemapSpan& span = row->spans[row->spanCount - 1];
    if (span.step == step && span.shift == shift && span.last + step == x) {
      span.last = static_cast<int16_t>(x);
      return 1;
    }
  }
  if (row->spanCount == kMaxRemapSpans) return 0;
  row->spans[row->spanCount++] = RemapSpan{static_cast<int16_t>(x), static_cast<int16_t>(x),
                                           static_cast<int16_t>(step), static_cast<int16_t>(shift)};
  return 1;
}

}  // namespace

int BuildRemapPlan(RemapPlan* plan, const uint32_t* sourceMap, int32_t width, int32_t height,
                   int32_t centreRow, const uint8_t* decayTable, const int32_t* flowProfile) {
  if (!IsFieldSize(width, height) || centreRow < 1 || centreRow >= height) return 0;
  plan->width = width;
  plan->height = height;

  bool rowWritten[kTableRows] = {};
  bool columnWritten[800];
  const uint32_t area = static_cast<uint32_t>(width) * static_cast<uint32_t>(height);

  for (int32_t i = 0; i < height; ++i) {
    const int32_t y = i < height - centreRow ? height - 1 - i : i - (height - centreRow);
    const int32_t split = flowProfile[y];
    if (split < 0 || split > width) return 0;

    RemapRow* row = &plan->rows[i];
    row->row = y;
    row->sourceRow = -1;
    row->spanCount = 0;
    std::memset(columnWritten, 0, sizeof columnWritten);

    for (int32_t k = 0; k < width; ++k) {
      const int32_t x = k < split ? k : width - 1 - (k - split);
      const uint32_t source = sourceMap[y * width + x];
      if (source >= area) return 0;
      const int32_t sourceRow = static_cast<int32_t>(source / width);
      const int32_t sourceColumn = static_cast<int32_t>(source % width);
      if (row->sourceRow < 0) row->sourceRow = sourceRow;
      if (sourceRow != row->sourceRow || rowWritten[sourceRow]) return 0;
      if (sourceRow == y && columnWritten[sourceColumn]) return 0;
      columnWritten[x] = true;
      if (!AddToRuns(row, x, k < split ? 1 : -1, sourceColumn - x)) return 0;
    }
    rowWritten[y] = true;

    std::memset(plan->dropLow[y], 0, 16);
    std::memset(plan->dropHigh[y], 0, 16);
    for (int32_t v = 0; v < 256; ++v) {
      const uint8_t entry = decayTable[v * kTableRows + y];
      if (entry != v && entry != DecayedValue(v)) return 0;
      plan->decayByRow[y][v] = entry;
      if (entry != v) {
        uint8_t* bits = (v & 8) ? plan->dropHigh[y] : plan->dropLow[y];
        bits[v >> 4] |= static_cast<uint8_t>(1u << (v & 7));
      }
    }
  }
  plan->kernel = RemapKernel::Portable;
#if VAPRYX_HAVE_SSSE3_KERNEL
  if (__builtin_cpu_supports("ssse3")) plan->kernel = RemapKernel::Ssse3;
#endif
  return 1;
}

void RemapRowPortable(uint8_t* target, const uint8_t* source, const RemapRow& row,
                      const RemapPlan* plan) {
  const uint8_t* decay = plan->decayByRow[row.row];
  auto one = [decay](uint8_t* to, const uint8_t* from) { *to = decay[*from]; };
  auto group = [decay](uint8_t* to, const uint8_t* from) {
    uint64_t v;
    std::memcpy(&v, from, sizeof v);
    for (int i = 0; i < 8; ++i) to[i] = decay[(v >> (8 * i)) & 0xFF];
  };
  for (int32_t s = 0; s < row.spanCount; ++s) WalkRun<8>(target, source, row.spans[s], group, one);
}

void RemapAndDecay(uint8_t* smokeField, const RemapPlan* plan) {
  const int32_t width = plan->width;
  for (int32_t i = 0; i < plan->height; ++i) {
    const RemapRow& row = plan->rows[i];
    uint8_t* target = smokeField + row.row * width;
    const uint8_t* source = smokeField + row.sourceRow * width;
#if VAPRYX_HAVE_SSSE3_KERNEL
    if (plan->kernel == RemapKernel::Ssse3) {
      RemapRowSsse3(target, source, row, plan);
      continue;
    }
#endif
    RemapRowPortable(target, source, row, plan);
  }
}
