// sim.cpp: option parsing, PGM reading and the headless run of the engine.
#include "tools/sim/sim.h"

#include <cstring>

#include "host/saver.h"
#include "present/palette.h"
#include "settings/options.h"
#include "smoke/field.h"

const char kSimUsage[] =
    "usage: vapryx-sim --resolution 640x480|800x600 --volume V --seed S --frames N\n"
    "                  (--raster FILE.pgm | --text TEXT [--font FAMILY])\n"
    "                  [--text-raster OUT.pgm] [--field OUT.raw] [--ramp OUT.rgb] [--png OUT.png]\n"
    "                  [--gif OUT.gif [--every N] [--gif-delay CS]]\n"
    "                  [--color COLOR] [--brightness B]\n"
    "\n"
    "Runs the saver's start-up and N frame steps without a window.\n"
    "\n"
    "  --resolution WxH  field size: 640x480 or 800x600 (--size WxH is the same)\n"
    "  --volume V        smoke volume, any 32-bit value (the settings dialog offers 0..10);\n"
    "                    entries of the decay table keep their value unless a draw is a\n"
    "                    multiple of (V >> 1) + 1, V read as unsigned\n"
    "  --seed S          seed of the random generator, 0..4294967295 (the savers take a fresh one)\n"
    "  --frames N        number of frame steps, 0 or more\n"
    "  --raster FILE     binary PGM (P5, maxval 255) standing for the scaled text raster: each\n"
    "                    grey value is a pixel's blue byte, non-zero is ink; width a multiple of\n"
    "                    4 and no larger than the field, height no larger than the field; it is\n"
    "                    centred in the field as the text band is\n"
    "  --text TEXT       instead of --raster: the text, rendered as the Linux program renders it\n"
    "                    (its first 99 bytes; empty: name)\n"
    "  --font FAMILY     the font of --text (default: Arial Black; a heavy sans-serif stands in\n"
    "                    when it is not installed)\n"
    "  --text-raster OUT.pgm  write the text raster --text drew, as --raster reads it, to check\n"
    "                    a font and a text (no usable font: a raster 0 pixels wide)\n"
    "  --field OUT.raw   write the W x H field bytes after the last step, row-major, nothing else\n"
    "  --ramp OUT.rgb    write the colour ramp the field's bytes index: 256 entries of red,\n"
    "                    green, blue, 768 bytes, nothing else\n"
    "  --png OUT.png     write that field through the colour ramp as an RGB PNG\n"
    "  --gif OUT.gif     write the run as a looping animated GIF: the colour ramp is its colour\n"
    "                    table and the field bytes are each frame's pixels, one frame per step\n"
    "  --every N         keep only every Nth step as a GIF frame, 1 or more (default 1)\n"
    "  --gif-delay CS    time each GIF frame shows, 1..65535 centiseconds (default 3)\n"
    "  --color COLOR     colour of the ramp: R,G,B each 0..255, RRGGBB or #RRGGBB\n"
    "                    (default 255,255,255; empty: the default)\n"
    "  --brightness B    brightness, any 32-bit value (default 5; the dialog offers 0..10)\n"
    "  --help            this text\n"
    "\n"
    "Bad input: one line on stderr, exit code 2, no output file.\n";

int ParseSimOptions(int argc, char** argv, SimOptions* options, std::string* error) {
  SettingOptions given;
  bool haveFrames = false, haveFont = false;
  for (int i = 1; i < argc; ++i) {
    std::string name = argv[i];
    if (name == "--help" || name == "-h") return -1;
    const bool known =
        name == "--size" || name == "--resolution" || name == "--volume" || name == "--seed" ||
        name == "--frames" || name == "--raster" || name == "--field" || name == "--ramp" ||
        name == "--png" || name == "--color" || name == "--brightness" || name == "--text" ||
        name == "--font" || name == "--gif" || name == "--every" || name == "--gif-delay" ||
        name == "--text-raster";
    if (!known) {
      *error = "unknown option '" + name + "' (see --help)";
      return 0;
    }
    if (i + 1 >= argc) {
      *error = "option " + name + " needs a value";
      return 0;
    }
    const char* value = argv[++i];
    if (name == "--size") name = "--resolution";
    // The settings as the program reads them, but any 32-bit volume and brightness.
    const int setting = ReadSettingOption(name.substr(2), value, true, &given, error);
    if (setting < 0) return 0;
    if (setting > 0) {
      options->haveText |= name == "--text";
      haveFont |= name == "--font";
      continue;
    }
    long long v = 0;
    auto bad = [&](const char* what) {
      *error = "bad value '" + std::string(value) + "' for " + name + ": " + what;
      return 0;
    };
    if (name == "--frames") {
      if (!ParseWholeNumber(value, 0, INT32_MAX, &v))
        return bad("expected a number of frames, 0 or more");
      options->frames = static_cast<int32_t>(v), haveFrames = true;
    } else if (name == "--every") {
      if (!ParseWholeNumber(value, 1, INT32_MAX, &v)) return bad("expected 1 or more");
      options->every = static_cast<int32_t>(v);
    } else if (name == "--gif-delay") {
      if (!ParseWholeNumber(value, 1, 65535, &v)) return bad("expected 1..65535 centiseconds");
      options->gifDelay = static_cast<int32_t>(v);
    } else if (*value == '\0') {
      return bad("expected a file name");
    } else if (name == "--raster") {
      options->rasterPath = value;
    } else if (name == "--field") {
      options->fieldPath = value;
    } else if (name == "--ramp") {
      options->rampPath = value;
    } else if (name == "--png") {
      options->pngPath = value;
    } else if (name == "--text-raster") {
      options->textRasterPath = value;
    } else {
      options->gifPath = value;
    }
  }
  const bool haveRaster = !options->rasterPath.empty();
  const char* missing = !given.haveResolution               ? "--resolution"
                        : !given.haveVolume                 ? "--volume"
                        : !given.haveSeed                   ? "--seed"
                        : !haveFrames                       ? "--frames"
                        : !haveRaster && !options->haveText ? "--raster or --text"
                                                            : nullptr;
  if (missing != nullptr) {
    *error = std::string("missing option ") + missing + " (see --help)";
    return 0;
  }
  if (haveRaster && options->haveText) {
    *error = "--raster and --text both give the text raster: use one";
    return 0;
  }
  if (haveFont && !options->haveText) {
    *error = "--font is the font of --text, which is missing";
    return 0;
  }
  if (!options->textRasterPath.empty() && !options->haveText) {
    *error = "--text-raster writes what --text drew, which is missing";
    return 0;
  }
  if (!options->gifPath.empty() && options->frames / options->every == 0) {
    *error = "--gif needs a frame: " + std::to_string(options->frames) +
             " steps keep none at --every " + std::to_string(options->every);
    return 0;
  }
  if (!given.colorName.empty()) {
    *error = "colour names need an X display: give --color as R,G,B, RRGGBB or #RRGGBB";
    return 0;
  }
  LoadSettingOptions(given, &options->settings);
  options->seed = given.seed;
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

TextRaster GreyToTextRaster(const GreyRaster& grey, std::vector<uint8_t>* pixels) {
  pixels->assign(grey.pixels.size() * 3, 0);
  for (size_t i = 0; i < grey.pixels.size(); ++i) (*pixels)[3 * i] = grey.pixels[i];
  return TextRaster{pixels->data(), grey.width, grey.height};
}

std::vector<uint8_t> TextRasterToPgm(const TextRaster& raster) {
  const std::string header =
      "P5\n" + std::to_string(raster.width) + " " + std::to_string(raster.height) + "\n255\n";
  std::vector<uint8_t> file(header.begin(), header.end());
  const size_t count = static_cast<size_t>(raster.width) * raster.height;
  for (size_t i = 0; i < count; ++i) file.push_back(raster.pixels[3 * i]);
  return file;
}

int RunSimulation(const SimOptions& options, const TextRaster& raster, std::vector<uint8_t>* field,
                  std::string* error, const SimStepCallback& afterStep) {
  const int32_t W = options.settings.fieldWidth, H = options.settings.fieldHeight;
  if (raster.width > W || raster.height > H) {
    *error = "raster of " + std::to_string(raster.width) + "x" + std::to_string(raster.height) +
             " is larger than the " + std::to_string(W) + "x" + std::to_string(H) + " field";
    return 0;
  }
  if (raster.width % 4 != 0) {
    *error = "raster width " + std::to_string(raster.width) + " is not a multiple of 4";
    return 0;
  }
  // The field's own bytes are the output: no pixel format.
  SaverCore* saver = OpenSaver(options.settings, raster, options.seed, PixelFormat{});
  if (saver == nullptr) {
    *error = "the engine refused its start-up tables";
    return 0;
  }
  const uint8_t* smoke = saver->engine.smokeField;
  for (int32_t frame = 0; frame < options.frames; ++frame) {
    DrawSaverFrame(saver, nullptr, 0);
    if (afterStep && !afterStep(frame + 1, smoke)) {
      *error = "the run was stopped after step " + std::to_string(frame + 1);
      CloseSaver(saver);
      return 0;
    }
  }
  field->assign(smoke, smoke + static_cast<size_t>(W) * H);
  CloseSaver(saver);
  return 1;
}

std::vector<uint8_t> RampRgb(const ColorRamp& ramp) {
  std::vector<uint8_t> rgb(256 * 3);
  for (int i = 0; i < 256; ++i) {
    rgb[3 * i] = ramp.red[i];
    rgb[3 * i + 1] = ramp.green[i];
    rgb[3 * i + 2] = ramp.blue[i];
  }
  return rgb;
}

std::vector<uint8_t> RenderFieldRgb(const std::vector<uint8_t>& field, const ColorRamp& ramp) {
  const std::vector<uint8_t> rgb = RampRgb(ramp);
  std::vector<uint8_t> out(field.size() * 3);
  for (size_t i = 0; i < field.size(); ++i) std::memcpy(&out[3 * i], &rgb[3 * field[i]], 3);
  return out;
}
