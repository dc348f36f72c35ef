#include "engine/choice_rules.h"

#include <vector>

namespace {

constexpr size_t kLongestName = 255;

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Characters no file or folder name can hold. A letter that the ANSI code
// page cannot hold arrives here as '?', and so is caught as well.
bool IsInvalidInName(char c) {
  const unsigned char u = static_cast<unsigned char>(c);
  if (u < 32) return true;
  for (char bad : std::string("<>:\"/|?*"))
    if (c == bad) return true;
  return false;
}

std::vector<std::string> Names(const std::string& text) {
  std::vector<std::string> names;
  size_t start = 0;
  for (size_t end; (end = text.find('\\', start)) != std::string::npos; start = end + 1)
    names.push_back(text.substr(start, end - start));
  names.push_back(text.substr(start));
  return names;
}

// The length of the root ("C:\" or "\\server\share\"), or 0 when there is none.
size_t RootLength(const std::string& folder) {
  if (folder.size() >= 3 && IsDriveLetter(folder[0]) && folder[1] == ':' && folder[2] == '\\') return 3;
  if (folder.compare(0, 2, "\\\\") != 0) return 0;
  const size_t server = folder.find('\\', 2);
  if (server == std::string::npos || server == 2) return 0;
  const size_t share = folder.find('\\', server + 1);
  const size_t end = share == std::string::npos ? folder.size() : share;
  if (end == server + 1) return 0;
  return share == std::string::npos ? folder.size() : share + 1;
}

// The reason the names of a path below its root cannot be used, or "".
std::string NamesProblem(const std::string& below) {
  for (const std::string& name : Names(below)) {
    if (name.empty()) return "it has an empty name (two backslashes together)";
    for (char c : name)
      if (IsInvalidInName(c))
        return "it holds a character that a name cannot hold (< > : \" / | ? *, or a letter this "
               "system's code page does not have)";
    if (name.size() > kLongestName) return "one of its names is longer than 255 characters";
  }
  return std::string();
}

std::string Refusal(const std::string& what, const std::string& text, const std::string& reason) {
  return "The " + what + " \"" + text + "\" cannot be used: " + reason + ".";
}

}  // namespace

std::string FolderProblem(const std::string& folder, size_t longestTail) {
  const std::string what = "installation folder";
  const size_t root = RootLength(folder);
  if (root == 0)
    return Refusal(what, folder, "it is not a full path (a drive letter with :\\, or \\\\server\\share\\)");
  std::string below = folder.substr(root);
  if (!below.empty() && below.back() == '\\') below.pop_back();
  std::string problem = below.empty() ? std::string() : NamesProblem(below);
  if (!problem.empty()) return Refusal(what, folder, problem);
  const size_t length = root + below.size() + (below.empty() ? 0 : 1) + longestTail;
  if (length > kLongestPath)
    return Refusal(what, folder,
                   "it is too long for the files the setup puts in it (" + std::to_string(length) +
                       " characters, where Windows takes " + std::to_string(kLongestPath) + ")");
  return std::string();
}

std::string GroupProblem(const std::string& group, size_t pathAround) {
  const std::string what = "program group";
  if (group.empty() || group.front() == '\\' || group.back() == '\\')
    return Refusal(what, group, "it has no name, or a name that starts or ends with a backslash");
  std::string problem = NamesProblem(group);
  if (!problem.empty()) return Refusal(what, group, problem);
  if (group.size() + pathAround > kLongestPath)
    return Refusal(what, group, "it is too long for the shortcuts the setup puts in it");
  return std::string();
}
