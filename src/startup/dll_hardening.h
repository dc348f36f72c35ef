// Keeps DLLs planted beside the setup (a download folder) from being loaded.
#pragma once

// Limits the DLL search to the system folder where Windows offers it.
void HardenDllSearch();
