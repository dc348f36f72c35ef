// Writing the product's files from the file data area: one solid block, or
// one block per file spread over the setup executable and disk files.
#pragma once
#include <string>

struct TSetupArchive;

// Step 5 of the installation. Ends the process with the corrupted-setup
// error on damaged data, or after the user refused to insert a disk.
void ExtractFiles(const TSetupArchive& archive);

// The same with the file data area read from the setup executable at
// setupPath, disk files beside it. ExtractFiles passes the running program.
void ExtractFilesFrom(const std::string& setupPath, const TSetupArchive& archive);
