// sim.cpp: option parsing, PGM reading and the headless run of the engine.
#include "tools/sim/sim.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "host/startup.h"
#include "present/palette.h"
#include "smoke/decay.h"
#include "smoke/field.h"
#include "smoke/random.h"
#include "text/outline.h"

const char kSimUsage[] =
    "usage: vapryx-sim --size 640x480|800x600 --volume V --seed S --frames N --raster FILE.pgm\n"
    "                  [--field OUT.raw] [--png OUT.png] [--color R,G,B] [--brightness B]\n"
    "\n"
    "Runs the saver's start-up and N frame steps without a window.\n"
    "\n"
    "  --size WxH        field size: 640x480 or 800x600\n"
    "  --volume V        smoke volume, any 32-bit value (the settings dialog offers 0..10);\n"
    "                    entries of the decay table keep their value unless a draw is a\n"
    "                    multiple of (V >> 1) + 1, V read as unsigned\n"
    "  --seed S          seed of the random generator, 0..4294967295 (the saver uses the clock)\n"
    "  --frames N        number of frame steps, 0 or more\n"
    "  --raster FILE     binary PGM (P5, maxval 255) standing for the scaled text raster: each\n"
    "                    grey value is a pixel's blue byte, non-zero is ink; width a multiple of\n"
    "                    4 and no larger than the field, height no larger than the field; it is\n"
    "                    centred in the field as the text band is\n"
    "  --field OUT.raw   write the W x H field bytes after the last step, row-major, nothing else\n"
    "  --png OUT.png     write that field through the colour ramp as an RGB PNG\n"
    "  --color R,G,B     colour of the ramp, each 0..255 (default 255,255,255)\n"
    "  --brightness B    brightness, any 32-bit value (default 5; the dialog offers 0..10)\n"
    "  --help            this text\n"
    "\n"
    "Bad input: one line on stderr, exit code 2, no output file.\n";

namespace {

// A whole decimal number within [lowest, highest].
bool ParseNumber(const char* text, long long lowest, long long highest, long long* value) {
  if (*text == '\0' || std::strchr(" \t\n", *text) != nullptr) return false;
  errno = 0;
  char* end = nullptr;
  const long long v = std::strtoll(text, &end, 10);
  if (errno != 0 || *end != '\0' || v < lowest || v > highest) return false;
  *value = v;
  return true;
}

bool ParseColor(const char* text, uint32_t* color) {
  uint32_t parts[3];
  const char* p = text;
  for (int i = 0; i < 3; ++i) {
    const char* comma = i < 2 ? std::strchr(p, ',') : p + std::strlen(p);
    if (comma == nullptr) return false;
    const std::string part(p, comma);
    long long v;
    if (!ParseNumber(part.c_str(), 0, 255, &v)) return false;
    parts[i] = static_cast<uint32_t>(v);
    p = comma + 1;
  }
  *color = parts[0] | (parts[1] << 8) | (parts[2] << 16);
  return true;
}

}  // namespace

int ParseSimOptions(int argc, char** argv, SimOptions* options, std::string* error) {
  bool haveSize = false, haveVolume = false, haveSeed = false, haveFrames = false;
  for (int i = 1; i < argc; ++i) {
    const std::string name = argv[i];
    if (name == "--help" || name == "-h") return -1;
    const bool known = name == "--size" || name == "--volume" || name == "--seed" ||
                       name == "--frames" || name == "--raster" || name == "--field" ||
                       name == "--png" || name == "--color" || name == "--brightness";
    if (!known) {
      *error = "unknown option '" + name + "' (see --help)";
      return 0;
    }
    if (i + 1 >= argc) {
      *error = "option " + name + " needs a value";
      return 0;
    }
    const char* value = argv[++i];
    long long v = 0;
    auto bad = [&](const char* what) {
      *error = "bad value '" + std::string(value) + "' for " + name + ": " + what;
      return 0;
    };
    if (name == "--size") {
      if (std::strcmp(value, "640x480") == 0) {
        options->width = 640, options->height = 480;
      } else if (std::strcmp(value, "800x600") == 0) {
        options->width = 800, options->height = 600;
      } else {
        return bad("the size is 640x480 or 800x600");
      }
      haveSize = true;
    } else if (name == "--volume" || name == "--brightness") {
      // Any 32-bit value, signed or unsigned, as a hand-edited setting may hold.
      if (!ParseNumber(value, INT32_MIN, UINT32_MAX, &v)) return bad("expected a 32-bit integer");
      const int32_t setting = static_cast<int32_t>(static_cast<uint32_t>(v));
      if (name == "--volume") {
        options->volume = setting, haveVolume = true;
      } else {
        options->brightness = setting;
      }
    } else if (name == "--seed") {
      if (!ParseNumber(value, 0, UINT32_MAX, &v)) return bad("expected 0..4294967295");
      options->seed = static_cast<uint32_t>(v), haveSeed = true;
    } else if (name == "--frames") {
      if (!ParseNumber(value, 0, INT32_MAX, &v))
        return bad("expected a number of frames, 0 or more");
      options->frames = static_cast<int32_t>(v), haveFrames = true;
    } else if (name == "--color") {
      if (!ParseColor(value, &options->color)) return bad("expected R,G,B with each 0..255");
    } else if (*value == '\0') {
      return bad("expected a file name");
    } else if (name == "--raster") {
      options->rasterPath = value;
    } else if (name == "--field") {
      options->fieldPath = value;
    } else {
      options->pngPath = value;
    }
  }
  const char* missing = !haveSize                     ? "--size"
                        : !haveVolume                 ? "--volume"
                        : !haveSeed                   ? "--seed"
                        : !haveFrames                 ? "--frames"
                        : options->rasterPath.empty() ? "--raster"
                                                      : nullptr;
  if (missing != nullptr) {
    *error = std::string("missing option ") + missing + " (see --help)";
    return 0;
  }
  return 1;
}

int ParsePgm(const std::vector<uint8_t>& file, GreyRaster* raster, std::string* error) {
  size_t at = 0;
  auto isSpace = [](uint8_t c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
  };
  // The next header number, skipping white space and comments.
  auto number = [&](long long* value) {
    while (at < file.size() && (isSpace(file[at]) || file[at] == '#')) {
      if (file[at] == '#') {
        while (at < file.size() && file[at] != '\n') ++at;
      } else {
        ++at;
      }
    }
    if (at >= file.size() || file[at] < '0' || file[at] > '9') return false;
    long long v = 0;
    while (at < file.size() && file[at] >= '0' && file[at] <= '9') {
      v = v * 10 + (file[at++] - '0');
      if (v > 1000000) return false;
    }
    *value = v;
    return true;
  };
  if (file.size() < 2 || file[0] != 'P' || file[1] != '5') {
    *error = "not a binary PGM (no P5 header)";
    return 0;
  }
  at = 2;
  long long w, h, maxval;
  if (!number(&w) || !number(&h) || !number(&maxval) || at >= file.size() || !isSpace(file[at])) {
    *error = "malformed PGM header";
    return 0;
  }
  ++at;  // the single white-space character before the pixels
  if (maxval != 255) {
    *error = "PGM maxval is " + std::to_string(maxval) + ", expected 255";
    return 0;
  }
  const size_t bytes = static_cast<size_t>(w) * static_cast<size_t>(h);
  if (file.size() - at < bytes) {
    *error = "PGM is truncated: " + std::to_string(file.size() - at) + " of " +
             std::to_string(bytes) + " pixel bytes";
    return 0;
  }
  raster->width = static_cast<int32_t>(w);
  raster->height = static_cast<int32_t>(h);
  raster->pixels.assign(file.begin() + at, file.begin() + at + bytes);
  return 1;
}

int RunSimulation(const SimOptions& options, const GreyRaster& grey, std::vector<uint8_t>* field,
                  std::string* error) {
  const int32_t W = options.width, H = options.height;
  if (grey.width > W || grey.height > H) {
    *error = "raster of " + std::to_string(grey.width) + "x" + std::to_string(grey.height) +
             " is larger than the " + std::to_string(W) + "x" + std::to_string(H) + " field";
    return 0;
  }
  if (grey.width % 4 != 0) {
    *error = "raster width " + std::to_string(grey.width) + " is not a multiple of 4";
    return 0;
  }

  SmokeStorage storage;
  if (!CreateSmokeStorage(&storage, W, H)) {
    *error = "invalid field size";
    return 0;
  }
  SmokeEngine& engine = storage.engine;

  // The grey raster as the 24-bit raster the saver reads back: grey is the blue byte.
  std::vector<uint8_t> rgb(grey.pixels.size() * 3, 0);
  for (size_t i = 0; i < grey.pixels.size(); ++i) rgb[3 * i] = grey.pixels[i];
  const TextRaster raster{rgb.data(), grey.width, grey.height};
  if (!PrepareSmoke(&engine, options.seed, raster, options.volume, &storage.outline)) {
    *error = "the engine refused its start-up tables";
    return 0;
  }
  for (int32_t frame = 0; frame < options.frames; ++frame) StepSmokeField(&engine);
  field->assign(engine.smokeField, engine.smokeField + static_cast<size_t>(W) * H);
  return 1;
}

std::vector<uint8_t> RenderFieldRgb(const std::vector<uint8_t>& field, const SimOptions& options) {
  uint8_t info[kFieldBitmapInfoBytes];
  BuildFieldPalette(info, options.width, -options.height, 8, options.color, options.brightness);
  const uint8_t* palette = info + 40;
  std::vector<uint8_t> rgb(field.size() * 3);
  for (size_t i = 0; i < field.size(); ++i) {
    const uint8_t* entry = palette + 4 * field[i];
    rgb[3 * i] = entry[2];
    rgb[3 * i + 1] = entry[1];
    rgb[3 * i + 2] = entry[0];
  }
  return rgb;
}
