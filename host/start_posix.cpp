// start_posix.cpp: the Linux front ends' shared start-up.
#include "host/start_posix.h"

#include <sys/random.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>

#include "text/raster_freetype.h"

uint32_t FreshSeed() {
  uint32_t seed = 0;
  if (getrandom(&seed, sizeof seed, GRND_NONBLOCK) == sizeof seed) return seed;
  timespec t;
  clock_gettime(CLOCK_REALTIME, &t);
  return static_cast<uint32_t>(t.tv_sec) * 2654435761u ^ static_cast<uint32_t>(t.tv_nsec) ^
         static_cast<uint32_t>(getpid()) << 16;
}

double Now() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + t.tv_nsec * 1e-9;
}

void RenderSaverText(const ProgramOptions& options, SaverText* text) {
  const SaverSettings& s = options.settings;
  text->band = RenderTextBandFreeType(s.text, s.font, s.fieldWidth, s.fieldHeight, &text->pixels,
                                      &text->face);
  if (options.verbose) WriteMessage(stderr, "vapryx", "font: " + text->face);
}

void SayWhyNothingDraws(const SaverText& text, const SaverCore& saver) {
  if (text.band.width == 0) {
    ReportFailure("vapryx", text.face + ": nothing to draw the smoke from", 0);
  } else if (saver.outline.nodeCount == 0) {
    ReportFailure("vapryx",
                  "the text \"" + std::string(saver.settings.text) + "\" has no outline (" +
                      text.face + "): nothing to draw the smoke from",
                  0);
  }
}

int Fail(const std::string& message) { return ReportFailure("vapryx", message, 1); }
