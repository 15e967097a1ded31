// field.cpp: frame-buffer layout, start-up order of the engine's tables, the frame step.
#include "smoke/field.h"

#include <cstring>

#include "smoke/filters.h"
#include "smoke/flow.h"
#include "text/flicker.h"

namespace {
// The motion the saver uses: wave amplitude, horizontal spread, rise and fall speeds.
constexpr int32_t kAmplitude = 100;
constexpr int32_t kSpread = 10;
constexpr int32_t kRise = 8;
constexpr int32_t kFall = 10;
constexpr int32_t kBlurStep = 2;
}  // namespace

int IsFieldSize(int32_t width, int32_t height) {
  return (width == 640 && height == 480) || (width == 800 && height == 600);
}

uint32_t FrameBufferBlockSize(int32_t width, int32_t height) {
  if (!IsFieldSize(width, height)) return 0;
  const uint32_t area = static_cast<uint32_t>(width) * static_cast<uint32_t>(height);
  return ((2u * area) >> 4) + 5u * area + kFieldBitmapInfoBytes;
}

int BindFrameBuffers(SmokeEngine* engine, void* block, int32_t width, int32_t height) {
  if (!IsFieldSize(width, height) || block == nullptr) return 0;
  const uint32_t area = static_cast<uint32_t>(width) * static_cast<uint32_t>(height);
  uint8_t* base = static_cast<uint8_t*>(block);
  engine->width = width;
  engine->height = height;
  engine->smokeField = base;
  engine->fieldBitmapInfo = base + area;
  // W x H is a multiple of 16, so these two are aligned for their element types.
  engine->sourceMap = reinterpret_cast<uint32_t*>(base + area + kFieldBitmapInfoBytes);
  engine->blockAverages = reinterpret_cast<uint16_t*>(base + 5u * area + kFieldBitmapInfoBytes);
  return 1;
}

void ClearSmokeField(SmokeEngine* engine) {
  std::memset(engine->smokeField, 0,
              static_cast<size_t>(engine->width) * static_cast<size_t>(engine->height));
}

int PrepareSmokeMotion(SmokeEngine* engine) {
  const int32_t w = engine->width, h = engine->height;
  return BuildFlowProfile(engine->flowProfile, kAmplitude, w, h) &&
         BuildSourceMap(engine->sourceMap, w, h, h / 2, kSpread, kRise, kFall, engine->flowProfile);
}

int PrepareSmokeDecay(SmokeEngine* engine, int32_t volume) {
  const int32_t w = engine->width, h = engine->height;
  return BuildDecayTable(engine->decayTable, h, volume, engine->random) &&
         BuildRemapPlan(engine->remapPlan, engine->sourceMap, w, h, h / 2, engine->decayTable,
                        engine->flowProfile);
}

void StepSmokeField(SmokeEngine* engine) {
  const int32_t w = engine->width, h = engine->height;
  FlickerOutline(engine->nodeList, engine->nodeCount, engine->random);
  SmoothBlocks(engine->smokeField, engine->blockAverages, w, h, 0, h / 2 - h / 4, w, h / 2 + h / 4);
  BlurField(engine->smokeField, w, h, 0, 0, w, h, kBlurStep);
  RemapAndDecay(engine->smokeField, engine->remapPlan);
}
