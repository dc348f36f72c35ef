// Making sure the file data are sound before the installation changes
// anything: the setup executable's share of the file data area is checked
// whole up front, and each disk file when it is opened.
#pragma once
#include <string>

#include "archive/data_area_check.h"

struct TSetupArchive;

// Checks the share of the file data area in the setup executable at
// setupPath (block headers, stored sizes, chunk CRCs; nothing is
// decompressed). Damage, or a stored size list that does not match the file
// records, is the corrupted-setup error. The check returned goes on with the
// disk files.
TDataAreaCheck CheckFileDataInSetup(const std::string& setupPath, const TSetupArchive& archive);

// Feeds a whole disk file into the check; false when it is damaged.
bool CheckDiskFile(TDataAreaCheck& check, TStream& disk);
