// The Ready page's summary of what is about to be installed (no Windows
// calls). Lines are indented by four spaces; the headings carry their own
// line break.
#pragma once
#include <string>
#include <vector>

struct TSummary {
  std::string folderHeading, folder;  // message 43 and the installation folder
  bool showGroup = false;             // a program group will be made
  std::string groupHeading, group;    // message 44 and the group name
  std::string shortcutsHeading;       // message 45
  // The desktop, start-menu and quick-launch shortcuts, in that order: the
  // caption of each the user chose (and could see).
  struct TShortcut {
    bool chosen = false;
    std::string caption;
  };
  std::vector<TShortcut> shortcuts;
};

// The folder line; the group line when asked for; the chosen shortcuts under
// their heading, each but a quick-launch line (the last) ending in CR LF.
std::string ComposeSummary(const TSummary& summary);
