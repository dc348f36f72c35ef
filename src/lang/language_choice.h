// Which language record the run uses, and what follows from the choice.
#pragma once
#include <cstdint>
#include <string>

struct TLanguageState {
  int selected = 0;
  std::string name;
  uint8_t licenceText = 15;
  uint8_t informationText = 16;
};
TLanguageState& LanguageState();

int LanguageCount();
const std::string& LanguageName(int i);

// The last record whose upper-cased name contains the upper-cased request;
// -1 when none does (or the request is empty).
int MatchRequestedLanguage(const std::string& requested);
// The last record listing userLangId, else the first named exactly
// "English", else 0.
int DefaultLanguageIndex(uint16_t userLangId);
// Settles the choice: name (path constant 21), current messages, licence and
// information text numbers (empty fields mean 15 and 16). False when a text
// number does not fit in 0..255: the setup is corrupted.
bool ApplyLanguageChoice(int index);
