// The folders and values that path constants stand for on this machine.
#pragma once
#include <cstdint>
#include <string>

// The long form of one code after the trailing-backslash rule; "" for codes
// without meaning.
std::string FolderForCode(uint8_t code);
// Every path constant of text replaced.
std::string ExpandPathConstants(const std::string& text);
// A shell folder's file-system path; "" when the shell has none.
std::string ShellFolderPath(int csidl);
// The 8.3 form of an existing path; the path itself when it has none (it does
// not exist yet, or its short form does not fit).
std::string ShortPathForm(const std::string& path);
