// replace_files.cpp: the temporary file beside each path, and the renames.
#include "settings/replace_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

std::string NewFilePath(const std::string& path) {
  // A file renamed over /dev/null would leave a file where the device was; over a link
  // (/dev/stdout, a dotfile kept elsewhere), a file where the link was.
  struct stat what;
#ifdef _WIN32
  const int found = stat(path.c_str(), &what);
#else
  const int found = lstat(path.c_str(), &what);
#endif
  if (found == 0 && !S_ISREG(what.st_mode) && !S_ISDIR(what.st_mode)) return path;
  // The process id keeps two runs writing the same path apart.
  return path + ".vapryx-" + std::to_string(getpid());
}

bool ReplaceFiles(const std::vector<std::string>& paths, const WriteNewFile& write,
                  std::string* failedPath, std::string* why) {
  std::vector<std::string> temporaries;
  bool ok = true;
  for (size_t i = 0; ok && i < paths.size(); ++i) {
    temporaries.push_back(NewFilePath(paths[i]));
    ok = write(i, temporaries.back(), why);
    if (!ok) *failedPath = paths[i];
  }
  for (size_t i = 0; ok && i < paths.size(); ++i) {
    if (temporaries[i] == paths[i]) continue;  // written into already
#ifdef _WIN32
    std::remove(paths[i].c_str());  // the runtime's rename does not replace
#endif
    if (std::rename(temporaries[i].c_str(), paths[i].c_str()) != 0) {
      *why = std::strerror(errno);
      *failedPath = paths[i];
      ok = false;
    }
  }
  for (size_t i = 0; i < temporaries.size(); ++i) {
    if (temporaries[i] != paths[i]) std::remove(temporaries[i].c_str());
  }
  return ok;
}
