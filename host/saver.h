// saver.h: the one seam every front end goes through, in the spirit of a screen-saver
// hack's init / draw / free:
//
//   OpenSaver       the six settings, a text band raster and a seed -> a saver, prepared in
//                   its fixed order, with its colour ramp in the front end's pixel format
//   DrawSaverFrame  the field as it stands through the ramp into a field-sized image, then
//                   one step
//   CloseSaver
//
// A front end brings only what its platform must: the raster (GDI, Pango, a file, a
// canvas), a window or surface, and a way to show the field-sized image scaled
// (FitFieldToWindow and FitFieldTransform say how), by the display server where it can.
#pragma once
#include <cstddef>
#include <cstdint>

#include "present/palette.h"
#include "present/scale.h"
#include "settings/settings.h"
#include "smoke/field.h"
#include "smoke/random.h"
#include "text/outline.h"

struct SmokeBuffers;

// Everything one running saver has. The engine's memory is either the saver's own
// (OpenSaver) or bound by the front end (the Windows saver's block and static tables).
struct SaverCore {
  SaverSettings settings;
  SmokeEngine engine;  // W and H live here: the preview draws a 640 x 480 field whatever
                       // the settings say
  TextOutline outline;
  RandomGenerator random;
  int32_t bandHeight;  // rows of the text band, which every window keeps in view
  ColorRamp ramp;
  PixelFormat format;
  uint32_t pixels[256];   // the ramp in `format`
  SmokeBuffers* buffers;  // OpenSaver's; null where the front end bound its own
};

// The memory an engine runs on: a zeroed frame-buffer block of FrameBufferBlockSize bytes,
// the FlowProfile and DecayTable of kTableRows rows, and the remap plan.
struct SaverMemory {
  void* block;
  int32_t* flowProfile;
  uint8_t* decayTable;
  RemapPlan* plan;
};

// Points the saver's engine at `memory` for a W x H field, with the saver's own generator.
// Returns 0 for a size the engine refuses or no block.
int BindSaver(SaverCore* saver, const SaverMemory& memory, int32_t width, int32_t height);

// The preparation, in its fixed order and with the same random draws in every front end:
// seeds the generator, clears the field, builds the outline from the band raster, the
// FlowProfile and SourceMap, the DecayTable (H x 256 draws) and the remap plan; and the
// colour ramp from the settings in `format`, which draws nothing. Returns 1, or 0 when the engine refused its
// tables (the outline is built all the same).
int PrepareSaver(SaverCore* saver, const TextRaster& band, uint32_t seed,
                 const PixelFormat& format);

// A saver with memory of its own for the settings' field size, prepared; null when the
// memory cannot be had.
SaverCore* OpenSaver(const SaverSettings& settings, const TextRaster& band, uint32_t seed,
                     const PixelFormat& format);

// A new colour or brightness: only the ramp is built again.
void SetSaverColors(SaverCore* saver, uint32_t color, int32_t brightness);

// One frame: the field as it stands through the ramp into `image` (pixels of the saver's
// format, rows `strideBytes` apart; field-sized and 32-bit, or window-sized through `view`
// where the display cannot scale), then one step. A front end that shows the field's own
// bytes (the Windows saver through its DIB palette, the simulator) has shown them before
// the call and passes no image.
void DrawSaverFrame(SaverCore* saver, void* image, size_t strideBytes,
                    const FieldView* view = nullptr);

// The same, where the image holds only `part` of the field (a compositor's crop), its
// corner at image[0].
void DrawSaverFramePart(SaverCore* saver, const FieldRect& part, uint32_t* image,
                        size_t strideBytes);

void CloseSaver(SaverCore* saver);
