#!/usr/bin/env python3
"""bramlet-dump's four outputs (the tree, --no-attributes, --elements, --xml) stay byte for byte
what they were, over every sample, seed and crafted input: each run's SHA-256 and exit code
against dump_golden.txt. A difference names the input and the mode. The tree dumps run with
--no-names: the field names are an addition beside the rows these digests pin.

  dump_golden_test.py --dump BRAMLET_DUMP --source SOURCE_DIR [--update]
"""
import argparse
import hashlib
import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
MODES = {"tree": ["--no-names"], "noattr": ["--no-names", "--no-attributes"], "elements": ["--elements"], "xml": ["--xml"]}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--dump", required=True)
    parser.add_argument("--source", required=True)
    parser.add_argument("--update", action="store_true", help="rewrite dump_golden.txt from this build")
    args = parser.parse_args()
    golden_path = os.path.join(HERE, "dump_golden.txt")
    with open(golden_path) as f:
        lines = f.read().splitlines()
    header = [l for l in lines if l.startswith("#")]
    expected = {}
    for line in lines:
        if line and not line.startswith("#"):
            name, mode, digest, code = line.split()
            expected[(name, mode)] = (digest, int(code))

    with tempfile.TemporaryDirectory(prefix="bramlet-golden-") as work:
        subprocess.run([sys.executable, os.path.join(HERE, "dump_inputs.py"), work], check=True)
        failures, seen, rows = [], 0, []
        for name, mode in sorted(expected):
            path = os.path.join(work, name) if name.startswith("crafted-") else os.path.join(args.source, name)
            result = subprocess.run([args.dump, *MODES[mode], path], capture_output=True)
            got = (hashlib.sha256(result.stdout).hexdigest(), result.returncode)
            rows.append("%s %s %s %d" % (name, mode, got[0], got[1]))
            seen += 1
            if got != expected[(name, mode)]:
                failures.append("%s %s: exit %d, digest %s; expected exit %d, digest %s" %
                                (name, mode, got[1], got[0], expected[(name, mode)][1], expected[(name, mode)][0]))
        crafted = {n for n in os.listdir(work) if n.startswith("crafted-")}
        missing = crafted - {n for n, _ in expected}
        if missing:
            failures.append("crafted inputs without digests: %s" % ", ".join(sorted(missing)))
    if args.update:
        with open(golden_path, "w") as f:
            f.write("\n".join(header + rows) + "\n")
        return 0
    for failure in failures:
        print("FAIL", failure)
    print("%d runs, %d differ" % (seen, len(failures)))
    return 1 if failures or seen == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
