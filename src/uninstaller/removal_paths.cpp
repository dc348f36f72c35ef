#include "uninstaller/removal_paths.h"

#include "archive/script_text.h"

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Windows drops a component's trailing dots and blanks, so "..." and ". "
// come out as what "." or ".." mean, or as nothing.
bool IsDotsAndBlanks(const std::string& component) {
  if (component.empty()) return false;
  for (char c : component)
    if (c != '.' && c != ' ') return false;
  return true;
}

// The components after the start (drive or "\\"), empty ones dropped.
std::vector<std::string> Components(const std::string& path, size_t start) {
  std::vector<std::string> components;
  std::string component;
  for (size_t i = start; i <= path.size(); ++i) {
    if (i == path.size() || IsSeparator(path[i])) {
      if (!component.empty()) components.push_back(component);
      component.clear();
    } else {
      component += path[i];
    }
  }
  return components;
}

bool IsUnc(const std::string& path) { return path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]); }

bool IsDrivePath(const std::string& path) {
  return path.size() >= 3 && IsLetter(path[0]) && path[1] == ':' && IsSeparator(path[2]);
}

std::string WithoutTrailingDotsAndBlanks(std::string component) {
  while (!component.empty() && (component.back() == '.' || component.back() == ' ')) component.pop_back();
  return component;
}

}  // namespace

bool IsFullProductPath(const std::string& path) {
  std::vector<std::string> components;
  if (IsDrivePath(path)) {
    components = Components(path, 3);
  } else if (IsUnc(path)) {
    // Exactly two separators, then the server: "\\\server" is no UNC path.
    if (path.size() < 3 || IsSeparator(path[2])) return false;
    components = Components(path, 2);
    if (components.size() < 2) return false;  // a server and a share
    if (components[0] == "?" || components[0] == ".") return false;
    if (IsSeparator(path[2 + components[0].size() + 1])) return false;  // "\\server\\share"
  } else {
    return false;
  }
  for (const std::string& component : components)
    if (IsDotsAndBlanks(component)) return false;
  return true;
}

std::string ComparableFolder(const std::string& path) {
  const bool unc = IsUnc(path);
  std::string out = unc ? "\\\\" : "";
  bool first = true;
  for (const std::string& component : Components(path, unc ? 2 : 0)) {
    const std::string name = WithoutTrailingDotsAndBlanks(component);
    if (name.empty()) continue;
    if (!first) out += '\\';
    out += name;
    first = false;
  }
  return UpperAscii(out);
}

bool IsProtectedFolder(const std::string& path, const std::vector<std::string>& protectedFolders) {
  const std::string folder = ComparableFolder(path);
  const bool unc = folder.rfind("\\\\", 0) == 0;
  const size_t components = Components(folder, unc ? 2 : 0).size();
  if (unc ? components <= 2 : components <= 1) return true;  // "\\server\share", "C:", or nothing at all
  for (const std::string& kept : protectedFolders)
    if (!kept.empty() && ComparableFolder(kept) == folder) return true;
  return false;
}
