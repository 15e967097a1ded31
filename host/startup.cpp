// startup.cpp: the shared preparation of the smoke.
#include "host/startup.h"

int PrepareSmoke(SmokeEngine* engine, uint32_t seed, const TextRaster& band, int32_t volume,
                 TextOutline* outline) {
  SeedRandom(engine->random, seed);
  ClearSmokeField(engine);
  BuildTextOutline(band, engine->width, engine->height, engine->smokeField, outline);
  engine->nodeList = outline->nodeList;
  engine->nodeCount = outline->nodeCount;
  return PrepareSmokeMotion(engine) && PrepareSmokeDecay(engine, volume);
}

int CreateSmokeStorage(SmokeStorage* storage, int32_t width, int32_t height) {
  if (!IsFieldSize(width, height)) return 0;
  storage->block.assign(FrameBufferBlockSize(width, height), 0);
  storage->flowProfile.assign(kTableRows, 0);
  storage->decayTable.assign(kDecayTableBytes, 0);
  storage->plan = std::make_unique<RemapPlan>();
  SmokeEngine& engine = storage->engine;
  if (!BindFrameBuffers(&engine, storage->block.data(), width, height)) return 0;
  engine.flowProfile = storage->flowProfile.data();
  engine.decayTable = storage->decayTable.data();
  engine.remapPlan = storage->plan.get();
  engine.random = &storage->random;
  return 1;
}
