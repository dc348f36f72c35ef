// Readable names for the path constants a setup expands on the target
// machine ({install} for @$&%04, ...) and for the product's own values
// ({product}, {version}, {publisher}), translated when the setup is packed.
#pragma once
#include <optional>
#include <string>
#include <vector>

struct TProductValues {
  std::string product, version, publisher;
};

struct TPathName {
  std::string name;  // between the braces
  int code;          // the path constant, 0 to 99
  std::string meaning;
};

// Every path name: the folders and values (codes 1 to 35), "short NAME" for
// the 8.3 form of each folder (code + 40) and "variable N" for the registry
// variables (81 + N).
const std::vector<TPathName>& PathNames();

// Replaces each "{name}" by its path constant or product value. A brace pair
// holding only letters and spaces must be a known name (the error text names
// it); any other brace pair (a class id, RTF) stays as written.
std::optional<std::string> TranslatePathNames(const std::string& text, const TProductValues& values,
                                              std::string& error);

// The other way, for reports: each path constant that has a name ("@$&%04",
// two digits) written as that name ("{install}"); everything else as it is.
std::string NamePathConstants(const std::string& text);
