#include "lang/path_constants.h"

#include "archive/script_text.h"

uint8_t ReadFolderCode(const std::string& twoCharacters) { return uint8_t(uint32_t(TextInt(twoCharacters))); }

std::string DropTrailingBackslash(std::string text) {
  if (!text.empty() && text.back() == '\\') text.pop_back();
  return text;
}

TPathState& PathState() {
  static TPathState state;
  return state;
}

bool StateFolderForCode(uint8_t code, std::string& text) {
  const TPathState& state = PathState();
  if (code == 4) text = state.installationFolder;
  else if (code == 21) text = state.languageName;
  else if (code == 24) text = state.programGroup;
  else if (code >= 81 && code <= 99) {
    size_t k = size_t(code - 81);
    text = k < state.registryVariables.size() ? state.registryVariables[k] : std::string();
  } else
    return false;
  return true;
}

std::string ExpandWith(const std::string& text, const std::function<std::string(uint8_t)>& folderForCode,
                       const std::function<std::string(const std::string&)>& shortPath) {
  static const std::string kMarker = kPathMarker;
  std::string result = text;
  for (int replacements = 0; replacements < kMaxPathReplacements; ++replacements) {
    size_t at = result.find(kMarker);
    if (at == std::string::npos) break;
    std::string characters = result.substr(at + kMarker.size(), 2);
    uint8_t code = ReadFolderCode(characters);
    std::string expansion;
    if (code >= 41 && code <= 80) expansion = shortPath(folderForCode(uint8_t(code - 40)));
    else if ((code >= 1 && code <= 40) || (code >= 81 && code <= 99)) expansion = folderForCode(code);
    result.replace(at, kMarker.size() + characters.size(), expansion);
  }
  return result;
}
