// color_names.cpp: a name in the text of an X11 colour database.
#include "settings/color_names.h"

#include <cstddef>

namespace {

bool Blank(char c) { return c == ' ' || c == '\t'; }

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Reads one part, 0..255, at line[*at] and the blanks after it.
bool ReadPart(const std::string& line, size_t* at, uint32_t* part) {
  size_t i = *at, digits = 0;
  uint32_t v = 0;
  for (; i < line.size() && line[i] >= '0' && line[i] <= '9' && digits < 4; ++i, ++digits)
    v = v * 10 + static_cast<uint32_t>(line[i] - '0');
  if (digits == 0 || v > 255 || i >= line.size() || !Blank(line[i])) return false;
  while (i < line.size() && Blank(line[i])) ++i;
  *at = i, *part = v;
  return true;
}

}  // namespace

bool FindColorName(const std::string& database, const std::string& name, uint32_t* color) {
  size_t start = 0;
  while (start < database.size()) {
    size_t end = database.find('\n', start);
    if (end == std::string::npos) end = database.size();
    std::string line = database.substr(start, end - start);
    start = end + 1;
    // A name ends where its line does, less trailing blanks (and a CR from a DOS copy).
    while (!line.empty() && (Blank(line.back()) || line.back() == '\r')) line.pop_back();
    size_t at = 0;
    while (at < line.size() && Blank(line[at])) ++at;
    uint32_t r, g, b;  // a '!' comment has none, and is passed over with the unreadable
    if (!ReadPart(line, &at, &r) || !ReadPart(line, &at, &g) || !ReadPart(line, &at, &b)) continue;
    if (line.size() - at != name.size()) continue;
    size_t i = 0;
    while (i < name.size() && Lower(line[at + i]) == Lower(name[i])) ++i;
    if (i == name.size()) {
      *color = r | g << 8 | b << 16;
      return true;
    }
  }
  return false;
}
