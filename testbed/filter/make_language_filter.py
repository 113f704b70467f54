#!/usr/bin/env python3
"""Codes a plain word list into the language filter's resource file.

Usage:
    python3 testbed/filter/make_language_filter.py WORDS.txt OUT.srf [--id 1000]
        one pattern a line ("word", "prefix*", "*suffix", "*part*"); blank lines are kept
        out, as are lines starting with "#"
    python3 testbed/filter/make_language_filter.py --cases CASES.json OUT_FOLDER
        writes NAME.srf per case, for the reader's tests. A case holds "lines" (written
        with CR LF each) or "text" (the exact decoded text, "\\n" escapes as JSON gives
        them), and optionally "checksum_delta" (added to the stored checksum), "length"
        (the stored length field, which may lie), "checksum" (the stored checksum itself),
        "extra" (coded bytes after the text) and "id" (default 1000).

The block is written by the .srf writer (testbed/srf/make_srf.py) as the "Text" entry of
the id: a little-endian checksum (sum of each text byte, signed, times its position from
1), a little-endian length, then the text with each byte b stored as b + 48 below 10,
else b + 55.
"""

import argparse
import json
import os
import struct
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "srf"))
import make_srf  # noqa: E402


def checksum(text):
    total = 0
    for position, byte in enumerate(text, start=1):
        signed = byte - 256 if byte >= 128 else byte
        total = (total + signed * position) & 0xFFFFFFFF
    return total


def code(text):
    return bytes((b + 48) & 0xFF if b < 10 else (b + 55) & 0xFF for b in text)


def block(text, checksum_delta=0, length=None, extra=b""):
    coded = code(text)
    stored_length = len(coded) if length is None else length
    return (struct.pack("<II", (checksum(text) + checksum_delta) & 0xFFFFFFFF, stored_length & 0xFFFFFFFF)
            + coded + code(extra))


def write_srf(data, resource_id, out_path):
    manifest = {"version": 2, "entries": [{"type": "Text", "id": resource_id, "hex": data.hex()}]}
    raw, _ = make_srf.build(manifest, os.getcwd())
    with open(out_path, "wb") as out:
        out.write(raw)


def case_text(case):
    if "lines" in case:
        return b"".join(line.encode("latin-1") + b"\r\n" for line in case["lines"])
    return case["text"].encode("latin-1")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("source")
    parser.add_argument("out")
    parser.add_argument("--id", type=int, default=1000)
    parser.add_argument("--cases", action="store_true")
    args = parser.parse_args()
    if args.cases:
        with open(args.source) as f:
            cases = json.load(f)
        os.makedirs(args.out, exist_ok=True)
        for name, case in cases.items():
            data = block(case_text(case), case.get("checksum_delta", 0), case.get("length"),
                         case.get("extra", "").encode("latin-1"))
            if "checksum" in case:
                data = struct.pack("<I", case["checksum"]) + data[4:]
            write_srf(data, case.get("id", args.id), os.path.join(args.out, name + ".srf"))
        return
    with open(args.source, encoding="latin-1") as f:
        words = [line.rstrip("\r\n") for line in f]
    words = [w for w in words if w.strip() and not w.startswith("#")]
    write_srf(block(b"".join(w.encode("latin-1") + b"\r\n" for w in words)), args.id, args.out)


if __name__ == "__main__":
    main()
