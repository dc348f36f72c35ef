// CRC-32 (reflected, polynomial 0xEDB88320): the checksum of every block
// header and chunk of the setup archive.
#pragma once
#include <cstddef>
#include <cstdint>

// Feeds bytes into a running CRC register (start with 0xFFFFFFFF).
uint32_t Crc32Update(uint32_t crc, const void* bytes, size_t length);
// The finished CRC-32 of a byte range: NOT Crc32Update(0xFFFFFFFF, ...).
uint32_t Crc32(const void* bytes, size_t length);
