// Stands in for a product's running program: holds the file named on its
// command line open without sharing it, writes "<file>.held" once it does,
// and lets go when "<file>.release" appears (or after two minutes).
#include <windows.h>

#include <string>

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string path = argv[1];
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  HANDLE held = CreateFileA((path + ".held").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  CloseHandle(held);
  const std::string release = path + ".release";
  for (int waited = 0; waited < 120000 && GetFileAttributesA(release.c_str()) == INVALID_FILE_ATTRIBUTES; waited += 100)
    Sleep(100);
  CloseHandle(file);
  DeleteFileA((path + ".held").c_str());
  DeleteFileA(release.c_str());
  return 0;
}
