// Where a shortcut goes (no Windows calls).
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "toolkit/path_parts.h"

// The user's shortcut choices (the Start Menu and Shortcuts pages).
struct TShortcutChoices {
  bool noShortcuts = false;  // the Start Menu page's do-not-create check box
  bool desktop = true, startMenu = true, quickLaunch = true;
  std::string group;         // the group edit box, as typed
};

enum TShortcutLocation { kInGroup = 0, kOnDesktop = 1, kInStartMenu = 2, kInQuickLaunch = 3, kAtPath = 4 };

// The full path of the shortcut, or "" when its location is not chosen (or
// unknown, or its folder does not exist on this machine). name is the
// expanded record string [1]; folderForCode gives folder codes 6 to 9.
std::string ShortcutPath(int location, const std::string& name, const TShortcutChoices& choices,
                         const std::function<std::string(uint8_t)>& folderForCode);

// The working folder: the given one, else the target's folder part; one
// trailing backslash removed.
std::string ShortcutWorkingFolder(const std::string& target, const std::string& working);

