// Where the setup archive ends in the setup executable: at the end of the
// file, or, in a setup signed after packing, where the signature's
// certificate table begins.
//
// Signing tools pad the file to a multiple of 8 bytes and append the table;
// the PE optional header's security entry (data directory 4) gives its file
// offset and length. Only a table that ends exactly at the end of the file
// moves the archive's end: one inside the file belongs to a signed
// executable image that the archive was appended to later.
#pragma once
#include <cstdint>

#include "toolkit/stream.h"

// The security entry (the certificate table's file offset and length);
// false when the file has none (not a PE file, fewer than 5 data
// directories, or an entry of 0 and 0).
bool ReadSecurityEntry(TStream& file, uint32_t& offset, uint32_t& length);

// Sets end to the archive's end. With a certificate table at the end of
// the file, up to 7 zero bytes of padding before it are passed over too (the
// trailer ends with its non-zero end mark). False when the security entry
// does not fit the file: the setup is corrupted.
bool FindArchiveEnd(TStream& file, uint64_t& end);
