#include "startup/temp_folder.h"

#include <windows.h>

#include <set>
#include <vector>

#include "toolkit/folders.h"
#include "toolkit/win32_handle.h"

namespace {

// The user's temporary folder with a trailing backslash, or "".
std::string UserTemporaryPath() {
  std::vector<char> buffer(MAX_PATH + 1);
  for (;;) {
    DWORD n = GetTempPathA(DWORD(buffer.size()), buffer.data());
    if (n == 0) return std::string();
    if (n < buffer.size()) break;
    buffer.resize(n + 1);  // the path did not fit: n is the size it needs
  }
  std::string path(buffer.data());
  if (!path.empty() && path.back() != '\\') path += '\\';
  return path;
}

struct TRunFolder {
  std::string path;   // with its trailing backslash; "" until one is made
  bool made = false;  // it is there, and ours to remove
};

TRunFolder& RunFolder() {
  static TRunFolder folder;
  return folder;
}

// The numbers of the files this run wrote (item codes: at most 256).
std::set<int>& WrittenFiles() {
  static std::set<int> numbers;
  return numbers;
}

std::string WithoutBackslash(const std::string& folder) { return folder.substr(0, folder.size() - 1); }

}  // namespace

std::string TemporaryFolder() {
  if (!RunFolder().path.empty()) return RunFolder().path;
  const std::string user = UserTemporaryPath();
  return user.empty() ? user : user + "$inst\\";
}

std::string TemporaryFileName(int number) { return TemporaryFolder() + std::to_string(number) + ".tmp"; }

bool CreateTemporaryFolder() {
  TRunFolder& run = RunFolder();
  if (run.made && IsFolder(run.path)) return true;
  const std::string user = UserTemporaryPath();
  if (user.empty()) return false;
  CreateFolderPath(WithoutBackslash(user));
  for (int n = 0; n < kTemporaryFolderNames; ++n) {
    const std::string folder = user + "$inst" + (n == 0 ? std::string() : std::to_string(n));
    if (CreateDirectoryA(folder.c_str(), nullptr)) {
      run.path = folder + "\\";
      run.made = true;
      return true;
    }
    // Taken by a folder or a file, or a folder on its way out: try the next
    // name. Anything else (no such path, no rights) holds for every name.
    const DWORD error = GetLastError();
    if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS && error != ERROR_ACCESS_DENIED) return false;
  }
  return false;
}

void DeleteTemporaryFiles() {
  TRunFolder& run = RunFolder();
  if (!run.made) return;
  for (int number : WrittenFiles()) DeleteFileA(TemporaryFileName(number).c_str());
  WrittenFiles().clear();
  if (RemoveDirectoryA(WithoutBackslash(run.path).c_str()) || !IsFolder(run.path)) run.made = false;
}

bool WriteTemporaryFile(int number, const void* bytes, size_t size) {
  if (!RunFolder().made) return false;
  std::string name = TemporaryFileName(number);
  DeleteFileA(name.c_str());
  WrittenFiles().insert(number);
  TWin32Handle file(CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  bool whole = size == 0 || (WriteFile(file.Get(), bytes, DWORD(size), &written, nullptr) && written == size);
  if (!whole) {
    file.Close();
    DeleteFileA(name.c_str());
  }
  return whole;
}
