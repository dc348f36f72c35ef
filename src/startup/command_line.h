// The setup's command line: splitting it into arguments and applying the
// switches "test", "/S", "/Q", "/NC", "/SP", "/NR", "/P=", "/G=", "/L=" and
// "/LOG=".
#pragma once
#include <functional>
#include <string>
#include <vector>

// Splits at characters 1 to 32; a double-quoted stretch belongs to the
// argument around it; an empty "" is skipped; an argument that both begins
// and ends with a double quote loses those two quotes.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// The arguments after the program's own name.
std::vector<std::string> ArgumentsOf(const std::string& commandLine);

// Test mode: the first argument is exactly "test".
bool IsTestMode(const std::vector<std::string>& arguments);

struct TRunFlags {
  bool silent = false;
  bool quiet = false;  // "/Q": silent, and no box or dialog at all
  bool noCancel = false;
  std::string requestedLanguage;
  std::string logPath;  // "/LOG=": where the run's log is appended
};
TRunFlags& RunFlags();

// The switches needed before the setup archive is read ("/Q" and "/LOG="),
// so that a damaged archive is reported the unattended way.
void ApplyUnattendedSwitches(const std::vector<std::string>& arguments, TRunFlags& flags);

// Applies every argument in order, the last occurrence of a switch winning.
// Switches compare upper-cased; values are taken as typed. "/P=" values pass
// through normaliseFolder before they replace header field 58.
void ApplySwitches(const std::vector<std::string>& arguments, TRunFlags& flags,
                   const std::function<std::string(const std::string&)>& normaliseFolder);

// Gives the name the file system reports for an existing path ("" when it
// does not exist).
using TNameLookup = std::function<std::string(const std::string& path)>;

// The "/P=" folder with every existing component in the spelling the file
// system reports (long names instead of 8.3 names); components that do not
// exist stay as typed; empty components (a trailing backslash) are dropped.
std::string NormaliseFolder(const std::string& typed, const TNameLookup& lookup);
