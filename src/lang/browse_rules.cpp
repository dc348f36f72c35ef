#include "lang/browse_rules.h"

#include "archive/script_text.h"
#include "lang/path_constants.h"

namespace {

// Leading characters only: "C:\Program Files\ProductX" starts with
// "C:\Program Files\Product" and counts as inside it.
bool StartsWithFolder(const std::string& text, const std::string& folder) {
  return UpperAscii(text.substr(0, folder.size())) == UpperAscii(folder);
}

}  // namespace

std::string FolderAfterBrowse(const std::string& chosen, const std::string& defaultFolder,
                              const std::string& productFolder) {
  if (chosen.empty()) return chosen;
  std::string text;
  if (!productFolder.empty() && !StartsWithFolder(chosen, defaultFolder)) {
    text = chosen.back() == '\\' ? chosen : chosen + "\\";
    text += productFolder;
  } else {
    text = DropTrailingBackslash(chosen);
  }
  // "D:\" lost its backslash above; a drive without one means its current folder.
  if (text.size() == 2) text += "\\";
  return text;
}
