// programs_list.cpp: the preferences file is an X resource file: `name: value` lines, a
// trailing backslash continuing a value on the next line, `#` and `!` lines comments. The
// programs value holds one entry per `\n` escape: [-] [VISUAL:] ["Name"] command args.
#include "settings/programs_list.h"

#include <algorithm>
#include <cstring>
#include <vector>

const char kProgramsEntry[] = "\"Vapryx\" vapryx --root";

namespace {

// The entry's line as XScreenSaver's own settings program lays them out.
const char kEntryIndent[] = "\t\t\t\t";
const char kEntryPad[] = "\t\t\t    ";

const char kNewFileHeader[] =
    "# XScreenSaver Preferences File\n"
    "# Started by vapryx --register; XScreenSaver's settings add the rest.\n"
    "\n";

// The entry's line as it is added, without the backslash that continues the list after it.
std::string EntryLine() { return std::string(kEntryIndent) + kProgramsEntry + kEntryPad + "\\n"; }

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

bool IsContinued(const std::string& line) {
  size_t backslashes = 0;
  for (size_t i = line.size(); i > 0 && line[i - 1] == '\\'; --i) ++backslashes;
  return backslashes % 2 == 1;
}

bool IsNameChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
         std::strchr("_.*?-", c) != nullptr;
}

// The resource name before the colon of a setting's first line; false when it is none.
bool ResourceName(const std::string& line, std::string* name, size_t* colon) {
  size_t i = 0;
  while (i < line.size() && IsBlank(line[i])) ++i;
  const size_t start = i;
  while (i < line.size() && IsNameChar(line[i])) ++i;
  const size_t end = i;
  while (i < line.size() && IsBlank(line[i])) ++i;
  if (end == start || i >= line.size() || line[i] != ':') return false;
  *name = line.substr(start, end - start);
  *colon = i;
  return true;
}

// `programs`, `*programs`, `xscreensaver.programs`, ...: the last component counts.
bool IsProgramsName(const std::string& name) {
  const size_t cut = name.find_last_of(".*");
  return name.compare(cut == std::string::npos ? 0 : cut + 1, std::string::npos, "programs") == 0;
}

std::string Trim(const std::string& s) {
  size_t a = 0, b = s.size();
  while (a < b && (IsBlank(s[a]) || s[a] == '\n')) ++a;
  while (b > a && (IsBlank(s[b - 1]) || s[b - 1] == '\n')) --b;
  return s.substr(a, b - a);
}

// 1 when an entry runs vapryx, 2 when it does but is turned off, 0 otherwise.
int VapryxEntry(std::string entry) {
  entry = Trim(entry);
  const bool off = !entry.empty() && entry[0] == '-';
  if (off) entry = Trim(entry.substr(1));
  // A visual name such as "GL:" before the command.
  size_t i = 0;
  while (i < entry.size() && IsNameChar(entry[i]) && entry[i] != '*' && entry[i] != '?') ++i;
  if (i > 0 && i < entry.size() && entry[i] == ':') entry = Trim(entry.substr(i + 1));
  if (!entry.empty() && entry[0] == '"') {
    const size_t close = entry.find('"', 1);
    if (close == std::string::npos) return 0;
    entry = Trim(entry.substr(close + 1));
  }
  std::string program = entry.substr(0, entry.find_first_of(" \t"));
  const size_t slash = program.rfind('/');
  if (slash != std::string::npos) program.erase(0, slash + 1);
  if (program != "vapryx") return 0;
  return off ? 2 : 1;
}

// The file's lines and its one programs setting: its first and last line and where its
// value starts.
struct ProgramsSetting {
  std::vector<std::string> lines;
  bool found = false;
  size_t first = 0, last = 0, valueStart = 0;
};

// False with `why` for a file that is not one we can safely edit.
bool ReadProgramsSetting(const std::string& file, ProgramsSetting* setting, std::string* why) {
  const size_t zero = file.find('\0');
  if (zero != std::string::npos) {
    const size_t line =
        1 + static_cast<size_t>(std::count(file.begin(), file.begin() + zero, '\n'));
    *why = "it is not a text file (line " + std::to_string(line) + " holds a zero byte)";
    return false;
  }
  std::vector<std::string>& lines = setting->lines;
  for (size_t at = 0; at < file.size();) {
    const size_t end = file.find('\n', at);
    lines.push_back(file.substr(at, (end == std::string::npos ? file.size() : end) - at));
    at = end == std::string::npos ? file.size() : end + 1;
  }

  size_t& first = setting->first;
  bool& found = setting->found;
  for (size_t i = 0; i < lines.size(); ++i) {
    const size_t start = i;
    while (i + 1 < lines.size() && IsContinued(lines[i])) ++i;
    const std::string head = Trim(lines[start]);
    if (head.empty() || head[0] == '#' || head[0] == '!') {
      i = start;  // a comment is one line, whatever it ends with
      continue;
    }
    std::string name;
    size_t colon;
    if (!ResourceName(lines[start], &name, &colon)) {
      *why = "line " + std::to_string(start + 1) + " is neither a setting, a comment nor blank";
      return false;
    }
    if (!IsProgramsName(name)) continue;
    if (found) {
      *why = "it has two programs lists (lines " + std::to_string(first + 1) + " and " +
             std::to_string(start + 1) + ")";
      return false;
    }
    found = true, first = start, setting->last = i, setting->valueStart = colon + 1;
  }
  const size_t last = setting->last;
  if (found) {
    // A backslash with blanks after it looks continued but is not: which was meant is
    // the user's to say, and an entry added after it would start with that backslash.
    std::string end = lines[last];
    while (!end.empty() && IsBlank(end.back())) end.pop_back();
    if (IsContinued(end) && !IsContinued(lines[last])) {
      *why = "line " + std::to_string(last + 1) +
             " of the programs list ends in a backslash and blanks";
      return false;
    }
  }
  return true;
}

}  // namespace

ProgramsListResult AddToProgramsList(const std::string& file, std::string* edited,
                                     std::string* why) {
  ProgramsSetting setting;
  if (!ReadProgramsSetting(file, &setting, why)) return kProgramsFileUnclear;
  std::vector<std::string>& lines = setting.lines;
  const bool found = setting.found;
  const size_t first = setting.first, last = setting.last, valueStart = setting.valueStart;

  auto lineBody = [&](size_t i) {
    std::string b = lines[i].substr(i == first ? valueStart : 0);
    if (IsContinued(b)) b.pop_back();
    return b;
  };
  if (found) {
    std::string value;
    for (size_t i = first; i <= last; ++i) value += lineBody(i);
    for (size_t at = 0; at <= value.size();) {
      size_t end = value.find("\\n", at);
      if (end == std::string::npos) end = value.size();
      const int listed = VapryxEntry(value.substr(at, end - at));
      if (listed == 1) return kProgramsEntryPresent;
      if (listed == 2) return kProgramsEntryOff;
      at = end + 2;
    }
  }

  const std::string entry = EntryLine();
  if (!found) {
    // No list yet: one of our own at the end; XScreenSaver merges its own programs in.
    *edited = file.empty() ? kNewFileHeader : file;
    if (!file.empty() && file.back() != '\n') *edited += '\n';
    if (!file.empty()) *edited += '\n';
    *edited += "programs:\\\n" + entry + "\\\n\n";
    return kProgramsEntryAdded;
  }

  // After the value's last line with an entry on it, keeping any blank lines that end it.
  size_t after = first;
  for (size_t i = first; i <= last; ++i) {
    if (!Trim(lineBody(i)).empty()) after = i;
  }
  std::string& line = lines[after];
  const std::string content = Trim(lineBody(after));
  if (!content.empty() && content.compare(content.size() - std::min<size_t>(2, content.size()),
                                          std::string::npos, "\\n") != 0) {
    // The last entry needs its separator before ours can follow: after its text, before
    // the blanks and the continuing backslash (a doubled one is text).
    size_t end = line.size() - (IsContinued(line) ? 1 : 0);
    while (end > 0 && IsBlank(line[end - 1])) --end;
    line.insert(end, "\\n");
  }
  const bool more = after < last;  // blank continuation lines still close the value
  if (!IsContinued(line)) line += '\\';
  lines.insert(lines.begin() + static_cast<long>(after) + 1, more ? entry + "\\" : entry);

  edited->clear();
  for (size_t i = 0; i < lines.size(); ++i) {
    *edited += lines[i];
    if (i + 1 < lines.size() || (!file.empty() && file.back() == '\n') || i == after + 1)
      *edited += '\n';
  }
  return kProgramsEntryAdded;
}

ProgramsListResult RemoveFromProgramsList(const std::string& file, std::string* edited,
                                          std::string* why) {
  ProgramsSetting setting;
  if (!ReadProgramsSetting(file, &setting, why)) return kProgramsFileUnclear;
  std::vector<std::string>& lines = setting.lines;
  const std::string entry = EntryLine();
  size_t at = setting.first + 1;
  while (setting.found && at <= setting.last && lines[at] != entry && lines[at] != entry + "\\")
    ++at;
  if (!setting.found || at > setting.last) return kProgramsEntryAbsent;
  if (lines[at] == entry) {
    // It closed the list: the backslash added to the line before goes with it.
    std::string& before = lines[at - 1];
    if (IsContinued(before)) before.pop_back();
  }
  lines.erase(lines.begin() + static_cast<long>(at));
  edited->clear();
  for (size_t i = 0; i < lines.size(); ++i) {
    *edited += lines[i];
    if (i + 1 < lines.size() || file.back() == '\n') *edited += '\n';
  }
  return kProgramsEntryRemoved;
}
