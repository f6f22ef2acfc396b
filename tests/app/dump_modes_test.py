#!/usr/bin/env python3
"""bramlet-dump's document modes: the tree and its status line, --no-attributes, --xml, the
refusal of text without armour, the fatal-error exit, and the words for files that cannot be read.

  dump_modes_test.py --dump BRAMLET_DUMP --samples SAMPLES_DIR
"""
import argparse
import json
import os
import shutil
import subprocess
import sys
import tempfile


def run(dump, *args):
    result = subprocess.run([dump, *args], capture_output=True)
    return result.returncode, result.stdout, result.stderr.decode("utf-8", errors="replace")


def as_reader(dump, work):
    """The command prefix that runs bramlet-dump as a user whom permissions stop: none when
    not root, setpriv as nobody when root; None when neither is possible."""
    if os.geteuid() != 0:
        return []
    try:
        import pwd
        nobody = pwd.getpwnam("nobody")
    except (ImportError, KeyError):
        return None
    if not shutil.which("setpriv"):
        return None
    os.chmod(work, 0o755)
    prefix = ["setpriv", "--reuid=%d" % nobody.pw_uid, "--regid=%d" % nobody.pw_gid, "--clear-groups"]
    # A folder on the way to the program may be closed to nobody.
    if subprocess.run(prefix + [dump, "--version"], capture_output=True).returncode != 0:
        return None
    return prefix


def check(failures, label, condition, detail=""):
    if not condition:
        failures.append("%s %s" % (label, detail))


def Flattened(elements):
    out, stack = [], list(reversed(elements))
    while stack:
        e = stack.pop()
        out.append(e)
        stack.extend(reversed(e.get("children", [])))
    return out


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--dump", required=True)
    parser.add_argument("--samples", required=True)
    args = parser.parse_args()
    dump, samples = args.dump, args.samples
    failures = []
    work = tempfile.mkdtemp(prefix="bramlet-dump-test-")
    try:
        def write(name, data):
            path = os.path.join(work, name)
            with open(path, "wb") as f:
                f.write(data)
            return path

        # Status line and exit code per input.
        cases = [
            ("DER certificate", os.path.join(samples, "cert.der"), 0, b"Objects: 1  Tags: "),
            ("PEM chain", os.path.join(samples, "chain.pem"), 0, b"Objects: 2  Tags: "),
            ("bare Base64", os.path.join(samples, "cert-bare-base64.txt"), 0, b"Objects: 1  Tags: "),
            ("failure after a NULL", write("bad.der", bytes.fromhex("0500 3005")), 1, b"Objects: 1  Tags: 1  Bytes: 4"),
        ]
        for label, path, code, status in cases:
            rc, out, err = run(dump, path)
            lines = out.splitlines()
            check(failures, label, rc == code, "exit %d, wanted %d: %s" % (rc, code, err))
            check(failures, label, lines and lines[-1].startswith(status), "status line %r" % (lines[-1:],))
            check(failures, label, lines and lines[-1].endswith(b"base64") == path.endswith((".pem", ".txt")),
                  "base64 marker in %r" % (lines[-1:],))

        rc, out, _ = run(dump, write("bad2.der", bytes.fromhex("0500 3005")))
        check(failures, "fatal row", b"Fatal error: Incorrect data length for tag at offset 2\n" in out, repr(out))

        # The PEM form lists the same rows as the DER form.
        _, der, _ = run(dump, os.path.join(samples, "cert.der"))
        _, pem, _ = run(dump, os.path.join(samples, "cert.pem"))
        check(failures, "DER and PEM", der.splitlines()[:-1] == pem.splitlines()[:-1])
        check(failures, "attribute rows", b"\n  Offset: 0\n" in der)

        rc, bare, _ = run(dump, "--no-attributes", os.path.join(samples, "cert.der"))
        check(failures, "--no-attributes", rc == 0 and b"Offset:" not in bare and b"Length:" not in bare)
        check(failures, "--no-attributes rows", [l for l in der.splitlines() if not l.lstrip().startswith(
            (b"Offset:", b"Header length:", b"Length:", b"Unused bits:", b"Bit length:"))] == bare.splitlines())

        # Text without armour is declined, as the plug-in declines it.
        rc, out, err = run(dump, write("prose.txt", b"Just some words, no armour.\n"))
        check(failures, "no armour", rc == 1 and out == b"" and "armour" in err, "%d %r %r" % (rc, out, err))
        # An empty file says so.
        rc, out, err = run(dump, write("empty.der", b""))
        check(failures, "empty file", rc == 1 and out == b"" and "the file is empty; nothing to decode" in err
              and "armour" not in err, "%d %r %r" % (rc, out, err))

        # --xml to standard output and to a file give the same bytes, well-formed.
        rc, xml_out, _ = run(dump, "--xml", os.path.join(samples, "chain.pem"))
        target = os.path.join(work, "chain.xml")
        rc2, nothing, _ = run(dump, "--xml", target, os.path.join(samples, "chain.pem"))
        with open(target, "rb") as f:
            xml_file = f.read()
        check(failures, "--xml", rc == 0 and rc2 == 0 and nothing == b"" and xml_out == xml_file)
        check(failures, "--xml start", xml_out.startswith(b"\xef\xbb\xbf<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                                                          b"<Root Size=\"2284\">\r\n"))
        if shutil.which("xmllint"):
            lint = subprocess.run(["xmllint", "--noout", target], capture_output=True)
            check(failures, "--xml well-formed", lint.returncode == 0, lint.stderr.decode(errors="replace"))

        # The element walk keeps its columns.
        rc, elements, _ = run(dump, "--elements", os.path.join(samples, "cert.der"))
        check(failures, "--elements", rc == 0 and elements.startswith(b"       0  4     1386 SEQUENCE\n"), repr(elements[:60]))

        # Field names: in the tree before the tag name, left out with --no-names; --paths lists
        # every element with its path; the XML export is the same either way.
        cert = os.path.join(samples, "cert.der")
        rc, named, _ = run(dump, "--no-attributes", cert)
        rc2, plain, _ = run(dump, "--no-names", "--no-attributes", cert)
        check(failures, "names in the tree", rc == 0 and b"\n    serialNumber INTEGER: " in named, repr(named[:200]))
        check(failures, "--no-names", rc2 == 0 and b"serialNumber" not in plain and b"\n    INTEGER: " in plain)
        # Names add the field label before the tag name and read values by their types; the
        # tag names and the rows stay.
        check(failures, "names only prefix rows", len(named.splitlines()) == len(plain.splitlines()) and all(
            n.split(b": ")[0].endswith(p.lstrip().split(b": ")[0]) for n, p in zip(named.splitlines(), plain.splitlines())))
        for line in (b"\n      version INTEGER: v3 (2)\n", b"\n    serialNumber INTEGER: 10:01 (4097)\n",
                     b" dNSName Context-specific[2]: www.example.test\n", b" iPAddress Context-specific[7]: 192.0.2.10\n",
                     b" KeyUsage BIT STRING: digitalSignature, keyEncipherment (101)\n",
                     b" uniformResourceIdentifier Context-specific[6]: http://crl.example.test/sample-ca.crl\n"):
            check(failures, "typed value", line in named, repr(line))
        check(failures, "octets without names", b"\n              Context-specific[2]: 77 77 77 2E " in plain)
        rc, crl, _ = run(dump, "--no-attributes", os.path.join(samples, "crl.der"))
        check(failures, "typed CRL reason", rc == 0 and b" CRLReason ENUMERATED: keyCompromise (1)\n" in crl)
        # An opaque field's octets are its value: what the walk decoded inside is no row.
        typed = os.path.join(samples, "..", "tests", "data", "names", "typed-values.der")
        rc, named_typed, _ = run(dump, "--no-attributes", typed)
        rc2, plain_typed, _ = run(dump, "--no-attributes", "--no-names", typed)
        check(failures, "opaque field", rc == 0 and b" SubjectKeyIdentifier OCTET STRING: 04 03 01 02 03\n" in named_typed and
              len(named_typed.splitlines()) == len(plain_typed.splitlines()) - 1 and
              b"base iPAddress Context-specific[7]: 192.0.2.0/24\n" in named_typed, repr(named_typed[-300:]))
        # --json gives the typed text beside the value, only with names and only where it says more.
        elements = Flattened(json.loads(run(dump, "--json", cert)[1])["elements"])
        plain_elements = Flattened(json.loads(run(dump, "--json", "--no-names", cert)[1])["elements"])
        dns = [e for e in elements if e["path"].endswith(".SubjectAltName[0].dNSName")]
        check(failures, "--json typedValue", len(dns) == 1 and dns[0].get("typedValue") == "www.example.test" and
              dns[0]["value"].startswith("77 77 77 2E"), repr(dns))
        check(failures, "--json typedValue where the type says more",
              sorted(e["path"].rsplit(".", 1)[-1] for e in elements if "typedValue" in e) ==
              ["KeyUsage", "dNSName", "dNSName", "iPAddress", "rfc822Name", "serialNumber", "signature",
               "uniformResourceIdentifier", "uniformResourceIdentifier", "uniformResourceIdentifier", "version"] and
              all("typedValue" not in e for e in plain_elements),
              repr([e["path"] for e in elements if "typedValue" in e]))
        rc, paths, _ = run(dump, "--paths", cert)
        rows = [line.split(b"\t") for line in paths.splitlines()]
        tags = int(plain.splitlines()[-1].split(b"Tags: ")[1].split()[0])
        check(failures, "--paths", rc == 0 and len(rows) == tags and all(len(r) == 3 for r in rows), repr(paths[:200]))
        check(failures, "--paths rows", rows[:2] == [[b"0", b"Certificate", b"SEQUENCE"],
                                                    [b"4", b"Certificate.tbsCertificate", b"SEQUENCE"]] and
              [b"13", b"Certificate.tbsCertificate.serialNumber", b"INTEGER"] in rows and
              [b"8", b"Certificate.tbsCertificate.version", b"Context-specific[0]"] in rows and
              [b"10", b"Certificate.tbsCertificate.version", b"INTEGER"] in rows, repr(rows[:12]))
        rc, unnamed, _ = run(dump, "--paths", "--no-names", cert)
        check(failures, "--paths --no-names", rc == 0 and all(r.split(b"\t")[1] == b"" for r in unnamed.splitlines()))
        _, xml_named, _ = run(dump, "--xml", cert)
        _, xml_plain, _ = run(dump, "--xml", "--no-names", cert)
        check(failures, "--xml without names", xml_named == xml_plain)
        rc, _, err = run(dump, "--paths", "--xml", cert)
        check(failures, "--paths with --xml", rc == 2 and "does not combine" in err)

        rc, _, err = run(dump, "--elements", "--xml", os.path.join(samples, "cert.der"))
        check(failures, "bad combination", rc == 2 and "does not combine" in err)
        rc, _, err = run(dump, os.path.join(work, "missing.der"))
        check(failures, "missing file", rc == 2 and "cannot read" in err, err)

        # Every mode names the file and says why it cannot be read, in one line, with exit 2.
        unreadable = write("unreadable.der", b"\x05\x00")
        os.chmod(unreadable, 0)
        prefix = as_reader(dump, work)
        cert = os.path.join(samples, "cert.der")
        cases = [("missing file", [], os.path.join(work, "missing.der"), "No such file or directory"),
                 ("folder", [], work, "it is a folder, not a file"),
                 ("below a file", [], os.path.join(cert, "x"), "Not a directory")]
        if prefix is not None:
            cases.append(("unreadable file", prefix, unreadable, "Permission denied"))
        for label, before, path, reason in cases:
            for mode in ([], ["--elements"], ["--json"], ["--check"], ["--xml"]):
                result = subprocess.run(before + [dump] + mode + [path], capture_output=True)
                err = result.stderr.decode("utf-8", errors="replace")
                want = "bramlet-dump: cannot read %s: %s\n" % (path, reason)
                check(failures, "%s %s" % (label, " ".join(mode)), result.returncode == 2 and err == want and
                      not result.stdout, "exit %d %r" % (result.returncode, err))
    finally:
        shutil.rmtree(work)

    for f in failures:
        print("FAIL:", f)
    print("%d failures" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
