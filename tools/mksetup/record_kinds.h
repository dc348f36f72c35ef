// The kinds of record a description writes: the block name, the section of
// the setup script and the names of the fields by position. mksetup inspect
// shows a setup's records under the same names.
#pragma once
#include <string>
#include <vector>

#include "archive/setup_script.h"

struct TRecordKind {
  std::string block;                // the name between the brackets
  TSection section;
  std::vector<std::string> fields;  // field names by position
};

// "[command]" and "[uninstall command]" share the commands section.
const std::vector<TRecordKind>& RecordKinds();
const TRecordKind* FindRecordKind(const std::string& block);
