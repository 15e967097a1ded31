// main_linux.h: the Linux program's front ends, each run from the options until it ends;
// each returns the exit status.
#pragma once
#include "settings/options.h"

int RunX11(const ProgramOptions& options);
// Only where the program is built with Wayland support (VAPRYX_WAYLAND).
int RunWayland(const ProgramOptions& options);
