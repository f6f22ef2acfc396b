#!/usr/bin/env python3
"""Writes README.Debian: how to add the installed plug-in to Double Commander, with
the detect string the plug-in itself reports (ListGetDetectString).

  readme_debian.py MODULE OUT
"""
import ctypes
import sys

INSTALLED = "/usr/lib/bramlet/Bramlet.wlx"


def detect_string(module_path):
    module = ctypes.CDLL(module_path)
    buffer = ctypes.create_string_buffer(1024)
    module.ListGetDetectString(buffer, len(buffer))
    return buffer.value.decode("ascii")


def main():
    module_path, out_path = sys.argv[1:3]
    lines = [
        f"Double Commander: Configuration > Options > Plugins > Plugins WLX > Add, and choose {INSTALLED}.",
        f"Detect string (Double Commander offers the plug-in's own): {detect_string(module_path)}",
        "Nothing here edits Double Commander's configuration; keys and files: man bramlet.",
    ]
    with open(out_path, "w", encoding="ascii") as out:
        out.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
