// vapryx-sim's PGM reader on any file: refused with a message, or a raster of exactly its
// header's size whose grey is the blue byte of the raster the engine reads.
#include <vector>

#include "tests/fuzz/fuzz.h"
#include "tools/sim/sim.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> file(data, data + size);
  GreyRaster grey;
  std::string error;
  if (!ParsePgm(file, &grey, &error)) {
    FUZZ_CHECK(!error.empty());
    FUZZ_CHECK(grey.pixels.empty());
    return 0;
  }
  FUZZ_CHECK(grey.width >= 0 && grey.height >= 0);
  FUZZ_CHECK(grey.pixels.size() == static_cast<size_t>(grey.width) * grey.height);
  FUZZ_CHECK(grey.pixels.size() <= size);
  std::vector<uint8_t> rgb;
  const TextRaster raster = GreyToTextRaster(grey, &rgb);
  FUZZ_CHECK(raster.width == grey.width && raster.height == grey.height);
  for (size_t i = 0; i < grey.pixels.size(); ++i) {
    FUZZ_CHECK(raster.pixels[3 * i] == grey.pixels[i] && raster.pixels[3 * i + 1] == 0);
  }
  return 0;
}
