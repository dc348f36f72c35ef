// The uninstall log that the setup leaves beside the product: ANSI text in
// INI layout, one entry per line, every line ended by CR LF.
//
//   [f]              files and shortcuts      [e]     folders
//   1=C:\...\a.dat                           [u]     components
//   2=C:\...\b.dat   [o1], [o2] ...          [i1] .. INI keys
//   [r1], [r2] ...   registry values          [b1] .. / [a1] .. commands
//   [n1], [n2] ...   fonts                    [s]     settings 0 .. 51
//
// Every key is a decimal number and the format has no escaping: a value may
// hold "=" and even line breaks, which spill onto the lines after it.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct TLogSection {
  std::string name;  // between the brackets, as written
  std::vector<std::pair<std::string, std::string>> entries;  // key, value; in file order

  // The value of the first entry with that key; empty when there is none.
  const std::string& Value(const std::string& key) const;
};

struct TUninstallLog {
  std::vector<TLogSection> sections;  // in file order

  // The first section of that name (compared case-insensitively), or null.
  const TLogSection* Find(const std::string& name) const;
};

// Reads the log's text. A line "[name]" opens a section; a line of decimal
// digits, "=" and a value is an entry (the value runs to the end of the
// line, "=" included). Any other line inside a section continues the value
// of the entry before it, joined by the line break it was split at; blank
// lines that no such line follows (before the next entry or section, or at
// the end) belong to no value, so a hand-made gap never ends a path with a
// line break. Lines before the first section, and lines of a section before
// its first entry, are ignored. The last line needs no line break.
// The text is read in one pass; the result takes about twice the text's
// size for a log of paths, and the parse itself little more.
TUninstallLog ParseUninstallLog(const std::string& text);
// The same, releasing the text's memory before it returns.
TUninstallLog ParseUninstallLog(std::string&& text);

// Far beyond any real log; keeps a damaged trailer from naming a huge file.
constexpr int64_t kUninstallLogSizeLimit = int64_t(64) << 20;
// The whole text of the log file at path; false when it cannot be read whole
// or is larger than the limit.
bool ReadUninstallLogText(const std::string& path, std::string& text);
