#include "mksetup/description_values.h"

#include <fstream>
#include <iterator>
#include <map>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsAbsolutePath(const std::string& path) {
  if (!path.empty() && path[0] == '/') return true;
#ifdef _WIN32
  if (!path.empty() && path[0] == '\\') return true;
  if (path.size() >= 2 && path[1] == ':') return true;
#endif
  return false;
}

}  // namespace

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    size_t stop = (end > start && text[end - 1] == '\r') ? end - 1 : end;
    lines.push_back(text.substr(start, stop - start));
    start = end + 1;
  }
  return lines;
}

std::string Trim(const std::string& text) {
  size_t begin = 0, end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

std::string NormaliseName(const std::string& text) {
  std::string out;
  for (char c : Trim(text)) {
    if (IsBlank(c)) {
      if (out.back() != ' ') out += ' ';
    } else {
      out += (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
    }
  }
  return out;
}

std::optional<uint64_t> ParseNumber(const std::string& text) {
  bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  size_t at = hex ? 2 : 0;
  if (at >= text.size()) return std::nullopt;
  uint64_t base = hex ? 16 : 10, value = 0;
  for (; at < text.size(); ++at) {
    char c = text[at];
    uint64_t digit;
    if (c >= '0' && c <= '9') digit = uint64_t(c - '0');
    else if (hex && c >= 'a' && c <= 'f') digit = uint64_t(c - 'a' + 10);
    else if (hex && c >= 'A' && c <= 'F') digit = uint64_t(c - 'A' + 10);
    else return std::nullopt;
    if (value > (UINT64_MAX - digit) / base) return std::nullopt;
    value = value * base + digit;
  }
  return value;
}

std::optional<uint64_t> ParseSize(const std::string& text) {
  std::string t = NormaliseName(text);
  uint64_t unit = 1;
  for (const auto& [suffix, factor] : std::map<std::string, uint64_t>{
           {"kib", 1u << 10}, {"k", 1u << 10}, {"mib", 1u << 20}, {"m", 1u << 20}}) {
    if (t.size() > suffix.size() && t.compare(t.size() - suffix.size(), suffix.size(), suffix) == 0 &&
        !(t[0] == '0' && t.size() > 1 && t[1] == 'x')) {
      t = Trim(t.substr(0, t.size() - suffix.size()));
      unit = factor;
      break;
    }
  }
  std::optional<uint64_t> value = ParseNumber(t);
  if (!value || *value > UINT64_MAX / unit) return std::nullopt;
  return *value * unit;
}

std::optional<bool> ParseSwitch(const std::string& text) {
  std::string t = NormaliseName(text);
  if (t == "on" || t == "yes" || t == "true" || t == "1") return true;
  if (t == "off" || t == "no" || t == "false" || t == "0") return false;
  return std::nullopt;
}

std::optional<uint64_t> NumberAfter(const std::string& name, const std::string& word) {
  if (name.compare(0, word.size() + 1, word + " ") != 0) return std::nullopt;
  return ParseNumber(name.substr(word.size() + 1));
}

std::string JoinPath(const std::string& base, const std::string& path) {
  if (base.empty() || IsAbsolutePath(path)) return path;
  return base.back() == '/' ? base + path : base + "/" + path;
}

std::string FolderOf(const std::string& path) {
#ifdef _WIN32
  size_t slash = path.find_last_of("/\\");
#else
  size_t slash = path.rfind('/');
#endif
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return bytes;
}

std::optional<std::string> DecodeMessage(const std::string& text, std::string& error) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      out += text[i];
    } else if (i + 1 < text.size() && text[i + 1] == 'n') {
      out += "\r\n";
      ++i;
    } else if (i + 1 < text.size() && text[i + 1] == '\\') {
      out += '\\';
      ++i;
    } else {
      error = "a backslash in a message is written '\\\\' ('\\n' is a line break)";
      return std::nullopt;
    }
  }
  return out;
}
