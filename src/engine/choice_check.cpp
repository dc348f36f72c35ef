#include "engine/choice_check.h"

#include <windows.h>

#include <algorithm>

#include "archive/script_text.h"
#include "archive/setup_script.h"
#include "engine/choice_rules.h"
#include "engine/journal.h"
#include "engine/shortcut_path.h"
#include "lang/folders.h"
#include "lang/path_constants.h"

namespace {

const std::string kInstallPrefix = std::string(kPathMarker) + "04\\";

// The length of text below the installation folder, or 0 when it is not there.
size_t TailBelowInstall(const std::string& text) {
  if (text.compare(0, kInstallPrefix.size(), kInstallPrefix) != 0) return 0;
  return ExpandPathConstants(text.substr(kInstallPrefix.size())).size();
}

// The longest path the script puts under {install}: files, folders, INI
// files, shortcuts at a path, the uninstaller and its log.
size_t LongestTailBelowInstall() {
  size_t longest = 0;
  for (TSection section : {kSectionFiles, kSectionFolders, kSectionIni})
    for (uint32_t k = 0; k < SectionCount(section); ++k)
      longest = std::max(longest, TailBelowInstall(SectionField(section, k, 0)));
  for (uint32_t k = 0; k < SectionCount(kSectionShortcuts); ++k)
    if (TextInt(SectionField(kSectionShortcuts, k, 0)) == kAtPath)
      longest = std::max(longest, TailBelowInstall(SectionField(kSectionShortcuts, k, 1)));
  if (FieldFlag(56))
    for (int field : {91, 92}) longest = std::max(longest, TailBelowInstall(FieldText(field)));
  return longest;
}

// The longest shortcut file name the script puts into the program group;
// 0 when it puts none there.
size_t LongestLinkInGroup() {
  size_t longest = 0;
  for (uint32_t k = 0; k < SectionCount(kSectionShortcuts); ++k) {
    if (TextInt(SectionField(kSectionShortcuts, k, 0)) != kInGroup) continue;
    const std::string name = ExpandPathConstants(SectionField(kSectionShortcuts, k, 1));
    const bool hasExtension = name.size() >= 4 && UpperAscii(name.substr(name.size() - 4)) == ".LNK";
    longest = std::max(longest, name.size() + (hasExtension ? 0 : 4));
  }
  return longest;
}

}  // namespace

std::string FolderChoiceProblem(const std::string& folder) {
  // A script that puts nothing in the folder never uses it.
  const size_t tail = LongestTailBelowInstall();
  return tail == 0 ? std::string() : FolderProblem(folder, tail);
}

std::string GroupChoiceProblem(const std::string& group) {
  const size_t link = LongestLinkInGroup();
  if (link == 0) return std::string();
  // The programs folder, a backslash, the group, a backslash, the link.
  return GroupProblem(group, FolderForCode(8).size() + 2 + link);
}

std::string MakeInstallationFolder(const std::string& folder) {
  if (LongestTailBelowInstall() == 0) return std::string();
  const DWORD error = MakeFolderPath(DropTrailingBackslash(folder));
  if (error == ERROR_SUCCESS) return std::string();
  return "The installation folder \"" + DropTrailingBackslash(folder) +
         "\" cannot be used: it cannot be made (Windows error " + std::to_string(error) + ").";
}

std::string ChoicesProblem(const TInstallChoices& choices) {
  // The folder as chosen, without the backslash a run adds ("D:\" keeps its own).
  std::string folder = choices.installationFolder;
  if (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
  const std::string problem = FolderChoiceProblem(folder);
  if (!problem.empty() || choices.shortcuts.noShortcuts || !FieldFlag(86)) return problem;
  return GroupChoiceProblem(choices.shortcuts.group);
}
