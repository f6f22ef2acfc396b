#!/usr/bin/env python3
"""bramlet without a display says so and exits 2 before Qt starts; with the offscreen platform
it still opens its window and the file.

  bramlet_display_test.py --bramlet BRAMLET --samples SAMPLES_DIR
"""
import argparse
import os
import subprocess
import sys
import tempfile
import time

DISPLAY_VARIABLES = ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")


def environment(**values):
    env = {k: v for k, v in os.environ.items() if k not in DISPLAY_VARIABLES}
    env.update(values)
    return env


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bramlet", required=True)
    parser.add_argument("--samples", required=True)
    args = parser.parse_args()
    cert = os.path.join(args.samples, "cert.der")
    failures = []

    cases = [("nothing set", environment(), []),
             ("nothing set, a file", environment(), [cert]),
             ("both empty", environment(DISPLAY="", WAYLAND_DISPLAY=""), [cert])]
    for label, env, arguments in cases:
        try:
            result = subprocess.run([args.bramlet] + arguments, env=env, capture_output=True, timeout=60)
        except subprocess.TimeoutExpired:
            failures.append("%s: still running after 60 s" % label)
            continue
        err = result.stderr.decode("utf-8", errors="replace")
        if result.returncode != 2 or err.count("\n") != 1 or "no display" not in err or "bramlet-dump" not in err:
            failures.append("%s: exit %d, %r" % (label, result.returncode, err))

    result = subprocess.run([args.bramlet, "--help"], env=environment(), capture_output=True, timeout=60)
    if result.returncode != 0 or b"no display" not in result.stdout:
        failures.append("--help: exit %d, %r" % (result.returncode, result.stdout[-200:]))

    # Offscreen: the plug-in loads the file (its trace says so) and the window stays up until stopped.
    with tempfile.TemporaryDirectory(prefix="bramlet-display-test-") as work:
        trace = os.path.join(work, "trace.txt")
        env = environment(QT_QPA_PLATFORM="offscreen", BRAMLET_TRACE=trace, XDG_CONFIG_HOME=work)
        process = subprocess.Popen([args.bramlet, cert], env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        loaded = False
        deadline = time.monotonic() + 60
        while time.monotonic() < deadline and process.poll() is None and not loaded:
            time.sleep(0.2)
            if os.path.exists(trace):
                with open(trace, encoding="utf-8", errors="replace") as f:
                    loaded = "cert.der -> window" in f.read()
        running = process.poll() is None
        process.terminate()
        _, err = process.communicate(timeout=60)
        if not (loaded and running):
            failures.append("offscreen: loaded %s, running %s, exit %s, %r" % (loaded, running, process.returncode,
                                                                             err[-300:]))

    for failure in failures:
        print("FAIL", failure)
    print("%d failures" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
