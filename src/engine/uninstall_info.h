// What the setup leaves for the product's uninstaller.
#pragma once

// Writes the uninstall log (header field 92) and, when field 49 is set,
// appends the trailer to the uninstaller (field 91): the header picture as
// a bitmap file, its size, the log path and its length. Releases the
// uninstall file list.
void WriteUninstallInfo();
