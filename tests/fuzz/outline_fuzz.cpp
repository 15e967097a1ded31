// The edge scan and linking on fuzzed rasters of any size, then a few frame steps of the
// engine on the outline they give.
#include <vector>

#include "host/saver.h"
#include "smoke/field.h"
#include "smoke/random.h"
#include "tests/fuzz/fuzz.h"
#include "text/band.h"
#include "text/outline.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in{data, size};
  const bool large = in.Byte() & 1;
  const int32_t W = large ? 800 : 640, H = large ? 600 : 480;
  // Up to a little more than the field, so that too large a raster is tried too.
  const int32_t w = in.Word() % 1024 % (W + 9), h = in.Word() % 1024 % (H + 9);
  const uint32_t seed = in.Word();
  const int32_t volume = in.Byte() % 12;
  // One bit of ink a pixel, the blue byte set; past the input's end the raster is blank.
  std::vector<uint8_t> pixels(static_cast<size_t>(w) * h * 3, 0);
  for (size_t i = 0; i < static_cast<size_t>(w) * h && in.size > 0; i += 8) {
    const uint8_t bits = in.Byte();
    for (size_t b = 0; b < 8 && i + b < static_cast<size_t>(w) * h; ++b) {
      if (bits & (1 << b)) pixels[(i + b) * 3] = 255;
    }
  }
  const TextRaster raster = {pixels.data(), w, h};
  auto ink = [&](int32_t k, int32_t j) {
    return pixels[(static_cast<size_t>(j) * w + k) * 3] != 0;
  };

  // One engine per size, its tables made once (the decay table again when the volume
  // changes): the outline and the field are what each input renews.
  static SaverCore* savers[2];
  static int32_t volumes[2] = {-1, -1};
  if (savers[large] == nullptr) {
    SaverSettings settings{};
    settings.fieldWidth = W, settings.fieldHeight = H;
    savers[large] = OpenSaver(settings, TextRaster{nullptr, 0, 0}, 1, PixelFormat{});
    FUZZ_CHECK(savers[large] != nullptr);
  }
  SaverCore& storage = *savers[large];
  if (volumes[large] != volume) {
    FUZZ_CHECK(PrepareSmokeDecay(&storage.engine, volume));
    volumes[large] = volume;
  }
  FreeTextOutline(&storage.outline);
  SeedRandom(storage.engine.random, seed);
  ClearSmokeField(&storage.engine);
  BuildTextOutline(raster, W, H, storage.engine.smokeField, &storage.outline);
  storage.engine.nodeList = storage.outline.nodeList;
  storage.engine.nodeCount = storage.outline.nodeCount;
  const TextOutline& outline = storage.outline;

  // Every inner ink pixel with a blank direct neighbour is a node, once.
  int32_t edges = 0;
  if (w <= W && h <= H) {
    for (int32_t j = 1; j + 1 < h; ++j)
      for (int32_t k = 1; k + 1 < w; ++k)
        edges +=
            ink(k, j) && (!ink(k - 1, j) || !ink(k + 1, j) || !ink(k, j - 1) || !ink(k, j + 1));
  }
  FUZZ_CHECK(outline.nodeCount == edges);
  const TextBand band = PlaceTextBand(w, h, W, H);
  uint8_t* const field = storage.engine.smokeField;
  for (int32_t i = 0; i < outline.nodeCount; ++i) {
    const OutlineNode* n = outline.nodeList[i];
    const int32_t k = n->x - band.left, j = n->y - band.top;
    FUZZ_CHECK(k >= 1 && k + 1 < w && j >= 1 && j + 1 < h && ink(k, j));
    FUZZ_CHECK(n->pixel == field + static_cast<size_t>(n->y) * W + n->x);
    int32_t links = 0;
    for (int32_t slot = 0; slot < kLinkSlots; ++slot) {
      const OutlineNode* m = n->links[slot];
      if (m == nullptr) continue;
      ++links;
      FUZZ_CHECK(m->x == n->x + kLinkDx[slot] && m->y == n->y + kLinkDy[slot]);
      FUZZ_CHECK(m->links[(slot + 4) % kLinkSlots] == n);
    }
    FUZZ_CHECK(links == n->linkCount);
  }
  for (int step = 0; step < 3; ++step) StepSmokeField(&storage.engine);
  return 0;
}
