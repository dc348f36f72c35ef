// Composing a setup script: 121 header fields and the sections' records,
// serialised as NUL-terminated fields with the counts and the header check
// value filled in.
#pragma once
#include <array>
#include <set>
#include <string>
#include <vector>

#include "archive/setup_script.h"
#include "mksetup/archive_writer.h"

class TScriptBuilder {
public:
  TScriptBuilder();

  // Sets header field n. A count field set here is kept as given instead of
  // being computed from the records; field 35 set here replaces the computed
  // header check value.
  void SetField(int n, const std::string& text);
  const std::string& Field(int n) const { return header_[size_t(n)]; }

  // Adds a record to a section (not the messages); missing fields are empty,
  // surplus fields are an error (std::invalid_argument).
  void AddRecord(TSection section, std::vector<std::string> fields);
  // Uninstall commands follow the install commands in the commands section.
  void AddUninstallCommand(std::vector<std::string> fields);
  // A language record with its 87 messages (missing ones empty).
  void AddLanguage(const std::string& name, const std::string& languageId, const std::string& licenceFile,
                   const std::string& informationFile, std::vector<std::string> messages);

  size_t RecordCount(TSection section) const;
  TBytes Serialize() const;

private:
  std::vector<std::string> header_;
  std::set<int> pinned_;  // fields given explicitly, never recomputed
  std::array<std::vector<std::vector<std::string>>, kSectionCount> records_;
  std::vector<std::vector<std::string>> uninstallCommands_;
};
