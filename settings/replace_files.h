// replace_files.h: files replaced whole or not at all. Each new file is written beside its
// path under a temporary name and renamed over it only when all are complete, so that no
// reader (XScreenSaver's daemon, a viewer) sees half a file and a failure leaves what was
// at the paths as it was.
#pragma once
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// Where the new file for `path` is written: beside it, named for this process; or the path
// itself when what is there is not a plain file (a device such as /dev/null, a pipe, a
// symbolic link), which is written into, never replaced or removed.
std::string NewFilePath(const std::string& path);

// Fills the new file for paths[index] at `temporary`; false with the reason in `why`.
using WriteNewFile =
    std::function<bool(size_t index, const std::string& temporary, std::string* why)>;

// Writes every file, then renames them into place in order. Returns true, or false with the
// path that failed and why; the temporaries are removed either way.
bool ReplaceFiles(const std::vector<std::string>& paths, const WriteNewFile& write,
                  std::string* failedPath, std::string* why);
