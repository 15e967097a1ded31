// preferences_posix.cpp: reading and replacing ~/.xscreensaver for --register.
#include "settings/preferences_posix.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "settings/autostart.h"
#include "settings/programs_list.h"
#include "settings/replace_files.h"

namespace {

// Far beyond any preferences file; a larger one is not one.
constexpr size_t kMaxPreferencesBytes = 4 << 20;

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home != '\0') return home;
  const passwd* user = getpwuid(getuid());
  return user != nullptr && user->pw_dir != nullptr ? user->pw_dir : "";
}

std::string Folder(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

bool WriteAll(int fd, const std::string& bytes) {
  for (size_t done = 0; done < bytes.size();) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// Writes `bytes` to the new file at `temporary`, synced, with `mode`, or with the mode and
// owner of `owner` where there is one; false with errno's text in `why`.
bool WritePreferences(const std::string& temporary, const std::string& bytes, mode_t mode,
                      const struct stat* owner, std::string* why) {
  const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
  if (fd < 0) return *why = std::strerror(errno), false;
  bool ok = WriteAll(fd, bytes);
  if (ok && owner != nullptr) {
    // Keep the mode and owner the old file had (umask does not get a say in them).
    ok = fchmod(fd, owner->st_mode & 07777) == 0;
    if (ok && owner->st_uid != geteuid()) (void)!fchown(fd, owner->st_uid, owner->st_gid);
  }
  ok = ok && fsync(fd) == 0;
  if (!ok) *why = std::strerror(errno);
  if (close(fd) != 0 && ok) *why = std::strerror(errno), ok = false;
  return ok;
}

bool ReadAll(const std::string& path, std::string* bytes, std::string* why) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return *why = std::strerror(errno), false;
  char buffer[65536];
  for (;;) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      *why = std::strerror(errno);
      close(fd);
      return false;
    }
    if (n == 0) break;
    bytes->append(buffer, static_cast<size_t>(n));
    if (bytes->size() > kMaxPreferencesBytes) {
      *why = "it is larger than " + std::to_string(kMaxPreferencesBytes) + " bytes";
      close(fd);
      return false;
    }
  }
  close(fd);
  return true;
}

// Adds the entry (`add`) or takes it out, keeping a backup beside ~/.xscreensaver (where
// the user looks for it, even when the file is a link) and writing the file in place: a
// link (a managed dotfile) stays a link and its target changes. A save by another program
// between our reading and our renaming is seen, and the edit is made again on what it saved.
int ChangePreferences(bool add, std::string* message) {
  const std::string home = HomeFolder();
  if (home.empty()) return *message = "cannot tell the home folder (HOME is not set)", 1;
  const std::string link = home + "/.xscreensaver";
  const std::string backup = link + ".vapryx-backup";
  std::string path = link, why;

  struct stat info;
  const bool present = lstat(link.c_str(), &info) == 0;
  if (!present && errno != ENOENT) {
    return *message = "cannot read " + link + ": " + std::strerror(errno) + "; left as it was", 1;
  }
  if (present && S_ISLNK(info.st_mode)) {
    char target[PATH_MAX];
    if (realpath(link.c_str(), target) == nullptr) {
      return *message = link + " is a link to nothing (" + std::strerror(errno) +
                        "); left as it was: make its target, or remove the link",
             1;
    }
    path = target;
  }

  for (int attempt = 0; attempt < 3; ++attempt) {
    std::string file, edited;
    const bool exists = stat(path.c_str(), &info) == 0;
    if (!exists && errno != ENOENT) {
      return *message = "cannot read " + path + ": " + std::strerror(errno) + "; left as it was", 1;
    }
    if (exists && !S_ISREG(info.st_mode))
      return *message = path + " is not a regular file; left as it was", 1;
    if (exists && !ReadAll(path, &file, &why))
      return *message = "cannot read " + path + ": " + why + "; left as it was", 1;

    switch (add ? AddToProgramsList(file, &edited, &why)
                : RemoveFromProgramsList(file, &edited, &why)) {
      case kProgramsEntryPresent:
        return *message = "\"Vapryx\" is already in the programs list of " + path, 0;
      case kProgramsEntryOff:
        return *message = "\"Vapryx\" is in the programs list of " + path +
                          " but turned off (its line starts with '-'); left as it is: turn it on "
                          "in XScreenSaver's settings",
               0;
      case kProgramsEntryAbsent:
        return *message = "no line that --register added is in " + path + "; left as it was", 0;
      case kProgramsFileUnclear:
        return *message = "cannot make sense of " + path + ": " + why + "; left as it was", 1;
      case kProgramsEntryAdded:
      case kProgramsEntryRemoved:
        break;
    }

    // The backup first, then the file: both whole, or the file as it was.
    std::vector<std::string> paths = {backup, path};
    if (!exists) paths.erase(paths.begin());
    bool changed = false;
    auto write = [&](size_t i, const std::string& temporary, std::string* reason) {
      if (paths[i] == backup) return WritePreferences(temporary, file, 0600, &info, reason);
      if (!WritePreferences(temporary, edited, 0644, exists ? &info : nullptr, reason))
        return false;
      // Last before the renames: is the file still what was edited?
      std::string now;
      const bool there = access(path.c_str(), F_OK) == 0;
      changed = there != exists || (there && (!ReadAll(path, &now, reason) || now != file));
      if (changed) *reason = "it changed while it was being edited";
      return !changed;
    };
    std::string failed;
    if (ReplaceFiles(paths, write, &failed, &why)) {
      const int folder = open(Folder(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      if (folder >= 0) fsync(folder), close(folder);
      *message = std::string(add ? "added \"Vapryx\" to" : "took \"Vapryx\" out of") +
                 " the programs list of " + path;
      if (exists) *message += " (the file as it was is in " + backup + ")";
      return 0;
    }
    if (changed) continue;
    if (failed == backup) {
      return *message =
                 "cannot write the backup " + backup + ": " + why + "; " + path + " left as it was",
             1;
    }
    return *message = "cannot write " + path + ": " + why + "; left as it was", 1;
  }
  return *message = path + " kept changing while it was being edited; left as it was", 1;
}

// The XDG autostart entry's path, by the base directory rules: $XDG_CONFIG_HOME where it is
// an absolute path, else ~/.config.
std::string AutostartPath() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config != nullptr && config[0] == '/')
    return std::string(config) + "/autostart/vapryx.desktop";
  const std::string home = HomeFolder();
  return home.empty() ? "" : home + "/.config/autostart/vapryx.desktop";
}

// Makes `folder` and the folders above it that are missing, private as the base directory
// rules want; false with errno's text in `why`.
bool MakeFolders(const std::string& folder, std::string* why) {
  for (size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
    const std::string part = folder.substr(0, slash);
    if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
      return *why = std::strerror(errno), false;
    if (slash == std::string::npos) break;
  }
  struct stat info;
  if (stat(folder.c_str(), &info) != 0) return *why = std::strerror(errno), false;
  if (!S_ISDIR(info.st_mode)) return *why = "it is not a folder", false;
  return true;
}

// How the entry names this program: "vapryx" where that is what PATH finds in a system
// folder, else its own path (a build folder's copy, ~/.local/bin's), so that login starts
// this one.
std::string ProgramWord() {
  char self[PATH_MAX];
  if (realpath("/proc/self/exe", self) == nullptr) return "vapryx";
  struct stat mine, found;
  if (stat(self, &mine) != 0) return "vapryx";
  const char* path = std::getenv("PATH");
  std::string folders = path != nullptr ? path : "";
  for (size_t start = 0; start <= folders.size();) {
    size_t end = folders.find(':', start);
    if (end == std::string::npos) end = folders.size();
    const std::string folder = end > start ? folders.substr(start, end - start) : ".";
    const std::string candidate = folder + "/vapryx";
    start = end + 1;
    if (access(candidate.c_str(), X_OK) != 0) continue;
    // The first one found is the one a login would run, where the session's PATH (the
    // system's folders) finds it too.
    const bool same = stat(candidate.c_str(), &found) == 0 && found.st_dev == mine.st_dev &&
                      found.st_ino == mine.st_ino;
    const bool system = folder == "/usr/bin" || folder == "/bin" || folder == "/usr/local/bin";
    return same && system ? "vapryx" : self;
  }
  return self;
}

// What is at the entry's path: nothing, or our entry (its bytes in `bytes`), or else (a
// file not ours, or one it cannot read) a message.
enum class Entry { Absent, Ours, Failed };
Entry ReadEntry(const std::string& path, std::string* bytes, std::string* message) {
  struct stat info;
  if (lstat(path.c_str(), &info) != 0) {
    if (errno == ENOENT) return Entry::Absent;
    *message = "cannot read " + path + ": " + std::strerror(errno) + "; left as it was";
    return Entry::Failed;
  }
  std::string why;
  if (S_ISREG(info.st_mode) && !ReadAll(path, bytes, &why)) {
    *message = "cannot read " + path + ": " + why + "; left as it was";
    return Entry::Failed;
  }
  // A link, a folder, or a file without our mark: someone else's, never ours to change.
  if (!S_ISREG(info.st_mode) || !IsOurAutostartEntry(*bytes)) {
    *message = path + " was not written by vapryx --register; left as it is";
    return Entry::Failed;
  }
  return Entry::Ours;
}

}  // namespace

int RegisterAutostart(int idleSeconds, const std::vector<std::string>& arguments,
                      std::string* message, std::string* command) {
  const std::string path = AutostartPath();
  if (path.empty()) return *message = "cannot tell the home folder (HOME is not set)", 1;
  std::vector<std::string> words = {"--idle", std::to_string(idleSeconds)};
  words.insert(words.end(), arguments.begin(), arguments.end());
  const std::string program = ProgramWord();
  std::string entry, old, why;
  if (!BuildAutostartEntry(program, words, &entry, &why)) return *message = why, 1;
  const std::string shell = ShellCommand(program, words);

  const Entry before = ReadEntry(path, &old, message);
  if (before == Entry::Failed) return 1;
  if (!MakeFolders(Folder(path), &why))
    return *message = "cannot make the folder " + Folder(path) + ": " + why, 1;
  *command = "on sway and other wlroots desktops, which read no autostart folder, add to the "
             "config instead: exec " + shell;
  if (before == Entry::Ours && old == entry)
    return *message = path + " already starts " + shell + " at login; left as it was", 0;

  auto write = [&](size_t, const std::string& temporary, std::string* reason) {
    if (!WritePreferences(temporary, entry, 0644, nullptr, reason)) return false;
    // Last before the rename: is what is there still what was read?
    std::string now, ignored;
    const Entry after = ReadEntry(path, &now, &ignored);
    if (after == before && now == old) return true;
    return *reason = "it changed while it was being written", false;
  };
  std::string failed;
  if (!ReplaceFiles({path}, write, &failed, &why)) {
    return *message = "cannot write " + path + ": " + why + "; left as it was", 1;
  }
  const int folder = open(Folder(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) fsync(folder), close(folder);
  *message = std::string(before == Entry::Ours ? "replaced" : "wrote") + " the autostart entry " +
             path + ": " + shell + " starts at login and shows the saver after " +
             std::to_string(idleSeconds) + " s without input";
  return 0;
}

int UnregisterAutostart(std::string* message) {
  const std::string path = AutostartPath();
  if (path.empty()) return *message = "cannot tell the home folder (HOME is not set)", 1;
  std::string old;
  switch (ReadEntry(path, &old, message)) {
    case Entry::Failed:
      return 1;
    case Entry::Absent:
      return *message = "no autostart entry " + path + " to take out; left as it was", 0;
    case Entry::Ours:
      break;
  }
  if (unlink(path.c_str()) != 0)
    return *message = "cannot remove " + path + ": " + std::strerror(errno), 1;
  return *message = "removed the autostart entry " + path +
                    "; the saver running now stays until the session ends",
         0;
}

int RegisterWithXScreenSaver(std::string* message) { return ChangePreferences(true, message); }

int UnregisterFromXScreenSaver(std::string* message) { return ChangePreferences(false, message); }
