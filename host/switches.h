// switches.h: the screen-saver switches on the command line, and the run mode they choose.
#pragma once
#include <cstdint>

enum SaverMode : int32_t { Fullscreen = 0, Configure = 1, Preview = 2 };

// Bytes of the working copy the search runs on: longer lines are searched in their first
// kSwitchBufferBytes - 1 characters.
constexpr int32_t kSwitchBufferBytes = 1000;

// Looks for /x, /X, -x, -X (in that order; the first pattern found wins, at its first
// occurrence). The one character after the letter is skipped, whatever it is, and a number
// after it is read as atol does (blanks, sign, digits; 0 without digits; beyond 32 bits it
// saturates). Writes 0 to *value when the switch or the number is missing. Returns 1 when
// the switch is present; the letter 0 is never present.
int FindSwitch(const char* commandLine, char letter, int32_t* value);

struct RunChoice {
  SaverMode mode;
  int32_t parentHandle;  // the number after the deciding switch, 0 if none
};

// p means preview, else s full screen, else (c, nothing, anything else) the settings dialog,
// whose parent is the number after c.
RunChoice ChooseRunMode(const char* commandLine);
