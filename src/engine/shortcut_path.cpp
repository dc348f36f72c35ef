#include "engine/shortcut_path.h"

#include "lang/path_constants.h"

std::string ShortcutPath(int location, const std::string& name, const TShortcutChoices& choices,
                         const std::function<std::string(uint8_t)>& folderForCode) {
  std::string folder;
  switch (location) {
    case kInGroup:
      if (choices.noShortcuts) return std::string();
      folder = folderForCode(8) + "\\" + choices.group;
      break;
    case kOnDesktop:
      if (!choices.desktop) return std::string();
      folder = folderForCode(6);
      break;
    case kInStartMenu:
      if (!choices.startMenu) return std::string();
      folder = folderForCode(9);
      break;
    case kInQuickLaunch:
      if (!choices.quickLaunch) return std::string();
      folder = folderForCode(7);
      break;
    case kAtPath:
      return name;
    default:
      return std::string();
  }
  if (folder.empty()) return std::string();
  if (folder.back() != '\\') folder += '\\';
  return folder + name;
}

std::string ShortcutWorkingFolder(const std::string& target, const std::string& working) {
  return DropTrailingBackslash(working.empty() ? FolderPart(target) : working);
}
