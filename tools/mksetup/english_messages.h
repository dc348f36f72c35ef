// The built-in English message set: the 87 texts of a language, written for
// one product, so that a description can do without a messages file.
#pragma once
#include <string>
#include <vector>

struct TMessageValues {
  std::string product;    // "Velmora Notes"; empty: the texts say "the program"
  std::string version;    // "2.1" (may be empty)
  std::string publisher;  // "Velmora Ltd" (may be empty)
};

// The 87 English messages, message 1 first, with the values filled in.
// Line breaks are CR LF inside a message. Values are taken without NUL bytes,
// with other control characters as spaces and without blanks around them.
std::vector<std::string> EnglishMessages(const TMessageValues& values);
