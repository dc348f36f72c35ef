// The choices an installation is made with: from the wizard's pages, the
// command line or the script's defaults.
#pragma once
#include <string>

#include "engine/shortcut_path.h"

struct TInstallChoices {
  std::string installationFolder;  // what path constant 04 stands for
  TShortcutChoices shortcuts;
};
