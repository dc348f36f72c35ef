#include "lang/browse_rules.h"
std::string FolderAfterBrowse(const std::string& chosen, const std::string&, const std::string&) { return chosen; }
