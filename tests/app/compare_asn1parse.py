#!/usr/bin/env python3
"""Checks bramlet-dump's element lines against openssl asn1parse's view of one sample.

Every element openssl lists must appear in bramlet-dump's output at the same offset with the
same depth, header length, length and tag; bramlet-dump may list more elements, but only
inside primitive OCTET STRINGs and BIT STRINGs (the encapsulated contents openssl does not
walk). openssl shows an indefinite length as "l=inf"; bramlet counts the contents octets up
to and including the end-of-contents octets, which is checked against the offset of the
matching EOC line.

  compare_asn1parse.py --dump BRAMLET_DUMP --sample FILE --reference ASN1PARSE_TXT
  compare_asn1parse.py --self-test
"""
import argparse
import base64
import os
import re
import subprocess
import sys
import tempfile

# openssl's names (ASN1_tag2str) and the universal tag names bramlet-dump prints.
OPENSSL_NAMES = {
    "EOC": "EOC", "BOOLEAN": "BOOLEAN", "INTEGER": "INTEGER", "BIT STRING": "BIT STRING",
    "OCTET STRING": "OCTET STRING", "NULL": "NULL", "OBJECT": "OBJECT IDENTIFIER",
    "OBJECT DESCRIPTOR": "ObjectDescriptor", "EXTERNAL": "EXTERNAL", "REAL": "REAL",
    "ENUMERATED": "ENUMERATED", "EMBEDDED PDV": "EMBEDDED PDV", "UTF8STRING": "UTF8String",
    "RELATIVE OID": "RELATIVE-OID", "SEQUENCE": "SEQUENCE", "SET": "SET",
    "NUMERICSTRING": "NumericString", "PRINTABLESTRING": "PrintableString",
    "T61STRING": "T61String", "VIDEOTEXSTRING": "VideotexString", "IA5STRING": "IA5String",
    "UTCTIME": "UTCTime", "GENERALIZEDTIME": "GeneralizedTime", "GRAPHICSTRING": "GraphicString",
    "VISIBLESTRING": "VisibleString", "GENERALSTRING": "GeneralString",
    "UNIVERSALSTRING": "UniversalString", "BMPSTRING": "BMPString",
}
CLASS_NAMES = {"cont": "Context-specific", "appl": "APPLICATION", "priv": "PRIVATE"}

OPENSSL_LINE = re.compile(
    r"^\s*(\d+):d=(\d+)\s+hl=(\d+)\s+l=\s*(\d+|inf)\s+(prim|cons):\s*"
    r"(cont \[ \d+ \]|appl \[ \d+ \]|priv \[ \d+ \]|<ASN1 \d+>|[A-Z0-9 ]*[A-Z0-9])")
DUMP_LINE = re.compile(r"^ *(\d+) +(\d+) +(-?\d+) ( *)(.*)$")
DUMP_TAG = re.compile(r"^(.+?)(?=: | \(encapsulates\)| - | \[error: |$)")


class Element:
    def __init__(self, offset, depth, header, length, tag, constructed=None):
        self.offset, self.depth, self.header = offset, depth, header
        self.length, self.tag, self.constructed = length, tag, constructed

    def __repr__(self):
        return "%d d=%d hl=%d l=%s %s" % (self.offset, self.depth, self.header, self.length, self.tag)


def bramlet_tag_name(openssl_tag):
    m = re.match(r"^(cont|appl|priv) \[ (\d+) \]$", openssl_tag)
    if m:
        return "%s[%s]" % (CLASS_NAMES[m.group(1)], m.group(2))
    if openssl_tag.startswith("<ASN1 "):
        return "Unknown"
    return OPENSSL_NAMES.get(openssl_tag, "?" + openssl_tag)


def parse_openssl(text):
    """Elements of asn1parse output; lengths are None for l=inf. Value lines that spill over
    (a string with a line break) do not look like element lines and are skipped."""
    elements = []
    for line in text.splitlines():
        m = OPENSSL_LINE.match(line)
        if not m:
            continue
        length = None if m.group(4) == "inf" else int(m.group(4))
        elements.append(Element(int(m.group(1)), int(m.group(2)), int(m.group(3)), length,
                                m.group(6).strip(), m.group(5) == "cons"))
    return elements


def parse_dump(text):
    elements = []
    for number, line in enumerate(text.splitlines(), 1):
        m = DUMP_LINE.match(line)
        if not m:
            raise ValueError("bramlet-dump line %d is not an element line: %r" % (number, line))
        indent = len(m.group(4))
        tag = DUMP_TAG.match(m.group(5))
        if indent % 2 or not tag:
            raise ValueError("bramlet-dump line %d has an odd layout: %r" % (number, line))
        elements.append(Element(int(m.group(1)), indent // 2, int(m.group(2)), int(m.group(3)),
                                tag.group(1)))
    return elements


def indefinite_lengths(reference):
    """For each l=inf element (by index): its contents length including the EOC octets, from
    the first EOC one level deeper that follows it."""
    lengths = {}
    open_stack = []
    for i, e in enumerate(reference):
        if e.tag == "EOC" and open_stack and open_stack[-1][1] == e.depth - 1:
            j, _ = open_stack.pop()
            start = reference[j].offset + reference[j].header
            lengths[j] = e.offset + e.header + e.length - start
        if e.length is None:
            open_stack.append((i, e.depth))
    return lengths


def compare(reference, dumped):
    """A list of problems, empty when bramlet-dump agrees with openssl."""
    if not reference:
        return ["the reference lists no elements"]
    problems = []
    by_offset = {}
    for e in dumped:
        if e.offset in by_offset:
            problems.append("bramlet-dump lists offset %d twice" % e.offset)
        by_offset[e.offset] = e
    inf = indefinite_lengths(reference)
    for i, want in enumerate(reference):
        got = by_offset.get(want.offset)
        if got is None:
            problems.append("missing: %r" % want)
            continue
        length = want.length if want.length is not None else inf.get(i)
        if length is None:
            problems.append("no end-of-contents found in the reference for %r" % want)
        expected = (want.depth, want.header, length, bramlet_tag_name(want.tag))
        actual = (got.depth, got.header, got.length, got.tag)
        if expected != actual:
            problems.append("at offset %d: openssl %r means depth, header, length, tag %r; "
                            "bramlet-dump says %r" % (want.offset, want, expected, actual))
    # Elements openssl does not list must lie inside the contents of a primitive OCTET or
    # BIT STRING that it does list.
    holders = [(e.offset + e.header, e.offset + e.header + e.length) for e in reference
               if not e.constructed and e.tag in ("OCTET STRING", "BIT STRING")]
    listed = {e.offset for e in reference}
    for e in dumped:
        if e.offset in listed:
            continue
        if not any(start <= e.offset and e.offset + e.header + e.length <= end for start, end in holders):
            problems.append("bramlet-dump lists %r outside any OCTET STRING or BIT STRING openssl shows" % e)
    return problems


ARMOUR = re.compile(r"-----BEGIN [^-]+-----([A-Za-z0-9+/=\s]+)-----END [^-]+-----"
                    r"|begin-base64[^\n]+\n([A-Za-z0-9+/=\s]+)===="
                    r"|\A([A-Za-z0-9+/=\s]+)\Z")


def sample_bytes(data):
    """The bytes the viewer decodes: a binary file as it is, a text file as all of its
    armoured blocks one after the other (the marker lines removed, the rest Base64)."""
    if any(b < 0x20 and b not in (9, 10, 13) or b > 0x7F for b in data[:513]):
        return data
    result = b""
    for m in ARMOUR.finditer(data.decode("utf-8")):
        lines = m.group(0).splitlines()
        if lines and lines[-1].startswith("-----"):
            lines.pop()
        if lines and (lines[0].startswith("-----") or lines[0].startswith("begin-base64")):
            lines.pop(0)
        body = re.sub(r"[^A-Za-z0-9+/]", "", "".join(lines))
        result += base64.b64decode(body + "=" * (-len(body) % 4))
    return result


def run_sample(dump, sample, reference_file):
    with open(sample, "rb") as f:
        data = sample_bytes(f.read())
    with open(reference_file, encoding="utf-8", errors="replace") as f:
        reference = parse_openssl(f.read())
    with tempfile.NamedTemporaryFile(suffix=".der", delete=False) as f:
        f.write(data)
        der = f.name
    try:
        run = subprocess.run([dump, "--elements", der], capture_output=True)
    finally:
        os.unlink(der)
    if run.returncode != 0:
        print("bramlet-dump exited with %d: %s" % (run.returncode, run.stderr.decode(errors="replace")))
        return 1
    problems = compare(reference, parse_dump(run.stdout.decode("utf-8", errors="replace")))
    for p in problems[:40]:
        print(p)
    if len(problems) > 40:
        print("... and %d more" % (len(problems) - 40))
    print("%s: %d elements in openssl's view, %d problems" % (os.path.basename(sample), len(reference), len(problems)))
    return 1 if problems else 0


# A certificate-like start with an extension whose OCTET STRING holds DER, and a streamed
# part with two nested indefinite lengths.
SELF_OPENSSL = """\
    0:d=0  hl=2 l=  27 cons: SEQUENCE
    2:d=1  hl=2 l=   3 cons:  cont [ 0 ]
    4:d=2  hl=2 l=   1 prim:   INTEGER           :02
    7:d=1  hl=2 l=   3 prim:  OBJECT            :commonName
   12:d=1  hl=2 l=   5 prim:  OCTET STRING      [HEX DUMP]:0A01010500
   19:d=1  hl=2 l=inf  cons:  SEQUENCE
   21:d=2  hl=2 l=inf  cons:   appl [ 3 ]
   23:d=3  hl=2 l=   0 prim:    NULL
   25:d=3  hl=2 l=   0 prim:    EOC
   27:d=2  hl=2 l=   0 prim:   EOC
"""
SELF_DUMP = """\
       0  2       27 SEQUENCE
       2  2        3   Context-specific[0]
       4  2        1     INTEGER: 2
       7  2        3   OBJECT IDENTIFIER: 2.5.4.3 - commonName
      12  2        5   OCTET STRING (encapsulates)
      14  2        1     ENUMERATED: 1
      17  2        0     NULL
      19  2        8   SEQUENCE
      21  2        4     APPLICATION[3]
      23  2        0       NULL
      25  2        0       EOC
      27  2        0     EOC
"""


def self_test():
    """Runs the comparer on a good dump and on dumps with one fault each."""
    lines = SELF_DUMP.splitlines(keepends=True)

    def edit(index, old, new):
        changed = list(lines)
        assert old in changed[index], (index, old)
        changed[index] = changed[index].replace(old, new, 1)
        return "".join(changed)

    cases = [
        ("agrees", SELF_DUMP, 0),
        ("wrong length", edit(3, "       3 ", "       4 "), 1),
        ("wrong header length", edit(2, "  2        1     INTEGER", "  3        1     INTEGER"), 1),
        ("wrong tag", edit(1, "Context-specific[0]", "Context-specific[1]"), 1),
        ("wrong depth", edit(3, "   OBJECT", " OBJECT"), 1),
        ("element missing", "".join(lines[:3] + lines[4:]), 1),
        ("indefinite length without the EOC octets", edit(7, "       8   SEQUENCE", "       6   SEQUENCE"), 1),
        ("inner indefinite length wrong", edit(8, "       4     APPLICATION", "       6     APPLICATION"), 1),
        ("spurious element outside an OCTET STRING", SELF_DUMP + "      29  2        0   NULL\n", 1),
        ("element running past its OCTET STRING", edit(6, "  2        0     NULL", "  2        2     NULL"), 1),
        ("offset listed twice", SELF_DUMP + "       7  2        3   NULL\n", 1),
    ]
    failures = 0
    reference = parse_openssl(SELF_OPENSSL)
    if len(reference) != 10:
        print("FAIL: the reference parses into %d elements, not 10" % len(reference))
        failures += 1
    for name, dump, want_problems in cases:
        problems = compare(reference, parse_dump(dump))
        if bool(problems) != bool(want_problems):
            print("FAIL %s: %s" % (name, problems or "no problem found"))
            failures += 1
    try:
        parse_dump(SELF_DUMP + "Fatal error: Incorrect length\n")
        print("FAIL: a line that is not an element line was accepted")
        failures += 1
    except ValueError:
        pass
    print("%d passed, %d failed" % (len(cases) + 2 - failures, failures))
    return 1 if failures else 0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--dump")
    parser.add_argument("--sample")
    parser.add_argument("--reference")
    parser.add_argument("--self-test", action="store_true")
    args = parser.parse_args()
    if args.self_test:
        return self_test()
    if not (args.dump and args.sample and args.reference):
        parser.error("--dump, --sample and --reference are needed")
    return run_sample(args.dump, args.sample, args.reference)


if __name__ == "__main__":
    sys.exit(main())
