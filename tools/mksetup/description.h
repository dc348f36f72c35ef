// The setup description: a plain text file that says what goes into a setup
// executable (header fields, section records, languages and their messages,
// resources, product files, archive settings). docs/mksetup.md gives the
// format; this reads it into what BuildSetupImage takes.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

#include "mksetup/archive_writer.h"
#include "mksetup/utc_date_time.h"  // ParseUtcDateTime, for the dates a description gives

// A fault in a description or in a file it names; what() reads
// "file:line: what is wrong".
class TDescriptionError : public std::runtime_error {
public:
  TDescriptionError(const std::string& file, int line, const std::string& message);
  const std::string& File() const { return file_; }
  int Line() const { return line_; }

private:
  std::string file_;
  int line_;
};

// A file the description names ("source", "messages") that cannot be read:
// not a fault of the description's text, so mksetup reports it as an I/O
// failure.
class TDescriptionReadError : public TDescriptionError {
public:
  using TDescriptionError::TDescriptionError;
};

struct TDescription {
  TArchiveInput archive;         // complete but for the stub's bytes
  std::string stubPath;          // from "stub =", relative paths resolved; "" when not given
  std::string diskNameTemplate;  // header field 21: names disk 2, 3, ... (DiskFileName)
};

// Parses the text of a description. fileName is used in error messages;
// relative paths inside are taken from baseDir ("" = the current folder).
// Throws TDescriptionError.
TDescription ParseDescription(const std::string& text, const std::string& fileName, const std::string& baseDir);

// The whole content of a file that a description names ("source",
// "messages"); nothing when it cannot be read.
using TFileReader = std::function<std::optional<std::string>(const std::string& path)>;
// The same, with the named files read through readFile instead of from disk.
TDescription ParseDescription(const std::string& text, const std::string& fileName, const std::string& baseDir,
                              const TFileReader& readFile);

// Reads the description file at path and parses it, its folder being the
// base of its relative paths. stubOverride (mksetup's --stub) replaces the
// description's "stub =" where the stub's folder matters ("uninstaller = on"
// takes uninstall.exe from beside it). Throws TDescriptionError for faults
// in it, and std::runtime_error when the file itself cannot be read.
TDescription LoadDescription(const std::string& path, const std::string& stubOverride = std::string());
