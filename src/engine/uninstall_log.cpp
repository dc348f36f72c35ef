#include "engine/uninstall_log.h"

#include <algorithm>
#include <set>

#include "archive/script_text.h"
#include "archive/setup_script.h"

namespace {

class TLogWriter {
public:
  void Header(const std::string& name) { Line("[" + name + "]"); }
  void Entry(const std::string& key, const std::string& value) { Line(key + "=" + value); }
  void Entry(int key, const std::string& value) { Entry(std::to_string(key), value); }
  std::string Text() const { return text_; }

private:
  void Line(const std::string& line) { text_ += line + "\r\n"; }
  std::string text_;
};

bool Flagged(TSection section, uint32_t k, int j) { return TextInt(SectionField(section, k, j)) == 1; }

struct TCounts {
  int f = 0, e = 0, u = 0, i = 0, r = 0, b = 0, a = 0, n = 0;
};

// How two entries are compared: case-insensitively, paths without trailing
// backslashes, the fields of a numbered section joined.
std::string Identity(std::string text) {
  while (text.size() > 1 && (text.back() == '\\' || text.back() == '/')) text.pop_back();
  return UpperAscii(text);
}

std::string Identity(const TLogSection& section, int fields) {
  std::string identity;
  for (int j = 0; j < fields; ++j) identity += Identity(section.Value(std::to_string(j))) + '\n';
  return identity;
}

bool IsNumbered(const TLogSection& section, char letter) {
  return section.name.size() >= 2 && (section.name[0] | 0x20) == letter &&
         std::all_of(section.name.begin() + 1, section.name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

class TLogComposer {
public:
  explicit TLogComposer(const TUninstallLogInput& input) : in_(input) {}

  std::string Compose() {
    Files();
    Folders();
    UninstallerRecords();
    Components();
    IniEntries();
    RegistryValues();
    Commands();
    Fonts();
    Settings();
    return log_.Text();
  }

private:
  std::string Expanded(TSection section, uint32_t k, int j) const { return in_.expand(SectionField(section, k, j)); }

  // An entry of a list section, once; an empty one never.
  void ListEntry(std::set<std::string>& listed, int& count, const std::string& path) {
    if (!path.empty() && listed.insert(Identity(path)).second) log_.Entry(++count, path);
  }

  // What the previous log's list section holds that this one lacks.
  void PreviousEntries(const char* name, std::set<std::string>& listed, int& count) {
    if (const TLogSection* section = in_.previous.Find(name))
      for (const auto& entry : section->entries) ListEntry(listed, count, entry.second);
  }

  // The previous log's numbered sections that this one lacks, renumbered.
  void PreviousSections(char letter, int fields, std::set<std::string>& listed, int& count) {
    for (const TLogSection& section : in_.previous.sections) {
      if (!IsNumbered(section, letter) || !listed.insert(Identity(section, fields)).second) continue;
      log_.Header(std::string(1, letter) + std::to_string(++count));
      for (int j = 0; j < fields; ++j) log_.Entry(j, section.Value(std::to_string(j)));
    }
  }

  void Files() {
    log_.Header("f");
    std::set<std::string> listed;
    for (const std::string& path : in_.files) ListEntry(listed, n_.f, path);
    PreviousEntries("f", listed, n_.f);
  }

  void Folders() {
    log_.Header("e");
    std::set<std::string> listed;
    for (uint32_t k = 0; k < SectionCount(kSectionFolders); ++k)
      if (Flagged(kSectionFolders, k, 1)) ListEntry(listed, n_.e, Expanded(kSectionFolders, k, 0));
    for (const std::string& folder : in_.foldersMade) ListEntry(listed, n_.e, folder);
    PreviousEntries("e", listed, n_.e);
  }

  void UninstallerRecords() {
    for (uint32_t k = 0; k < SectionCount(kSectionUninstallerRecords); ++k) {
      log_.Header("o" + std::to_string(k + 1));
      log_.Entry(0, SectionField(kSectionUninstallerRecords, k, 0));
      log_.Entry(1, Expanded(kSectionUninstallerRecords, k, 1));
    }
  }

  void Components() {
    log_.Header("u");
    std::set<std::string> listed;
    for (uint32_t k = 0; k < SectionCount(kSectionComponents); ++k)
      if (Flagged(kSectionComponents, k, 1)) ListEntry(listed, n_.u, Expanded(kSectionComponents, k, 0));
    PreviousEntries("u", listed, n_.u);
  }

  // A numbered section of this version's, its values given; noted in listed.
  void NumberedSection(char letter, int& count, const std::vector<std::string>& values, std::set<std::string>& listed) {
    TLogSection section{std::string(1, letter) + std::to_string(++count), {}};
    for (size_t j = 0; j < values.size(); ++j) section.entries.emplace_back(std::to_string(j), values[j]);
    listed.insert(Identity(section, int(values.size())));
    log_.Header(section.name);
    for (const auto& entry : section.entries) log_.Entry(entry.first, entry.second);
  }

  void IniEntries() {
    std::set<std::string> listed;
    for (uint32_t k = 0; k < SectionCount(kSectionIni); ++k)
      if (Flagged(kSectionIni, k, 5))
        NumberedSection('i', n_.i, {Expanded(kSectionIni, k, 0), Expanded(kSectionIni, k, 1), Expanded(kSectionIni, k, 2)},
                        listed);
    PreviousSections('i', 3, listed, n_.i);
  }

  void RegistrySection(TSection section, uint32_t k, std::set<std::string>& listed) {
    NumberedSection('r', n_.r, {SectionField(section, k, 0), Expanded(section, k, 1), Expanded(section, k, 2)}, listed);
  }

  void RegistryValues() {
    std::set<std::string> listed;
    for (uint32_t k = 0; k < SectionCount(kSectionRegistry); ++k)
      if (Flagged(kSectionRegistry, k, 6)) RegistrySection(kSectionRegistry, k, listed);
    for (uint32_t k = 0; k < SectionCount(kSectionUninstallRegistry); ++k)
      RegistrySection(kSectionUninstallRegistry, k, listed);
    PreviousSections('r', 3, listed, n_.r);
  }

  void Commands() {
    // The install commands come first in the list; the uninstall ones follow.
    const uint32_t first = uint32_t(std::max(FieldInt(40), 0));
    for (uint32_t k = first; k < SectionCount(kSectionCommands); ++k) {
      const bool before = TextInt(SectionField(kSectionCommands, k, 4)) == 0;
      log_.Header((before ? "b" : "a") + std::to_string(before ? ++n_.b : ++n_.a));
      log_.Entry(0, Expanded(kSectionCommands, k, 1));
      log_.Entry(1, Expanded(kSectionCommands, k, 2));
      log_.Entry(2, Expanded(kSectionCommands, k, 3));
      log_.Entry(3, Expanded(kSectionCommands, k, 5));
    }
  }

  void Fonts() {
    std::set<std::string> listed;
    for (uint32_t k = 0; k < SectionCount(kSectionFonts); ++k)
      NumberedSection('n', n_.n, {Expanded(kSectionFonts, k, 0), Expanded(kSectionFonts, k, 1)}, listed);
    PreviousSections('n', 2, listed, n_.n);
  }

  void Settings() {
    const int total = FieldInt(93) + n_.f + n_.e + FieldInt(45) + FieldInt(31) + n_.u + n_.r + n_.i + n_.b + n_.a;
    auto m = [&](int number) { return in_.message(number); };
    auto f = [](int field) { return FieldText(field); };
    auto count = [](int value) { return std::to_string(value); };
    const std::string values[52] = {
        m(63), m(64), m(65), m(68), m(69), m(70), m(71), m(72), m(73), m(74), m(75), m(76), m(77), m(78), m(24),
        m(25), m(41), in_.expand(FieldText(27)), in_.installationFolder, f(60), f(70), f(71), f(81), f(80), f(75),
        f(64), f(97), f(108), f(68), f(74), m(81), f(49), f(66), m(66), m(67), "", "", count(n_.e), f(31), count(n_.f),
        f(93), f(45), count(n_.u), count(n_.r), count(n_.i), count(n_.b), count(n_.a), count(total), f(69), f(72),
        f(73), f(78)};
    log_.Header("s");
    for (int k = 0; k < 52; ++k) log_.Entry(k, values[k]);
  }

  const TUninstallLogInput& in_;
  TLogWriter log_;
  TCounts n_;
};

}  // namespace

std::string ComposeUninstallLog(const TUninstallLogInput& input) { return TLogComposer(input).Compose(); }

std::string UninstallerTrailer(const std::string& pictureBytes, const std::string& logPath) {
  std::string trailer = pictureBytes;
  const uint32_t n = uint32_t(pictureBytes.size());
  for (int i = 0; i < 4; ++i) trailer += char(n >> (8 * i));
  trailer += logPath;
  const uint16_t l = uint16_t(logPath.size());
  trailer += char(l & 0xFF);
  trailer += char(l >> 8);
  return trailer;
}
