#!/usr/bin/env python3
"""Writes the upper-case mapping of the Basic Multilingual Plane beyond ASCII as
runs for text/upper_case.cpp, from Python's own Unicode data. The table is kept
in the tree (upper_case_table.inc), so that every build and every host folds
case alike whatever the process's locale is.

  gen_upper_case.py OUT.inc

A run is {first, last, delta, stride}: first, first + stride, ... up to last each
map to themselves plus delta (stride 0 for a run of one). The mapping is
Unicode's simple one, a letter for a letter: where the full mapping gives more
than one letter (the German sharp s becomes SS), the title-case letter is taken
when it is one (the Greek letters with ypogegrammeni), else the letter stays.
"""
import sys
import unicodedata


def upper(c):
    for mapped in (c.upper(), c.title()):
        if len(mapped) == 1:
            return mapped
    return c


def runs():
    found = []
    for code in range(0x80, 0x10000):
        if 0xD800 <= code <= 0xDFFF:
            continue
        mapped = ord(upper(chr(code)))
        if mapped == code or mapped > 0xFFFF:
            continue
        delta = mapped - code
        if found:
            first, last, run_delta, stride = found[-1]
            step = code - last
            if run_delta == delta and step in (1, 2) and stride in (0, step):
                found[-1] = (first, code, delta, step)
                continue
        found.append((code, code, delta, 0))
    return found


def main():
    lines = ["// Made by gen_upper_case.py from Unicode %s; to make it again:" % unicodedata.unidata_version,
             "//   python3 src/text/gen_upper_case.py src/text/upper_case_table.inc"]
    for first, last, delta, stride in runs():
        lines.append("{0x%04X, 0x%04X, %d, %d}," % (first, last, delta, stride))
    with open(sys.argv[1], "w", encoding="ascii") as out:
        out.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
