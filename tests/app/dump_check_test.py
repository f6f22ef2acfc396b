#!/usr/bin/env python3
"""bramlet-dump --check, --element and --json over the samples.

Each well-formed DER sample is broken once per rule in a known element (the lengths of the
enclosing elements encoded again), and --check must report exactly that rule at that element's
offset; the unbroken samples pass. --json parses for every sample and for damaged inputs, and
--element gives back the bytes at each element's offset.

  dump_check_test.py --dump BRAMLET_DUMP --samples SAMPLES_DIR
"""
import argparse
import base64
import copy
import json
import os
import random
import shutil
import subprocess
import tempfile

DER_SAMPLES = ["cert.der", "crl.der", "csr.der", "p7-signed.der", "rsa-key.der", "rsa-key.p8.der",
               "ec-key.der", "ec-key.p8.der", "p256-cert.der", "ed25519-cert.der"]


class Node:
    """One DER element: tag octets, then either children or primitive contents."""

    def __init__(self, tag, content=None, children=None):
        self.tag, self.content, self.children = tag, content, children
        self.form = "der"       # or "long", "indefinite"
        self.prefix = b""       # octets before the children of an encapsulating BIT STRING
        self.mark = False
        self.offset = None
        self.key_usage = False  # the BIT STRING of a keyUsage extension


def parse(data, pos=0, end=None):
    """The elements of data[pos:end]; OCTET and BIT STRINGs holding exactly one element open up."""
    end = len(data) if end is None else end
    nodes = []
    while pos < end:
        t = pos
        pos += 1
        if data[t] & 0x1F == 0x1F:
            while data[pos] & 0x80:
                pos += 1
            pos += 1
        tag = data[t:pos]
        first = data[pos]
        pos += 1
        if first < 0x80:
            length = first
        else:
            length = int.from_bytes(data[pos:pos + (first & 0x7F)], "big")
            pos += first & 0x7F
        content = data[pos:pos + length]
        if tag[0] & 0x20:
            node = Node(tag, children=parse(data, pos, pos + length))
        else:
            node = Node(tag, content=content)
            skip = 1 if tag == b"\x03" else 0
            inner = try_single(content[skip:])
            if tag in (b"\x03", b"\x04") and inner is not None:
                node.children, node.prefix = [inner], content[:skip]
        nodes.append(node)
        pos += length
    return nodes


def try_single(data):
    try:
        nodes = parse(data)
        if len(nodes) == 1 and place(nodes) == data:
            return nodes[0]
    except (IndexError, ValueError):
        pass
    return None


def length_octets(n, form):
    if form == "long":  # one octet more than needed
        body = n.to_bytes(max(1, (n.bit_length() + 7) // 8), "big")
        if n >= 0x80:
            body = b"\x00" + body
        return bytes([0x80 | len(body)]) + body
    if n < 0x80:
        return bytes([n])
    body = n.to_bytes((n.bit_length() + 7) // 8, "big")
    return bytes([0x80 | len(body)]) + body


def serialize(node):
    """The node's encoding; node.placed lists where its children start, from its first octet."""
    body = node.prefix if node.children is not None else node.content
    positions = []
    for child in node.children or []:
        positions.append(len(body))
        body += serialize(child)
    if node.form == "indefinite":
        header = node.tag + b"\x80"
        body += b"\x00\x00"
    else:
        header = node.tag + length_octets(len(body), node.form)
    node.placed = [len(header) + p for p in positions]
    return header + body


def place(nodes):
    """The encoding of the top-level nodes; sets every node's offset."""
    out = b""
    starts = []
    for node in nodes:
        starts.append(len(out))
        out += serialize(node)
    stack = list(zip(nodes, starts))
    while stack:
        node, offset = stack.pop()
        node.offset = offset
        stack.extend((c, offset + p) for c, p in zip(node.children or [], node.placed))
    return out


def walk(node, visit):
    stack = [node]
    while stack:
        n = stack.pop()
        visit(n)
        stack.extend(reversed(n.children or []))


def all_nodes(nodes):
    found = []
    for node in nodes:
        walk(node, found.append)
    return found


KEY_USAGE = b"\x55\x1d\x0f"


def annotate(nodes):
    """Marks what the schema-based rules need context for: keyUsage's BIT STRING."""
    for n in all_nodes(nodes):
        kids = n.children or []
        if n.tag == b"\x30" and kids and kids[0].tag == b"\x06" and kids[0].content == KEY_USAGE:
            for bits in kids[-1].children or []:
                bits.key_usage = bits.tag == b"\x03"
    return nodes


def is_set_with_members(n):
    return n.tag == b"\x31" and n.children


# Each rule: a predicate choosing the element to break, and the change.
def break_length(n): n.form = "long"
def break_indefinite(n): n.form = "indefinite"
def break_tag(n): n.tag = bytes([n.tag[0] | 0x1F, n.tag[0] & 0x1F])
def break_boolean(n): n.content = b"\x01"
def break_integer(n): n.content = (b"\xff" if n.content[0] & 0x80 else b"\x00") + n.content


def break_constructed(n):
    n.tag = bytes([n.tag[0] | 0x20])
    n.children = [Node(b"\x04", content=n.content)]
    n.content = None


def break_padding(n):
    n.content = bytes([1]) + n.content[1:-1] + bytes([n.content[-1] | 1])
    n.children, n.prefix = None, b""


def break_set(n):
    # A copy of the first member one octet longer at its end sorts after it, and
    # still fits the member's type (the schema checks see no other fault).
    bigger = copy.deepcopy(n.children[0])
    leaf = bigger
    while leaf.children:
        leaf = leaf.children[-1]
    leaf.content += b"x"
    n.children = [bigger] + n.children


def break_named_bits(n): n.content = b"\x00" + n.content[1:]  # the unused bits become trailing zeros
def break_default(n): n.children[0].content = b"\x00"  # version v1, the DEFAULT
def break_time(n): n.content = n.content[:-3] + b"Z"
def break_oid(n): n.content = n.content[:1] + b"\x80" + n.content[1:]
def break_charset(n): n.content = b"@" + n.content[1:]


RULES = [
    ("length-not-minimal", lambda n: n.children is not None and n.tag == b"\x30", break_length),
    ("indefinite-length", lambda n: n.tag == b"\x30", break_indefinite),
    ("constructed-string", lambda n: n.tag == b"\x04" and n.children is None and n.content, break_constructed),
    ("tag-not-minimal", lambda n: n.tag == b"\x02", break_tag),
    ("boolean-not-canonical", lambda n: n.tag == b"\x01", break_boolean),
    ("integer-not-minimal", lambda n: n.tag == b"\x02" and n.content, break_integer),
    ("bitstring-padding", lambda n: n.tag == b"\x03" and n.content and n.content[0] == 0 and len(n.content) > 1,
     break_padding),
    ("set-not-sorted", is_set_with_members, break_set),
    ("time-not-der", lambda n: n.tag == b"\x17", break_time),
    ("oid-not-minimal", lambda n: n.tag == b"\x06" and len(n.content) > 1, break_oid),
    ("string-charset", lambda n: n.tag == b"\x13" and n.content, break_charset),
    # These two need the schema: keyUsage's named bits, TBSCertificate's version DEFAULT v1.
    ("named-bits-trailing-zero", lambda n: n.key_usage and n.content[0] != 0, break_named_bits),
    ("default-encoded", lambda n: n.tag == b"\xa0" and [c.tag for c in n.children or []] == [b"\x02"]
     and n.children[0].content == b"\x02", break_default),
]


def tlv(tag, content):
    return Node(bytes([tag]), content=content)


def seq(tag, *children):
    return Node(bytes([tag]), children=list(children))


def extension(oid, value_hex):
    """An Extension of that OID (its contents octets) whose extnValue holds value_hex."""
    return seq(0x30, tlv(0x06, oid), Node(b"\x04", content=bytes.fromhex(value_hex)))


def cert_with(change):
    """samples/cert.der as nodes, changed by change(tbs) or change(certificate)."""
    def make(samples):
        with open(os.path.join(samples, "cert.der"), "rb") as f:
            nodes = parse(f.read())
        change(nodes[0])
        return place(nodes)
    return make


def add_extension(oid, value_hex):
    def change(cert):
        tbs = cert.children[0]
        tbs.children[-1].children[0].children.append(extension(oid, value_hex))
    return cert_with(change)


def add_unique_id(cert):
    tbs = cert.children[0]
    tbs.children.insert(len(tbs.children) - 1, tlv(0x82, b"\x01\x01"))  # subjectUniqueID, a padding bit set


def signature_holding_a_fault(cert):
    cert.children[2] = tlv(0x03, b"\x00\x01\x01\x01")  # as if it held a BOOLEAN 01


def chain_out_of_order(samples):
    with open(os.path.join(samples, "chain.p7b"), "rb") as f:
        nodes = parse(f.read())
    certificates = nodes[0].children[1].children[0].children[3]
    certificates.children.reverse()
    return place(nodes)


def mac_digest_like_a_time(samples):
    """bundle.p12 whose MAC digest's octets read as a UTCTime without its Z."""
    with open(os.path.join(samples, "bundle.p12"), "rb") as f:
        data = bytearray(f.read())
    at = data.index(bytes([0x04, 0x20]), len(data) - 80) + 2  # the 32-octet digest near the end
    data[at:at + 32] = bytes([0x17, 0x1E]) + b"1" * 30
    return bytes(data)


def pem_with_trailing_null(samples):
    with open(os.path.join(samples, "cert.der"), "rb") as f:
        body = base64.encodebytes(f.read() + b"\x05\x00").decode()
    return ("-----BEGIN CERTIFICATE-----\n%s-----END CERTIFICATE-----\n" % body).encode()


# Checks that follow the schema's type of an element whatever its tag: each
# input with the rules --check gives and the last step of each path.
TYPED_CHECKS = [
    ("[1] IMPLICIT BOOLEAN 01 in an IssuingDistributionPoint", add_extension(b"\x55\x1d\x1c", "30038101 01"),
     [("boolean-not-canonical", "onlyContainsUserCerts")]),
    ("[2] IMPLICIT INTEGER 00 3F 20 in an AuthorityKeyIdentifier", add_extension(b"\x55\x1d\x23", "3005820300 3F20"),
     [("integer-not-minimal", "authorityCertSerialNumber")]),
    ("ReasonFlags [1] 05 61", add_extension(b"\x55\x1d\x1f", "3006 3004 8102 0561"),
     [("bitstring-padding", "reasons")]),
    ("a dNSName holding E9", add_extension(b"\x55\x1d\x11", "3005 8203 61E962"), [("string-charset", "dNSName")]),
    ("[0] IMPLICIT GeneralizedTime ...03.0Z", add_extension(b"\x55\x1d\x10", "3013 8011" + b"20260101000003.0Z".hex()),
     [("time-not-der", "notBefore")]),
    ("subjectUniqueID with a padding bit", cert_with(add_unique_id), [("bitstring-padding", "subjectUniqueID")]),
    ("a signature whose octets look like a BOOLEAN 01", cert_with(signature_holding_a_fault), []),
    ("a PKCS#12 MAC whose octets look like a UTCTime", mac_digest_like_a_time, []),
    ("chain.p7b's certificates in the order openssl wrote them", chain_out_of_order,
     [("set-not-sorted", "certificates")]),
    ("a PEM block with a NULL after its certificate", pem_with_trailing_null, [("trailing-data", "NULL")]),
]


def run(dump, *args):
    result = subprocess.run([dump, *args], capture_output=True)
    return result.returncode, result.stdout, result.stderr.decode("utf-8", errors="replace")


def paths(dump, path):
    """offset -> (path, tag name) of the element there, as --paths prints them."""
    found = {}
    for line in run(dump, "--paths", path)[1].decode().splitlines():
        offset, element_path, tag = line.split("\t")
        found[int(offset)] = (element_path, tag)
    return found


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--dump", required=True)
    parser.add_argument("--samples", required=True)
    args = parser.parse_args()
    dump, samples = args.dump, args.samples
    failures = []
    work = tempfile.mkdtemp(prefix="bramlet-check-test-")
    broken_count = 0
    try:
        def write(name, data):
            path = os.path.join(work, name)
            with open(path, "wb") as f:
                f.write(data)
            return path

        for sample in DER_SAMPLES:
            with open(os.path.join(samples, sample), "rb") as f:
                original = f.read()
            rc, out, err = run(dump, "--check", os.path.join(samples, sample))
            if rc != 0 or out:
                failures.append("%s unbroken: exit %d %r %s" % (sample, rc, out[:200], err))
            if place(parse(original)) != original:
                failures.append("%s: the test's own DER writer does not round-trip" % sample)
                continue
            for rule, choose, change in RULES:
                tree = annotate(parse(original))
                candidates = [n for n in all_nodes(tree) if choose(n)]
                if not candidates:
                    continue
                target = candidates[len(candidates) // 2]
                change(target)
                data = place(tree)
                broken_count += 1
                broken = write("%s.%s" % (sample, rule), data)
                rc, out, err = run(dump, "--check", broken)
                # The third column: the element's path, or its tag name when it has none.
                element_path, tag = paths(dump, broken).get(target.offset, ("", "?"))
                want = "%d\t%s\t%s\t" % (target.offset, rule, element_path or tag)
                # Breaking an item may move it out of its SET OF's order: that
                # finding belongs to the enclosing set, ahead of the item.
                lines = [line for line in out.decode().splitlines()
                         if not (line.split("\t")[1] == "set-not-sorted" and int(line.split("\t")[0]) < target.offset)]
                if rc != 1 or len(lines) != 1 or not lines[0].startswith(want):
                    failures.append("%s broken for %s at %d: exit %d, %r %s" % (sample, rule, target.offset, rc,
                                                                               lines[:4], err))
            # trailing-data: one more element after the first.
            rc, out, _ = run(dump, "--check", write(sample + ".trailing", original + b"\x05\x00"))
            if rc != 1 or out.decode() != "%d\ttrailing-data\tNULL\tDER: 2 octets after the first element\n" % len(original):
                failures.append("%s trailing: %d %r" % (sample, rc, out))

        for label, make, expected in TYPED_CHECKS:
            path = write("typed", make(samples))
            for names in ([], ["--no-names"]):
                rc, out, err = run(dump, "--check", *names, path)
                got = [(line.split("\t")[1], line.split("\t")[2].rsplit(".", 1)[-1]) for line in out.decode().splitlines()]
                if names:  # the same findings; without names the third column is the tag name
                    got = [(rule, field) for (rule, _), (_, field) in zip(got, expected)] + got[len(expected):]
                if rc != (1 if expected else 0) or got != expected:
                    failures.append("%s %s: exit %d, %r %s" % (label, " ".join(names), rc, got, err))

        # Each PEM block is decoded on its own: a block that stops is named, the others are checked as usual.
        with open(os.path.join(samples, "cert.der"), "rb") as f:
            der = f.read()

        def block(data, label="CERTIFICATE"):
            return ("-----BEGIN %s-----\n%s-----END %s-----\n" % (label, base64.encodebytes(data).decode(), label)).encode()
        not_ber = block(b"this is not a key, just text\n", "PRIVATE KEY")  # 74 68: 104 octets announced, 29 there
        n = len(der)
        for label, text, expected in [
            ("not BER, then a certificate", not_ber + block(der), ["block 1 of 2: Incorrect data length for tag at offset 0"]),
            ("two bad blocks around a certificate", not_ber + block(der) + not_ber,
             ["block 1 of 3: Incorrect data length for tag at offset 0",
              "block 3 of 3: Incorrect data length for tag at offset %d" % (29 + n)]),
            # What follows the certificate in its block is the fatal error's, not trailing data.
            ("a bad header after a certificate, then one more", block(der + b"\x02\x05\x00") + block(der),
             ["block 1 of 2: Incorrect data length for tag at offset %d" % n]),
        ]:
            path = write("blocks.pem", text)
            rc, out, err = run(dump, "--check", path)
            wanted = "".join("bramlet-dump: %s\n" % line for line in expected)
            if rc != 1 or out or err != wanted:
                failures.append("--check %s: exit %d %r %r" % (label, rc, out, err))
            rc, out, _ = run(dump, "--no-attributes", path)
            if rc != 1 or out.decode().splitlines().count("Certificate SEQUENCE") != text.count(b"BEGIN CERTIFICATE"):
                failures.append("dump %s: exit %d %r" % (label, rc, out[:300]))

        if broken_count < 60:
            failures.append("only %d broken files were made" % broken_count)

        # openssl's own files pass, PEM and containers too; the streamed CMS shows only its indefinite lengths.
        for name in sorted(os.listdir(samples)):
            path = os.path.join(samples, name)
            if name in ("README.md", "make-samples.sh", "cms-stream.der"):
                continue
            rc, out, err = run(dump, "--check", path)
            if rc != 0 or out:
                failures.append("%s: exit %d %r %s" % (name, rc, out[:200], err))
        rc, out, _ = run(dump, "--check", os.path.join(samples, "cms-stream.der"))
        rules = [line.split("\t")[1] for line in out.decode().splitlines()]
        if rc != 1 or not rules or set(rules) != {"indefinite-length"}:
            failures.append("cms-stream: %d %r" % (rc, rules))

        # --json parses for every sample and for damaged inputs; --element gives back each element's bytes.
        rng = random.Random(17)
        with open(os.path.join(samples, "cert.der"), "rb") as f:
            cert = f.read()
        damaged = [write("damaged%d.der" % i, bytes(b ^ (rng.randrange(256) if rng.random() < 0.02 else 0)
                                                     for b in cert)) for i in range(8)]
        damaged += [write("junk.der", bytes(rng.randrange(256) for _ in range(300))),
                    write("prose.txt", b"no armour here\n"), write("controls.der", b"\x13\x03\x00\"\\")]
        inputs = [os.path.join(samples, n) for n in sorted(os.listdir(samples))] + damaged
        for path in inputs:
            rc, out, err = run(dump, "--json", path)
            try:
                doc = json.loads(out)
            except ValueError as e:
                failures.append("--json %s: %s" % (path, e))
                continue
            if os.path.basename(path) == "cert.der":
                stack = list(doc["elements"])
                expected_paths = paths(dump, path)
                named = sum(1 for p, _ in expected_paths.values() if p)
                if named < 20:
                    failures.append("cert.der: only %d named elements" % named)
                checked = 0
                while stack:
                    element = stack.pop()
                    stack.extend(element.get("children", []))
                    rc, raw, _ = run(dump, "--element", str(element["offset"]), path)
                    size = element["header"] + element["length"]
                    if rc != 0 or raw != cert[element["offset"]:element["offset"] + size]:
                        failures.append("--element %d" % element["offset"])
                    listed = expected_paths.get(element["offset"], ("?", ""))[0]
                    if element["path"] != listed:
                        failures.append("--json path at %d: %r, --paths %r" % (element["offset"], element["path"],
                                                                               listed))
                    checked += 1
                if checked < 20:
                    failures.append("--element checked only %d elements" % checked)

        # "der" holds for a document of valid DER only; an input that holds no document is not.
        for label, data, der, exit_code in [("empty file", b"", False, 1), ("a line break", b"\n", False, 1),
                                            ("one Base64 letter", b"A", False, 1), ("one zero octet", b"\x00", False, 1),
                                            ("NULL", b"\x05\x00", True, 0), ("indefinite", b"\x30\x80\x00\x00", False, 0)]:
            rc, out, err = run(dump, "--json", write("der-" + label.replace(" ", "-"), data))
            try:
                got = json.loads(out)["der"]
            except (ValueError, KeyError) as e:
                got = e
            if rc != exit_code or got is not der:
                failures.append("--json of %s: exit %d, der %r %s" % (label, rc, got, err))

        # A certificate taken out of a PKCS#7 file as PEM is read by openssl.
        if shutil.which("openssl"):
            rc, out, _ = run(dump, "--json", os.path.join(samples, "chain.p7b"))
            stack, certs = list(json.loads(out)["elements"]), []
            while stack:
                element = stack.pop()
                children = element.get("children", [])
                stack.extend(children)
                if element["tag"] == "SEQUENCE" and len(children) == 3 and children[2]["tag"] == "BIT STRING":
                    certs.append(element["offset"])
            if not certs:
                failures.append("no certificate found in chain.p7b")
            for offset in certs:
                rc, pem, _ = run(dump, "--element", "0x%x" % offset, "--pem", os.path.join(samples, "chain.p7b"))
                read = subprocess.run(["openssl", "x509", "-noout", "-subject"], input=pem, capture_output=True)
                if rc != 0 or not pem.startswith(b"-----BEGIN CERTIFICATE-----\n") or read.returncode != 0:
                    failures.append("PEM certificate at %d: %r" % (offset, read.stderr[:200]))

        rc, out, _ = run(dump, "--help")
        for mode in (b"--check", b"--element", b"--pem", b"--json", b"--xml", b"--elements", b"--no-attributes"):
            if rc != 0 or mode not in out:
                failures.append("--help lacks %r" % mode)
        # --rules: one line per rule id --check can give, with the clause it comes from.
        rc, out, _ = run(dump, "--rules")
        rules = [line.split("\t") for line in out.decode().splitlines()]
        ids = [r[0] for r in rules]
        wanted = [rule for rule, _, _ in RULES] + ["trailing-data", "schema-mismatch", "null-not-empty", "oid-empty",
                                                    "time-not-instant"]
        if rc != 0 or len(set(ids)) != len(ids) or not set(wanted) <= set(ids) or \
                any(len(r) != 2 or not r[1].endswith(")") for r in rules):
            failures.append("--rules: exit %d, %r" % (rc, out[:300]))
        rc, _, _ = run(dump, "--element", "zz", os.path.join(samples, "cert.der"))
        if rc != 2:
            failures.append("--element zz: exit %d" % rc)
        rc, _, _ = run(dump, "--check", os.path.join(work, "missing.der"))
        if rc != 2:
            failures.append("--check of a missing file: exit %d" % rc)
    finally:
        shutil.rmtree(work)

    for failure in failures:
        print("FAIL", failure)
    print("%d broken files checked" % broken_count)
    return 1 if failures else 0


if __name__ == "__main__":
    raise SystemExit(main())
