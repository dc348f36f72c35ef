// How script texts are read as numbers and flags, everywhere in the program.
#pragma once
#include <cstdint>
#include <string>

// An optional "-" or "+" first, then decimal digits up to the first other
// character; no digits give 0; no space is skipped; 32-bit wrap-around.
int32_t TextInt(const std::string& text);

// True unless the text is exactly "0".
inline bool TextFlag(const std::string& text) { return text != "0"; }

// Upper-cases the ASCII letters a to z only; every other byte stays.
std::string UpperAscii(std::string text);
