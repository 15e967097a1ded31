// sim.h: the saver's start-up and frame steps without a window, for vapryx-sim.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct SimOptions {
  int32_t width = 0;
  int32_t height = 0;
  int32_t volume = 0;
  uint32_t seed = 0;
  int32_t frames = 0;
  std::string rasterPath;
  std::string fieldPath;      // empty: not written
  std::string pngPath;        // empty: not written
  uint32_t color = 0xFFFFFF;  // COLORREF, red in the low byte
  int32_t brightness = 5;
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

// Seeds the generator, clears the field, builds the outline from the raster (placed as the
// text band is), the flow profile, source map and decay table, then runs the frame steps.
// Returns 1 with the W x H field, or 0 with a message when the raster does not fit.
int RunSimulation(const SimOptions& options, const GreyRaster& raster, std::vector<uint8_t>* field,
                  std::string* error);

// The field through the colour ramp: W x H pixels of red, green, blue.
std::vector<uint8_t> RenderFieldRgb(const std::vector<uint8_t>& field, const SimOptions& options);

extern const char kSimUsage[];
