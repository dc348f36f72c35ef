// What the Destination page's folder box reads after a choice in the folder
// browser. Kept apart from the browser so that it runs anywhere.
#pragma once
#include <string>

// chosen: the folder the browser returned; defaultFolder and productFolder:
// the default installation folder and the product's folder name, both
// expanded already. A chosen folder that does not start with the default
// (ASCII letters compared without case) gets the product's folder name
// appended, so that picking a drive or a parent still installs into a
// folder of the product's own; otherwise one trailing backslash goes. An
// empty productFolder never appends. A bare drive "X:" keeps its backslash.
std::string FolderAfterBrowse(const std::string& chosen, const std::string& defaultFolder,
                              const std::string& productFolder);
