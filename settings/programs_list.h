// programs_list.h: adding Vapryx to the programs list of an XScreenSaver preferences file
// (~/.xscreensaver), as text in and text out. Every byte of the file is kept but for the
// one line added (and, where the list's last entry lacks it, the separator before it).
#pragma once
#include <string>

// The entry added: the name the settings list shows, and the command the daemon runs.
extern const char kProgramsEntry[];

enum ProgramsListResult {
  kProgramsEntryAdded,    // `edited` holds the new file
  kProgramsEntryPresent,  // already listed and turned on: nothing to do
  kProgramsEntryOff,      // listed, but turned off with a leading '-': the user's choice
  kProgramsFileUnclear,   // not a file we can safely edit; `why` says what is wrong
  kProgramsEntryRemoved,  // `edited` holds the file without the line
  kProgramsEntryAbsent,   // no line of ours to take out
};

// `file` is the preferences file's bytes, empty when there is none (a minimal file is made).
// On kProgramsFileUnclear `why` is one line naming the problem, with its line number.
ProgramsListResult AddToProgramsList(const std::string& file, std::string* edited,
                                     std::string* why);

// Takes out the line AddToProgramsList adds, exactly as it adds it, and nothing else (where
// it closed the list, also the backslash it put on the line before). A line the user has
// changed or turned off is theirs and stays.
ProgramsListResult RemoveFromProgramsList(const std::string& file, std::string* edited,
                                          std::string* why);
