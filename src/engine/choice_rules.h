// Whether the installation folder and the program group a person chose can be
// used, checked before anything on the machine changes (no Windows calls).
#pragma once
#include <cstddef>
#include <string>

// The longest path Windows takes for a file (MAX_PATH less its NUL).
constexpr size_t kLongestPath = 259;

// "" when folder can take the installation; otherwise the reason, in English,
// naming the folder. folder is the chosen text (a trailing backslash or not);
// longestTail is the length of the longest path the setup puts under it,
// counted from just after its backslash. Usable: an absolute folder (a drive
// letter with ":\", or "\\server\share\"), no character a file name cannot
// hold, no name over 255 characters, and room for the longest tail.
std::string FolderProblem(const std::string& folder, size_t longestTail);

// The same for a program group: group is the name as typed ("A\B" makes a
// group inside a group); pathAround is the length of everything the longest
// shortcut path holds besides the group (the programs folder, two
// backslashes and the longest link's file name).
std::string GroupProblem(const std::string& group, size_t pathAround);
