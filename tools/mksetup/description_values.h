// How the lines and values of a description read: line ends, names, numbers,
// sizes, switches, paths relative to the description and message texts.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Lines end at LF or CR LF; a final line without either still counts.
std::vector<std::string> SplitLines(const std::string& text);

// Without the blanks (spaces and tabs) around it.
std::string Trim(const std::string& text);

// Names are compared in lower case with runs of blanks read as one space.
std::string NormaliseName(const std::string& text);

// Decimal, or hexadecimal after "0x"; no sign, nothing around it.
std::optional<uint64_t> ParseNumber(const std::string& text);

// A number of bytes, optionally followed by KiB or MiB (K and M also do).
std::optional<uint64_t> ParseSize(const std::string& text);

// on/off, yes/no, true/false or 1/0, in any case; nothing for anything else.
std::optional<bool> ParseSwitch(const std::string& text);

// "field 12" (and "message 12") give 12.
std::optional<uint64_t> NumberAfter(const std::string& name, const std::string& word);

// A relative path taken from the folder base ("" = the current folder); an
// absolute path as it is.
std::string JoinPath(const std::string& base, const std::string& path);

// The folder part of a path with its final separator; "" when there is none.
std::string FolderOf(const std::string& path);

// The whole content of a file; nothing when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& path);

// "\n" is CR LF inside a message, "\\" a backslash; any other backslash is a
// mistake. Returns nothing and sets the error text on a mistake.
std::optional<std::string> DecodeMessage(const std::string& text, std::string& error);
