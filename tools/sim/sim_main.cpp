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

// An output: its path and how to write it to a given file.
struct Output {
  std::string path;
  std::function<bool(const std::string&)> write;
};

// Writes every output to a temporary file beside it, and renames them into place only when
// all are complete: a failed run leaves whatever was at the paths as it was, and removes
// only its own files. Returns the path that failed, or an empty string.
std::string WriteOutputs(const std::vector<Output>& outputs) {
  std::vector<std::string> temporaries;
  std::string failed;
  for (const Output& o : outputs) {
    // An existing file the user may not write stays as it is, even where its folder is writable.
    if (access(o.path.c_str(), F_OK) == 0 && access(o.path.c_str(), W_OK) != 0) {
      failed = o.path;
      break;
    }
    temporaries.push_back(o.path + ".vapryx-sim-" + std::to_string(getpid()));
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

  std::vector<uint8_t> file;
  if (!ReadFile(options.rasterPath, kMaxRasterFileBytes, &file, &error)) return Fail(error);
  GreyRaster raster;
  if (!ParsePgm(file, &raster, &error)) return Fail(options.rasterPath + ": " + error);

  std::vector<uint8_t> field;
  if (!RunSimulation(options, raster, &field, &error)) return Fail(error);

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
  const std::string failed = WriteOutputs(outputs);
  if (!failed.empty()) return Fail("cannot write '" + failed + "'");
  return 0;
}
