// main_linux.h: the Linux program's front ends, each run from the options until it ends;
// each returns the exit status.
#pragma once
#include "settings/options.h"

int RunX11(const ProgramOptions& options);
// Only where the program is built with Wayland support (VAPRYX_WAYLAND). With `fallBack`,
// a compositor it cannot reach returns kNoWayland instead of failing, for X11 to take over.
constexpr int kNoWayland = -1;
int RunWayland(const ProgramOptions& options, bool fallBack);
