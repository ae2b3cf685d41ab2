#!/usr/bin/env python3
"""Gives a PE file (.exe, .dll) the length and header checksum that taking an
Authenticode signature off it leaves (osslsigncode remove-signature pads the
file to 8 bytes and sets the checksum), so that an unsigned build and a signed
one with its signature removed are the same bytes.

    pe-checksum.py FILE"""
import array
import os
import struct
import sys

path = sys.argv[1]
with open(path, "rb") as f:
    data = bytearray(f.read())
if data[:2] != b"MZ":
    sys.exit(f"{path}: not a PE file")
data += b"\0" * (-len(data) % 8)
field = struct.unpack_from("<I", data, 0x3C)[0] + 24 + 64  # OptionalHeader.CheckSum
struct.pack_into("<I", data, field, 0)
words = array.array("H", bytes(data))
if sys.byteorder != "little":
    words.byteswap()
total = sum(words)
while total > 0xFFFF:
    total = (total & 0xFFFF) + (total >> 16)
struct.pack_into("<I", data, field, total + len(data))
with open(path + ".part", "wb") as f:
    f.write(data)
os.replace(path + ".part", path)
