// The file data of a setup, as mksetup inspect reads it: the solid block, or
// the per-file blocks across the setup and its disk files, every CRC checked
// and every file read through.
#pragma once
#include "mksetup/setup_reading.h"

// Fills in the files' sizes and the file blocks; damage goes to problems.
void InspectFileData(TInspection& in);
