// Which registry keys may go once a removed value has left them empty.
#pragma once
#include <string>
#include <vector>

// The key path itself and each of its parents, deepest first, down to the
// second level: a root and the keys directly below it (such as "SOFTWARE")
// are never listed, nor Windows' own keys that products write below (the
// list of installed programs, App Paths, Run, the fonts, Classes ...) and
// the keys above them. Empty components (doubled or outer backslashes) are
// dropped, so "Software\\A\\B\\" gives "Software\A\B", "Software\A".
std::vector<std::string> KeysToPrune(const std::string& keyPath);
