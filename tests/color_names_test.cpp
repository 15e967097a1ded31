// X11 colour names read from the text of a colour database, as the X server finds them.
#include "settings/color_names.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

namespace {

const uint32_t kNone = 0xFFFFFFFFu;  // no colour by that name

uint32_t Find(const std::string& database, const std::string& name) {
  uint32_t color = kNone;
  return FindColorName(database, name, &color) ? color : kNone;
}

}  // namespace

TEST(FindColorName, NamesAsTheServerMatchesThem) {
  const std::string database =
      "! 255 255 255\t\twhite\n"
      "173 216 230\t\tlight blue\n"
      "173 216 230\t\tLightBlue\n"
      "  0 139\t 69\t\tSpringGreen4\n"
      " 10  20  30\t\tsalmon  \r\n"
      "1 2\n"
      "3\t\tbroken\n"
      "300 0 0\t\ttoo bright\n"
      "255 0 0\n"
      "0 0 128\t\tnavy";  // the last line, without its newline
  const struct {
    const char* name;
    uint32_t color;
  } cases[] = {
      {"light blue", 0xE6D8ADu}, {"Light Blue", 0xE6D8ADu}, {"LIGHTBLUE", 0xE6D8ADu},
      {"light  blue", kNone},    {"light blue ", kNone},    {"lightblue2", kNone},
      {"springgreen4", 0x458B00u}, {"salmon", 0x1E140Au},  {"navy", 0x800000u},
      {"white", kNone},          {"broken", kNone},         {"too bright", kNone},
      {"", kNone},               {"light", kNone},
  };
  for (const auto& c : cases) EXPECT_EQ(Find(database, c.name), c.color) << c.name;
}

// The database x11-common installs, against what XParseColor says on Xvfb for the same names.
TEST(FindColorName, TheInstalledDatabase) {
  std::ifstream file("/usr/share/X11/rgb.txt", std::ios::binary);
  ASSERT_TRUE(file) << "no /usr/share/X11/rgb.txt: install x11-common";
  std::stringstream text;
  text << file.rdbuf();
  const std::string database = text.str();
  EXPECT_EQ(Find(database, "orange"), 0x00A5FFu);
  EXPECT_EQ(Find(database, "sky blue"), 0xEBCE87u);
  EXPECT_EQ(Find(database, "DarkSlateGray"), 0x4F4F2Fu);
  EXPECT_EQ(Find(database, "light goldenrod yellow"), 0xD2FAFAu);
  EXPECT_EQ(Find(database, "navajowhite"), 0xADDEFFu);
  EXPECT_EQ(Find(database, "Light Blue"), 0xE6D8ADu);
  EXPECT_EQ(Find(database, "light  blue"), kNone);
}
