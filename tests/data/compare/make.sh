#!/usr/bin/env bash
# Makes the pairs of the bramlet-dump --diff tests with openssl, from the CA and
# keys in samples/ (run it from anywhere). Dates, serials and CRL numbers are
# fixed and the CA signs with RSA, so a rerun gives the same bytes, except for
# renewed-key.pem, made once and kept.
#   renew-a.der, renew-b.der    a certificate and its renewal: new serial, validity, key, signature
#   ext-a.der, ext-b.der        the same certificate without and with an extended key usage
#   crl-a.der, crl-b.der        a CRL and the next one: an entry removed, one added, a reason changed
#   bundle-a.p7b, bundle-b.p7b  certs-only PKCS#7 of the chain, and with one certificate more
#   cert-ber.der                samples/cert.der in BER: indefinite and long-form lengths, a
#                               constructed OCTET STRING and a BOOLEAN true written as 01
#   cms-der.der                 samples/cms-stream.der (BER, streamed) written again by openssl in DER
#   *.expected are not made here: the lines bramlet-dump --diff must write for the pairs
#   (tests/app/dump_diff_test.py), checked by hand against openssl asn1parse
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
s=$(cd "$here/../../../samples" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$here"

[ -f renewed-key.pem ] || openssl genpkey -quiet -algorithm EC -pkeyopt ec_paramgen_curve:P-256 \
  -pkeyopt ec_param_enc:named_curve -out renewed-key.pem

cat >"$work/ca.cnf" <<EOF
[ ca ]
default_ca = test_ca
[ test_ca ]
dir = $work
database = \$dir/index.txt
new_certs_dir = \$dir
serial = \$dir/serial
crlnumber = \$dir/crlnumber
default_md = sha256
policy = any
unique_subject = no
[ any ]
commonName = supplied
organizationName = optional
[ req ]
distinguished_name = dn
prompt = no
[ dn ]
CN = unused
[ leaf ]
basicConstraints = critical, CA:FALSE
keyUsage = critical, digitalSignature
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
subjectAltName = DNS:device.example.test
[ leaf_eku ]
basicConstraints = critical, CA:FALSE
keyUsage = critical, digitalSignature
extendedKeyUsage = clientAuth
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
subjectAltName = DNS:device.example.test
[ crl_ext ]
authorityKeyIdentifier = keyid
EOF
# Each output starts from an empty database with its own serial and CRL number.
ca_reset() { : >"$work/index.txt"; echo "$1" >"$work/serial"; echo "${2:-1000}" >"$work/crlnumber"; }
ca() { openssl ca -config "$work/ca.cnf" -batch -notext -cert "$s/ca.pem" -keyfile "$s/ca-key.pem" "$@" 2>/dev/null; }
issue() {  # key, serial, extensions, start, end, output
  ca_reset "$2"
  openssl req -new -config "$work/ca.cnf" -key "$1" -subj "/O=Bramlet Samples/CN=device.example.test" -out "$work/req.csr"
  ca -extensions "$3" -startdate "$4" -enddate "$5" -in "$work/req.csr" -out "$work/out.pem"
  openssl x509 -in "$work/out.pem" -outform DER -out "$6"
}

issue "$s/ec-key.pem" 5001 leaf 20250101000000Z 20260101000000Z renew-a.der
issue renewed-key.pem 5002 leaf 20260101000000Z 20270101000000Z renew-b.der
issue "$s/ec-key.pem" 5001 leaf 20250101000000Z 20260101000000Z ext-a.der
issue "$s/ec-key.pem" 5001 leaf_eku 20250101000000Z 20260101000000Z ext-b.der

# Yesterday's CRL and today's: 1002 is gone, 1007 is new, 1005's reason is now a key compromise.
crl() {  # crl number, last update, next update, output; the index on standard input
  ca_reset 01 "$1"
  cat >"$work/index.txt"
  ca -gencrl -crlexts crl_ext -crl_lastupdate "$2" -crl_nextupdate "$3" -out "$work/crl.pem"
  openssl crl -in "$work/crl.pem" -outform DER -out "$4"
}
crl 1000 20250401000000Z 20250501000000Z crl-a.der <<'EOF'
R	350101000000Z	250301120000Z	1001	unknown	/CN=revoked one
R	350101000000Z	250302120000Z,superseded	1002	unknown	/CN=revoked two
R	350101000000Z	250303120000Z,keyTime,20250228000000Z	1003	unknown	/CN=revoked three
R	350101000000Z	250305120000Z,cessationOfOperation	1005	unknown	/CN=revoked five
EOF
crl 1001 20250402000000Z 20250502000000Z crl-b.der <<'EOF'
R	350101000000Z	250301120000Z	1001	unknown	/CN=revoked one
R	350101000000Z	250303120000Z,keyTime,20250228000000Z	1003	unknown	/CN=revoked three
R	350101000000Z	250305120000Z,keyCompromise	1005	unknown	/CN=revoked five
R	350101000000Z	250401090000Z,superseded	1007	unknown	/CN=revoked seven
EOF

openssl crl2pkcs7 -nocrl -certfile "$s/cert.pem" -certfile "$s/ca.pem" -outform DER -out bundle-a.p7b
openssl crl2pkcs7 -nocrl -certfile "$s/cert.pem" -certfile "$s/p256-cert.pem" -certfile "$s/ca.pem" \
  -outform DER -out bundle-b.p7b

openssl cms -cmsout -inform DER -in "$s/cms-stream.der" -outform DER -out cms-der.der

# BER of the sample certificate, written element by element (no tool writes these forms on
# purpose). Elements are picked by their place: child indexes from the top.
python3 - "$s/cert.der" cert-ber.der <<'EOF'
import sys

data = open(sys.argv[1], "rb").read()
# Certificate indefinite; tbsCertificate.serialNumber in a long-form length; issuer's length
# in three octets; validity indefinite; extensions[0].critical as 01; extensions[9].extnValue
# (the comment) in two segments of a constructed OCTET STRING of indefinite length.
styles = {(0,): "indefinite", (0, 0, 1): "long", (0, 0, 3): "long", (0, 0, 4): "indefinite",
          (0, 0, 7, 0, 0, 1): "true01", (0, 0, 7, 0, 9, 1): "segments"}


def length(n):
    if n < 0x80:
        return bytes([n])
    octets = n.to_bytes((n.bit_length() + 7) // 8, "big")
    return bytes([0x80 | len(octets)]) + octets


# Parse into nodes in document order; a parent comes before its children.
nodes, stack, at = [], [], 0
while at < len(data):
    while stack and at == stack[-1][1]:
        stack.pop()
    start = at
    at += 1
    if data[start] & 0x1F == 0x1F:
        while data[at] & 0x80:
            at += 1
        at += 1
    tag = data[start:at]
    n = data[at]
    at += 1
    if n & 0x80:
        n, at = int.from_bytes(data[at:at + (n & 0x7F)], "big"), at + (n & 0x7F)
    parent = stack[-1][0] if stack else None
    place = (nodes[parent]["place"] if parent is not None else ()) + \
        (len(nodes[parent]["children"]) if parent is not None else sum(1 for x in nodes if x["parent"] is None),)
    node = {"tag": tag, "parent": parent, "place": place, "children": [], "contents": data[at:at + n]}
    if parent is not None:
        nodes[parent]["children"].append(len(nodes))
    nodes.append(node)
    if tag[0] & 0x20:
        stack.append((len(nodes) - 1, at + n))
    else:
        at += n

# Encode from the last node back, so that children are ready before their parent.
encoded = [b""] * len(nodes)
for i in range(len(nodes) - 1, -1, -1):
    node = nodes[i]
    tag = node["tag"]
    body = b"".join(encoded[c] for c in node["children"]) if tag[0] & 0x20 else node["contents"]
    style = styles.get(node["place"])
    if style == "true01":
        body = b"\x01"
    if style == "segments":
        half = len(body) // 2
        body = b"".join(tag + length(len(part)) + part for part in (body[:half], body[half:]))
        tag = bytes([tag[0] | 0x20]) + tag[1:]
    if style in ("indefinite", "segments"):
        encoded[i] = tag + b"\x80" + body + b"\x00\x00"
    elif style == "long":
        encoded[i] = tag + b"\x82" + len(body).to_bytes(2, "big") + body
    else:
        encoded[i] = tag + length(len(body)) + body
open(sys.argv[2], "wb").write(b"".join(encoded[i] for i, x in enumerate(nodes) if x["parent"] is None))
EOF

# Pairs made by editing a real file's elements (the signatures are left as they were; the
# comparison does not verify them). From renew-a.der and bundle-a.p7b:
#   rdn-swap.der     the subject's two RDNs in the other order: another name
#   ext-swap.der     the first two extensions in the other order: the same extensions
#   serial-00.der    the serial number with a redundant leading 00: the same number
#   ku-zero.der      the keyUsage's named bits with zero bits trailing them: the same bits
#   bundle-swap.p7b  the bundle's SET OF certificates in the other order
#   bundle-other.p7b bundle-b.p7b without its first certificate: one certificate in place of another
#   ou-a.der, ou-b.der  subjects CN, OU=one, OU=two, O and CN, OU=two, OU=three, O: in a
#                    SEQUENCE OF, one RDN taken out and one put in
#   ou-dup-a.der, ou-dup-b.der  CN, OU=one, OU=two, OU=two, O and CN, OU=two, OU=two, OU=three, O:
#                    the same, aligned on RDNs that are not unique
python3 - <<'EOF'
def parse(data):
    """DER (one-octet tags, definite lengths) into [tag, contents or children] nodes."""
    nodes, at = [], 0
    while at < len(data):
        tag, n = data[at:at + 1], data[at + 1]
        at += 2
        if n & 0x80:
            n, at = int.from_bytes(data[at:at + (n & 0x7F)], "big"), at + (n & 0x7F)
        body = data[at:at + n]
        at += n
        nodes.append([tag, parse(body) if tag[0] & 0x20 else body])
    return nodes


def encode(nodes):
    out = b""
    for tag, body in nodes:
        body = encode(body) if isinstance(body, list) else body
        n = len(body)
        size = bytes([n]) if n < 0x80 else bytes([0x80 | (n.bit_length() + 7) // 8]) + n.to_bytes((n.bit_length() + 7) // 8, "big")
        out += tag + size + body
    return out


def edited(source, target, edit):
    doc = parse(open(source, "rb").read())
    edit(doc[0][1])
    open(target, "wb").write(encode(doc))


def rdn(text):  # OU=text
    return [b"\x31", [[b"\x30", [[b"\x06", b"\x55\x04\x0b"], [b"\x0c", text.encode()]]]]]


def tbs(cert):
    return cert[0][1]


def subject(cert):
    return tbs(cert)[5][1]


def swap(items):
    items[0], items[1] = items[1], items[0]


edited("renew-a.der", "rdn-swap.der", lambda c: swap(subject(c)))
edited("renew-a.der", "ext-swap.der", lambda c: swap(tbs(c)[7][1][0][1]))
edited("renew-a.der", "serial-00.der", lambda c: tbs(c)[1].__setitem__(1, b"\x00" + tbs(c)[1][1]))
def key_usage(cert):  # the extnValue of the extension 2.5.29.15
    return next(x for x in tbs(cert)[7][1][0][1] if x[1][0][1] == b"\x55\x1d\x0f")[1][-1]


edited("renew-a.der", "ku-zero.der", lambda c: key_usage(c).__setitem__(1, b"\x03\x03\x07\x80\x00"))
edited("renew-a.der", "ou-a.der", lambda c: subject(c).__setitem__(slice(1, 1), [rdn("one"), rdn("two")]))
edited("renew-a.der", "ou-b.der", lambda c: subject(c).__setitem__(slice(1, 1), [rdn("two"), rdn("three")]))
edited("renew-a.der", "ou-dup-a.der",
       lambda c: subject(c).__setitem__(slice(1, 1), [rdn("one"), rdn("two"), rdn("two")]))
edited("renew-a.der", "ou-dup-b.der",
       lambda c: subject(c).__setitem__(slice(1, 1), [rdn("two"), rdn("two"), rdn("three")]))
# ContentInfo.content [0] holds the SignedData, whose [0] holds the certificates.
def certificates(info):
    return next(x for x in info[1][1][0][1] if x[0] == b"\xa0")[1]


edited("bundle-a.p7b", "bundle-swap.p7b", lambda ci: swap(certificates(ci)))
edited("bundle-b.p7b", "bundle-other.p7b", lambda ci: certificates(ci).pop(0))
EOF
