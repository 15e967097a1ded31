// The autostart entry: Exec quoting as the Desktop Entry rules read it back, the entry's
// text, the shell line, and which files are ours.
#include "settings/autostart.h"

#include <gtest/gtest.h>

#include <string>

TEST(QuoteExecArgument, QuotesReservedCharactersAndEscapesTwice) {
  const struct {
    const char* argument;
    const char* quoted;  // as the file holds it
  } cases[] = {
      {"orange", "orange"},
      {"DejaVu Sans:bold", "\"DejaVu Sans:bold\""},
      {"", "\"\""},
      {"it's", "\"it's\""},
      {"say \"hi\"", "\"say \\\\\"hi\\\\\"\""},  // \" inside the quotes, its \ doubled
      {"100%", "100%%"},
      {"h\xC3\xA9llo", "h\xC3\xA9llo"},
      {"#1 (*?<>)", "\"#1 (*?<>)\""},
  };
  for (const auto& c : cases) {
    std::string quoted;
    ASSERT_TRUE(QuoteExecArgument(c.argument, &quoted)) << c.argument;
    EXPECT_EQ(quoted, c.quoted) << c.argument;
  }
  std::string quoted;
  // What systemd's reader (GNOME's, Plasma's) would take otherwise, or refuse.
  for (const char* refused : {"a\nb", "tab\there", "\x7F", "\x1B[31m", "$HOME", "back\\slash",
                              "`id`", "caf\xE9", "\xC3", "\xC0\xAF"}) {
    EXPECT_FALSE(QuoteExecArgument(refused, &quoted)) << refused;
  }
}

TEST(BuildAutostartEntry, RunsTheCommandAndCarriesTheMark) {
  std::string entry, why;
  ASSERT_TRUE(BuildAutostartEntry("/opt/my tools/vapryx",
                                  {"--idle", "600", "--color=sky blue", "--text=~/Hi"},
                                  &entry, &why));
  EXPECT_EQ(entry,
            "[Desktop Entry]\n"
            "Type=Application\n"
            "Name=Vapryx\n"
            "Comment=Coloured smoke as the screen saver after a time without input\n"
            "Exec=\"/opt/my tools/vapryx\" --idle 600 \"--color=sky blue\" \"--text=~/Hi\"\n"
            "TryExec=/opt/my tools/vapryx\n"
            "Icon=vapryx\n"
            "Terminal=false\n"
            "X-Vapryx-Registered=true\n");
  EXPECT_TRUE(IsOurAutostartEntry(entry));
  EXPECT_FALSE(
      BuildAutostartEntry("vapryx", {"--idle", "300", "--text=two\nlines"}, &entry, &why));
  EXPECT_NE(why.find("--text"), std::string::npos) << why;
}

TEST(ShellCommand, QuotesOnlyWhatTheShellWouldRead) {
  EXPECT_EQ(ShellCommand("vapryx", {"--idle", "300", "--color=ff8000"}),
            "vapryx --idle 300 --color=ff8000");
  EXPECT_EQ(ShellCommand("/opt/a b/vapryx", {"--text=it's 5", "--font="}),
            "'/opt/a b/vapryx' '--text=it'\\''s 5' --font=");
}

TEST(IsOurAutostartEntry, OnlyTheMarkInTheEntryGroup) {
  const struct {
    const char* file;
    bool ours;
  } cases[] = {
      {"[Desktop Entry]\nExec=vapryx\nX-Vapryx-Registered=true\n", true},
      {"[Desktop Entry]\nX-Vapryx-Registered = true", true},
      {"[Desktop Entry]\nExec=vapryx --idle 300\n", false},
      {"[Desktop Entry]\nX-Vapryx-Registered=false\n", false},
      {"[Desktop Entry]\nX-Vapryx-RegisteredX=true\n", false},
      {"[Desktop Entry]\n[Desktop Action x]\nX-Vapryx-Registered=true\n", false},
      {"X-Vapryx-Registered=true\n[Desktop Entry]\n", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsOurAutostartEntry(c.file), c.ours) << c.file;
}
