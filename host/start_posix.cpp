// start_posix.cpp: the Linux front ends' shared start-up.
#include "host/start_posix.h"

#include <sys/random.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "settings/color_names.h"
#include "text/raster_pango.h"

uint32_t FreshSeed() {
  uint32_t seed = 0;
  if (getrandom(&seed, sizeof seed, GRND_NONBLOCK) == sizeof seed) return seed;
  timespec t;
  clock_gettime(CLOCK_REALTIME, &t);
  return static_cast<uint32_t>(t.tv_sec) * 2654435761u ^ static_cast<uint32_t>(t.tv_nsec) ^
         static_cast<uint32_t>(getpid()) << 16;
}

bool ResolveColorName(const std::string& name, uint32_t* color, std::string* error) {
  const char* const kDatabases[] = {"/usr/share/X11/rgb.txt", "/etc/X11/rgb.txt"};
  int firstError = 0;
  for (const char* path : kDatabases) {
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
      if (firstError == 0) firstError = errno;
      continue;
    }
    std::string text;
    char chunk[16384];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) text.append(chunk, got);
    const bool failed = std::ferror(file) != 0;
    if (failed && firstError == 0) firstError = EIO;
    std::fclose(file);
    if (failed) continue;
    if (FindColorName(text, name, color)) return true;
    *error = "bad value '" + name + "' for --color: no X11 colour has that name";
    return false;
  }
  *error = "bad value '" + name + "' for --color: cannot read the X11 colour names in " +
           kDatabases[0] + " (package x11-common): " + std::strerror(firstError) +
           "; give RRGGBB instead";
  return false;
}

double Now() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + t.tv_nsec * 1e-9;
}

void RenderSaverText(const ProgramOptions& options, SaverText* text) {
  const SaverSettings& s = options.settings;
  TextReport report;
  text->band = RenderTextBand(s.text, s.font, s.fieldWidth, s.fieldHeight, &text->pixels, &report);
  text->face = report.face;
  if (options.verbose) WriteMessage(stderr, "vapryx", "font: " + text->face);
  if (!report.missing.empty()) WriteMessage(stderr, "vapryx", report.missing);
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
