// Path constants: "@$&%" followed by a two-character folder code, replaced by
// the folder (or value) the code stands for on the running machine.
//
//   1..40   a folder or value of the code table, long form
//   41..80  the same as code - 40, in its short 8.3 form
//   23      the program group's folder, 24 its name (empty without a group)
//   81..99  registry variable number code - 81
//   others  the empty text
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

constexpr char kPathMarker[] = "@$&%";
constexpr int kMaxPathReplacements = 1000;

// The two characters after a marker read as an optional sign and decimal
// digits (no digits give 0), taken modulo 256: "04" and "4x" are 4, "-1" 255.
uint8_t ReadFolderCode(const std::string& twoCharacters);

// Drops one trailing backslash, nothing else.
std::string DropTrailingBackslash(std::string text);

// Run state the expansion reads.
struct TPathState {
  std::string installationFolder;              // code 04, as last stored
  std::string languageName;                    // code 21
  std::string programGroup;                    // code 24; code 23 is its folder
  std::vector<std::string> registryVariables;  // codes 81..99
};
TPathState& PathState();

// Codes 4, 21, 24 and 81..99, which need no Windows call (before the
// trailing-backslash rule); false for other codes.
bool StateFolderForCode(uint8_t code, std::string& text);

// Replaces every path constant, always searching again from the start of the
// text (so a marker an expansion brings in is expanded too), at most
// kMaxPathReplacements times; markers beyond that stay as they are.
// folderForCode gives the long form of codes 1..40 and 81..99 after the
// trailing-backslash rule; shortPath gives the 8.3 form of a path.
std::string ExpandWith(const std::string& text, const std::function<std::string(uint8_t)>& folderForCode,
                       const std::function<std::string(const std::string&)>& shortPath);
