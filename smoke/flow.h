// flow.h: where the smoke moves. Built once at start-up.
//
// FlowProfile holds the split column of each row: a straight line down the middle band
// and a sine wave above and below it. SourceMap gives every pixel the offset of the pixel
// it takes its next value from: up in the upper half, down in the lower half, and away
// from the split to either side.
#pragma once
#include <cstdint>

// Writes profile rows 0..height-1. Returns 0 (writing nothing) for an invalid field size.
int BuildFlowProfile(int32_t* flowProfile, int32_t amplitude, int32_t width, int32_t height);

// Writes all width x height entries from profile rows 0..height-2. Returns 0, writing
// nothing, for an invalid field size, a centre row outside the field, a speed outside
// 0..height or a split column outside 0..width.
int BuildSourceMap(uint32_t* sourceMap, int32_t width, int32_t height, int32_t centreRow,
                   int32_t spread, int32_t rise, int32_t fall, const int32_t* flowProfile);
