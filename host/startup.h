// startup.h: the preparation every front end runs before its first frame, in its fixed
// order, with the same random draws: the Windows saver, the Linux program, the simulator.
// The front end only supplies the text band raster (GDI, FreeType, or a file).
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "smoke/decay.h"
#include "smoke/field.h"
#include "smoke/random.h"
#include "text/outline.h"

// Seeds the generator, clears the SmokeField, builds the outline from the band raster,
// the FlowProfile and SourceMap, then the DecayTable (H x 256 draws) and the remap plan.
// The engine's buffers, tables and generator are attached. Returns 1, or 0 when the
// engine refused its tables (the outline is built all the same).
int PrepareSmoke(SmokeEngine* engine, uint32_t seed, const TextRaster& band, int32_t volume,
                 TextOutline* outline);

// An engine that owns its buffers and tables, for front ends that keep no static ones.
struct SmokeStorage {
  std::vector<uint8_t> block;
  std::vector<int32_t> flowProfile;
  std::vector<uint8_t> decayTable;
  std::unique_ptr<RemapPlan> plan;
  RandomGenerator random{};
  SmokeEngine engine{};
  TextOutline outline{};

  SmokeStorage() = default;
  SmokeStorage(const SmokeStorage&) = delete;
  SmokeStorage& operator=(const SmokeStorage&) = delete;
  ~SmokeStorage() { FreeTextOutline(&outline); }
};

// Allocates and binds the storage for a W x H field; 0 for a size the engine refuses.
int CreateSmokeStorage(SmokeStorage* storage, int32_t width, int32_t height);
