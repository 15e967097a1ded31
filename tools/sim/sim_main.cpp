// sim_main.cpp: vapryx-sim, the saver's smoke rendered without a window.
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "tools/sim/sim.h"

#if VAPRYX_SIM_PNG
#include <png.h>
#endif
#if VAPRYX_SIM_GIF
#include "tools/sim/gif_giflib.h"
#endif
#if VAPRYX_SIM_TEXT
#include "text/raster_freetype.h"
#endif

namespace {

// The largest raster file worth reading: a PGM of the largest field and a generous header.
constexpr size_t kMaxRasterFileBytes = 800 * 600 + 4096;

// One line on stderr, whatever the message quotes: control characters are written as \xNN.
int Fail(const std::string& message) {
  std::string line;
  for (unsigned char c : message) {
    if (c < 0x20 || c == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
      line += escaped;
    } else {
      line += static_cast<char>(c);
    }
  }
  std::fprintf(stderr, "vapryx-sim: %s\n", line.c_str());
  return 2;
}

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
    return *error = "raster '" + path + "' is larger than " + std::to_string(limit) + " bytes", false;
  }
  bytes->resize(got);
  return true;
}

// Where an output is written before it is renamed into place.
std::string TemporaryPath(const std::string& path) {
  return path + ".vapryx-sim-" + std::to_string(getpid());
}

// An existing file the user may not write stays as it is, even where its folder is
// writable; checked before the run, so a long run is not spent on an output that fails.
bool MayReplace(const std::string& path) {
  return path.empty() || access(path.c_str(), F_OK) != 0 || access(path.c_str(), W_OK) == 0;
}

// An output: its path and how to complete it in its temporary file.
struct Output {
  std::string path;
  std::function<bool(const std::string&)> write;
};

// Completes every output in its temporary file beside it, and renames them into place only
// when all are complete: a failed run leaves whatever was at the paths as it was, and
// removes only its own files. Returns the path that failed, or an empty string.
std::string WriteOutputs(const std::vector<Output>& outputs) {
  std::vector<std::string> temporaries;
  std::string failed;
  for (const Output& o : outputs) {
    temporaries.push_back(TemporaryPath(o.path));
    if (!o.write(temporaries.back())) {
      failed = o.path;
      break;
    }
  }
  for (size_t i = 0; failed.empty() && i < temporaries.size(); ++i) {
#ifdef _WIN32
    std::remove(outputs[i].path.c_str());  // the runtime's rename does not replace
#endif
    if (std::rename(temporaries[i].c_str(), outputs[i].path.c_str()) != 0) failed = outputs[i].path;
  }
  for (const std::string& t : temporaries) std::remove(t.c_str());
  return failed;
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
  if (options.haveText) return Fail("this build cannot render text (no FreeType): use --raster");
#endif
  for (const std::string* path : {&options.fieldPath, &options.pngPath, &options.gifPath}) {
    if (!MayReplace(*path)) return Fail("cannot write '" + *path + "'");
  }

  std::vector<uint8_t> pixels;
  TextRaster raster{};
  if (options.haveText) {
#if VAPRYX_SIM_TEXT
    std::string face;
    raster = RenderTextBandFreeType(options.text.c_str(), options.font.c_str(), options.width,
                                    options.height, &pixels, &face);
    if (raster.width == 0) return Fail("no installed font can render the text");
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
  const std::string gifTemporary = TemporaryPath(options.gifPath);
  auto dropGif = [&] {
    if (gif.file != nullptr) CloseGifStream(&gif);
    std::remove(gifTemporary.c_str());
  };
  if (!options.gifPath.empty()) {
    if (!OpenGifStream(gifTemporary, options.width, options.height, RampRgb(options).data(),
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

  std::vector<Output> outputs;
  if (!options.fieldPath.empty()) {
    outputs.push_back({options.fieldPath, [&](const std::string& to) { return WriteFile(to, field); }});
  }
#if VAPRYX_SIM_PNG
  if (!options.pngPath.empty()) {
    outputs.push_back({options.pngPath, [&](const std::string& to) {
      return WritePng(to, RenderFieldRgb(field, options), options.width, options.height);
    }});
  }
#endif
#if VAPRYX_SIM_GIF
  if (!options.gifPath.empty()) {
    outputs.push_back({options.gifPath, [&](const std::string&) { return CloseGifStream(&gif); }});
  }
#endif
  const std::string failed = WriteOutputs(outputs);
#if VAPRYX_SIM_GIF
  if (!options.gifPath.empty()) dropGif();  // an output before it failed: the GIF is not kept
#endif
  if (!failed.empty()) return Fail("cannot write '" + failed + "'");
  return 0;
}
