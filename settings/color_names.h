// color_names.h: X11 colour names from the text of the colour database X ships (rgb.txt),
// for a display that cannot resolve them itself.
#pragma once
#include <cstdint>
#include <string>

// Looks `name` up in `database`, the text of an rgb.txt: lines "R G B<blanks>name" (each
// part 0..255, blanks being spaces or tabs), '!' starting a comment line. Matched as the X
// server matches: ignoring case but not blanks ("light blue" and "LightBlue" are two
// entries; "light  blue" is neither). Lines it cannot read are passed over. Gives the
// colour as the settings hold it, red in the low byte.
bool FindColorName(const std::string& database, const std::string& name, uint32_t* color);
