// Writing the product's files from the file data area: one solid block, or
// one block per file spread over the setup executable and disk files.
#pragma once
#include <string>

struct TSetupArchive;
class TDataAreaCheck;

// Step 5 of the installation. Ends the process with the corrupted-setup
// error on damaged data, or after a disk could not be had (the user refused
// to insert it, or nobody was there to ask). `check` has seen the setup's
// share of the data area already and goes on with each disk file.
void ExtractFiles(const TSetupArchive& archive, TDataAreaCheck& check);

// The same with the file data area read from the setup executable at
// setupPath, disk files beside it. ExtractFiles passes the running program.
void ExtractFilesFrom(const std::string& setupPath, const TSetupArchive& archive, TDataAreaCheck& check);
