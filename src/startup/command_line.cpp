#include "startup/command_line.h"

#include "archive/script_text.h"
#include "archive/setup_script.h"

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
  std::vector<std::string> arguments;
  const size_t n = commandLine.size();
  size_t i = 0;
  for (;;) {
    while (i < n && uint8_t(commandLine[i]) >= 1 && uint8_t(commandLine[i]) <= 32) ++i;
    if (i >= n || commandLine[i] == 0) break;
    std::string argument;
    bool quoted = false;
    for (; i < n && commandLine[i] != 0 && (quoted || uint8_t(commandLine[i]) > 32); ++i) {
      if (commandLine[i] == '"') quoted = !quoted;
      argument += commandLine[i];
    }
    if (argument == "\"\"") continue;
    if (argument.size() > 1 && argument.front() == '"' && argument.back() == '"')
      argument = argument.substr(1, argument.size() - 2);
    arguments.push_back(argument);
  }
  return arguments;
}

std::vector<std::string> ArgumentsOf(const std::string& commandLine) {
  std::vector<std::string> all = SplitCommandLine(commandLine);
  if (!all.empty()) all.erase(all.begin());
  return all;
}

bool IsTestMode(const std::vector<std::string>& arguments) { return !arguments.empty() && arguments[0] == "test"; }

TRunFlags& RunFlags() {
  static TRunFlags flags;
  return flags;
}

void ApplyUnattendedSwitches(const std::vector<std::string>& arguments, TRunFlags& flags) {
  for (const std::string& argument : arguments) {
    const std::string upper = UpperAscii(argument);
    if (upper == "/Q") flags.quiet = true;
    else if (upper.compare(0, 5, "/LOG=") == 0) flags.logPath = argument.substr(5);
  }
}

void ApplySwitches(const std::vector<std::string>& arguments, TRunFlags& flags,
                   const std::function<std::string(const std::string&)>& normaliseFolder) {
  for (const std::string& argument : arguments) {
    const std::string upper = UpperAscii(argument);
    const std::string prefix = upper.substr(0, 3);
    const std::string value = argument.size() > 3 ? argument.substr(3) : std::string();
    if (upper == "/S") flags.silent = true;
    else if (upper == "/Q") flags.silent = flags.quiet = true;
    else if (upper.compare(0, 5, "/LOG=") == 0) flags.logPath = argument.substr(5);
    else if (upper == "/NC") flags.noCancel = true;
    else if (upper == "/SP") SetFieldText(107, "0");
    else if (upper == "/NR") SetFieldText(63, "0");
    else if (prefix == "/P=") SetFieldText(58, normaliseFolder ? normaliseFolder(value) : value);
    else if (prefix == "/G=") SetFieldText(106, value);
    else if (prefix == "/L=") flags.requestedLanguage = value;
  }
}

namespace {

std::vector<std::string> SplitAtBackslashes(const std::string& text) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    size_t at = text.find('\\', start);
    parts.push_back(text.substr(start, at == std::string::npos ? std::string::npos : at - start));
    if (at == std::string::npos) return parts;
    start = at + 1;
  }
}

bool HasWildcard(const std::string& s) { return s.find_first_of("*?") != std::string::npos; }

}  // namespace

std::string NormaliseFolder(const std::string& typed, const TNameLookup& lookup) {
  std::vector<std::string> parts = SplitAtBackslashes(typed);
  std::string result;
  size_t first = 0;
  // Keep a leading "\" or "\\" (a root or a network path) as typed.
  while (first + 1 < parts.size() && parts[first].empty() && first < 2) {
    result += '\\';
    ++first;
  }
  bool drive = first < parts.size() && parts[first].size() == 2 && parts[first][1] == ':';
  if (drive) result += parts[first++];
  bool needSeparator = drive;
  for (size_t i = first; i < parts.size(); ++i) {
    if (parts[i].empty()) continue;
    std::string path = result + (needSeparator ? "\\" : "") + parts[i];
    std::string name = HasWildcard(parts[i]) ? std::string() : lookup(path);
    result += (needSeparator ? "\\" : "") + (name.empty() ? parts[i] : name);
    needSeparator = true;
  }
  if (drive && result.size() == 2) result += '\\';  // a bare drive means its root
  return result;
}
