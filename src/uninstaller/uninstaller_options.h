// The uninstaller's command line, and which uninstall log it reads.
#pragma once
#include <string>
#include <vector>

struct TUninstallerOptions {
  bool silent = false;  // "/S"
  std::string logPath;  // "/INI=path"; empty when not given
};

// Switches compare upper-cased, values are taken as typed, the last
// occurrence wins; anything else is ignored.
TUninstallerOptions ParseUninstallerArguments(const std::vector<std::string>& arguments);

// The log to read: the "/INI=" path when given, else the trailer's path,
// else (no trailer: trailerPath empty) the program's own path with ".ini"
// in place of its extension, added when its name has none.
std::string ChooseLogPath(const std::string& option, const std::string& trailerPath, const std::string& program);
