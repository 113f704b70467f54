#!/usr/bin/env python3
"""pack-check refuses each damaged pack with its reason.

    check_damaged.py PACK_CHECK GOOD_PACK TABLE WORK
"""
import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))

CASES = [
    ("missing-number", "Intrfce.srf animation 45: missing"),
    ("run-into-next", "Comp.srf animation 405: 6 cels run into 410"),
    ("hold-on-end", "Final.srf animation 1: ends, but holds at its last cel"),
    ("unequal-timer", "animations 99 and 199 have different cel counts"),
    ("missing-text", "Intrfce.srf animation 75: no text item 131"),
    ("palette-255", "palette 2000 does not load 256 colours"),
    ("long-voice", "Go.srf: lasts 3.00 s"),
]


def main():
    checker, good, table, work = sys.argv[1:5]
    failed = 0
    for name, reason in CASES:
        out = os.path.join(work, name)
        subprocess.run([sys.executable, os.path.join(HERE, "make_pack.py"), "--damage", name, "--from", good,
                        "--out", out], check=True)
        done = subprocess.run([checker, out, table], capture_output=True, text=True)
        ok = done.returncode == 1 and reason in done.stdout and done.stdout.count("FAIL ") >= 1
        print("%s %s" % ("ok  " if ok else "FAIL", name))
        if not ok:
            failed += 1
            print(done.stdout[-2000:])
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
