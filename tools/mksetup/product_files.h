// A [files] block: a whole folder of product files, taken recursively.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct TProductFolder {
  int line = 0;                                // its "[files]" line
  std::map<std::string, std::string> values;   // source, target, time, existing, uninstall, attributes
  std::map<std::string, int> lines;            // where each was given
};

struct TFoundFile {
  std::string relative;  // below the folder, with backslashes
  std::string path;      // to read it from
  uint64_t fileTime;     // its last modification, as a FILETIME
};

// A file's last modification as a FILETIME; 0 when it cannot be read.
uint64_t SourceFileTime(const std::string& path);

// Every file below folder, in byte order of their relative paths (so the
// same folder always packs the same way), and every folder below it, parents
// first. False when the folder cannot be read.
bool FindProductFiles(const std::string& folder, std::vector<TFoundFile>& files, std::vector<std::string>& folders);
