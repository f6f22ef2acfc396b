#!/usr/bin/env python3
"""Deterministic BER inputs that reach every value renderer, its failures, and the header
forms (long tags, indefinite lengths, encapsulation that breaks), for the dump golden test.

  dump_inputs.py OUT_DIR      writes crafted-*.der into OUT_DIR
"""
import os
import random
import sys


def length(n):
    if n < 0x80:
        return bytes([n])
    body = n.to_bytes((n.bit_length() + 7) // 8, "big")
    return bytes([0x80 | len(body)]) + body


def tlv(tag, content, constructed=False, cls=0):
    first = (cls << 6) | (0x20 if constructed else 0)
    if tag < 31:
        head = bytes([first | tag])
    else:
        digits = []
        while True:
            digits.append(tag & 0x7F)
            tag >>= 7
            if not tag:
                break
        digits.reverse()
        head = bytes([first | 0x1F]) + bytes([d | 0x80 for d in digits[:-1]] + [digits[-1]])
    return head + length(len(content)) + content


def seq(*items):
    return tlv(16, b"".join(items), constructed=True)


def indefinite(tag, *items, cls=0):
    first = (cls << 6) | 0x20 | tag
    return bytes([first, 0x80]) + b"".join(items) + b"\0\0"


def values():
    """Primitive values of every universal type, sound and broken."""
    v = []
    v += [tlv(1, b"\xff"), tlv(1, b"\0"), tlv(1, b""), tlv(1, b"\1\2")]  # BOOLEAN, bad lengths
    for raw in [b"", b"\0", b"\x7f", b"\x80", b"\xff", b"\1\0\0\0", b"\xff\0\0\0\0", b"\0\xff\xff\xff\xff",
                b"\x80" + b"\0" * 7, b"\x7f" + b"\xff" * 7, b"\xff" * 8, b"\x80" + b"\0" * 8,
                bytes(range(1, 40)), b"\xff" * 20 + b"\x01", b"\0" * 12]:
        v += [tlv(2, raw), tlv(10, raw)]  # INTEGER, ENUMERATED
    v += [tlv(3, b""), tlv(3, b"\0"), tlv(3, b"\3\xa0"), tlv(3, b"\x08\xff"), tlv(3, b"\0" + bytes(range(30)))]
    v += [tlv(4, b""), tlv(4, bytes(range(256))), tlv(5, b""), tlv(5, b"\0")]
    for oid in [b"\x2a\x86\x48\x86\xf7\x0d\x01\x01\x0b", b"\x55\x04\x03", b"\x06", b"\x81\x80\x80\x80\x80\x80\x80\x80\x80\x01\x05",
                b"\x88\x37\x01", b"\x80\x80\x80\x80\x80\x80\x80\x80\x80\x80\x01", b"\x2b\x80", b""]:
        v += [tlv(6, oid), tlv(13, oid)]
    for real in [b"", b"\x40", b"\x41", b"\x42", b"\x43", b"\x80\x00\x01", b"\x81\x00\x01\x03", b"\xc0\x02\x05",
                 b"\x03" + b"1.5E1", b"\x01" + b"  12", b"\x02" + b"-1.25", b"\x04", b"\x83\x01", b"\xa0\x01\x01",
                 b"\x80\xff\xff\xff\xff\x01", b"\x82\x00\x01\x00\x05", b"\xbc\x01\x02"]:
        v.append(tlv(9, real))
    texts = ["plain", "with <xml> & \"quotes\"", "tab\there", "ctl\x01\x1f", "latin \xe9\xff", "\u20ac uni", "\U0001f600"]
    for t in texts:
        v.append(tlv(12, t.encode("utf-8")))
        v.append(tlv(30, t.encode("utf-16-be", errors="surrogatepass")))
        v.append(tlv(28, t.encode("utf-32-be")))
        for tag in (18, 19, 20, 21, 22, 25, 26, 27):
            v.append(tlv(tag, t.encode("latin-1", errors="replace")))
    v += [tlv(12, b"\xc3\x28 bad \xed\xa0\x80 \xf4\x90\x80\x80 \xe2\x82"), tlv(30, b"\0a\0"), tlv(28, b"\0\0\0a\0"),
          tlv(28, b"\0\x11\0\0"), tlv(30, b"\xd8\x00\0a")]
    for t in [b"991231235959Z", b"500101000000Z", b"0001010000Z", b"991231235959+0100", b"9912312359Z",
              b"991331235959Z", b"99123123595", b"ab1231235959Z", b"991231246060Z", b"", b"99123123595Z"]:
        v.append(tlv(23, t))
    for t in [b"20240229120000Z", b"20230229120000Z", b"19991231235959.123Z", b"2024022912Z", b"202402291200",
              b"20240229120000+0130", b"20240229120000,5", b"2024", b"20241301000000Z", b"20240101250000Z",
              b"20240101000000.Z", b"2024010100000", b"x0240101000000Z"]:
        v.append(tlv(24, t))
    v += [tlv(7, b"descr"), tlv(8, b"\1\2"), tlv(11, b"\1"), tlv(14, b"\1\2"), tlv(29, b"\3"), tlv(31, b"big"),
          tlv(99, b"x"), tlv(100, b"\1\2\3"), tlv(0x10000, b"\1"), tlv(2 ** 35, b"\1"), tlv(2 ** 70, b"\1\2")]
    for cls in (1, 2, 3):
        v += [tlv(0, b"\1\2\3", cls=cls), tlv(5, b"", cls=cls), tlv(200, b"\xab", cls=cls),
              tlv(2, tlv(2, b"\1\2\3\4\5\6"), constructed=True, cls=cls)]
    return v


def encapsulations():
    inner = seq(tlv(2, b"\1"), tlv(6, b"\x55\x04\x03"), tlv(23, b"991231235959Z"))
    return [
        tlv(4, inner), tlv(3, b"\0" + inner), tlv(3, b"\1" + inner),
        tlv(4, tlv(4, tlv(4, tlv(1, b"\xff")))),
        tlv(4, seq(tlv(2, b"\1")) + b"\0"),                 # two elements: stays hex
        tlv(4, b"\x30\x80" + tlv(2, b"\1") + b"\0\0"),      # indefinite inside
        tlv(4, b"\x30\x03\x02\x05\x01"),                    # inner length breaks: unwinds
        tlv(3, b"\0\x30\x04\x02\x01\x05\x3f"),              # bad nested header
        tlv(4, tlv(1, b"\1\2")), tlv(4, tlv(23, b"bad")), tlv(3, b"\0" + tlv(3, b"\x09\1")),
        tlv(2, tlv(2, b"\1"), constructed=True),            # constructed INTEGER
        tlv(3, tlv(3, b"\0\xff") + tlv(3, b"\4\xf0"), constructed=True),
        tlv(4, tlv(4, b"ab") + tlv(4, b"cd"), constructed=True),
        tlv(23, tlv(4, b"x"), constructed=True),
    ]


def document(rng, depth):
    vals = values()
    items = []
    for _ in range(rng.randint(2, 8)):
        r = rng.random()
        if r < 0.5:
            items.append(rng.choice(vals))
        elif r < 0.65:
            items.append(rng.choice(encapsulations()))
        elif depth > 0 and r < 0.85:
            items.append(seq(*document(rng, depth - 1)))
        elif depth > 0:
            items.append(indefinite(rng.choice((16, 17, 1)), *document(rng, depth - 1), cls=rng.choice((0, 2))))
    return items


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    files = {
        "crafted-values.der": seq(*values()),
        "crafted-top-level.der": b"".join(values()),
        "crafted-encapsulation.der": seq(*encapsulations()),
        "crafted-deep.der": b"\x30\x80" * 2000 + tlv(5, b"") + b"\0\0" * 2000,
        "crafted-many-siblings.der": seq(*[seq(tlv(2, i.to_bytes(3, "big")), tlv(23, b"991231235959Z"),
                                               tlv(1, b"\xff")) for i in range(3000)]),
        "crafted-truncated.der": seq(*values())[:-7],
        "crafted-bad-header-late.der": seq(tlv(2, b"\1"), tlv(5, b"")) + b"\x30\x85\1\1\1\1\1",
        "crafted-indefinite-primitive.der": b"\x04\x80\x01\x02\0\0",
        "crafted-eoc-only.der": b"\0\0\0\0",
        "crafted-empty.der": b"",
    }
    rng = random.Random(15)
    for i in range(6):
        files["crafted-random-%d.der" % i] = seq(*document(rng, 4))
    for name, data in files.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
