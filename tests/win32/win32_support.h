// Helpers for the tests that run on Win32 (under Wine here).
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "mksetup/archive_writer.h"
#include "startup/temp_folder.h"

// A 24-bit bottom-up bitmap file of the given size, filled with one colour.
inline TBytes MakeBitmapFile(int width, int height, uint8_t blue = 10, uint8_t green = 20, uint8_t red = 30) {
  const uint32_t stride = (uint32_t(width) * 3 + 3) & ~3u;
  const uint32_t pixels = stride * uint32_t(height);
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + pixels;
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  info.biSizeImage = pixels;
  TBytes out(file.bfSize);
  memcpy(out.data(), &file, sizeof file);
  memcpy(out.data() + sizeof file, &info, sizeof info);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      uint8_t* p = out.data() + file.bfOffBits + uint32_t(y) * stride + uint32_t(x) * 3;
      p[0] = blue, p[1] = green, p[2] = red;
    }
  return out;
}

inline std::string ExecutableFolder() {
  char path[MAX_PATH * 2];
  DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  std::string s(path, n);
  return s.substr(0, s.find_last_of('\\') + 1);
}

inline TBytes ReadWholeFile(const std::string& path) {
  TBytes out;
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return out;
  DWORD size = GetFileSize(h, nullptr), got = 0;
  out.resize(size);
  if (!ReadFile(h, out.data(), size, &got, nullptr) || got != size) out.clear();
  CloseHandle(h);
  return out;
}

inline bool WriteWholeFile(const std::string& path, const TBytes& bytes) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(h, bytes.data(), DWORD(bytes.size()), &written, nullptr) && written == bytes.size();
  CloseHandle(h);
  return ok;
}

inline bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Runs a program with a command line and returns its exit code (or -1).
inline int RunProgram(const std::string& program, const std::string& arguments, DWORD timeoutMs = 60000) {
  std::string commandLine = "\"" + program + "\" " + arguments;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process))
    return -1;
  DWORD code = DWORD(-1);
  if (WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0) GetExitCodeProcess(process.hProcess, &code);
  else TerminateProcess(process.hProcess, 99);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return int(code);
}

#include "mksetup/script_builder.h"

// A script that passes every start-up check: every OS class, no
// administrator or .NET requirement, no program to close, not silent, and
// no start-up notice (an empty field 41 is a set flag: an empty notice),
// no page before the Progress page or after it, and no finish action (an
// empty field 52 would restart Windows, which under Wine ends every
// program of the session, the tests included).
inline TScriptBuilder PermissiveScript() {
  TScriptBuilder script;
  for (auto [field, value] : std::initializer_list<std::pair<int, const char*>>{
           {1, "0"}, {2, "0"}, {61, "511"}, {99, "0"}, {100, "0"}, {103, "0"}, {110, "0"}, {41, "0"},
           {111, "0"}, {30, "0"}, {84, "0"}, {112, "0"}, {113, "0"}, {114, "0"}, {115, "0"}, {116, "0"},
           {39, "0"}, {79, "0"}, {36, "0"}, {52, "0"}})
    script.SetField(field, value);
  return script;
}

// Deletes a folder with everything in it, read-only files included.
inline void RemoveTree(const std::string& folder) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      const std::string path = folder + "\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(folder.c_str());
}

// Empties and removes "$inst", whichever process left files in it (a setup
// the test had to end by force, say).
inline void ClearTemporaryFolder() {
  const std::string folder = TemporaryFolder();
  if (!folder.empty()) RemoveTree(folder.substr(0, folder.size() - 1));
}

// The display DPI that tests/scripts/dpi_check.sh runs the scaling tests at
// (VELMORA_DISPLAY_DPI); 0 in every other run, where they are skipped.
inline int DisplayDpiUnderTest() {
  char text[16] = {};
  GetEnvironmentVariableA("VELMORA_DISPLAY_DPI", text, sizeof text);
  return atoi(text);
}

// The scaling checks: a 96-DPI size or place scaled to dpi, within one pixel
// of rounding. A place is a control's rectangle in its parent; -1 leaves a
// value unchecked.
inline void ExpectScaledPlace(const RECT& r, int x, int y, int width, int height, int dpi) {
  auto s = [dpi](int v) { return MulDiv(v, dpi, 96); };
  if (x >= 0) {
    EXPECT_NEAR(r.left, s(x), 1);
  }
  if (y >= 0) {
    EXPECT_NEAR(r.top, s(y), 1);
  }
  if (width >= 0) {
    EXPECT_NEAR(r.right - r.left, s(width), 1);
  }
  if (height >= 0) {
    EXPECT_NEAR(r.bottom - r.top, s(height), 1);
  }
}

inline void ExpectScaledClient(HWND window, int width, int height, int dpi) {
  RECT client{};
  GetClientRect(window, &client);
  ExpectScaledPlace(client, 0, 0, width, height, dpi);
}
