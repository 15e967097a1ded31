// replace_files.cpp: the temporary file beside each path, and the renames.
#include "settings/replace_files.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

std::string TemporaryPathBeside(const std::string& path) {
  // The process id keeps two runs writing the same path apart.
  return path + ".vapryx-" + std::to_string(getpid());
}

bool ReplaceFiles(const std::vector<std::string>& paths, const WriteNewFile& write,
                  std::string* failedPath, std::string* why) {
  std::vector<std::string> temporaries;
  bool ok = true;
  for (size_t i = 0; ok && i < paths.size(); ++i) {
    temporaries.push_back(TemporaryPathBeside(paths[i]));
    ok = write(i, temporaries.back(), why);
    if (!ok) *failedPath = paths[i];
  }
  for (size_t i = 0; ok && i < paths.size(); ++i) {
#ifdef _WIN32
    std::remove(paths[i].c_str());  // the runtime's rename does not replace
#endif
    if (std::rename(temporaries[i].c_str(), paths[i].c_str()) != 0) {
      *why = std::strerror(errno);
      *failedPath = paths[i];
      ok = false;
    }
  }
  for (const std::string& t : temporaries) std::remove(t.c_str());
  return ok;
}
