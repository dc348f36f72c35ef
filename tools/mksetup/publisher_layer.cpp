#include "mksetup/publisher_layer.h"

#include <map>

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

// A value given by one of its names or as its number.
std::optional<std::string> Named(const std::string& value, const std::map<std::string, int>& names, int high) {
  const auto found = names.find(Lower(Trimmed(value)));
  if (found != names.end()) return std::to_string(found->second);
  return Ranged(value, 0, high);
}

const std::map<std::string, int> kRoots = {
    {"hkcr", 0}, {"hkey_classes_root", 0}, {"hkcu", 1}, {"hkey_current_user", 1}, {"hklm", 2},
    {"hkey_local_machine", 2}, {"hku", 3}, {"hkey_users", 3}, {"hkpd", 4}, {"hkey_performance_data", 4},
    {"hkcc", 5}, {"hkey_current_config", 5}, {"hkdd", 6}, {"hkey_dyn_data", 6}};
const std::map<std::string, int> kValueTypes = {{"text", 0}, {"binary", 1}, {"number", 2}, {"key", 3}};
const std::map<std::string, int> kExistingRules = {{"keep", 0}, {"overwrite", 1}, {"newer", 2}};
const std::map<std::string, int> kLocations = {
    {"group", 0}, {"desktop", 1}, {"start menu", 2}, {"quick launch", 3}, {"path", 4}};
const std::map<std::string, int> kAttributes = {
    {"readonly", 1}, {"read-only", 1}, {"hidden", 2}, {"system", 4}, {"archive", 32}, {"normal", 128}};

// "readonly hidden" or "readonly, archive", or a number.
std::optional<std::string> Attributes(const std::string& value) {
  if (std::optional<std::string> n = Ranged(value, 0, 0xFFFF)) return n;
  int bits = 0;
  std::string word;
  const std::string v = Lower(value) + " ";
  for (char c : v) {
    if (c == ' ' || c == ',' || c == '+' || c == '|') {
      if (word.empty()) continue;
      const auto found = kAttributes.find(word);
      if (found == kAttributes.end()) return std::nullopt;
      bits |= found->second;
      word.clear();
    } else {
      word += c;
    }
  }
  return std::to_string(bits);
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
