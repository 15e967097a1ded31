// decay.h: how the smoke fades and moves each frame.
//
// DecayTable (256 x 768, value-major: entry [v][y] at v * 768 + y) says what intensity v
// becomes on row y in one step: v itself or decayed(v), chosen at random at start-up.
// Every frame each pixel takes the decayed value of its SourceMap source, in place.
#pragma once
#include <cstdint>

struct RandomGenerator;

constexpr int32_t kDecayTableBytes = 256 * 768;

// trunc(v x 0.98f): v - ceil(v / 50) for 0..255.
uint8_t DecayedValue(int32_t value);

// Fills rows 0..height-1, rows outer and values inner, one draw per entry (height x 256
// draws). Volume is read as unsigned: an entry keeps its value unless the draw is a
// multiple of (Volume >> 1) + 1. Returns 0, drawing nothing, for a height that is not a
// field height.
int BuildDecayTable(uint8_t* decayTable, int32_t height, int32_t volume, RandomGenerator* random);

// The remap as the frame step walks it: the SourceMap and DecayTable recast as, per row,
// one source row and a few runs of columns that share the same horizontal shift, plus
// that row's 256 decayed values side by side. Built once after both tables.
constexpr int32_t kMaxRemapSpans = 32;

struct RemapSpan {
  int16_t first;  // first column written
  int16_t last;   // last column written, inclusive
  int16_t step;   // +1: columns left to right, -1: right to left
  int16_t shift;  // column x takes from column x + shift of the source row
};

struct RemapRow {
  int32_t row;
  int32_t sourceRow;
  int32_t spanCount;
  RemapSpan spans[kMaxRemapSpans];
};

// How the pass runs: one byte at a time through decayByRow, or 16 at a time with SSSE3,
// computing the decayed value and picking it where the row's drop bit for the value is set.
enum class RemapKernel : int32_t { Portable = 0, Ssse3 = 1 };

struct RemapPlan {
  int32_t width;
  int32_t height;
  RemapKernel kernel;            // the fastest this processor runs; tests may pick another
  RemapRow rows[768];            // in the order the pass walks them
  uint8_t decayByRow[768][256];  // decayByRow[y][v] = DecayTable entry [v][y]
  // Drop bits of row y for value v = 16h + l: bit l of dropLow[y][h] (l < 8) or bit
  // l - 8 of dropHigh[y][h] (l >= 8).
  uint8_t dropLow[768][16];
  uint8_t dropHigh[768][16];
};

// Builds the plan of the in-place pass: the lower half bottom up, then the upper half top
// down; within a row the columns left of the split left to right, then the rest right to
// left. Returns 0 when the map cannot be walked in place that way (a source outside the
// field, a row taking from several rows or from a row already rewritten, a pixel reading
// one already rewritten), has more runs per row than the plan holds, or the DecayTable
// holds a value that is neither v nor decayed(v).
int BuildRemapPlan(RemapPlan* plan, const uint32_t* sourceMap, int32_t width, int32_t height,
                   int32_t centreRow, const uint8_t* decayTable, const int32_t* flowProfile);

// Every pixel takes DecayTable[field[source]][its own row], as if all were read first.
void RemapAndDecay(uint8_t* smokeField, const RemapPlan* plan);
