#include "engine/uninstall_log.h"

#include <algorithm>

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
  int f = 0, e = 0, u = 0, i = 0, r = 0, b = 0, a = 0;
};

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

  void Files() {
    log_.Header("f");
    for (const std::string& path : in_.files) log_.Entry(++n_.f, path);
  }

  void Folders() {
    log_.Header("e");
    for (uint32_t k = 0; k < SectionCount(kSectionFolders); ++k)
      if (Flagged(kSectionFolders, k, 1)) log_.Entry(++n_.e, Expanded(kSectionFolders, k, 0));
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
    for (uint32_t k = 0; k < SectionCount(kSectionComponents); ++k)
      if (Flagged(kSectionComponents, k, 1)) log_.Entry(++n_.u, Expanded(kSectionComponents, k, 0));
  }

  void IniEntries() {
    for (uint32_t k = 0; k < SectionCount(kSectionIni); ++k) {
      if (!Flagged(kSectionIni, k, 5)) continue;
      log_.Header("i" + std::to_string(++n_.i));
      for (int j = 0; j < 3; ++j) log_.Entry(j, Expanded(kSectionIni, k, j));
    }
  }

  void RegistrySection(TSection section, uint32_t k) {
    log_.Header("r" + std::to_string(++n_.r));
    log_.Entry(0, SectionField(section, k, 0));
    log_.Entry(1, Expanded(section, k, 1));
    log_.Entry(2, Expanded(section, k, 2));
  }

  void RegistryValues() {
    for (uint32_t k = 0; k < SectionCount(kSectionRegistry); ++k)
      if (Flagged(kSectionRegistry, k, 6)) RegistrySection(kSectionRegistry, k);
    for (uint32_t k = 0; k < SectionCount(kSectionUninstallRegistry); ++k) RegistrySection(kSectionUninstallRegistry, k);
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
    for (uint32_t k = 0; k < SectionCount(kSectionFonts); ++k) {
      log_.Header("n" + std::to_string(k + 1));
      log_.Entry(0, Expanded(kSectionFonts, k, 0));
      log_.Entry(1, Expanded(kSectionFonts, k, 1));
    }
  }

  void Settings() {
    const int total = FieldInt(93) + n_.f + n_.e + FieldInt(45) + FieldInt(31) + n_.u + n_.r + n_.i + n_.b + n_.a;
    auto m = [&](int number) { return in_.message(number); };
    auto f = [](int field) { return FieldText(field); };
    auto count = [](int value) { return std::to_string(value); };
    const std::string values[52] = {
        m(63), m(64), m(65), m(68), m(69), m(70), m(71), m(72), m(73), m(74), m(75), m(76), m(77), m(78), m(24),
        m(25), m(41), in_.expand(FieldText(27)), in_.installationFolder, f(60), f(70), f(71), f(81), f(80), f(75),
        f(64), f(97), f(108), f(68), f(74), m(81), f(49), f(66), "", "", "", "", count(n_.e), f(31), count(n_.f),
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
