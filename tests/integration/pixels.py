#!/usr/bin/env python3
"""Counts the pixels of a screenshot near a colour, optionally inside a box.

usage: pixels.py RAW WIDTH HEIGHT R,G,B [TOLERANCE [X0,Y0,X1,Y1]]
RAW is the image as 8-bit RGB triples (ImageMagick's rgb: output)."""
import sys


def main():
    raw, width, height, colour = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
    tolerance = int(sys.argv[5]) if len(sys.argv) > 5 else 0
    box = [int(v) for v in sys.argv[6].split(",")] if len(sys.argv) > 6 else [0, 0, width, height]
    r, g, b = (int(v) for v in colour.split(","))
    data = open(raw, "rb").read()
    if len(data) != width * height * 3:
        sys.exit("pixels.py: %s holds %d bytes, not %dx%d RGB" % (raw, len(data), width, height))
    count = 0
    x0, y0, x1, y1 = max(box[0], 0), max(box[1], 0), min(box[2], width), min(box[3], height)
    for y in range(y0, y1):
        row = data[(y * width + x0) * 3:(y * width + x1) * 3]
        for i in range(0, len(row), 3):
            if abs(row[i] - r) <= tolerance and abs(row[i + 1] - g) <= tolerance and abs(row[i + 2] - b) <= tolerance:
                count += 1
    print(count)


if __name__ == "__main__":
    main()
