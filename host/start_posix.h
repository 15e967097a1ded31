// start_posix.h: what the Linux program's front ends (X11, Wayland) share before and
// around the seam: seeds, the clock, and the text band Pango lays out.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "host/saver.h"
#include "settings/options.h"

// A seed that differs between processes started at the same moment (XScreenSaver starts
// one per monitor), so that each shows its own smoke.
uint32_t FreshSeed();

// The colour an X11 colour name (--color orange) stands for, from the colour database
// x11-common installs (/usr/share/X11/rgb.txt, else /etc/X11/rgb.txt), red in the low
// byte; for a display that cannot say itself. Returns false with a one-line message for a
// name it does not hold or a database it cannot read.
bool ResolveColorName(const std::string& name, uint32_t* color, std::string* error);

// Seconds on the monotonic clock.
double Now();

// The text band of the settings, rendered once and shared by every saver of the process.
struct SaverText {
  std::vector<uint8_t> pixels;
  std::string face;  // which face, and why
  TextRaster band;
};
// Renders it; with --verbose says which face stands in, and always which characters no
// installed face has.
void RenderSaverText(const ProgramOptions& options, SaverText* text);

// A saver that has nothing to draw the smoke from goes on drawing black (a saver that exits
// is a broken one), but says why, once.
void SayWhyNothingDraws(const SaverText& text, const SaverCore& saver);

// "vapryx: message" on stderr, one line; returns 1.
int Fail(const std::string& message);
