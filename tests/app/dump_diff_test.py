#!/usr/bin/env python3
"""bramlet-dump --diff on pairs made by tests/data/compare/make.sh: the exact lines of each (the
*.expected files), the same facts as JSON, the exit codes, and the refusals.

  dump_diff_test.py --dump BRAMLET_DUMP --source SOURCE_DIR
"""
import argparse
import hashlib
import json
import os
import subprocess
import sys
import tempfile


def run(dump, *args):
    result = subprocess.run([dump, *args], capture_output=True)
    return result.returncode, result.stdout.decode("utf-8"), result.stderr.decode("utf-8", errors="replace")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--dump", required=True)
    parser.add_argument("--source", required=True)
    args = parser.parse_args()
    source = os.path.abspath(args.source)
    data = os.path.join(source, "tests", "data", "compare")
    samples = os.path.join(source, "samples")
    failures = []

    def check(label, condition, detail=""):
        if not condition:
            failures.append("%s: %s" % (label, detail))

    # label, options, A, B, exit code, expected lines (a file in data, or None for none)
    pairs = [
        ("certificate renewed: serial, validity, key, key identifier, signature", [],
         "renew-a.der", "renew-b.der", 1, "renew.expected"),
        ("extension added: one line for it, and the signature", [], "ext-a.der", "ext-b.der", 1, "ext.expected"),
        ("CRL: an entry removed, one added, a reason changed, dates, number, signature", [],
         "crl-a.der", "crl-b.der", 1, "crl.expected"),
        ("PKCS#7 bundle with one certificate more", [], "bundle-a.p7b", "bundle-b.p7b", 1, "bundle.expected"),
        ("the same certificate as PEM and as DER", [], os.path.join(samples, "cert.pem"),
         os.path.join(samples, "cert.der"), 0, None),
        ("a certificate in BER and in DER", [], "cert-ber.der", os.path.join(samples, "cert.der"), 0, None),
        ("a certificate in BER and in DER, encodings shown", ["--bytes"], "cert-ber.der",
         os.path.join(samples, "cert.der"), 0, "cert-ber.expected"),
        ("streamed CMS and its DER", [], os.path.join(samples, "cms-stream.der"), "cms-der.der", 0, None),
        ("streamed CMS and its DER, encodings shown", ["--bytes"], os.path.join(samples, "cms-stream.der"),
         "cms-der.der", 0, "cms.expected"),
        # Pairing as the list's type orders it.
        ("a subject's RDNs swapped: another name", [], "renew-a.der", "rdn-swap.der", 1, "rdn-swap.expected"),
        ("a SET OF in another order", [], "bundle-a.p7b", "bundle-swap.p7b", 0, None),
        ("a SET OF with one certificate in place of another: paired by content only", [], "bundle-a.p7b",
         "bundle-other.p7b", 1, "bundle-other.expected"),
        ("extensions in another order, paired by extnID", [], "renew-a.der", "ext-swap.der", 0, None),
        ("an RDN taken out and one put in: aligned, not paired across by type", [], "ou-a.der", "ou-b.der", 1,
         "ou.expected"),
        ("the same among RDNs that are not unique: a longest common subsequence", [], "ou-dup-a.der",
         "ou-dup-b.der", 1, "ou-dup.expected"),
        ("a serial with a redundant leading 00 reads the same", [], "renew-a.der", "serial-00.der", 0, None),
        ("a serial with a redundant leading 00, encodings shown", ["--bytes"], "renew-a.der", "serial-00.der", 0,
         "serial-00.expected"),
        ("named bits with zero bits trailing them read the same", [], "renew-a.der", "ku-zero.der", 0, None),
        ("named bits with zero bits trailing them, encodings shown", ["--bytes"], "renew-a.der", "ku-zero.der", 0,
         "ku-zero.expected"),
    ]
    for label, options, a, b, code, expected_name in pairs:
        a, b = os.path.join(data, a), os.path.join(data, b)
        before = [hashlib.sha256(open(f, "rb").read()).hexdigest() for f in (a, b)]
        rc, out, err = run(args.dump, "--diff", *options, a, b)
        check(label, rc == code, "exit %d, wanted %d: %s" % (rc, code, err))
        expected = open(os.path.join(data, expected_name), encoding="utf-8").read() if expected_name else ""
        if out != expected:
            got, want = out.splitlines(), expected.splitlines()
            first = next((i for i in range(min(len(got), len(want))) if got[i] != want[i]), min(len(got), len(want)))
            check(label, False, "line %d: got %r, wanted %r" % (first + 1, got[first:first + 1], want[first:first + 1]))

        # JSON: the same lines, as objects.
        rc_json, out_json, err_json = run(args.dump, "--diff", "--json", *options, a, b)
        check(label + " (JSON)", rc_json == code, "exit %d: %s" % (rc_json, err_json))
        rebuilt = []
        for item in json.loads(out_json):
            offsets = ["-" if item[k] is None else str(item[k]) for k in ("offsetA", "offsetB")]
            text = item["textA"] + "\t" + item["textB"] if item["kind"] == "~" else item["text"]
            rebuilt.append("\t".join([item["kind"], *offsets, item["path"], text]))
        check(label + " (JSON)", rebuilt == out.splitlines(), "objects differ from the lines")

        after = [hashlib.sha256(open(f, "rb").read()).hexdigest() for f in (a, b)]
        check(label, before == after, "an input changed")

    # Usage and input errors exit 2 with a message, and nothing on standard output.
    scratch = tempfile.TemporaryDirectory(prefix="bramlet-diff-test-")
    work = scratch.name
    prose = os.path.join(work, "prose.txt")
    with open(prose, "wb") as f:
        f.write(b"Just some words, no armour.\n")
    truncated = os.path.join(work, "truncated.der")
    with open(truncated, "wb") as f:
        f.write(bytes.fromhex("3005020105"))
    cert = os.path.join(samples, "cert.der")
    refusals = [
        ("one file", ["--diff", cert], "two files"),
        ("three files", ["--diff", cert, cert, cert], "two files"),
        ("--bytes alone", ["--bytes", cert], "--bytes goes with --diff"),
        ("another mode", ["--diff", "--paths", cert, cert], "mode"),
        ("a missing file", ["--diff", cert, os.path.join(work, "missing.der")], "cannot read"),
        ("text without armour", ["--diff", prose, cert], "armour"),
        ("a document that does not decode", ["--diff", cert, truncated], "Incorrect data length for tag at offset 0"),
    ]
    for label, argv, message in refusals:
        rc, out, err = run(args.dump, *argv)
        check(label, rc == 2 and out == "" and message in err, "exit %d, out %r, err %r" % (rc, out, err))

    for failure in failures:
        print("FAIL", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
