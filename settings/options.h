// options.h: the Linux program's command line. The six settings keep the meanings and
// defaults they have in the registry (they are loaded by the same rules); the rest say
// where and how fast to draw.
#pragma once
#include <cstdint>
#include <string>

#include "settings/settings.h"

struct ProgramOptions {
  SaverSettings settings;
  bool haveSeed = false;
  uint32_t seed = 0;             // default: the clock
  int32_t delay = 33000;         // microseconds between frames
  bool root = false;             // draw into $XSCREENSAVER_WINDOW, or the root window
  unsigned long windowId = 0;    // --window-id; wins over --root
  bool fps = false;
  bool verbose = false;
  bool help = false;
  bool version = false;
  bool registerOnly = false;     // --register: add it to ~/.xscreensaver and exit
};

// Reads the command line (one or two dashes; a value as the next argument or after '=').
// Returns 1, or 0 with a one-line message naming the bad option or value.
int ParseProgramOptions(int argc, const char* const* argv, ProgramOptions* options,
                        std::string* error);

// A window id in hex (0x...) or decimal, as $XSCREENSAVER_WINDOW and --window-id give it;
// 0 for anything else.
unsigned long ParseWindowId(const char* text);

// A whole decimal number within [lowest, highest]: digits only, a leading '-' where the
// range has negative values.
bool ParseWholeNumber(const char* text, long long lowest, long long highest, long long* value);

// RRGGBB, #RRGGBB or R,G,B (each 0..255) to a COLORREF (red in the low byte).
bool ParseColorOption(const char* text, uint32_t* color);

extern const char kProgramUsage[];
extern const char kProgramVersion[];
