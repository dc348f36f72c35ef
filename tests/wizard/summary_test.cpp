// The Ready page's summary: four-space indents, CR LF between lines and
// blocks, and no line break after a quick-launch line.
#include <gtest/gtest.h>

#include "wizard/summary.h"

namespace {

TSummary Summary(bool group, bool desktop, bool startMenu, bool quickLaunch) {
  TSummary s;
  s.folderHeading = "Folder:\r\n";
  s.folder = "C:\\Product";
  s.showGroup = group;
  s.groupHeading = "Group:\r\n";
  s.group = "Product";
  s.shortcutsHeading = "Shortcuts:\r\n";
  s.shortcuts = {{desktop, "Desktop"}, {startMenu, "Start Menu"}, {quickLaunch, "Quick Launch"}};
  return s;
}

}  // namespace

TEST(Summary, LinesAndBlocksAsTheUserChose) {
  const std::string folder = "Folder:\r\n    C:\\Product", group = "\r\n\r\nGroup:\r\n    Product";
  const struct {
    TSummary summary;
    std::string expected;
  } cases[] = {
      {Summary(true, true, true, true),
       folder + group + "\r\n\r\nShortcuts:\r\n    Desktop\r\n    Start Menu\r\n    Quick Launch"},
      {Summary(false, true, false, false), folder + "\r\n\r\nShortcuts:\r\n    Desktop\r\n"},
      {Summary(true, false, false, true), folder + group + "\r\n\r\nShortcuts:\r\n    Quick Launch"},
      {Summary(true, false, false, false), folder + group},
      {Summary(false, false, false, false), folder},
  };
  for (const auto& c : cases) EXPECT_EQ(ComposeSummary(c.summary), c.expected);

  TSummary noShortcutsPage = Summary(true, true, true, true);
  noShortcutsPage.shortcuts.clear();  // the script offers no additional shortcuts
  EXPECT_EQ(ComposeSummary(noShortcutsPage), folder + group);
}
