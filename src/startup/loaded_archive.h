// What the start-up kept of the setup archive for the installation: the
// trailer (data offset and size) and the stored size list.
#pragma once
#include "archive/setup_archive.h"

TSetupArchive& LoadedArchive();
