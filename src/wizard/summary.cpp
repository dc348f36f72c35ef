#include "wizard/summary.h"

namespace {
const char kIndent[] = "    ";
const char kBreak[] = "\r\n";
}  // namespace

std::string ComposeSummary(const TSummary& s) {
  std::string text = s.folderHeading + kIndent + s.folder;
  if (s.showGroup) text += kBreak + std::string(kBreak) + s.groupHeading + kIndent + s.group;
  std::string shortcuts;
  for (size_t i = 0; i < s.shortcuts.size(); ++i) {
    if (!s.shortcuts[i].chosen) continue;
    shortcuts += kIndent + s.shortcuts[i].caption;
    if (i != 2) shortcuts += kBreak;  // the quick-launch line ends the text as it is
  }
  if (!shortcuts.empty()) text += kBreak + std::string(kBreak) + s.shortcutsHeading + shortcuts;
  return text;
}
