// smoke_reference.cpp: the plain stages and the test engine.
#include "tests/smoke_reference.h"

#include <cstring>

#include "smoke/flow.h"

namespace reference {

void SmoothBlocks(uint8_t* field, int32_t width, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  const int32_t nbx = (x1 - x0) / 4, nby = (y1 - y0) / 4;
  std::vector<uint32_t> average(static_cast<size_t>(nbx) * nby);
  for (int32_t by = 0; by < nby; ++by) {
    for (int32_t bx = 0; bx < nbx; ++bx) {
      uint32_t sum = 0;
      for (int32_t r = 0; r < 4; ++r) {
        for (int32_t c = 0; c < 4; ++c) sum += field[(y0 + 4 * by + r) * width + x0 + 4 * bx + c];
      }
      average[by * nbx + bx] = sum / 16;
    }
  }
  for (int32_t by = 0; by < nby; ++by) {
    for (int32_t bx = 0; bx < nbx; ++bx) {
      uint32_t sum = average[by * nbx + bx], count = 1;
      if (by > 0) sum += average[(by - 1) * nbx + bx], ++count;
      if (by < nby - 1) sum += average[(by + 1) * nbx + bx], ++count;
      if (bx > 0) sum += average[by * nbx + bx - 1], ++count;
      if (bx < nbx - 1) sum += average[by * nbx + bx + 1], ++count;
      const uint32_t a = sum / count;
      for (int32_t r = 0; r < 4; ++r) {
        for (int32_t c = 0; c < 4; ++c) {
          uint8_t& p = field[(y0 + 4 * by + r) * width + x0 + 4 * bx + c];
          p = static_cast<uint8_t>((p + a) / 2);
        }
      }
    }
  }
}

void BlurField(uint8_t* field, int32_t width, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
               int32_t step) {
  int64_t n = 0;
  for (int64_t x = x0; x < x1; x += step) ++n;
  int64_t b = static_cast<int64_t>(y0) * width;
  while (b + 2 * width + 2 < (static_cast<int64_t>(y1) - 1) * width) {
    for (int64_t k = 0; k < n; ++k) {
      const int64_t o = b + k * step;
      const uint32_t sum = field[o] + field[o + width + 1] + field[o + width + 2] +
                           field[o + 2 * width + 1] + field[o + 2 * width + 2];
      const uint8_t a = static_cast<uint8_t>(sum / 5);
      field[o + width + 1] = field[o + width + 2] = field[o + 2 * width + 1] =
          field[o + 2 * width + 2] = a;
    }
    b = b + n * step + static_cast<int64_t>(step) * width;
  }
}

void RemapAndDecay(uint8_t* field, const uint32_t* sourceMap, int32_t width, int32_t height,
                   int32_t centreRow, const uint8_t* decayTable, const int32_t* flowProfile) {
  auto row = [&](int32_t y) {
    const int32_t split = flowProfile[y];
    auto pixel = [&](int32_t x) {
      const int32_t p = y * width + x;
      field[p] = decayTable[field[sourceMap[p]] * 768 + y];
    };
    for (int32_t x = 0; x < split; ++x) pixel(x);
    for (int32_t x = width - 1; x >= split; --x) pixel(x);
  };
  for (int32_t y = height - 1; y >= centreRow; --y) row(y);
  for (int32_t y = 0; y < centreRow; ++y) row(y);
}

void RemapAndDecayFromCopy(uint8_t* field, const uint32_t* sourceMap, int32_t width, int32_t height,
                           const uint8_t* decayTable) {
  const std::vector<uint8_t> previous(field, field + static_cast<size_t>(width) * height);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      const int32_t p = y * width + x;
      field[p] = decayTable[previous[sourceMap[p]] * 768 + y];
    }
  }
}

void StepSmokeField(SmokeEngine* e) {
  const int32_t w = e->width, h = e->height;
  SmoothBlocks(e->smokeField, w, 0, h / 2 - h / 4, w, h / 2 + h / 4);
  BlurField(e->smokeField, w, 0, 0, w, h, 2);
  RemapAndDecay(e->smokeField, e->sourceMap, w, h, h / 2, e->decayTable, e->flowProfile);
}

}  // namespace reference

std::unique_ptr<TestEngine> MakeTestEngine(int32_t width, int32_t height, int32_t volume,
                                           uint32_t seed) {
  SaverSettings settings{};
  settings.fieldWidth = width, settings.fieldHeight = height, settings.volume = volume;
  const TextRaster noText = {nullptr, 0, 0};
  SaverCore* saver = OpenSaver(settings, noText, seed, PixelFormat{});
  return saver != nullptr ? std::make_unique<TestEngine>(saver) : nullptr;
}

void FillRandom(uint8_t* field, size_t size, uint32_t seed) {
  RandomGenerator random{};
  SeedRandom(&random, seed);
  for (size_t i = 0; i < size; ++i) field[i] = static_cast<uint8_t>(NextRandom(&random) >> 7);
}

uint64_t Fingerprint(const void* data, size_t size) {
  const uint8_t* p = static_cast<const uint8_t*>(data);
  uint64_t h = 0xcbf29ce484222325ull;
  for (size_t i = 0; i < size; ++i) h = (h ^ p[i]) * 0x100000001b3ull;
  return h;
}
