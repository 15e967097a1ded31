// sim_main.cpp: vapryx-sim, the saver's smoke rendered without a window.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/sim/sim.h"

#if VAPRYX_SIM_PNG
#include <png.h>
#endif

namespace {

int Fail(const std::string& message) {
  std::fprintf(stderr, "vapryx-sim: %s\n", message.c_str());
  return 2;
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

  std::ifstream in(options.rasterPath, std::ios::binary);
  if (!in) return Fail("cannot read raster '" + options.rasterPath + "'");
  const std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
  GreyRaster raster;
  if (!ParsePgm(file, &raster, &error)) return Fail(options.rasterPath + ": " + error);

  std::vector<uint8_t> field;
  if (!RunSimulation(options, raster, &field, &error)) return Fail(error);

  if (!options.fieldPath.empty() && !WriteFile(options.fieldPath, field)) {
    std::remove(options.fieldPath.c_str());
    return Fail("cannot write '" + options.fieldPath + "'");
  }
#if VAPRYX_SIM_PNG
  if (!options.pngPath.empty() &&
      !WritePng(options.pngPath, RenderFieldRgb(field, options), options.width, options.height)) {
    std::remove(options.pngPath.c_str());
    if (!options.fieldPath.empty()) std::remove(options.fieldPath.c_str());
    return Fail("cannot write '" + options.pngPath + "'");
  }
#endif
  return 0;
}
