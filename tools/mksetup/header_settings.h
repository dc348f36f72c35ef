// The named settings of a description: one name for each header field a
// publisher sets, with the value it takes when the description does not
// give it. docs/publishing.md lists them; `mksetup inspect` shows a setup's
// fields under the same names.
#pragma once
#include <string>
#include <vector>

enum class TSettingKind {
  kText,      // written as given; path names ({install}, ...) translated
  kSwitch,    // on/off, yes/no, true/false, 1/0: written "1" or "0"
  kOptional,  // a text, or off: "off" and an empty value are written "0"
  kNumber,    // a decimal number within the setting's range
  kColour,    // a colour: #RRGGBB or a decimal COLORREF
  kComputed,  // counted or worked out by mksetup; a raw "field N" still overrides
};

struct THeaderSetting {
  int field;
  const char* name;
  TSettingKind kind;
  // The default. Texts may name the product's values: {product}, {version},
  // {publisher}. "auto" means it follows from the rest of the description
  // (docs/publishing.md says how).
  const char* fallback;
  const char* meaning;
  long low = 0, high = 0;  // kNumber: the range
};

// Every header field 0 to 120, in field order; fields no Windows code reads
// are named "unused N" and default to the empty text.
const std::vector<THeaderSetting>& HeaderSettings();
// By name (lower case, single spaces); null when there is no such setting.
const THeaderSetting* FindHeaderSetting(const std::string& name);
const THeaderSetting& HeaderSettingOf(int field);
