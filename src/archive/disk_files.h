// Disk files of per-file mode: disk 1 is the setup executable; disk j >= 2 is
// the file beside it named by header field 21 with its first "@$&%19"
// replaced by j.
#pragma once
#include <string>

std::string DiskFileName(const std::string& nameTemplate, int disk);
