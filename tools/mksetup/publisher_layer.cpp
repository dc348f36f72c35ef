#include "mksetup/publisher_layer.h"

#include <cstdio>

#include "mksetup/script_builder.h"

namespace {

std::string Lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return text;
}

std::string Trimmed(const std::string& text) {
  const size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return std::string();
  return text.substr(begin, text.find_last_not_of(" \t") - begin + 1);
}

std::optional<long long> Integer(const std::string& text) {
  const std::string t = Trimmed(text);
  if (t.empty() || t.size() > 18) return std::nullopt;
  size_t at = t[0] == '-' ? 1 : 0;
  if (at == t.size()) return std::nullopt;
  long long value = 0;
  for (; at < t.size(); ++at) {
    if (t[at] < '0' || t[at] > '9') return std::nullopt;
    value = value * 10 + (t[at] - '0');
  }
  return t[0] == '-' ? -value : value;
}

std::optional<std::string> Switch(const std::string& value) {
  const std::string v = Lower(Trimmed(value));
  if (v == "on" || v == "yes" || v == "true" || v == "1") return std::string("1");
  if (v == "off" || v == "no" || v == "false" || v == "0") return std::string("0");
  return std::nullopt;
}

// "#RRGGBB" as the COLORREF the setup reads (red in the low byte), or a
// decimal COLORREF, or a system colour as the setup takes it.
std::optional<std::string> Colour(const std::string& value) {
  const std::string v = Trimmed(value);
  if (v.size() == 7 && v[0] == '#') {
    uint32_t rgb = 0;
    for (size_t i = 1; i < 7; ++i) {
      const char c = char(Lower(std::string(1, v[i]))[0]);
      if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return std::nullopt;
      rgb = rgb * 16 + uint32_t(c <= '9' ? c - '0' : c - 'a' + 10);
    }
    const uint32_t colorref = (rgb >> 16) | (rgb & 0xFF00) | (rgb & 0xFF) << 16;
    return std::to_string(colorref);
  }
  const std::optional<long long> n = Integer(v);
  if (n && *n >= 0 && *n <= 0xFFFFFFFFLL) return std::to_string(*n);
  return std::nullopt;
}

std::optional<std::string> Ranged(const std::string& value, long long low, long long high) {
  const std::optional<long long> n = Integer(value);
  if (!n || *n < low || *n > high) return std::nullopt;
  return std::to_string(*n);
}

// A value's names; the first name of each value is the one a report shows.
struct TName {
  const char* name;
  int value;
};
using TNames = std::vector<TName>;

const TNames kRoots = {
    {"HKCR", 0}, {"HKEY_CLASSES_ROOT", 0}, {"HKCU", 1}, {"HKEY_CURRENT_USER", 1}, {"HKLM", 2},
    {"HKEY_LOCAL_MACHINE", 2}, {"HKU", 3}, {"HKEY_USERS", 3}, {"HKPD", 4}, {"HKEY_PERFORMANCE_DATA", 4},
    {"HKCC", 5}, {"HKEY_CURRENT_CONFIG", 5}, {"HKDD", 6}, {"HKEY_DYN_DATA", 6}};
const TNames kValueTypes = {{"text", 0}, {"binary", 1}, {"number", 2}, {"key", 3}};
const TNames kExistingRules = {{"keep", 0}, {"overwrite", 1}, {"newer", 2}};
const TNames kLocations = {{"group", 0}, {"desktop", 1}, {"start menu", 2}, {"quick launch", 3}, {"path", 4}};
const TNames kAttributes = {{"readonly", 1}, {"read-only", 1}, {"hidden", 2}, {"system", 4}, {"archive", 32},
                            {"normal", 128}};

const TName* FindName(const TNames& names, const std::string& word) {
  for (const TName& n : names)
    if (Lower(n.name) == word) return &n;
  return nullptr;
}

const char* NameOf(const TNames& names, int value) {
  for (const TName& n : names)
    if (n.value == value) return n.name;
  return nullptr;
}

// A value given by one of its names or as its number.
std::optional<std::string> Named(const std::string& value, const TNames& names, int high) {
  if (const TName* found = FindName(names, Lower(Trimmed(value)))) return std::to_string(found->value);
  return Ranged(value, 0, high);
}

// "readonly hidden" or "readonly, archive", or a number.
std::optional<std::string> Attributes(const std::string& value) {
  if (std::optional<std::string> n = Ranged(value, 0, 0xFFFF)) return n;
  int bits = 0;
  std::string word;
  const std::string v = Lower(value) + " ";
  for (char c : v) {
    if (c == ' ' || c == ',' || c == '+' || c == '|') {
      if (word.empty()) continue;
      const TName* found = FindName(kAttributes, word);
      if (!found) return std::nullopt;
      bits |= found->value;
      word.clear();
    } else {
      word += c;
    }
  }
  return std::to_string(bits);
}

// ---- Named forms of stored values, for reports ----------------------------------

// A stored number exactly as mksetup writes it: decimal, no sign or blanks.
std::optional<long long> StoredNumber(const std::string& stored) {
  const std::optional<long long> n = Integer(stored);
  if (!n || std::to_string(*n) != stored) return std::nullopt;
  return n;
}

std::optional<std::string> StoredName(const TNames& names, const std::string& stored) {
  const std::optional<long long> n = StoredNumber(stored);
  const char* name = n && *n >= 0 && *n <= 0xFFFF ? NameOf(names, int(*n)) : nullptr;
  if (!name) return std::nullopt;
  return std::string(name);
}

std::optional<std::string> StoredSwitch(const std::string& stored) {
  if (stored == "1") return std::string("on");
  if (stored == "0") return std::string("off");
  return std::nullopt;
}

// Attribute bits as their names, when every bit set has one.
std::optional<std::string> StoredAttributes(const std::string& stored) {
  const std::optional<long long> n = StoredNumber(stored);
  if (!n || *n <= 0 || *n > 0xFFFF) return std::nullopt;
  std::string names;
  int left = int(*n);
  for (int bit = 1; bit <= 0x8000; bit <<= 1) {
    if (!(left & bit)) continue;
    const char* name = NameOf(kAttributes, bit);
    if (!name) return std::nullopt;
    names += (names.empty() ? "" : " ") + std::string(name);
  }
  return names;
}

// A COLORREF (red in the low byte) as #RRGGBB; system colours have no such form.
std::optional<std::string> StoredColour(const std::string& stored) {
  const std::optional<long long> n = StoredNumber(stored);
  if (!n || *n < 0 || *n > 0xFFFFFF) return std::nullopt;
  char text[8];
  std::snprintf(text, sizeof text, "#%02X%02X%02X", unsigned(*n & 0xFF), unsigned(*n >> 8 & 0xFF),
                unsigned(*n >> 16 & 0xFF));
  return std::string(text);
}

// Only a named form that says something the stored text does not.
std::optional<std::string> IfDifferent(const std::optional<std::string>& named, const std::string& stored) {
  if (!named || *named == stored) return std::nullopt;
  return named;
}

enum class TFieldKind { kText, kSwitch, kRoot, kValueType, kRule, kLocation, kAttributes, kNumber, kPhase };

TFieldKind KindOf(TSection section, size_t field) {
  switch (section) {
    case kSectionRegistryVariables:
    case kSectionUninstallRegistry:
      return field == 0 ? TFieldKind::kRoot : TFieldKind::kText;
    case kSectionRegistry:
      return field == 0 ? TFieldKind::kRoot : field == 4 ? TFieldKind::kValueType
                                            : field >= 5 ? TFieldKind::kSwitch : TFieldKind::kText;
    case kSectionShortcuts:
      return field == 0 ? TFieldKind::kLocation : field == 6 ? TFieldKind::kNumber : TFieldKind::kText;
    case kSectionFiles:
      return field == 1 ? TFieldKind::kRule : field == 3 ? TFieldKind::kSwitch
                                            : field == 4 ? TFieldKind::kAttributes : TFieldKind::kText;
    case kSectionFolders:
    case kSectionComponents:
      return field == 1 ? TFieldKind::kSwitch : TFieldKind::kText;
    case kSectionCommands:
      return field == 3 ? TFieldKind::kNumber : field == 4 ? TFieldKind::kPhase
                                              : field == 5 ? TFieldKind::kSwitch : TFieldKind::kText;
    case kSectionIni:
      return field >= 4 ? TFieldKind::kSwitch : TFieldKind::kText;
    default:
      return TFieldKind::kText;
  }
}

std::string WithProduct(const std::string& text, const TProductValues& product) {
  std::string error;
  return TranslatePathNames(text, product, error).value_or(text);
}

}  // namespace

std::optional<std::string> SettingValue(const THeaderSetting& setting, const std::string& value,
                                        const TProductValues& product, std::string& error) {
  std::optional<std::string> out;
  const std::string name = std::string("'") + setting.name + "'";
  switch (setting.kind) {
    case TSettingKind::kSwitch:
      if (!(out = Switch(value))) error = name + " is on or off";
      return out;
    case TSettingKind::kOptional: {
      const std::string v = Lower(Trimmed(value));
      if (v.empty() || v == "off" || v == "no" || v == "0") return std::string("0");
      return TranslatePathNames(value, product, error);
    }
    case TSettingKind::kNumber:
      if (!(out = Ranged(value, setting.low, setting.high)))
        error = name + " takes a number from " + std::to_string(setting.low) + " to " + std::to_string(setting.high);
      return out;
    case TSettingKind::kColour:
      if (!(out = Colour(value))) error = name + " takes a colour as #RRGGBB";
      return out;
    case TSettingKind::kComputed:
      error = name + " is worked out by mksetup; 'field " + std::to_string(setting.field) + " =' forces a value";
      return std::nullopt;
    case TSettingKind::kText:
      return TranslatePathNames(value, product, error);
  }
  return out;
}

std::optional<std::string> RecordFieldValue(TSection section, size_t field, const std::string& value,
                                            const TProductValues& product, std::string& error) {
  std::optional<std::string> out;
  switch (KindOf(section, field)) {
    case TFieldKind::kText:
      return TranslatePathNames(value, product, error);
    case TFieldKind::kSwitch:
      if (!(out = Switch(value))) error = "this field is on or off";
      return out;
    case TFieldKind::kRoot:
      if (!(out = Named(value, kRoots, 6))) error = "a registry root is HKCR, HKCU, HKLM, HKU, HKPD, HKCC or HKDD";
      return out;
    case TFieldKind::kValueType:
      if (!(out = Named(value, kValueTypes, 3))) error = "a value type is text, binary, number or key";
      return out;
    case TFieldKind::kRule:
      if (!(out = Named(value, kExistingRules, 2))) error = "an existing file is kept, overwritten or newer";
      return out;
    case TFieldKind::kLocation:
      if (!(out = Named(value, kLocations, 4)))
        error = "a shortcut location is group, desktop, start menu, quick launch or path";
      return out;
    case TFieldKind::kAttributes:
      if (!(out = Attributes(value))) error = "attributes are readonly, hidden, system, archive or a number";
      return out;
    case TFieldKind::kNumber:
      if (!(out = Ranged(value, 0, 0x7FFFFFFF))) error = "this field takes a number";
      return out;
    case TFieldKind::kPhase:
      if (!(out = Ranged(value, 0, 1))) error = "a command's phase is 0 (before the files) or 1 (at the end)";
      return out;
  }
  return out;
}

std::string EmptySwitchProblem(int field, const std::string& value) {
  if (!Trimmed(value).empty() || field < 0 || field >= kHeaderFieldCount) return std::string();
  const THeaderSetting& setting = HeaderSettingOf(field);
  const std::string what = "field " + std::to_string(field) + " (" + setting.name + ") is empty";
  if (setting.kind == TSettingKind::kSwitch) return what + ", which the setup reads as on; write 0 or 1";
  if (setting.kind == TSettingKind::kOptional) return what + ", which the setup reads as given; write 0 for none";
  if (field == 61) return what + ", which refuses every Windows version; 511 allows them all";
  return std::string();
}

uint64_t ProgressSteps(const TScriptBuilder& builder) {
  auto on = [&](int field) { return builder.Field(field) != "0"; };
  uint64_t steps = builder.RecordCount(kSectionFiles) + builder.RecordCount(kSectionFolders) +
                   builder.RecordCount(kSectionRegistry) + builder.RecordCount(kSectionFonts) +
                   builder.RecordCount(kSectionShortcuts) + builder.RecordCount(kSectionIni) +
                   builder.RecordCount(kSectionCommands);
  if (on(56)) ++steps;
  if (on(20)) steps += builder.RecordCount(kSectionComponents);
  return steps;
}

void ApplyNamedDefaults(TScriptBuilder& builder, const TNamedContext& context, const std::set<int>& given) {
  auto set = [&](int field, const std::string& text) {
    if (!given.count(field)) builder.SetField(field, text);
  };
  auto flag = [](bool on) { return std::string(on ? "1" : "0"); };
  auto filled = [&](int field) { return !builder.Field(field).empty() && builder.Field(field) != "0"; };
  for (const THeaderSetting& setting : HeaderSettings()) {
    if (given.count(setting.field) || setting.kind == TSettingKind::kComputed) continue;
    if (std::string(setting.fallback) == "auto") continue;  // below, once the rest is in place
    std::string error;
    set(setting.field, SettingValue(setting, WithProduct(setting.fallback, context.product), context.product, error)
                           .value_or(std::string()));
  }
  set(30, flag(context.licence));
  set(84, flag(context.information));
  set(49, flag(context.headerPicture));
  set(63, flag(context.sidePicture));
  set(56, flag(context.uninstaller));
  set(36, flag(filled(37)));
  set(39, flag(filled(43)));
  set(79, flag(filled(47)));
  set(103, flag(filled(104)));
  set(22, flag(filled(88) || filled(89) || filled(90)));
  set(113, flag(filled(86) && context.groupShortcuts));
  set(114, builder.Field(22));
  set(23, std::to_string(context.fileBytes));
  // Counted once every other field is in place: field 56 adds a step.
  set(48, std::to_string(ProgressSteps(builder)));
}

std::optional<std::string> NamedSettingValue(const THeaderSetting& setting, const std::string& stored) {
  switch (setting.kind) {
    case TSettingKind::kSwitch:
      return StoredSwitch(stored);
    case TSettingKind::kOptional:
      return stored == "0" ? std::string("off") : IfDifferent(NamePathConstants(stored), stored);
    case TSettingKind::kColour:
      return StoredColour(stored);
    case TSettingKind::kText:
      return IfDifferent(NamePathConstants(stored), stored);
    case TSettingKind::kNumber:
    case TSettingKind::kComputed:
      return std::nullopt;
  }
  return std::nullopt;
}

std::optional<std::string> NamedRecordField(TSection section, size_t field, const std::string& stored) {
  switch (KindOf(section, field)) {
    case TFieldKind::kText:
      return IfDifferent(NamePathConstants(stored), stored);
    case TFieldKind::kSwitch:
      return StoredSwitch(stored);
    case TFieldKind::kRoot:
      return StoredName(kRoots, stored);
    case TFieldKind::kValueType:
      return StoredName(kValueTypes, stored);
    case TFieldKind::kRule:
      return StoredName(kExistingRules, stored);
    case TFieldKind::kLocation:
      return StoredName(kLocations, stored);
    case TFieldKind::kAttributes:
      return StoredAttributes(stored);
    case TFieldKind::kNumber:
    case TFieldKind::kPhase:
      return std::nullopt;
  }
  return std::nullopt;
}
