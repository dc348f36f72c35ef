// The run's own temporary folder inside the user's temporary folder, and its
// numbered files "<folder>\<t>.tmp". Each run makes a folder no other run
// uses: "$inst", or "$inst1", "$inst2", ... when the name is taken (by
// another setup running, or by anything else of that name).
#pragma once
#include <string>

// How many names CreateTemporaryFolder tries: "$inst" and "$inst1" to
// "$inst<kTemporaryFolderNames - 1>".
constexpr int kTemporaryFolderNames = 1000;

// The folder with a trailing backslash: this run's once CreateTemporaryFolder
// has made it (and still after the clean-up removed it, so that nothing the
// run does late reaches into another run's folder); before that "$inst", the
// name a run takes first. Empty when Windows gives no usable temporary path.
std::string TemporaryFolder();
std::string TemporaryFileName(int number);
// Makes this run's folder: the missing parents of the user's temporary
// folder, then the first free name, each taken by CreateDirectoryA alone (it
// fails when the name exists, so two runs never get the same folder). True at
// once while the folder made earlier still exists; false when there is no
// temporary path or no name could be made.
bool CreateTemporaryFolder();
// Deletes every temporary file this run wrote, then this run's folder, which
// stays when other files remain in it (a later call tries again). A folder
// this run did not make is never touched.
void DeleteTemporaryFiles();
// Writes a temporary file anew: any existing file is deleted first and the
// new one created exclusively. False when it could not be written whole (or
// this run has made no folder: it never writes into another run's folder or
// the current one).
bool WriteTemporaryFile(int number, const void* bytes, size_t size);
