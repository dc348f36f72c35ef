// The layer of a description that a publisher writes: named settings with
// safe defaults, checked record values and the fields worked out from the
// rest. The raw layer ("field N", record fields as typed) stays underneath
// and overrides it.
#pragma once
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "archive/setup_script.h"
#include "mksetup/header_settings.h"
#include "mksetup/path_names.h"

class TScriptBuilder;

// A named setting's value as the header field stores it; nothing, with the
// reason in error, when the value does not fit the setting's kind.
std::optional<std::string> SettingValue(const THeaderSetting& setting, const std::string& value,
                                        const TProductValues& product, std::string& error);

// A record field of a named description as the script stores it: switches
// as 1/0, registry roots by name or number, existing-file rules, attributes
// and shortcut locations by name or in range, path names translated.
std::optional<std::string> RecordFieldValue(TSection section, size_t field, const std::string& value,
                                            const TProductValues& product, std::string& error);

// The named form of a value as the script stores it, as a publisher writes
// it: "HKCU" for a registry root of 1, "overwrite" for an existing-file rule
// of 1, "on" for a switch's 1, "#000080" for a colour, "{install}\x" for
// "@$&%04\x". Nothing when the value has no form other than itself (a
// number, a text without path constants, a value mksetup would not write).
std::optional<std::string> NamedSettingValue(const THeaderSetting& setting, const std::string& stored);
std::optional<std::string> NamedRecordField(TSection section, size_t field, const std::string& stored);

// Raw mode: a switch field written empty ("field 110 =") reads as on, which
// is almost never what was meant. The error text, or "" when the value is fine.
std::string EmptySwitchProblem(int field, const std::string& value);

// What the defaults that follow from the rest of the description look at.
struct TNamedContext {
  TProductValues product;
  bool uninstaller = false;
  bool licence = false, information = false;  // texts given
  bool headerPicture = false, sidePicture = false;
  bool groupShortcuts = false;                // any shortcut goes into the program group
  uint64_t fileBytes = 0;                     // the product's files
};

// Fills every header field that neither a "field N" nor a named setting gave
// (`given`) with its default, and the fields worked out from the records
// (space needed, progress steps). Counts and the header check value are the
// builder's.
void ApplyNamedDefaults(TScriptBuilder& builder, const TNamedContext& context, const std::set<int>& given);

// The steps the installation will advance its progress bar by.
uint64_t ProgressSteps(const TScriptBuilder& builder);
