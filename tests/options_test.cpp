// The Linux program's command line: good lines and what they set, bad lines and their message.
#include "settings/options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

int Parse(std::vector<const char*> args, ProgramOptions* options, std::string* error) {
  args.insert(args.begin(), "vapryx");
  return ParseProgramOptions(static_cast<int>(args.size()), args.data(), options, error);
}

}  // namespace

TEST(ParseProgramOptions, DefaultsAreTheRegistrysDefaults) {
  ProgramOptions o;
  std::string error;
  ASSERT_EQ(Parse({}, &o, &error), 1);
  EXPECT_STREQ(o.settings.text, "name");
  EXPECT_STREQ(o.settings.font, "Arial Black");
  EXPECT_EQ(o.settings.fieldWidth, 640);
  EXPECT_EQ(o.settings.volume, 5);
  EXPECT_EQ(o.settings.brightness, 5);
  EXPECT_EQ(o.settings.color, 0xFFFFFFu);
  EXPECT_EQ(o.delay, 33000);
  EXPECT_FALSE(o.haveSeed || o.root || o.fps || o.verbose || o.help || o.windowId);
}

TEST(ParseProgramOptions, GoodLines) {
  ProgramOptions o;
  std::string error;
  ASSERT_EQ(Parse({"-root", "--text", "smoke", "-font=DejaVu Sans", "--resolution", "800x600",
                   "--volume", "0", "--brightness=10", "--color", "#FF8000", "--seed",
                   "4294967295", "--delay", "0", "--fps", "-verbose", "--window-id", "0x600008"},
                  &o, &error), 1) << error;
  EXPECT_TRUE(o.root && o.fps && o.verbose);
  EXPECT_STREQ(o.settings.text, "smoke");
  EXPECT_STREQ(o.settings.font, "DejaVu Sans");
  EXPECT_EQ(o.settings.fieldWidth, 800);
  EXPECT_EQ(o.settings.fieldHeight, 600);
  EXPECT_EQ(o.settings.volume, 0);
  EXPECT_EQ(o.settings.brightness, 10);
  EXPECT_EQ(o.settings.color, 0x0080FFu);  // red in the low byte
  EXPECT_EQ(o.seed, 4294967295u);
  EXPECT_EQ(o.delay, 0);
  EXPECT_EQ(o.windowId, 0x600008u);

  for (auto [color, expected] : {std::pair{"0a141e", 0x1E140Au}, std::pair{"10,20,30", 0x1E140Au},
                                 std::pair{"255,0,0", 0xFFu}}) {
    ProgramOptions c;
    ASSERT_EQ(Parse({"--color", color}, &c, &error), 1) << color;
    EXPECT_EQ(c.settings.color, expected) << color;
  }
  // An empty text or font keeps the default, as an empty stored value does.
  ProgramOptions empty;
  ASSERT_EQ(Parse({"--text", "", "--font="}, &empty, &error), 1);
  EXPECT_STREQ(empty.settings.text, "name");
  EXPECT_STREQ(empty.settings.font, "Arial Black");
  ProgramOptions noColor;
  ASSERT_EQ(Parse({"--color", ""}, &noColor, &error), 1);
  EXPECT_EQ(noColor.settings.color, 0xFFFFFFu);
  // Longer than the setting's 99 bytes: cut there, never inside a character.
  for (auto [given, kept] : {std::pair{std::string(99, 'x'), std::string(99, 'x')},
                             std::pair{std::string(120, 'x'), std::string(99, 'x')},
                             std::pair{std::string(98, 'x') + "\xC3\xA9", std::string(98, 'x')}}) {
    ProgramOptions full;
    ASSERT_EQ(Parse({"--font", given.c_str()}, &full, &error), 1);
    EXPECT_EQ(full.settings.font, kept);
  }
}

TEST(ParseProgramOptions, BadLinesNameTheOptionOnOneLine) {
  const std::vector<std::vector<const char*>> lines = {
      {"--bogus"}, {"root"}, {"--volume"}, {"--volume", "11"}, {"--volume", "-1"},
      {"--brightness", "5x"}, {"--resolution", "1024x768"}, {"--color", "12345"},
      {"--color", "#GG0000"}, {"--color", "1,2"}, {"--color", "256,0,0"},
      {"--seed", "-1"}, {"--seed", "4294967296"}, {"--delay", "1000001"},
      {"--window-id", "0"}, {"--window-id", "zz"}, {"--window-id", "-5"},
      {"--register=yes"}, {"--fps=1"}, {"--volume", " 5"},
      {"--idle", "0"}, {"--idle", "86401"}, {"--idle", "5s"}, {"--fullscreen=1"},
      {"--x11", "--wayland"}, {"--fullscreen", "--background"}, {"--idle", "9", "--fullscreen"},
      {"--root", "--wayland"}, {"--window-id", "7", "--background"}, {"--fullscreen", "--x11"},
      {"--register", "--seed", "1"}, {"--register", "--delay", "9"},
      {"--register", "--fullscreen"}, {"--register", "--unregister"},
      {"--unregister", "--text", "x"}, {"--unregister", "--idle", "9"},
  };
  for (const auto& line : lines) {
    ProgramOptions o;
    std::string error;
    EXPECT_EQ(Parse(line, &o, &error), 0) << line[0] << " " << (line.size() > 1 ? line[1] : "");
    std::string name = line[0];
    name = name.substr(name.find_first_not_of('-'));
    name = name.substr(0, name.find('='));
    EXPECT_NE(error.find(name), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos);
  }
}

// The last --color wins, whichever its form: a name leaves no colour behind it and a
// colour no name, which the display would resolve over it.
TEST(ParseProgramOptions, TheLastColorWins) {
  const struct {
    std::vector<const char*> line;
    const char* name;
    uint32_t color;
  } cases[] = {
      {{"--color", "sky blue", "--color", "102030"}, "", 0x302010u},
      {{"--color", "102030", "--color", "sky blue"}, "sky blue", 0xFFFFFFu},
      {{"--color", "orange", "-color=1,2,3", "--color", "Navy"}, "Navy", 0xFFFFFFu},
      {{"--color", "orange", "--color", "sky blue"}, "sky blue", 0xFFFFFFu},
  };
  for (const auto& c : cases) {
    ProgramOptions o;
    std::string error;
    ASSERT_EQ(Parse(c.line, &o, &error), 1) << error;
    EXPECT_EQ(o.colorName, c.name) << c.line.back();
    EXPECT_EQ(o.settings.color, c.color) << c.line.back();
  }
}

// Which display and what it shows there; the last of the same option wins.
TEST(ParseProgramOptions, DisplayAndMode) {
  using S = ProgramOptions::Server;
  using M = ProgramOptions::Mode;
  const struct {
    std::vector<const char*> line;
    S server;
    M mode;
    int32_t idle;
  } cases[] = {
      {{}, S::Automatic, M::Window, 0},
      {{"--x11", "--root"}, S::X11, M::Window, 0},
      {{"--wayland", "--wayland"}, S::Wayland, M::Window, 0},
      {{"--fullscreen"}, S::Automatic, M::Fullscreen, 0},
      {{"--wayland", "--idle", "300"}, S::Wayland, M::Idle, 300},
      {{"-idle=1"}, S::Automatic, M::Idle, 1},
      {{"--background", "--background"}, S::Automatic, M::Background, 0},
  };
  for (const auto& c : cases) {
    ProgramOptions o;
    std::string error;
    ASSERT_EQ(Parse(c.line, &o, &error), 1) << error;
    EXPECT_EQ(o.server, c.server);
    EXPECT_EQ(o.mode, c.mode);
    EXPECT_EQ(o.idleSeconds, c.idle);
  }
}

// What --register writes into the autostart entry: the settings as given, in order, with
// one form of option, and --idle's time apart.
TEST(ParseProgramOptions, RegisterKeepsTheSettingsAsGiven) {
  using Args = std::vector<std::string>;
  const struct {
    std::vector<const char*> line;
    Args kept;
    int32_t idle;
  } cases[] = {
      {{"--register"}, {}, 0},
      {{"--register", "--idle", "600", "-color=orange", "--text", "Hi there", "--font", ""},
       {"--color=orange", "--text=Hi there", "--font="}, 600},
      {{"-text=a", "--volume=3", "-register", "--resolution", "800x600", "--brightness", "0"},
       {"--text=a", "--volume=3", "--resolution=800x600", "--brightness=0"}, 0},
  };
  for (const auto& c : cases) {
    ProgramOptions o;
    std::string error;
    ASSERT_EQ(Parse(c.line, &o, &error), 1) << error;
    EXPECT_TRUE(o.registerOnly);
    EXPECT_EQ(o.settingArguments, c.kept);
    EXPECT_EQ(o.idleSeconds, c.idle);
  }
}

TEST(ParseWindowId, HexOrDecimal) {
  EXPECT_EQ(ParseWindowId("0x600008"), 0x600008u);
  EXPECT_EQ(ParseWindowId("6291464"), 6291464u);
  EXPECT_EQ(ParseWindowId("0X1f"), 0x1Fu);
  for (const char* bad : {"", "0x", "12a", "-1", " 12", "0x100000000"}) {
    EXPECT_EQ(ParseWindowId(bad), 0u) << bad;
  }
  EXPECT_EQ(ParseWindowId(nullptr), 0u);
}
