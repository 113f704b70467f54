#!/usr/bin/env python3
"""Copies one of our programs with its version record stamped with another version:
stamp_version.py IN OUT A.B.C.D. The record (platform/VersionRecord.h) is found by its
signature and a valid checksum; the new parts go in and the checksum is made again.
Used to offer a client a newer copy of itself."""

import struct
import sys

SIGNATURE = bytes([0x7F]) + b"VzVersionRec" + bytes([0x00, 0x01, 0xFE])
BODY = 16 + 8 + 64 + 128 + 64  # the bytes the checksum covers
RECORD = BODY + 4


def fnv1a(data):
    h = 2166136261
    for b in data:
        h = ((h ^ b) * 16777619) & 0xFFFFFFFF
    return h


def find_record(data):
    at = data.find(SIGNATURE)
    while at >= 0:
        if at + RECORD <= len(data):
            (stored,) = struct.unpack_from("<I", data, at + BODY)
            if stored == fnv1a(data[at:at + BODY]):
                return at
        at = data.find(SIGNATURE, at + 1)
    return -1


def main():
    if len(sys.argv) != 4:
        sys.exit("usage: stamp_version.py IN OUT A.B.C.D")
    parts = [int(p) for p in sys.argv[3].split(".")]
    if len(parts) != 4 or not all(0 <= p <= 0xFFFF for p in parts):
        sys.exit("the version needs four parts of 0..65535")
    data = bytearray(open(sys.argv[1], "rb").read())
    at = find_record(data)
    if at < 0:
        sys.exit("no version record in " + sys.argv[1])
    struct.pack_into("<4H", data, at + 16, *parts)
    struct.pack_into("<I", data, at + BODY, fnv1a(data[at:at + BODY]))
    with open(sys.argv[2], "wb") as out:
        out.write(data)


if __name__ == "__main__":
    main()
