// engine_soak.cpp: the engine's frame step run for a long time (make soak), reading the
// process's resident memory from /proc as it goes. The step allocates nothing, so after
// the first thousand steps the figure must not move.
// Usage: vapryx-engine-soak RASTER.pgm STEPS
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "host/saver.h"
#include "smoke/field.h"
#include "tools/sim/sim.h"

namespace {

// Read without the heap: freed blocks wait in the sanitizer's quarantine and would show as
// growth of their own.
long ResidentKilobytes() {
  char text[8192];
  const int fd = open("/proc/self/status", O_RDONLY);
  if (fd < 0) return -1;
  const ssize_t n = read(fd, text, sizeof text - 1);
  close(fd);
  if (n <= 0) return -1;
  text[n] = '\0';
  const char* at = std::strstr(text, "VmRSS:");
  return at != nullptr ? std::atol(at + 6) : -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: vapryx-engine-soak RASTER.pgm STEPS\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  const std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
  GreyRaster grey;
  std::string error;
  if (!ParsePgm(file, &grey, &error)) {
    std::fprintf(stderr, "vapryx-engine-soak: %s: %s\n", argv[1], error.c_str());
    return 2;
  }
  std::vector<uint8_t> pixels;
  const TextRaster raster = GreyToTextRaster(grey, &pixels);
  const long steps = std::atol(argv[2]);

  SaverSettings settings{};
  settings.fieldWidth = 640, settings.fieldHeight = 480, settings.volume = 5;
  SaverCore* saver = OpenSaver(settings, raster, 1, PixelFormat{});
  if (saver == nullptr) {
    std::fprintf(stderr, "vapryx-engine-soak: the engine refused its tables\n");
    return 2;
  }
  long base = 0, highest = 0;
  std::printf("%10s %12s %10s\n", "step", "resident kB", "growth kB");
  for (long step = 1; step <= steps; ++step) {
    DrawSaverFrame(saver, nullptr, 0);
    if (step == 1 || step == 1000 || step % 10000 == 0 || step == steps) {
      const long now = ResidentKilobytes();
      if (step == 1000) base = now;
      if (step >= 1000 && now - base > highest) highest = now - base;
      std::printf("%10ld %12ld %10ld\n", step, now, step >= 1000 ? now - base : 0);
      std::fflush(stdout);
    }
  }
  uint32_t sum = 0;  // something of the field, so the run is seen to have done its work
  for (int32_t i = 0; i < 640 * 480; ++i) sum += saver->engine.smokeField[i];
  const bool flat = highest == 0;
  std::printf(
      "engine: %ld steps, resident memory %s from step 1,000 on (%+ld kB at most), "
      "field sum %u\n",
      steps, flat ? "flat" : "GREW", highest, sum);
  CloseSaver(saver);
  return flat ? 0 : 1;
}
