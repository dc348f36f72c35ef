#include "mksetup/product_files.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace {

constexpr uint64_t kSecondsFrom1601To1970 = 11644473600ull;

}  // namespace

uint64_t SourceFileTime(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0 || info.st_mtime < 0) return 0;
#ifdef _WIN32
  const uint64_t ticks = 0;  // the tests' Windows build packs whole seconds
#else
  const uint64_t ticks = uint64_t(info.st_mtim.tv_nsec) / 100;
#endif
  return (uint64_t(info.st_mtime) + kSecondsFrom1601To1970) * 10000000ull + ticks;
}

namespace {

std::string WithBackslashes(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

}  // namespace

bool FindProductFiles(const std::string& folder, std::vector<TFoundFile>& files, std::vector<std::string>& folders) {
  namespace fs = std::filesystem;
  std::error_code error;
  if (!fs::is_directory(folder, error)) return false;
  fs::recursive_directory_iterator it(folder, error), end;
  if (error) return false;
  for (; it != end; it.increment(error)) {
    if (error) return false;
    const std::string relative = fs::relative(it->path(), folder, error).generic_string();
    if (it->is_directory(error)) folders.push_back(WithBackslashes(relative));
    else if (it->is_regular_file(error)) files.push_back({WithBackslashes(relative), it->path().string(), SourceFileTime(it->path().string())});
  }
  std::sort(files.begin(), files.end(), [](const TFoundFile& a, const TFoundFile& b) { return a.relative < b.relative; });
  std::sort(folders.begin(), folders.end());  // a parent sorts before what is in it
  return true;
}
