#include "engine/uninstall_log_parser.h"

#include <cstdint>
#include <cstring>
#include <limits>

#include "archive/script_text.h"
#include "toolkit/file_stream.h"

namespace {

const std::string kEmpty;

// Where an entry's key and value lie in the text. A value with continuation
// lines is the text as it stands from after "=" to the end of its last
// non-blank line, because continuations join with the line breaks they were
// split at; so every value is one span of the text.
template <typename TOffset>
struct TEntrySpan {
  TOffset key, value, end;  // the key runs from key to value - 1 (the "=")
};

template <typename TOffset>
struct TSectionSpan {
  TOffset name, nameEnd;
  size_t firstEntry;  // index into the entry spans
};

bool IsEntryKey(const char* line, size_t length, size_t& equals) {
  size_t i = 0;
  while (i < length && line[i] >= '0' && line[i] <= '9') ++i;
  if (i == 0 || i == length || line[i] != '=') return false;
  equals = i;
  return true;
}

// The text is walked once to find the spans; then each section's entries
// are made in a vector of exactly their number. Growing the entry vectors
// while reading would hold up to three times their slots at a reallocation.
template <typename TOffset>
TUninstallLog Parse(const std::string& text) {
  std::vector<TSectionSpan<TOffset>> sectionSpans;
  std::vector<TEntrySpan<TOffset>> entrySpans;
  entrySpans.reserve(text.size() / 48 + 1);  // an entry per line of a typical log, rarely grown
  const char* const begin = text.data();
  const size_t size = text.size();
  bool sectionHasEntry = false;
  for (size_t start = 0; start < size;) {
    const void* found = memchr(begin + start, '\n', size - start);
    const size_t next = found ? size_t(static_cast<const char*>(found) - begin) : size;
    size_t end = next;
    if (end > start && begin[end - 1] == '\r') --end;
    const char* line = begin + start;
    const size_t length = end - start;
    size_t equals = 0;
    if (length >= 2 && line[0] == '[' && line[length - 1] == ']') {
      sectionSpans.push_back({TOffset(start + 1), TOffset(end - 1), entrySpans.size()});
      sectionHasEntry = false;
    } else if (sectionSpans.empty()) {
      // before the first section
    } else if (IsEntryKey(line, length, equals)) {
      entrySpans.push_back({TOffset(start), TOffset(start + equals + 1), TOffset(end)});
      sectionHasEntry = true;
    } else if (sectionHasEntry && length > 0) {
      entrySpans.back().end = TOffset(end);  // blank lines between join only now
    }
    start = next + 1;
  }

  TUninstallLog log;
  log.sections.resize(sectionSpans.size());
  for (size_t s = 0; s < sectionSpans.size(); ++s) {
    TLogSection& section = log.sections[s];
    section.name.assign(begin + sectionSpans[s].name, begin + sectionSpans[s].nameEnd);
    const size_t first = sectionSpans[s].firstEntry;
    const size_t last = s + 1 < sectionSpans.size() ? sectionSpans[s + 1].firstEntry : entrySpans.size();
    section.entries.reserve(last - first);
    for (size_t e = first; e < last; ++e) {
      const TEntrySpan<TOffset>& span = entrySpans[e];
      section.entries.emplace_back(std::string(begin + span.key, begin + span.value - 1),
                                   std::string(begin + span.value, begin + span.end));
    }
  }
  return log;
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
  // Offsets of 32 bits halve the spans of any log the uninstaller reads.
  if (text.size() < std::numeric_limits<uint32_t>::max()) return Parse<uint32_t>(text);
  return Parse<size_t>(text);
}

TUninstallLog ParseUninstallLog(std::string&& text) {
  TUninstallLog log = ParseUninstallLog(static_cast<const std::string&>(text));
  std::string().swap(text);
  return log;
}

bool ReadUninstallLogText(const std::string& path, std::string& text) {
  auto file = TFileStream::Open(path, TFileStream::Mode::OpenRead);
  if (!file) return false;
  const int64_t size = file->Size();
  if (size < 0 || size > kUninstallLogSizeLimit) return false;
  text.assign(size_t(size), '\0');
  return size == 0 || file->ReadExact(&text[0], int32_t(size));
}
