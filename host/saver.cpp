// saver.cpp: the seam's record and calls.
#include "host/saver.h"

#include <memory>
#include <new>
#include <vector>

#include "text/band.h"

// The memory of a saver that OpenSaver made.
struct SmokeBuffers {
  std::vector<uint8_t> block;
  std::vector<int32_t> flowProfile;
  std::vector<uint8_t> decayTable;
  RemapPlan plan;
};

int BindSaver(SaverCore* saver, const SaverMemory& memory, int32_t width, int32_t height) {
  SmokeEngine& engine = saver->engine;
  engine.flowProfile = memory.flowProfile;
  engine.decayTable = memory.decayTable;
  engine.remapPlan = memory.plan;
  engine.random = &saver->random;
  return memory.block != nullptr && BindFrameBuffers(&engine, memory.block, width, height);
}

int PrepareSaver(SaverCore* saver, const TextRaster& band, uint32_t seed,
                 const PixelFormat& format) {
  SmokeEngine& engine = saver->engine;
  SeedRandom(engine.random, seed);
  ClearSmokeField(&engine);
  FreeTextOutline(&saver->outline);
  BuildTextOutline(band, engine.width, engine.height, engine.smokeField, &saver->outline);
  engine.nodeList = saver->outline.nodeList;
  engine.nodeCount = saver->outline.nodeCount;
  saver->bandHeight = ComputeTextBand(0, 0, engine.width, engine.height).height;
  saver->format = format;
  SetSaverColors(saver, saver->settings.color, saver->settings.brightness);
  return PrepareSmokeMotion(&engine) && PrepareSmokeDecay(&engine, saver->settings.volume);
}

SaverCore* OpenSaver(const SaverSettings& settings, const TextRaster& band, uint32_t seed,
                     const PixelFormat& format) {
  const int32_t w = settings.fieldWidth, h = settings.fieldHeight;
  if (!IsFieldSize(w, h)) return nullptr;
  std::unique_ptr<SaverCore> saver(new (std::nothrow) SaverCore{});
  std::unique_ptr<SmokeBuffers> buffers(new (std::nothrow) SmokeBuffers{});
  if (!saver || !buffers) return nullptr;
  buffers->block.resize(FrameBufferBlockSize(w, h));
  buffers->flowProfile.resize(kTableRows);
  buffers->decayTable.resize(kDecayTableBytes);
  saver->settings = settings;
  const SaverMemory memory = {buffers->block.data(), buffers->flowProfile.data(),
                              buffers->decayTable.data(), &buffers->plan};
  if (!BindSaver(saver.get(), memory, w, h) || !PrepareSaver(saver.get(), band, seed, format)) {
    FreeTextOutline(&saver->outline);
    return nullptr;
  }
  saver->buffers = buffers.release();
  return saver.release();
}

void SetSaverColors(SaverCore* saver, uint32_t color, int32_t brightness) {
  saver->settings.color = color;
  saver->settings.brightness = brightness;
  BuildColorRamp(color, brightness, &saver->ramp);
  BuildPixelPalette(saver->ramp, saver->format, saver->pixels);
}

void DrawSaverFrame(SaverCore* saver, void* image, size_t strideBytes, const FieldView* view) {
  const SmokeEngine& e = saver->engine;
  if (image != nullptr && view != nullptr) {
    PresentField(e.smokeField, e.width, saver->pixels, saver->format, *view, image, strideBytes);
  } else if (image != nullptr) {
    RenderFieldImage(e.smokeField, e.width, e.height, saver->pixels, static_cast<uint32_t*>(image),
                     strideBytes / 4);
  }
  StepSmokeField(&saver->engine);
}

void DrawSaverFramePart(SaverCore* saver, const FieldRect& part, uint32_t* image,
                        size_t strideBytes) {
  RenderFieldPart(saver->engine.smokeField, saver->engine.width, part, saver->pixels, image,
                  strideBytes / 4);
  StepSmokeField(&saver->engine);
}

void CloseSaver(SaverCore* saver) {
  if (saver == nullptr) return;
  FreeTextOutline(&saver->outline);
  delete saver->buffers;
  delete saver;
}
