"""Flips one bit in the middle of a setup's file data area.

usage: damage_archive.py UNSIGNED SIGNED DAMAGED

The data area is found through the archive trailer at the end of UNSIGNED;
SIGNED is the same setup with a signature appended after the trailer, which
changes nothing before it. DAMAGED is SIGNED with the bit flipped.
"""
import struct
import sys

unsigned = open(sys.argv[1], 'rb').read()
data = bytearray(open(sys.argv[2], 'rb').read())
data_offset, data_size = struct.unpack_from('<QQ', unsigned, len(unsigned) - 42 + 25)
data[data_offset + data_size // 2] ^= 0x20
open(sys.argv[3], 'wb').write(data)
