#include "engine/shortcut_path.h"

#include <gtest/gtest.h>

namespace {
std::string Folder(uint8_t code) {
  switch (code) {
    case 6: return "C:\\Desktop";
    case 7: return "";  // no Quick Launch folder on this machine
    case 8: return "C:\\Programs";
    case 9: return "C:\\Start Menu\\";
    default: return "?";
  }
}
}  // namespace

TEST(ShortcutPath, EachLocationFollowsItsOwnChoice) {
  TShortcutChoices all;
  all.group = "Velmora\\Tools";
  EXPECT_EQ(ShortcutPath(kInGroup, "Run.lnk", all, Folder), "C:\\Programs\\Velmora\\Tools\\Run.lnk");
  EXPECT_EQ(ShortcutPath(kOnDesktop, "Run.lnk", all, Folder), "C:\\Desktop\\Run.lnk");
  EXPECT_EQ(ShortcutPath(kInStartMenu, "Sub\\Run.lnk", all, Folder), "C:\\Start Menu\\Sub\\Run.lnk");
  EXPECT_EQ(ShortcutPath(kInQuickLaunch, "Run.lnk", all, Folder), "") << "no Quick Launch folder";
  EXPECT_EQ(ShortcutPath(kAtPath, "D:\\x\\Run.lnk", all, Folder), "D:\\x\\Run.lnk");
  EXPECT_EQ(ShortcutPath(5, "Run.lnk", all, Folder), "");

  TShortcutChoices none;
  none.noShortcuts = true;
  none.desktop = none.startMenu = none.quickLaunch = false;
  for (int location : {kInGroup, kOnDesktop, kInStartMenu, kInQuickLaunch})
    EXPECT_EQ(ShortcutPath(location, "Run.lnk", none, Folder), "") << location;
  EXPECT_EQ(ShortcutPath(kAtPath, "D:\\Run.lnk", none, Folder), "D:\\Run.lnk") << "an explicit path is always made";

  TShortcutChoices noGroup;
  EXPECT_EQ(ShortcutPath(kInGroup, "Run.lnk", noGroup, Folder), "C:\\Programs\\Run.lnk")
      << "an empty group name puts it in the Programs folder itself";
}

TEST(ShortcutPath, WorkingFolderDefaultsToTheTargetsFolder) {
  EXPECT_EQ(ShortcutWorkingFolder("C:\\Product\\bin\\run.exe", ""), "C:\\Product\\bin");
  EXPECT_EQ(ShortcutWorkingFolder("C:\\Product\\run.exe", "D:\\Work\\"), "D:\\Work");
  EXPECT_EQ(ShortcutWorkingFolder("run.exe", ""), "");
  EXPECT_EQ(ShortcutWorkingFolder("C:run.exe", ""), "C:");
  EXPECT_EQ(FolderPart("a/b\\c.txt"), "a/b\\");
  EXPECT_EQ(FileNamePart("a/b\\c.txt"), "c.txt");
}
