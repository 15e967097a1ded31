// filters.h: the two integer filters that soften the smoke every frame, in place.
#pragma once
#include <cstdint>

// Evens out the 4 x 4 blocks of columns x0..x1-1 and rows y0..y1-1 towards the average of
// their neighbourhood (the block and its up to four direct neighbours): every pixel becomes
// (pixel + that average) / 2. Pixels outside whole blocks are left alone. BlockAverages is
// scratch for (x1 - x0) / 4 x (y1 - y0) / 4 values. Returns 0, touching nothing, for an
// invalid field size or a rectangle that is not inside the field.
int SmoothBlocks(uint8_t* smokeField, uint16_t* blockAverages, int32_t width, int32_t height,
                 int32_t x0, int32_t y0, int32_t x1, int32_t y1);

// Tile blur: a tile at offset o averages the corner o and the 2 x 2 square at o + W + 1
// and writes the average to the square. Tiles run `step` apart along bands that start at
// row y0 (column 0) and move on by step rows; offsets run on past a row's end into the
// next row. x0 and x1 only give the number of tiles per band. Returns 0, touching nothing,
// for an invalid field size, step <= 0, x1 - x0 > width, y0 < 0 or y1 > height.
int BlurField(uint8_t* smokeField, int32_t width, int32_t height, int32_t x0, int32_t y0,
              int32_t x1, int32_t y1, int32_t step);
