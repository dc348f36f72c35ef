// The header check value, header field 35: eight upper-case hexadecimal
// digits of the CRC-32 of the whole script item with field 35's own text
// left out (the bytes before it, then its NUL and everything after). The
// packer writes it; the installation refuses a script whose value differs.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

constexpr int kHeaderCheckField = 35;

uint32_t ComputeHeaderCheck(const uint8_t* script, size_t size);
std::string HeaderCheckText(uint32_t check);
