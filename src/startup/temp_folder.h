// The temporary folder "$inst" inside the user's temporary folder, and its
// numbered files "$inst\<t>.tmp".
#pragma once
#include <string>

// The folder with a trailing backslash; empty when Windows gives no usable
// temporary path.
std::string TemporaryFolder();
std::string TemporaryFileName(int number);
// Creates the folder and any missing parents; failures are not reported.
void CreateTemporaryFolder();
// Deletes files 0 to 17, 20 to 20 + L and 50 to 50 + L (L languages), then
// the folder, which stays when other files remain in it.
void DeleteTemporaryFiles(int languageCount);
// Writes a temporary file anew: any existing file is deleted first and the
// new one created exclusively. False when it could not be written whole.
bool WriteTemporaryFile(int number, const void* bytes, size_t size);
