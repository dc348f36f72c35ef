#include "lang/select_language.h"

#include <windows.h>

#include "lang/language_choice.h"
#include "lang/language_dialog.h"
#include "startup/command_line.h"
#include "startup/corrupted_setup.h"

bool SelectLanguage() {
  int index = MatchRequestedLanguage(RunFlags().requestedLanguage);
  // Unattended with "/Q": the language the dialog would have offered first.
  if (LanguageCount() >= 2 && index < 0 && RunFlags().quiet) index = DefaultLanguageIndex(GetUserDefaultLangID());
  if (LanguageCount() >= 2 && index < 0) {
    TLanguageDialogResult answer = ShowLanguageDialog();
    if (!answer.confirmed) return false;
    index = answer.index;
  }
  if (!ApplyLanguageChoice(index < 0 ? 0 : index)) CorruptedSetupError();
  return true;
}
