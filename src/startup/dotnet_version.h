// Reading .NET Framework version numbers as the setup compares them.
#pragma once
#include <string>

// An optional leading "-"; digits before and after one "." (a second "."
// ends the number); any other character is skipped; "E" or "e" multiplies by
// ten to the power of the integer that follows and ends the number. The
// decimal point is "." whatever the locale.
double ReadVersionNumber(const std::string& text);

// The highest version among policy key names: those starting with "V" or
// "v" and holding a ".", read without their first character; 0 when none.
double HighestPolicyVersion(const std::string* names, size_t count);
