// Where the program image of a Windows executable ends in its file, so that
// bytes appended after it (the uninstaller's trailer) can be told from none.
#pragma once
#include <cstdint>

#include "toolkit/stream.h"

// The furthest end of the image's parts in the file: its headers, the raw
// data of each section, the certificate table and the COFF symbol table with
// its string table. -1 when the stream holds no PE image ("MZ", the "PE"
// signature, a known optional header) or a part reaches past its end.
int64_t ProgramImageEnd(TStream& file);
