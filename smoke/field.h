// field.h: the smoke field, the frame-buffer block and the frame step.
//
// The picture is a field of W x H smoke intensities, one byte per pixel, row-major with
// stride W. Only two sizes exist, 640 x 480 and 800 x 600; every engine entry point that
// is given a size refuses any other with a 0 result instead of indexing outside a buffer.
#pragma once
#include <cstdint>

#include "smoke/decay.h"

struct OutlineNode;
struct RandomGenerator;

constexpr int32_t kTableRows = 768;               // row capacity of FlowProfile and DecayTable
constexpr uint32_t kFieldBitmapInfoBytes = 1064;  // BITMAPINFOHEADER + 256 RGBQUADs

// 1 for the two field sizes, 0 for anything else.
int IsFieldSize(int32_t width, int32_t height);

// Bytes of the frame-buffer block for a field size, 0 for an invalid size.
uint32_t FrameBufferBlockSize(int32_t width, int32_t height);

// Everything the frame step works on. The host owns the one instance; tests make their own.
struct SmokeEngine {
  int32_t width;
  int32_t height;
  // Views into the frame-buffer block, in this order.
  uint8_t* smokeField;
  uint8_t* fieldBitmapInfo;
  uint32_t* sourceMap;
  uint16_t* blockAverages;
  // Tables of kTableRows rows: FlowProfile (768 entries), DecayTable (256 x 768, value-major).
  int32_t* flowProfile;
  uint8_t* decayTable;
  RemapPlan* remapPlan;
  // The text outline (empty until extracted) and the process's random generator.
  OutlineNode* const* nodeList;
  int32_t nodeCount;
  RandomGenerator* random;
};

// Points the engine's buffers into a zeroed block of FrameBufferBlockSize bytes and sets the
// size. The tables, the plan, the outline and the generator are left for the caller to attach.
int BindFrameBuffers(SmokeEngine* engine, void* block, int32_t width, int32_t height);

void ClearSmokeField(SmokeEngine* engine);

// Start-up tables that fix the motion: FlowProfile, then SourceMap (fixed arguments).
int PrepareSmokeMotion(SmokeEngine* engine);

// Start-up tables that fix the fading: DecayTable (draws H x 256 numbers), then the plan
// the frame step walks. Runs after PrepareSmokeMotion.
int PrepareSmokeDecay(SmokeEngine* engine, int32_t volume);

// Advances the field by one frame: flicker, block smoothing of the middle band, blur,
// remap and decay. Integer work only, no allocation.
void StepSmokeField(SmokeEngine* engine);
