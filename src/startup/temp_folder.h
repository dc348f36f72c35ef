// The temporary folder "$inst" inside the user's temporary folder, and its
// numbered files "$inst\<t>.tmp".
#pragma once
#include <string>

// The folder with a trailing backslash; empty when Windows gives no usable
// temporary path.
std::string TemporaryFolder();
std::string TemporaryFileName(int number);
// Creates the folder and any missing parents; false when there is no
// temporary path or the folder cannot be made.
bool CreateTemporaryFolder();
// Deletes every temporary file this run wrote, then the folder, which stays
// when other files remain in it.
void DeleteTemporaryFiles();
// Writes a temporary file anew: any existing file is deleted first and the
// new one created exclusively. False when it could not be written whole (or
// there is no temporary folder: it never writes into the current folder).
bool WriteTemporaryFile(int number, const void* bytes, size_t size);
