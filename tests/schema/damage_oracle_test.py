#!/usr/bin/env python3
"""Every type bramlet-dump gives a damaged file is one pyasn1 decodes the element as, whole.

Real files are damaged one element at a time: deleted, an element inserted
before it, duplicated, re-tagged, wrapped in a SEQUENCE, or (for an explicit
tag) given a second element; the lengths around it are made to fit, and the
damage keeps the BER readable, so the walk sees the whole file. pyasn1,
decoding with the modules the tables are compiled from, judges each type
given: the top-level element's, and that of each open type's content (the
element whose path names a type its parent's does not: an extension's value,
algorithm parameters, a key inside its BIT STRING).

  damage_oracle_test.py --dump BRAMLET_DUMP --source SOURCE_DIR [--keep FAILURES_DIR]
"""
import argparse
import json
import os
import random
import subprocess
import sys
import tempfile

from pyasn1 import error
from pyasn1.codec.der import decoder, encoder


class Node:
    """One element: tag octet, then children or contents; prefix is a BIT
    STRING's unused-bits octet before the element it holds."""

    def __init__(self, tag, content=b"", children=None, prefix=b""):
        self.tag, self.content, self.children, self.prefix = tag, content, children, prefix

    def encode(self):
        body = self.prefix + b"".join(c.encode() for c in self.children) if self.children is not None \
            else self.content
        n = len(body)
        if n < 0x80:
            length = bytes([n])
        else:
            octets = n.to_bytes((n.bit_length() + 7) // 8, "big")
            length = bytes([0x80 | len(octets)]) + octets
        return bytes([self.tag]) + length + body


def parse(data, pos=0, end=None):
    """The elements of data[pos:end], or None where it is not BER of single-octet
    tags and definite lengths. An OCTET STRING or BIT STRING that holds one
    element is opened, so damage can reach inside it."""
    end = len(data) if end is None else end
    nodes = []
    while pos < end:
        if end - pos < 2 or data[pos] & 0x1F == 0x1F or data[pos + 1] == 0x80:
            return None
        tag, first = data[pos], data[pos + 1]
        pos += 2
        length = first
        if first > 0x80:
            if first - 0x80 > 4 or pos + first - 0x80 > end:
                return None
            length = int.from_bytes(data[pos:pos + first - 0x80], "big")
            pos += first - 0x80
        if pos + length > end:
            return None
        content = data[pos:pos + length]
        if tag & 0x20:
            children = parse(content)
            if children is None:
                return None
            nodes.append(Node(tag, children=children))
        else:
            nodes.append(opened(tag, content))
        pos += length
    return nodes


def opened(tag, content):
    for prefix in ([b""] if tag == 0x04 else [b"\x00"] if tag == 0x03 else []):
        inner = parse(content[len(prefix):]) if content.startswith(prefix) and len(content) > len(prefix) else None
        if inner is not None and len(inner) == 1:
            return Node(tag, children=inner, prefix=prefix)
    return Node(tag, content)


def walk(node, parent=None):
    yield node, parent
    for child in node.children or []:
        yield from walk(child, node)


LEAVES = [Node(0x02, b"\x05"), Node(0x06, b"\x55\x04\x03"), Node(0x0c, b"example"), Node(0x05),
          Node(0x04, b"\x01\x02"), Node(0x30, children=[Node(0x02, b"\x01")]), Node(0x17, b"250101000000Z")]
TAGS = [0x02, 0x04, 0x0a, 0x13, 0x80, 0x81, 0x30, 0x31, 0xa0, 0xa1, 0xa3]


def damaged(sample, rng, how):
    """A copy of sample with one element damaged as how says, or None when
    sample has no element to damage so."""
    root = parse(sample)[0]
    pairs = [(n, p) for n, p in list(walk(root))[1:]]
    if how == "second element":
        pairs = [(n, p) for n, p in pairs if n.tag & 0xE0 == 0xA0 and len(n.children) == 1]
    if not pairs:
        return None
    node, parent = rng.choice(pairs)
    index = next(i for i, c in enumerate(parent.children) if c is node)
    if how == "deleted":
        del parent.children[index]
    elif how == "inserted":
        parent.children.insert(index, rng.choice(LEAVES))
    elif how == "duplicated":
        parent.children.insert(index, node)
    elif how == "wrapped":
        parent.children[index] = Node(0x30, children=[node])
    elif how == "second element":
        node.children.append(rng.choice(LEAVES + [node.children[0]]))
    else:  # re-tagged; to a constructed tag only where the contents are BER
        tag = rng.choice([t for t in TAGS if t != node.tag])
        if node.children is not None and not (node.tag & tag & 0x20):  # an opened string, or to a primitive tag
            node.content = node.prefix + b"".join(c.encode() for c in node.children)
            node.children, node.prefix = None, b""
        if node.children is None and tag & 0x20:
            node.children = parse(node.content)
            if node.children is None:
                tag &= ~0x20
        node.tag = tag
    return root.encode()


def types():
    """Each type name the tables give a top level or an open type's content ->
    the pyasn1 objects of that name."""
    sys.dont_write_bytecode = True
    sys.path.insert(0, os.path.join(args.source, "src", "schema"))
    import gen_schema
    found = {}

    def add(obj):
        name = gen_schema.TypeName(obj)
        if name:
            found.setdefault(name, []).append(obj)

    original = gen_schema.Generator.Map

    def collect(self, typeMap):
        if id(typeMap) not in self.mapIds:
            for obj in typeMap.values():
                add(obj)
        return original(self, typeMap)

    gen_schema.Generator.Map = collect
    generator = gen_schema.Generator()
    for obj, _ in gen_schema.TOP_LEVEL:
        add(obj)
        generator.Node(obj)
    return found


def typed(element, parent_path, named):
    """(element, type name) for each element at or below element that a type
    name's step starts: the top level and every open type's content."""
    path = element.get("path", "")
    if path.startswith(parent_path):
        step = next((s for s in path[len(parent_path):].lstrip(".").split(".") if s in named), None)
        if step:
            yield element, step
    for child in element.get("children", []):
        yield from typed(child, path, named)


def count(data):
    """The primitive elements of a DER encoding, strings not opened (an empty
    SET OF that pyasn1 leaves out of its encoding counts for nothing)."""
    total, pos = 0, 0
    while pos < len(data):
        first = data[pos + 1]
        start = pos + 2 + (first - 0x80 if first > 0x80 else 0)
        length = int.from_bytes(data[pos + 2:start], "big") if first > 0x80 else first
        total += count(data[start:start + length]) if data[pos] & 0x20 else 1
        pos = start + length
    return total


def encoded(value, encoding):
    """value's DER; encoding itself where a SIZE constraint fails, which the
    tables do not hold (an empty set of attributes is a SET OF all the same)."""
    try:
        return encoder.encode(value)
    except error.PyAsn1Error as e:
        if "ValueSizeConstraint" not in str(e):
            raise
        return encoding


def decodes(encoding, objects):
    """None when one of objects decodes encoding whole (pyasn1 passes over
    what an explicit tag holds after its element, so the elements of its
    encoding of the value are counted too), else why not."""
    why = None
    for obj in objects:
        try:
            value, rest = decoder.decode(encoding, asn1Spec=obj.clone())
            if rest:
                why = "octets after the element"
            elif count(encoded(value, encoding)) != count(encoding):
                why = "elements left out"
            else:
                return None
        except Exception as e:  # pyasn1 raises its own errors and others
            why = f"{type(e).__name__}: {str(e).splitlines()[0][:140] if str(e) else ''}"
    return why


def main():
    named = types()
    rng = random.Random(5)
    samples = [os.path.join("samples", n) for n in
               ["cert.der", "crl.der", "csr.der", "p7-signed.der", "ec-key.der", "ec-key.p8.der",
                "p256-cert.der", "ed25519-cert.der", "rsa-key.p8.der", "bundle.p12"]] + \
              [os.path.join("tests", "data", "names", n) for n in
               ["ocsp-req.der", "ocsp-resp.der", "ts-resp.der", "signed-ec.der", "enveloped.der", "pbes2-key.der",
                "rsa-pss-pub.der", "ec-explicit-key.der"]]
    hows = ["deleted", "inserted", "duplicated", "re-tagged", "wrapped", "second element"]
    inputs = []
    for name in samples:
        with open(os.path.join(args.source, name), "rb") as f:
            sample = f.read()
        for how in hows:
            for _ in range(16):
                encoding = damaged(sample, rng, how)
                if encoding is not None:
                    inputs.append((f"{name}: {how}", encoding))
    separator = b"\x05\x00"  # no type takes a NULL: no input inherits its neighbour's type
    data, starts = b"", {}
    for label, encoding in inputs:
        starts[len(data)] = (label, encoding)
        data += encoding + separator
    with tempfile.TemporaryDirectory() as workdir:
        path = os.path.join(workdir, "inputs.der")
        with open(path, "wb") as f:
            f.write(data)
        run = subprocess.run([args.dump, "--json", path], capture_output=True, text=True, check=False)
    if run.returncode not in (0, 1) or not run.stdout:
        print(f"FAIL bramlet-dump: {run.stderr.strip()}")
        return 1
    tops = json.loads(run.stdout)["elements"]
    if sum(top["offset"] in starts for top in tops) != len(inputs):
        print("FAIL the walk did not read every damaged file whole")
        return 1
    failures = judgements = 0
    tops_named = 0
    for top in tops:
        if top["offset"] not in starts:
            continue
        label, whole = starts[top["offset"]]
        tops_named += bool(top.get("path"))
        for element, name in typed(top, "", named):
            judgements += 1
            start = element["offset"]
            encoding = data[start:start + element["header"] + element["length"]]
            why = decodes(encoding, named[name])
            if why:
                failures += 1
                print(f"FAIL {label}: {element.get('path')} at {start - top['offset']} named {name}, "
                      f"which pyasn1 does not decode: {why}")
                if args.keep:
                    with open(os.path.join(args.keep, f"failure-{failures}.der"), "wb") as f:
                        f.write(whole)
    print(f"{len(inputs)} damaged files, {tops_named} given a type; {judgements} types judged, {failures} wrong")
    # The damage leaves many files whole enough to keep their types.
    return 1 if failures or tops_named < len(inputs) // 4 else 0


parser = argparse.ArgumentParser()
parser.add_argument("--dump", required=True)
parser.add_argument("--source", required=True)
parser.add_argument("--keep", help="a folder to write each input that fails into")
args = parser.parse_args()
sys.exit(main())
