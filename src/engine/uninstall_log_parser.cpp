#include "engine/uninstall_log_parser.h"

#include "archive/script_text.h"

namespace {

const std::string kEmpty;

bool IsEntryKey(const std::string& line, size_t equals) {
  if (equals == 0 || equals == std::string::npos) return false;
  for (size_t i = 0; i < equals; ++i)
    if (line[i] < '0' || line[i] > '9') return false;
  return true;
}

struct TLine {
  std::string text;
  std::string breakBefore;  // the line break that ended the previous line
};

std::vector<TLine> SplitLines(const std::string& text) {
  std::vector<TLine> lines;
  std::string breakBefore;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const bool cr = end > start && text[end - 1] == '\r';
    lines.push_back({text.substr(start, end - start - (cr ? 1 : 0)), breakBefore});
    breakBefore = cr ? "\r\n" : "\n";
    start = end + 1;
  }
  return lines;
}

}  // namespace

const std::string& TLogSection::Value(const std::string& key) const {
  for (const auto& entry : entries)
    if (entry.first == key) return entry.second;
  return kEmpty;
}

const TLogSection* TUninstallLog::Find(const std::string& name) const {
  const std::string wanted = UpperAscii(name);
  for (const TLogSection& section : sections)
    if (UpperAscii(section.name) == wanted) return &section;
  return nullptr;
}

TUninstallLog ParseUninstallLog(const std::string& text) {
  TUninstallLog log;
  // Blank lines seen since the last entry or continuation: they join a value
  // only when more of it follows.
  std::string pendingBlank;
  for (const TLine& line : SplitLines(text)) {
    const std::string& s = line.text;
    if (s.size() >= 2 && s.front() == '[' && s.back() == ']') {
      log.sections.push_back({s.substr(1, s.size() - 2), {}});
      pendingBlank.clear();
      continue;
    }
    if (log.sections.empty()) continue;
    auto& entries = log.sections.back().entries;
    const size_t equals = s.find('=');
    if (IsEntryKey(s, equals)) {
      entries.emplace_back(s.substr(0, equals), s.substr(equals + 1));
      pendingBlank.clear();
    } else if (entries.empty()) {
      continue;
    } else if (s.empty()) {
      pendingBlank += line.breakBefore;
    } else {
      entries.back().second += pendingBlank + line.breakBefore + s;
      pendingBlank.clear();
    }
  }
  return log;
}
