// The modal dialog that asks which language the setup speaks.
#pragma once

struct TLanguageDialogResult {
  bool confirmed = false;  // only OK (or Enter) confirms
  int index = 0;
};

// Lists the script's languages with the default one selected, owned by the
// application window and captioned with its title. Cancel, Esc and the close
// button end it unconfirmed.
TLanguageDialogResult ShowLanguageDialog();
