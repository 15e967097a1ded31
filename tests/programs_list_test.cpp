// Adding Vapryx to a preferences file's programs list: the exact bytes, and a second run
// that finds it.
#include "settings/programs_list.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string kLine = "\t\t\t\t\"Vapryx\" vapryx --root\t\t\t    \\n";

TEST(AddToProgramsList, AddsOneLineAndKeepsTheRest) {
  struct Case {
    const char* what;
    std::string before, after;
  };
  const Case cases[] = {
      {"as XScreenSaver writes it",
       "mode:\t\trandom\n\nprograms:\t\\\n\t\t\t\tmaze --root\t\\n\\\n- GL: \t\t\t\tpipes "
       "--root\t\\n\\\n\n\n"
       "pointerHysteresis:  10\n",
       "mode:\t\trandom\n\nprograms:\t\\\n\t\t\t\tmaze --root\t\\n\\\n- GL: \t\t\t\tpipes "
       "--root\t\\n\\\n" +
           kLine + "\\\n\n\npointerHysteresis:  10\n"},
      {"one line, no separator", "programs: maze --root\nlock: False\n",
       "programs: maze --root\\n\\\n" + kLine + "\nlock: False\n"},
      {"an empty list", "*programs:\nlock: False\n", "*programs:\\\n" + kLine + "\nlock: False\n"},
      {"the list ends the file, no newline", "programs: \\\n  maze --root \\n",
       "programs: \\\n  maze --root \\n\\\n" + kLine + "\n"},
      {"no list", "mode: one", "mode: one\n\nprograms:\\\n" + kLine + "\\\n\n"},
      {"a commented-out list and a continued comment",
       "! programs: vapryx --root\n# old \\\nprograms: qix\n",
       "! programs: vapryx --root\n# old \\\nprograms: qix\\n\\\n" + kLine + "\n"},
      {"names that are not vapryx",
       "programs: \"vapryx\" maze\\n vapryxx --root\\n /opt/vapryx/bin/other\\n\n",
       "programs: \"vapryx\" maze\\n vapryxx --root\\n /opt/vapryx/bin/other\\n\\\n" + kLine +
           "\n"},
  };
  for (const Case& c : cases) {
    std::string edited, why;
    ASSERT_EQ(AddToProgramsList(c.before, &edited, &why), kProgramsEntryAdded) << c.what;
    EXPECT_EQ(edited, c.after) << c.what;
    std::string again;
    EXPECT_EQ(AddToProgramsList(edited, &again, &why), kProgramsEntryPresent) << c.what;
  }
  // No file: a minimal one that is ours alone.
  std::string made, why;
  ASSERT_EQ(AddToProgramsList("", &made, &why), kProgramsEntryAdded);
  EXPECT_EQ(made.substr(made.find("programs:")), "programs:\\\n" + kLine + "\\\n\n");
  EXPECT_EQ(made[0], '#');
}

TEST(AddToProgramsList, FindsItOnOrOffAndRefusesWhatItCannotRead) {
  struct Case {
    std::string file;
    ProgramsListResult result;
  };
  const Case cases[] = {
      {"programs: \\\n  maze\\n\\\n  \"Vapryx\" vapryx --root\\n\\\n\n", kProgramsEntryPresent},
      {"xscreensaver.programs: GL: /usr/libexec/xscreensaver/vapryx --root --fps\n",
       kProgramsEntryPresent},
      {"programs: \\\n-\t\t\"Vapryx\" vapryx --root \\n\\\n\n", kProgramsEntryOff},
      {"programs: - GL: vapryx --root\n", kProgramsEntryOff},
      {std::string("programs: maze\n\0\n", 16), kProgramsFileUnclear},
      {"lock: False\nthis is not a setting\n", kProgramsFileUnclear},
      {"programs: maze\nlock: False\n*programs: qix\n", kProgramsFileUnclear},
      // Blanks after the last backslash: a continuation that does not continue.
      {"programs: \\\n  maze --root \\n\\ \n", kProgramsFileUnclear},
  };
  for (const Case& c : cases) {
    std::string edited = "untouched", why;
    EXPECT_EQ(AddToProgramsList(c.file, &edited, &why), c.result) << c.file;
    EXPECT_EQ(edited, "untouched") << c.file;
    if (c.result == kProgramsFileUnclear) {
      EXPECT_NE(why.find("line"), std::string::npos) << why;
    }
  }
}

}  // namespace

TEST(RemoveFromProgramsList, TakesOutExactlyTheLineItAdded) {
  const std::string entry = "\t\t\t\t\"Vapryx\" vapryx --root\t\t\t    \\n";
  const struct {
    const char* file;
    const char* removed;  // after adding and taking out again
  } cases[] = {
      {"programs:\\\n  \"Maze\" maze --root \\n\\\n  \"Kaleidescope\" kaleidescope --root \\n\n",
       nullptr},  // the same
      {"timeout: 0:10:00\nprograms:\\\n  \"Maze\" maze --root \\n\\\n\\\n\nlock: False\n",
       nullptr},  // blank continuation lines still close the list
      {"programs: maze --root\n", "programs: maze --root\\n\n"},  // the separator stays
  };
  for (const auto& c : cases) {
    std::string added, removed, why;
    ASSERT_EQ(AddToProgramsList(c.file, &added, &why), kProgramsEntryAdded) << c.file;
    ASSERT_EQ(RemoveFromProgramsList(added, &removed, &why), kProgramsEntryRemoved) << c.file;
    EXPECT_EQ(removed, c.removed != nullptr ? c.removed : c.file);
  }
  // What the user changed or turned off is theirs; no list, nothing to do.
  const std::string theirs[] = {
      "programs:\\\n  \"Maze\" maze --root \\n\\\n-" + entry + "\n",
      "programs:\\\n  \"Maze\" maze --root \\n\\\n\t\"Vapryx\" vapryx --root --volume 3 \\n\n",
      "timeout: 0:10:00\n",
  };
  for (const std::string& file : theirs) {
    std::string removed, why;
    EXPECT_EQ(RemoveFromProgramsList(file, &removed, &why), kProgramsEntryAbsent) << file;
  }
}
