// The ~/.xscreensaver editor on any file: what it writes keeps every byte of the file in
// order, holds the entry, and is left alone when edited again; taking the entry out gives
// a file that it adds the entry to in the very same way.
#include <string>

#include "settings/programs_list.h"
#include "tests/fuzz/fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string file(reinterpret_cast<const char*>(data), size);
  std::string edited, why;
  const ProgramsListResult result = AddToProgramsList(file, &edited, &why);
  if (result == kProgramsFileUnclear) {
    FUZZ_CHECK(IsOneLine(why));
    return 0;
  }
  if (result != kProgramsEntryAdded) return 0;
  FUZZ_CHECK(edited.size() > file.size());
  FUZZ_CHECK(edited.find(kProgramsEntry) != std::string::npos);
  size_t at = 0;  // the file is a subsequence of what is written
  for (char c : edited)
    if (at < file.size() && c == file[at]) ++at;
  FUZZ_CHECK(at == file.size());
  std::string again, againWhy;
  FUZZ_CHECK(AddToProgramsList(edited, &again, &againWhy) == kProgramsEntryPresent);
  std::string removed, readded;
  FUZZ_CHECK(RemoveFromProgramsList(edited, &removed, &againWhy) == kProgramsEntryRemoved);
  FUZZ_CHECK(AddToProgramsList(removed, &readded, &againWhy) == kProgramsEntryAdded);
  FUZZ_CHECK(readded == edited);
  return 0;
}
