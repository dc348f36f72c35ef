#include "uninstaller/uninstaller_options.h"

#include "archive/script_text.h"

namespace {

const char kLogSwitch[] = "/INI=";

std::string BesideWithIniExtension(const std::string& program) {
  const size_t name = program.find_last_of("\\/:");
  const size_t dot = program.rfind('.');
  const bool hasExtension = dot != std::string::npos && (name == std::string::npos || dot > name);
  return (hasExtension ? program.substr(0, dot) : program) + ".ini";
}

}  // namespace

TUninstallerOptions ParseUninstallerArguments(const std::vector<std::string>& arguments) {
  TUninstallerOptions options;
  const size_t prefix = sizeof kLogSwitch - 1;
  for (const std::string& argument : arguments) {
    const std::string upper = UpperAscii(argument);
    if (upper == "/S") options.silent = true;
    else if (upper.compare(0, prefix, kLogSwitch) == 0) options.logPath = argument.substr(prefix);
  }
  return options;
}

std::string ChooseLogPath(const std::string& option, const std::string& trailerPath, const std::string& program) {
  if (!option.empty()) return option;
  if (!trailerPath.empty()) return trailerPath;
  return BesideWithIniExtension(program);
}
