// The uninstall log: an INI-layout ANSI text, CR LF after every line, that
// tells the uninstaller what to undo and carries its texts and settings.
//
//   [f]          n=file or shortcut to delete (the uninstall file list)
//   [e]          n=folder to remove (flagged folder records)
//   [o<n>]       0=, 1= uninstaller record n
//   [u]          n=component to unregister (flagged component records)
//   [i<n>]       0=file 1=section 2=key of a flagged INI record
//   [r<n>]       0=root 1=key 2=value: flagged registry records, then the
//                uninstall registry records
//   [b<n>][a<n>] 0=program 1=parameters 2=show 3=wait: uninstall commands
//                before (phase 0) and after the removal, in record order
//   [n<n>]       0=font name 1=font file
//   [s]          0= .. 51= the uninstaller's texts and settings (33 and 34:
//                the restart question's answers)
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "engine/uninstall_log_parser.h"

struct TUninstallLogInput {
  std::vector<std::string> files;   // the uninstall file list, in order
  std::vector<std::string> foldersMade;  // every folder the installation made, parents first
  // The log an earlier version left at the same path; empty when none.
  TUninstallLog previous;
  std::string installationFolder;   // with its trailing backslash
  std::function<std::string(const std::string&)> expand;  // path constants
  std::function<std::string(int)> message;                 // message table
};

// The whole log from the process-wide script and the input. The folders to
// remove are the flagged folder records and the folders made; then what the
// previous log lists that this one lacks is kept (files, folders, components,
// fonts, INI keys, registry values), so that uninstalling removes what any
// installed version put there. Its commands are not: they are the new
// version's to give.
std::string ComposeUninstallLog(const TUninstallLogInput& input);

// The uninstaller trailer: the header picture's BMP bytes (may be empty),
// their count (4 bytes), the log path, its length (2 bytes).
std::string UninstallerTrailer(const std::string& pictureBytes, const std::string& logPath);
