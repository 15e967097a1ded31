// preview.cpp: the preview sample table and the per-frame gather.
#include "present/preview.h"

#include <cstddef>

int32_t PreviewStride(int32_t previewWidth) { return (previewWidth + 3) & ~3; }

int FillPreviewSampleTable(uint32_t* sampleTable, int32_t previewWidth, int32_t previewHeight,
                           int32_t fieldWidth, int32_t fieldHeight) {
  if (previewWidth < 0 || previewHeight < 0) return 0;
  // Offsets are 32-bit: a field they cannot all address is refused, as is an empty one.
  if (fieldWidth <= 0 || fieldHeight <= 0 ||
      static_cast<uint64_t>(fieldWidth) * static_cast<uint64_t>(fieldHeight) > UINT32_MAX) {
    return 0;
  }
  if (previewWidth == 0 || previewHeight == 0) return 1;
  const double stepX = static_cast<double>(fieldWidth) / static_cast<uint32_t>(previewWidth);
  const double stepY = static_cast<double>(fieldHeight) / static_cast<uint32_t>(previewHeight);
  // Positions stay whole numbers: each step adds the whole part of the ratio.
  uint32_t row = 0;
  for (int32_t i = 0; i < previewHeight; ++i) {
    uint32_t column = 0;
    for (int32_t k = 0; k < previewWidth; ++k) {
      sampleTable[static_cast<size_t>(i) * previewWidth + k] = row * fieldWidth + column;
      column = static_cast<uint32_t>(column + stepX);
    }
    row = static_cast<uint32_t>(row + stepY);
  }
  return 1;
}

void GatherPreview(uint8_t* previewPixels, const uint32_t* sampleTable, int32_t previewWidth,
                   int32_t previewHeight, const uint8_t* smokeField) {
  const int32_t stride = PreviewStride(previewWidth);
  for (int32_t i = 0; i < previewHeight; ++i) {
    for (int32_t k = 0; k < previewWidth; ++k) {
      previewPixels[static_cast<size_t>(i) * stride + k] =
          smokeField[sampleTable[static_cast<size_t>(i) * previewWidth + k]];
    }
  }
}
