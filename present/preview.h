// preview.h: point sampling of the field into the small preview picture.
//
// The sample positions are worked out once; each frame is then a plain gather.
#pragma once
#include <cstdint>

// Bytes per preview row: the width rounded up to a multiple of 4, as an 8-bit DIB needs.
int32_t PreviewStride(int32_t previewWidth);

// Fills pw x ph offsets into the W x H field: preview column k shows field column
// k x floor(W / pw), row i field row i x floor(H / ph) (whole steps, accumulated). A preview
// wider or taller than the field repeats column or row 0. With pw or ph 0 there is nothing
// to fill. Returns 0, writing nothing, for a negative preview size, and for a field that is
// empty or too large for 32-bit offsets.
int FillPreviewSampleTable(uint32_t* sampleTable, int32_t previewWidth, int32_t previewHeight,
                           int32_t fieldWidth, int32_t fieldHeight);

// PreviewPixels[i x stride + k] = field[sampleTable[i x pw + k]]; row padding is left alone.
void GatherPreview(uint8_t* previewPixels, const uint32_t* sampleTable, int32_t previewWidth,
                   int32_t previewHeight, const uint8_t* smokeField);
