#include "mksetup/path_names.h"

#include <cstdio>
#include <map>

namespace {

struct TFolder {
  int code;
  const char* name;
  const char* meaning;
};

const TFolder kFolders[] = {
    {1, "program files", "the Program Files folder"},
    {2, "windows", "the Windows folder"},
    {3, "system", "the Windows system folder"},
    {4, "install", "the installation folder the user chose"},
    {5, "temp", "the user's temporary folder"},
    {6, "desktop", "the user's desktop"},
    {7, "quick launch", "the Quick Launch folder"},
    {8, "start menu programs", "the user's Start Menu programs folder"},
    {9, "start menu", "the user's Start Menu"},
    {10, "documents", "the user's documents folder"},
    {11, "favorites", "the user's favorites"},
    {12, "send to", "the user's Send To folder"},
    {13, "profile", "the user's profile folder"},
    {14, "startup", "the user's Startup folder"},
    {15, "fonts", "the Windows fonts folder"},
    {16, "common files", "the Common Files folder"},
    {17, "system drive", "the drive Windows is on, as C:"},
    {18, "setup folder", "the folder the setup runs from"},
    {19, "disk number", "the number of a disk file, in the disk name"},
    {20, "user name", "the name of the logged-on user"},
    {21, "language", "the name of the language chosen"},
    {22, "computer name", "the computer's name"},
    {23, "group", "the program group's folder; empty when the person chose none"},
    {24, "group name", "the name of the program group chosen"},
    {26, "app data", "the user's application data folder"},
    {27, "common app data", "the application data folder of all users"},
    {28, "common desktop", "the desktop of all users"},
    {29, "common documents", "the documents folder of all users"},
    {30, "common favorites", "the favorites of all users"},
    {31, "common start menu programs", "the Start Menu programs folder of all users"},
    {32, "common start menu", "the Start Menu of all users"},
    {33, "common startup", "the Startup folder of all users"},
    {34, "templates", "the user's document templates"},
    {35, "common templates", "the document templates of all users"},
};
constexpr int kShortFormOffset = 40;
constexpr int kFirstVariable = 81, kLastVariable = 99;

std::vector<TPathName> MakePathNames() {
  std::vector<TPathName> names;
  for (const TFolder& f : kFolders) names.push_back({f.name, f.code, f.meaning});
  for (const TFolder& f : kFolders)
    if (f.code <= kShortFormOffset) names.push_back({std::string("short ") + f.name, f.code + kShortFormOffset,
                                                     std::string(f.meaning) + ", in its short 8.3 form"});
  for (int code = kFirstVariable; code <= kLastVariable; ++code)
    names.push_back({"variable " + std::to_string(code - kFirstVariable), code,
                     "the value of [registry variable] record " + std::to_string(code - kFirstVariable)});
  return names;
}

std::string Constant(int code) {
  char text[8];
  std::snprintf(text, sizeof text, "@$&%%%02d", code);
  return text;
}

// Letters, digits after a letter ("variable 3"), and spaces: what a name
// looks like. Class ids and RTF groups hold other characters.
bool LooksLikeName(const std::string& inside) {
  if (inside.empty() || !((inside[0] >= 'a' && inside[0] <= 'z') || (inside[0] >= 'A' && inside[0] <= 'Z')))
    return false;
  for (char c : inside)
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ')) return false;
  return inside.find_first_of("0123456789") == std::string::npos || inside.rfind("variable ", 0) == 0 ||
         inside.rfind("Variable ", 0) == 0;
}

std::string Lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return text;
}

}  // namespace

const std::vector<TPathName>& PathNames() {
  static const std::vector<TPathName> names = MakePathNames();
  return names;
}

std::optional<std::string> TranslatePathNames(const std::string& text, const TProductValues& values,
                                              std::string& error) {
  static const std::map<std::string, int> codes = [] {
    std::map<std::string, int> map;
    for (const TPathName& n : PathNames()) map[n.name] = n.code;
    return map;
  }();
  const std::map<std::string, std::string> products = {
      {"product", values.product}, {"version", values.version}, {"publisher", values.publisher}};
  std::string out;
  size_t at = 0;
  for (size_t open; (open = text.find('{', at)) != std::string::npos;) {
    const size_t close = text.find('}', open + 1);
    if (close == std::string::npos) break;
    const std::string inside = text.substr(open + 1, close - open - 1);
    out += text.substr(at, open - at);
    at = close + 1;
    if (!LooksLikeName(inside)) {
      out += text.substr(open, close - open + 1);
      continue;
    }
    const std::string name = Lower(inside);
    if (auto p = products.find(name); p != products.end()) {
      out += p->second;
    } else if (auto c = codes.find(name); c != codes.end()) {
      out += Constant(c->second);
    } else {
      error = "unknown path name {" + inside + "} (docs/publishing.md lists them)";
      return std::nullopt;
    }
  }
  return out + text.substr(at);
}

std::string NamePathConstants(const std::string& text) {
  static const std::map<int, std::string> names = [] {
    std::map<int, std::string> map;
    for (const TPathName& n : PathNames()) map[n.code] = "{" + n.name + "}";
    return map;
  }();
  static const std::string kMarker = "@$&%";
  std::string out;
  size_t at = 0;
  for (size_t marker; (marker = text.find(kMarker, at)) != std::string::npos;) {
    const size_t digits = marker + kMarker.size();
    const bool twoDigits = digits + 2 <= text.size() && text[digits] >= '0' && text[digits] <= '9' &&
                           text[digits + 1] >= '0' && text[digits + 1] <= '9';
    const auto name = twoDigits ? names.find((text[digits] - '0') * 10 + (text[digits + 1] - '0')) : names.end();
    if (name == names.end()) {
      out += text.substr(at, digits - at);
      at = digits;
      continue;
    }
    out += text.substr(at, marker - at) + name->second;
    at = digits + 2;
  }
  return out + text.substr(at);
}
