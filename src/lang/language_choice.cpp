#include "lang/language_choice.h"

#include "archive/script_text.h"
#include "archive/setup_script.h"
#include "lang/messages.h"
#include "lang/path_constants.h"

TLanguageState& LanguageState() {
  static TLanguageState state;
  return state;
}

int LanguageCount() { return int(SectionCount(kSectionLanguages)); }

const std::string& LanguageName(int i) { return SectionField(kSectionLanguages, uint32_t(i), 0); }

int MatchRequestedLanguage(const std::string& requested) {
  if (requested.empty()) return -1;
  const std::string wanted = UpperAscii(requested);
  int match = -1;
  for (int i = 0; i < LanguageCount(); ++i)
    if (UpperAscii(LanguageName(i)).find(wanted) != std::string::npos) match = i;
  return match;
}

int DefaultLanguageIndex(uint16_t userLangId) {
  int match = -1;
  for (int i = 0; i < LanguageCount(); ++i) {
    const std::string& id = SectionField(kSectionLanguages, uint32_t(i), 1);
    // Leading digits only; an empty field reads 0 and never matches.
    if (!id.empty() && id[0] >= '0' && id[0] <= '9' && uint16_t(TextInt(id)) == userLangId) match = i;
  }
  for (int i = 0; match < 0 && i < LanguageCount(); ++i)
    if (LanguageName(i) == "English") match = i;
  return match < 0 ? 0 : match;
}

namespace {
// An empty field gives the default; a number outside 0..255 is refused.
bool TextNumber(const std::string& field, uint8_t fallback, uint8_t& number) {
  if (field.empty()) {
    number = fallback;
    return true;
  }
  int32_t value = TextInt(field);
  if (value < 0 || value > 255) return false;
  number = uint8_t(value);
  return true;
}
}  // namespace

bool ApplyLanguageChoice(int index) {
  if (LanguageCount() < 2) index = 0;
  TLanguageState& state = LanguageState();
  state.selected = index;
  state.name = LanguageName(index);
  PathState().languageName = state.name;
  if (index != 0) SelectMessageLanguage(index);
  return TextNumber(SectionField(kSectionLanguages, uint32_t(index), 2), 15, state.licenceText) &&
         TextNumber(SectionField(kSectionLanguages, uint32_t(index), 3), 16, state.informationText);
}
