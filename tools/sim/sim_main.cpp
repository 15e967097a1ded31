// sim_main.cpp: vapryx-sim, the saver's smoke rendered without a window.
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "settings/options.h"
#include "settings/replace_files.h"
#include "tools/sim/sim.h"

#if VAPRYX_SIM_PNG
#include <png.h>
#endif
#if VAPRYX_SIM_GIF
#include "tools/sim/gif_giflib.h"
#endif
#if VAPRYX_SIM_TEXT
#include "text/band.h"
#include "text/raster_pango.h"
#endif

namespace {

// The largest raster file worth reading: a PGM of the largest field and a generous header.
constexpr size_t kMaxRasterFileBytes = 800 * 600 + 4096;

int Fail(const std::string& message) { return ReportFailure("vapryx-sim", message, 2); }

// Reads at most `limit` bytes; false when the file cannot be read or is longer.
bool ReadFile(const std::string& path, size_t limit, std::vector<uint8_t>* bytes,
              std::string* error) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return *error = "cannot read raster '" + path + "'", false;
  bytes->resize(limit + 1);
  const size_t got = std::fread(bytes->data(), 1, bytes->size(), f);
  const bool failed = std::ferror(f) != 0;
  std::fclose(f);
  if (failed) return *error = "cannot read raster '" + path + "'", false;
  if (got > limit) {
    return *error = "raster '" + path + "' is larger than " + std::to_string(limit) + " bytes",
           false;
  }
  bytes->resize(got);
  return true;
}

// An existing file the user may not write stays as it is, even where its folder is
// writable; checked before the run, so a long run is not spent on an output that fails.
bool MayReplace(const std::string& path) {
  return path.empty() || access(path.c_str(), F_OK) != 0 || access(path.c_str(), W_OK) == 0;
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

#if VAPRYX_SIM_PNG
bool WritePng(const std::string& path, const std::vector<uint8_t>& rgb, int32_t width,
              int32_t height) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGB;
  const bool ok = png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), 0, nullptr) != 0;
  png_image_free(&image);
  return ok;
}
#endif

}  // namespace

int main(int argc, char** argv) {
  SimOptions options;
  std::string error;
  const int parsed = ParseSimOptions(argc, argv, &options, &error);
  if (parsed < 0) {
    std::fputs(kSimUsage, stdout);
    return 0;
  }
  if (parsed == 0) return Fail(error);
#if !VAPRYX_SIM_PNG
  if (!options.pngPath.empty()) return Fail("this build cannot write PNG files (no libpng)");
#endif
#if !VAPRYX_SIM_GIF
  if (!options.gifPath.empty()) return Fail("this build cannot write GIF files (no giflib)");
#endif
#if !VAPRYX_SIM_TEXT
  if (options.haveText) return Fail("this build cannot render text (no Pango): use --raster");
#endif
  for (const std::string* path :
       {&options.fieldPath, &options.rampPath, &options.pngPath, &options.gifPath,
        &options.textRasterPath}) {
    if (!MayReplace(*path)) return Fail("cannot write '" + *path + "'");
  }

  const SaverSettings& s = options.settings;
  ColorRamp ramp;
  BuildColorRamp(s.color, s.brightness, &ramp);
  std::vector<uint8_t> pixels;
  TextRaster raster{};
  if (options.haveText) {
#if VAPRYX_SIM_TEXT
    // Like the program, it says what it cannot draw and draws on.
    TextReport report;
    raster = RenderTextBand(s.text, s.font, s.fieldWidth, s.fieldHeight, &pixels, &report);
    if (raster.width == 0) {
      ReportFailure("vapryx-sim", report.face + ": the field stays black", 0);
      raster.height = ComputeTextBand(0, 0, s.fieldWidth, s.fieldHeight).height;
    }
    if (!report.missing.empty()) ReportFailure("vapryx-sim", report.missing, 0);
#endif
  } else {
    std::vector<uint8_t> file;
    if (!ReadFile(options.rasterPath, kMaxRasterFileBytes, &file, &error)) return Fail(error);
    GreyRaster grey;
    if (!ParsePgm(file, &grey, &error)) return Fail(options.rasterPath + ": " + error);
    raster = GreyToTextRaster(grey, &pixels);
  }

  SimStepCallback afterStep;
#if VAPRYX_SIM_GIF
  // The GIF is streamed into its temporary file as the run goes, not held in memory.
  GifStream gif;
  const std::string gifTemporary = NewFilePath(options.gifPath);
  auto dropGif = [&] {
    if (gif.file != nullptr) CloseGifStream(&gif);
    if (gifTemporary != options.gifPath) std::remove(gifTemporary.c_str());
  };
  if (!options.gifPath.empty()) {
    if (!OpenGifStream(gifTemporary, s.fieldWidth, s.fieldHeight, RampRgb(ramp).data(),
                       options.gifDelay, &gif)) {
      dropGif();
      return Fail("cannot write '" + options.gifPath + "'");
    }
    afterStep = [&](int32_t step, const uint8_t* field) {
      return step % options.every != 0 || AddGifFrame(&gif, field);
    };
  }
#endif

  std::vector<uint8_t> field;
  if (!RunSimulation(options, raster, &field, &error, afterStep)) {
#if VAPRYX_SIM_GIF
    dropGif();
    if (!options.gifPath.empty() && !gif.ok) return Fail("cannot write '" + options.gifPath + "'");
#endif
    return Fail(error);
  }

  // Every output complete beside its path before any is renamed into place.
  std::vector<std::string> paths;
  std::vector<std::function<bool(const std::string&)>> writers;
  if (!options.textRasterPath.empty()) {
    paths.push_back(options.textRasterPath);
    writers.push_back([&](const std::string& to) { return WriteFile(to, TextRasterToPgm(raster)); });
  }
  if (!options.fieldPath.empty()) {
    paths.push_back(options.fieldPath);
    writers.push_back([&](const std::string& to) { return WriteFile(to, field); });
  }
  if (!options.rampPath.empty()) {
    paths.push_back(options.rampPath);
    writers.push_back([&](const std::string& to) { return WriteFile(to, RampRgb(ramp)); });
  }
#if VAPRYX_SIM_PNG
  if (!options.pngPath.empty()) {
    paths.push_back(options.pngPath);
    writers.push_back([&](const std::string& to) {
      return WritePng(to, RenderFieldRgb(field, ramp), s.fieldWidth, s.fieldHeight);
    });
  }
#endif
#if VAPRYX_SIM_GIF
  if (!options.gifPath.empty()) {
    paths.push_back(options.gifPath);  // streamed into its temporary file already
    writers.push_back([&](const std::string&) { return CloseGifStream(&gif); });
  }
#endif
  std::string failed, why;
  const bool written = ReplaceFiles(
      paths, [&](size_t i, const std::string& to, std::string*) { return writers[i](to); }, &failed,
      &why);
#if VAPRYX_SIM_GIF
  if (!options.gifPath.empty()) dropGif();  // an output before it failed: the GIF is not kept
#endif
  if (!written) return Fail("cannot write '" + failed + "'");
  return 0;
}
