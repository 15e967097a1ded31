// sim.h: the saver's start-up and frame steps without a window, for vapryx-sim.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "present/palette.h"
#include "settings/settings.h"
#include "text/outline.h"

struct SimOptions {
  SaverSettings settings{};   // as the program's options leave them (field size, text, font...)
  uint32_t seed = 0;
  int32_t frames = 0;
  std::string rasterPath;     // the text raster from a file, or
  bool haveText = false;      // rendered from the settings' text and font, as the program does
  std::string textRasterPath; // the raster --text drew, as a PGM; empty: not written
  std::string fieldPath;      // empty: not written
  std::string pngPath;        // empty: not written
  std::string rampPath;       // empty: not written
  std::string gifPath;        // empty: not written
  int32_t every = 1;          // a GIF frame after every Nth step
  int32_t gifDelay = 3;       // centiseconds per GIF frame
};

// Reads the command line into options. Returns 1 on success; 0 with a one-line message in
// `error`; -1 when --help was asked for.
int ParseSimOptions(int argc, char** argv, SimOptions* options, std::string* error);

// A grey-level PGM standing for the scaled text raster: each value is a pixel's blue byte.
struct GreyRaster {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> pixels;
};

// Parses a binary PGM (P5, maxval 255). Returns 1 on success, 0 with a message.
int ParsePgm(const std::vector<uint8_t>& file, GreyRaster* raster, std::string* error);

// The grey raster as the 24-bit raster the saver reads back: grey is the blue byte.
TextRaster GreyToTextRaster(const GreyRaster& grey, std::vector<uint8_t>* pixels);

// The 24-bit raster as a binary PGM of its blue bytes, as ParsePgm reads it.
std::vector<uint8_t> TextRasterToPgm(const TextRaster& raster);

// Called after every frame step with its number (from 1) and the W x H field; false stops
// the run.
using SimStepCallback = std::function<bool(int32_t step, const uint8_t* field)>;

// Opens the saver over the raster (placed as the text band is) as every front end does,
// then runs the frame steps. Returns 1 with the W x H field, or 0 with a message when the
// raster does not fit or `afterStep` stopped the run.
int RunSimulation(const SimOptions& options, const TextRaster& raster, std::vector<uint8_t>* field,
                  std::string* error, const SimStepCallback& afterStep = nullptr);

// The colour ramp the field's bytes index: 256 entries of red, green, blue.
std::vector<uint8_t> RampRgb(const ColorRamp& ramp);

// The field through the colour ramp: W x H pixels of red, green, blue.
std::vector<uint8_t> RenderFieldRgb(const std::vector<uint8_t>& field, const ColorRamp& ramp);

extern const char kSimUsage[];
