// smoke_reference.h: plain, obviously-correct versions of the per-frame stages, written
// straight from their definitions, and a self-contained engine for tests to drive.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "host/saver.h"
#include "smoke/decay.h"
#include "smoke/field.h"
#include "smoke/random.h"

namespace reference {

void SmoothBlocks(uint8_t* field, int32_t width, int32_t x0, int32_t y0, int32_t x1, int32_t y1);
void BlurField(uint8_t* field, int32_t width, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
               int32_t step);
// The in-place walk: lower half bottom up, upper half top down, left of the split left to
// right, the rest right to left, each pixel reading its source at the moment of writing.
void RemapAndDecay(uint8_t* field, const uint32_t* sourceMap, int32_t width, int32_t height,
                   int32_t centreRow, const uint8_t* decayTable, const int32_t* flowProfile);
// The same pass computed from a copy of the previous field.
void RemapAndDecayFromCopy(uint8_t* field, const uint32_t* sourceMap, int32_t width, int32_t height,
                           const uint8_t* decayTable);
// The frame step built from the plain stages (no outline).
void StepSmokeField(SmokeEngine* engine);

}  // namespace reference

// A saver without text, opened through the seam as every front end opens it.
struct TestEngine {
  SaverCore* saver;
  SmokeEngine& engine;
  explicit TestEngine(SaverCore* s) : saver(s), engine(s->engine) {}
  TestEngine(const TestEngine&) = delete;
  TestEngine& operator=(const TestEngine&) = delete;
  ~TestEngine() { CloseSaver(saver); }
  size_t Area() const { return static_cast<size_t>(engine.width) * engine.height; }
  uint8_t* Field() { return engine.smokeField; }
  RemapPlan* Plan() { return engine.remapPlan; }
};

std::unique_ptr<TestEngine> MakeTestEngine(int32_t width, int32_t height, int32_t volume = 5,
                                           uint32_t seed = 1);

// Field filled with values drawn from a separate generator (so tests do not disturb the engine's).
void FillRandom(uint8_t* field, size_t size, uint32_t seed);

// 64-bit FNV-1a, for comparing whole tables between builds.
uint64_t Fingerprint(const void* data, size_t size);
