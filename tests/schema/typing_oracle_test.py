#!/usr/bin/env python3
"""Every top-level type bramlet-dump --paths gives is one the element decodes as.

The oracle is pyasn1, decoding with the same modules the tables are compiled
from: random nested structures (SEQUENCE, SET and context tags over INTEGERs,
OIDs, strings, times), SEQUENCEs of a few INTEGERs, and copies of the DER
samples with an element deleted, inserted, duplicated or re-tagged. Each kind
goes into one file, its inputs separated by a NULL (which no type takes, so
that no input inherits its neighbour's type). The unbroken samples must keep
their names.

  typing_oracle_test.py --dump BRAMLET_DUMP --source SOURCE_DIR
"""
import argparse
import os
import random
import subprocess
import sys
import tempfile

from pyasn1.codec.der import decoder


class Node:
    """One element: tag octets, then children or primitive contents."""

    def __init__(self, tag, content=b"", children=None):
        self.tag, self.content, self.children = tag, content, children

    def encode(self):
        body = b"".join(c.encode() for c in self.children) if self.children is not None else self.content
        n = len(body)
        if n < 0x80:
            length = bytes([n])
        else:
            octets = n.to_bytes((n.bit_length() + 7) // 8, "big")
            length = bytes([0x80 | len(octets)]) + octets
        return self.tag + length + body


def parse(data, pos=0, end=None):
    """The elements of data[pos:end]; an OCTET STRING or BIT STRING that holds one
    whole element is opened, so damage can reach inside it."""
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
        length = first
        if first >= 0x80:
            length = int.from_bytes(data[pos:pos + (first & 0x7F)], "big")
            pos += first & 0x7F
        if tag[0] & 0x20:
            nodes.append(Node(tag, children=parse(data, pos, pos + length)))
        else:
            nodes.append(Node(tag, content=data[pos:pos + length]))
        pos += length
    return nodes


def walk(node, parent=None):
    yield node, parent
    for child in node.children or []:
        yield from walk(child, node)


def top_level_types():
    """The type name bramlet gives a top-level element -> a pyasn1 object to decode it with."""
    sys.dont_write_bytecode = True
    sys.path.insert(0, os.path.join(args.source, "src", "schema"))
    import gen_schema
    return {gen_schema.TypeName(obj): obj for obj, _ in gen_schema.TOP_LEVEL}


# Random structures of the kinds the types are made of.
OIDS = [b"\x2a\x86\x48\x86\xf7\x0d\x01\x01\x01", b"\x2a\x86\x48\x86\xf7\x0d\x01\x07\x02",
        b"\x2a\x86\x48\x86\xf7\x0d\x01\x07\x01", b"\x55\x04\x03", b"\x55\x1d\x13", b"\x2b\x06\x01\x05\x05\x07\x30\x01",
        b"\x2a\x86\x48\xce\x3d\x02\x01", b"\x2a\x03\x04"]


def random_leaf(rng):
    kind = rng.randrange(8)
    if kind < 3:
        value = rng.choice([0, 1, 2, 3, 127, 65537, rng.getrandbits(64)])
        return Node(b"\x02", value.to_bytes(value.bit_length() // 8 + 1, "big", signed=False))
    if kind == 3:
        return Node(b"\x06", rng.choice(OIDS))
    if kind == 4:
        return Node(rng.choice([b"\x13", b"\x0c", b"\x16"]), b"example")
    if kind == 5:
        return Node(rng.choice([b"\x17", b"\x18"]), b"250101000000Z" if rng.random() < 0.5 else b"20250101000000Z")
    if kind == 6:
        return Node(b"\x04", bytes(rng.randrange(256) for _ in range(rng.randrange(1, 9))))
    return Node(b"\x01", b"\xff") if rng.random() < 0.5 else Node(b"\x03", b"\x00\x5a")


def random_structure(rng, depth=0):
    if depth > 3 or (depth > 0 and rng.random() < 0.35):
        return random_leaf(rng)
    tag = rng.choice([b"\x30", b"\x30", b"\x30", b"\x31", b"\xa0", b"\xa1", b"\xa3"])
    return Node(tag, children=[random_structure(rng, depth + 1) for _ in range(rng.randrange(1, 6))])


def damaged_samples(rng):
    """Copies of each DER sample with one element deleted, inserted, duplicated or re-tagged."""
    copies = []
    for name in DER_SAMPLES:
        with open(os.path.join(args.source, "samples", name), "rb") as f:
            sample = f.read()
        for _ in range(40):
            root = parse(sample)[0]
            nodes = list(walk(root))[1:]
            node, parent = rng.choice(nodes)
            index = next(i for i, c in enumerate(parent.children) if c is node)
            how = rng.randrange(4)
            if how == 0:
                del parent.children[index]
            elif how == 1:
                parent.children.insert(index, random_leaf(rng))
            elif how == 2:
                parent.children.insert(index, node)
            else:
                node.tag = rng.choice([b"\x02", b"\x04", b"\x0a", b"\x13", b"\x80", b"\x81"]) \
                    if node.children is None else rng.choice([b"\x31", b"\x30", b"\xa0", b"\xa2"])
            copies.append((f"{name}: {['deleted', 'inserted', 'duplicated', 're-tagged'][how]}", root.encode()))
    return copies


DER_SAMPLES = ["cert.der", "crl.der", "csr.der", "p7-signed.der", "rsa-key.der", "ec-key.der",
               "ec-key.p8.der", "p256-cert.der", "ed25519-cert.der", "chain.p7b"]


def named_tops(inputs, workdir):
    """Per input, the type --paths gives its top-level element (empty for none)."""
    separator = b"\x05\x00"
    data, starts = b"", []
    for _, encoding in inputs:
        starts.append(len(data))
        data += encoding + separator
    path = os.path.join(workdir, "inputs.der")
    with open(path, "wb") as f:
        f.write(data)
    out = subprocess.run([args.dump, "--paths", path], capture_output=True, text=True, check=False).stdout
    paths = {}
    for line in out.splitlines():
        offset, field_path = line.split("\t")[:2]
        paths.setdefault(int(offset), field_path)
    return [paths.get(start, "") for start in starts]


def main():
    types = top_level_types()
    rng = random.Random(23)
    kinds = {
        "random structure": [(f"random {i}", random_structure(rng).encode()) for i in range(300)],
        "INTEGERs": [(f"{n} INTEGERs", Node(b"\x30", children=[Node(b"\x02", bytes([rng.randrange(1, 128)]))
                                                                for _ in range(n)]).encode()) for n in range(2, 10)],
        "damaged sample": damaged_samples(rng),
    }
    failures = 0
    with tempfile.TemporaryDirectory() as workdir:
        for kind, inputs in kinds.items():
            tops = named_tops(inputs, workdir)
            named = 0
            for (label, encoding), top in zip(inputs, tops):
                if not top:
                    continue
                named += 1
                try:
                    _, rest = decoder.decode(encoding, asn1Spec=types[top].clone())
                    assert not rest, "octets after the element"
                except Exception as error:  # pyasn1 raises its own errors and others
                    failures += 1
                    print(f"FAIL {label}: named {top}, which pyasn1 does not decode: "
                          f"{type(error).__name__}: {str(error).splitlines()[0][:160]}")
            print(f"{kind}: {named} of {len(inputs)} named, each decoding as its type")
        # The samples themselves keep their types, but for the RSA key: a few
        # INTEGERs are a key only when a PEM label says so.
        samples = [(name, open(os.path.join(args.source, "samples", name), "rb").read()) for name in DER_SAMPLES]
        for (name, _), top in zip(samples, named_tops(samples, workdir)):
            if bool(top) != (name != "rsa-key.der"):
                failures += 1
                print(f"FAIL {name}: named {top!r}")
    return 1 if failures else 0


parser = argparse.ArgumentParser()
parser.add_argument("--dump", required=True)
parser.add_argument("--source", required=True)
args = parser.parse_args()
sys.exit(main())
