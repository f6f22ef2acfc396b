#!/usr/bin/env python3
"""Certificates and CRLs read field by field two ways: bramlet-dump --json's
values (the typed value where there is one) against python-cryptography's
reading of the same DER.

The inputs are the samples and what openssl makes here at run time: an EC CA,
a certificate with every extension openssl writes (SAN with DNS names, IPv4
and IPv6 addresses, a URI, an e-mail address and a registered ID; name
constraints with address masks; CRL distribution points; AIA; all key usages;
extended key usages; basic constraints) valid from 1950 to 2049, a plain leaf,
and a CRL with every reason, entry dates on either side of the UTCTime
century rule and a CRL number. Compared: serial, issuer and subject, validity,
every extension's identifier and criticality and the contents of those
above, the key identifiers, and for CRLs the update times, the CRL number and
each entry's serial, date, reason and invalidity date.

Beside the oracle, rows the UTCTime century and named bits must show with
names on and off: in the tree, in --json and in --check.

  x509_oracle_test.py --dump BRAMLET_DUMP --source SOURCE_DIR

Exits 77 (skipped) without openssl or python3-cryptography.
"""
import argparse
import ipaddress
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

try:
    from cryptography import x509
    from cryptography.x509.oid import CRLEntryExtensionOID
except ImportError:
    print("python3-cryptography is not installed: skipped")
    sys.exit(77)

CA_CONFIG = """\
[ ca ]
default_ca = authority
[ authority ]
dir = .
database = ./index.txt
new_certs_dir = .
serial = ./serial
crlnumber = ./crlnumber
default_md = sha256
policy = anything
preserve = yes
unique_subject = no
[ anything ]
countryName = optional
organizationName = optional
organizationalUnitName = optional
commonName = optional
emailAddress = optional
[ everything ]
basicConstraints = critical, CA:TRUE, pathlen:2
keyUsage = critical, digitalSignature, nonRepudiation, keyEncipherment, dataEncipherment, keyAgreement, \
keyCertSign, cRLSign, encipherOnly, decipherOnly
extendedKeyUsage = serverAuth, clientAuth, codeSigning, emailProtection, timeStamping, OCSPSigning, 1.2.3.4.5
subjectAltName = DNS:www.example.test, DNS:*.example.test, IP:192.0.2.10, IP:2001:db8::1, \
IP:2001:db8:0:1:1:1:1:1, IP:::, IP:fe80::1:0:0:1, IP:::ffff:192.0.2.1, URI:https://example.test/path?q=1, \
email:user@example.test, \
RID:1.2.3.4
nameConstraints = critical, permitted;DNS:.example.test, permitted;IP:192.0.2.0/255.255.255.0, \
permitted;IP:2001:db8::/ffff:ffff::, permitted;email:example.test, permitted;URI:.example.test, \
excluded;DNS:bad.example.test, excluded;IP:10.0.0.0/255.0.0.0
crlDistributionPoints = URI:http://crl.example.test/a.crl, URI:ldap://ldap.example.test/cn=CA
authorityInfoAccess = OCSP;URI:http://ocsp.example.test/, caIssuers;URI:http://ca.example.test/ca.cer
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
issuerAltName = URI:http://issuer.example.test/, email:ca@example.test
certificatePolicies = 2.23.140.1.2.1, @policy
[ policy ]
policyIdentifier = 1.3.6.1.4.1.55555.1
CPS.1 = "http://cps.example.test/"
userNotice.1 = @notice
[ notice ]
explicitText = "Notice text"
[ plain ]
basicConstraints = CA:FALSE
keyUsage = digitalSignature, keyAgreement
extendedKeyUsage = clientAuth
subjectAltName = email:plain@example.test, IP:198.51.100.7
[ crl ]
authorityKeyIdentifier = keyid
issuingDistributionPoint = critical, @distribution
[ distribution ]
fullname = URI:http://crl.example.test/a.crl
onlysomereasons = keyCompromise, CACompromise, superseded
onlyuser = TRUE
"""

# Revoked entries: serial, revocation date, reason (and its arguments) as openssl's index takes them.
REVOKED = [
    ("2002", "500101120100Z", "keyCompromise"),
    ("2003", "691231235959Z", "CACompromise"),
    ("2004", "700101000000Z", "affiliationChanged"),
    ("2005", "491231235959Z", "superseded"),
    ("2006", "250301120000Z", "cessationOfOperation"),
    ("2007", "250301120000Z", "certificateHold,holdInstructionReject"),
    ("2008", "250301120000Z", "removeFromCRL"),
    ("2009", "250301120000Z", "keyTime,20250101000000Z"),
    ("200A", "250301120000Z", "unspecified"),
    ("7FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF", "250301120000Z", ""),
]

KEY_USAGES = [("digital_signature", "digitalSignature"), ("content_commitment", "nonRepudiation"),
              ("key_encipherment", "keyEncipherment"), ("data_encipherment", "dataEncipherment"),
              ("key_agreement", "keyAgreement"), ("key_cert_sign", "keyCertSign"), ("crl_sign", "cRLSign")]

# ReasonFlags in the order of their bits.
REASON_BITS = [x509.ReasonFlags.unspecified, x509.ReasonFlags.key_compromise, x509.ReasonFlags.ca_compromise,
               x509.ReasonFlags.affiliation_changed, x509.ReasonFlags.superseded,
               x509.ReasonFlags.cessation_of_operation, x509.ReasonFlags.certificate_hold,
               x509.ReasonFlags.privilege_withdrawn, x509.ReasonFlags.aa_compromise]


def openssl(*arguments, cwd):
    done = subprocess.run(["openssl", *arguments], cwd=cwd, capture_output=True, text=True)
    if done.returncode != 0:
        raise RuntimeError(f"openssl {' '.join(arguments)}: {done.stderr.strip()}")


def make_inputs(work):
    """The certificates and the CRL openssl makes, as DER files in work."""
    with open(os.path.join(work, "ca.cnf"), "w") as f:
        f.write(CA_CONFIG)
    with open(os.path.join(work, "serial"), "w") as f:
        f.write("1001\n")
    with open(os.path.join(work, "crlnumber"), "w") as f:
        f.write("1000\n")
    open(os.path.join(work, "index.txt"), "w").close()
    for key in ("ca", "everything", "plain"):
        openssl("ecparam", "-name", "prime256v1", "-genkey", "-noout", "-out", f"{key}.key", cwd=work)
    openssl("req", "-x509", "-new", "-key", "ca.key", "-subj", "/C=DE/O=Bramlet Oracle/CN=Oracle CA",
            "-days", "3650", "-out", "ca.pem", cwd=work)
    leaves = [("everything", "/C=DE/O=Bramlet Oracle/OU=Unit/CN=Everything/emailAddress=leaf@example.test",
               "500101120100Z", "491231235959Z"),
              ("plain", "/CN=Plain \u00e9t\u00e9/O=Bramlet Oracle", "250101000000Z", "20500101000000Z")]
    for name, subject, start, end in leaves:
        openssl("req", "-new", "-utf8", "-key", f"{name}.key", "-subj", subject, "-out", f"{name}.csr", cwd=work)
        openssl("ca", "-batch", "-notext", "-utf8", "-config", "ca.cnf", "-cert", "ca.pem", "-keyfile", "ca.key",
                "-in", f"{name}.csr", "-startdate", start, "-enddate", end, "-extfile", "ca.cnf",
                "-extensions", name, "-out", f"{name}.pem", cwd=work)
    with open(os.path.join(work, "index.txt"), "a") as f:
        for serial, date, reason in REVOKED:
            revoked = f"{date},{reason}" if reason else date
            f.write(f"R\t491231235959Z\t{revoked}\t{serial}\tunknown\t/CN={serial}\n")
    openssl("ca", "-gencrl", "-config", "ca.cnf", "-cert", "ca.pem", "-keyfile", "ca.key", "-crlexts", "crl",
            "-crl_lastupdate", "690101000000Z", "-crl_nextupdate", "691231235959Z", "-out", "crl.pem", cwd=work)
    made = []
    for name in ("ca", "everything", "plain"):
        openssl("x509", "-in", f"{name}.pem", "-outform", "DER", "-out", f"{name}.der", cwd=work)
        made.append(os.path.join(work, f"{name}.der"))
    openssl("crl", "-in", "crl.pem", "-outform", "DER", "-out", "crl.der", cwd=work)
    made.append(os.path.join(work, "crl.der"))
    return made


def dump_json(path, *options):
    out = subprocess.run([args.dump, "--json", *options, path], capture_output=True, check=True).stdout
    return json.loads(out)


def shown(element):
    """The value a row shows: the typed value where the type gives one."""
    return element.get("typedValue", element.get("value"))


class Fields:
    """The primitive elements of bramlet-dump --json by path, in document order."""

    def __init__(self, document):
        self.elements = []

        def walk(e):
            self.elements.append(e)
            for child in e.get("children", []):
                walk(child)
        for e in document["elements"]:
            walk(e)
        self.by_path = {}
        for e in self.elements:
            if not e["constructed"]:
                self.by_path.setdefault(e["path"], []).append(e)

    def value(self, path):
        found = self.by_path.get(path, [])
        return shown(found[-1]) if found else None

    def items(self, prefix):
        """(index, rest of the path, value) of the primitives under prefix[index]."""
        pattern = re.compile(re.escape(prefix) + r"\[(\d+)\]\.?(.*)$")
        out = []
        for path, found in self.by_path.items():
            m = pattern.match(path)
            if m:
                out.append((int(m.group(1)), m.group(2), shown(found[-1])))
        return sorted(out, key=lambda item: item[0])


def oid_of(text):
    return text.split(" - ")[0] if text else text


def time_text(moment):
    return moment.strftime("%Y-%m-%d %H:%M:%S UTC") if moment else None


def when(item, name):
    """A time attribute; cryptography 42 on names the UTC one ..._utc and deprecates the other."""
    return getattr(item, name + "_utc", None) or getattr(item, name)


def serial_text(number):
    octets = number.to_bytes(number.bit_length() // 8 + 1, "big", signed=True)
    return ":".join("%02X" % b for b in octets) + f" ({number})"


def hex_text(octets):
    return " ".join("%02X" % b for b in octets)


def address_text(value):
    """RFC 5952 text of an address or network (Python writes a v4-mapped address in hexadecimal)."""
    address = value.network_address if isinstance(value, (ipaddress.IPv4Network, ipaddress.IPv6Network)) else value
    text = str(value)
    if address.version == 6 and address.ipv4_mapped is not None:
        text = text.replace(str(address), "::ffff:" + str(address.ipv4_mapped))
    return text


def general_name(name):
    """(alternative, text) of a cryptography GeneralName, or None for one not compared."""
    if isinstance(name, x509.DNSName):
        return "dNSName", name.value
    if isinstance(name, x509.RFC822Name):
        return "rfc822Name", name.value
    if isinstance(name, x509.UniformResourceIdentifier):
        return "uniformResourceIdentifier", name.value
    if isinstance(name, x509.IPAddress):
        return "iPAddress", address_text(name.value)
    if isinstance(name, x509.RegisteredID):
        return "registeredID", name.value.dotted_string
    return None


class Comparison:
    def __init__(self, label):
        self.label, self.failures, self.compared = label, [], 0

    def same(self, what, ours, theirs):
        self.compared += 1
        if ours != theirs:
            self.failures.append(f"{self.label}: {what}: bramlet {ours!r}, cryptography {theirs!r}")

    def names(self, f, prefix, names):
        """A Name's RDNs, attribute by attribute."""
        theirs = [(i, j, a.oid.dotted_string, a.value) for i, rdn in enumerate(names.rdns)
                  for j, a in enumerate(rdn)]
        ours = []
        for i, rest, value in f.items(prefix + ".rdnSequence"):
            m = re.match(r"\[(\d+)\]\.(type|value.*)$", rest)
            if m and m.group(2) == "type":
                ours.append([i, int(m.group(1)), oid_of(value), None])
            elif m and ours:
                ours[-1][3] = value
        self.same(prefix, [tuple(o) for o in ours], theirs)

    def general_names(self, f, prefix, names, suffix=""):
        theirs = [n for n in (general_name(name) for name in names) if n is not None]
        ours = []
        for _, rest, value in f.items(prefix):
            alt = rest[len(suffix):] if rest.startswith(suffix) else rest
            if alt in ("dNSName", "rfc822Name", "uniformResourceIdentifier", "iPAddress"):
                ours.append((alt, value))
            elif alt == "registeredID":
                ours.append((alt, oid_of(value)))
        self.same(prefix, ours, theirs)


def compare_extension(c, f, at, ext):
    value = ext.value
    if isinstance(value, x509.BasicConstraints):
        c.same("cA", f.value(at + ".BasicConstraints.cA") == "True", value.ca)
        length = f.value(at + ".BasicConstraints.pathLenConstraint")
        c.same("pathLenConstraint", None if length is None else int(length), value.path_length)
    elif isinstance(value, x509.KeyUsage):
        theirs = [name for attribute, name in KEY_USAGES if getattr(value, attribute)]
        if value.key_agreement:
            theirs += [name for attribute, name in (("encipher_only", "encipherOnly"),
                                                    ("decipher_only", "decipherOnly")) if getattr(value, attribute)]
        ours = f.value(at + ".KeyUsage") or ""
        c.same("KeyUsage", ours.split(" (")[0].split(", "), theirs)
    elif isinstance(value, x509.ExtendedKeyUsage):
        c.same("ExtKeyUsageSyntax", [oid_of(v) for _, _, v in f.items(at + ".ExtKeyUsageSyntax")],
               [oid.dotted_string for oid in value])
    elif isinstance(value, (x509.SubjectAlternativeName, x509.IssuerAlternativeName)):
        name = "SubjectAltName" if isinstance(value, x509.SubjectAlternativeName) else "IssuerAltName"
        c.general_names(f, f"{at}.{name}", value)
    elif isinstance(value, x509.NameConstraints):
        for field, subtrees in (("permittedSubtrees", value.permitted_subtrees),
                                ("excludedSubtrees", value.excluded_subtrees)):
            c.general_names(f, f"{at}.NameConstraints.{field}", subtrees or [], suffix="base.")
    elif isinstance(value, x509.CRLDistributionPoints):
        ours = [(i, v) for i, rest, v in f.items(at + ".CRLDistributionPoints")
                if rest.endswith("uniformResourceIdentifier")]
        theirs = [(i, n.value) for i, point in enumerate(value) for n in point.full_name or []
                  if isinstance(n, x509.UniformResourceIdentifier)]
        c.same("CRLDistributionPoints", ours, theirs)
    elif isinstance(value, x509.AuthorityInformationAccess):
        items = f.items(at + ".AuthorityInfoAccessSyntax")
        ours = [(oid_of(v), next((w for j, r, w in items if j == i and r.startswith("accessLocation.")), None))
                for i, rest, v in items if rest == "accessMethod"]
        theirs = [(d.access_method.dotted_string, general_name(d.access_location)[1]) for d in value]
        c.same("AuthorityInfoAccessSyntax", ours, theirs)
    elif isinstance(value, x509.SubjectKeyIdentifier):
        c.same("SubjectKeyIdentifier", f.value(at + ".SubjectKeyIdentifier"), hex_text(value.digest))
    elif isinstance(value, x509.AuthorityKeyIdentifier):
        c.same("keyIdentifier", f.value(at + ".AuthorityKeyIdentifier.keyIdentifier"),
               hex_text(value.key_identifier) if value.key_identifier else None)
    elif isinstance(value, x509.CertificatePolicies):
        items = f.items(at + ".CertificatePolicies")
        ours = [(oid_of(v), [w for j, r, w in items if j == i and r.startswith("policyQualifiers") and
                             (r.endswith("CPSuri") or ".explicitText." in r)])
                for i, rest, v in items if rest == "policyIdentifier"]
        theirs = [(p.policy_identifier.dotted_string,
                   [q if isinstance(q, str) else q.explicit_text for q in p.policy_qualifiers or []])
                  for p in value]
        c.same("CertificatePolicies", ours, theirs)
    elif isinstance(value, x509.IssuingDistributionPoint):
        c.general_names(f, at + ".IssuingDistributionPoint.distributionPoint.fullName", value.full_name or [])
        c.same("onlySomeReasons", (f.value(at + ".IssuingDistributionPoint.onlySomeReasons") or "").split(" (")[0],
               ", ".join(r.value for r in sorted(value.only_some_reasons or [], key=REASON_BITS.index)))
        c.same("onlyContainsUserCerts", f.value(at + ".IssuingDistributionPoint.onlyContainsUserCerts") == "True",
               value.only_contains_user_certs)
    elif isinstance(value, x509.CRLNumber):
        c.same("CRLNumber", int(f.value(at + ".cRLNumber") or -1), value.crl_number)


def compare_extensions(c, f, prefix, extensions):
    for i, ext in enumerate(extensions):
        at = f"{prefix}[{i}]"
        c.same(f"{at}.extnID", oid_of(f.value(at + ".extnID")), ext.oid.dotted_string)
        c.same(f"{at}.critical", f.value(at + ".critical") == "True", ext.critical)
        compare_extension(c, f, at + ".extnValue", ext)


def time_of(f, prefix):
    return f.value(prefix + ".utcTime") or f.value(prefix + ".generalTime")


def compare_certificate(c, f, cert):
    tbs = "Certificate.tbsCertificate"
    c.same("serialNumber", f.value(tbs + ".serialNumber"), serial_text(cert.serial_number))
    c.names(f, tbs + ".issuer", cert.issuer)
    c.names(f, tbs + ".subject", cert.subject)
    c.same("notBefore", time_of(f, tbs + ".validity.notBefore"), time_text(when(cert, "not_valid_before")))
    c.same("notAfter", time_of(f, tbs + ".validity.notAfter"), time_text(when(cert, "not_valid_after")))
    compare_extensions(c, f, tbs + ".extensions", cert.extensions)


def compare_crl(c, f, crl):
    tbs = "CertificateList.tbsCertList"
    c.names(f, tbs + ".issuer", crl.issuer)
    c.same("thisUpdate", time_of(f, tbs + ".thisUpdate"), time_text(when(crl, "last_update")))
    c.same("nextUpdate", time_of(f, tbs + ".nextUpdate"),
           time_text(when(crl, "next_update")))
    compare_extensions(c, f, tbs + ".crlExtensions", crl.extensions)
    for i, entry in enumerate(crl):
        at = f"{tbs}.revokedCertificates[{i}]"
        c.same(at + ".userCertificate", f.value(at + ".userCertificate"), serial_text(entry.serial_number))
        c.same(at + ".revocationDate", time_of(f, at + ".revocationDate"), time_text(when(entry, "revocation_date")))
        for j, ext in enumerate(entry.extensions):
            value_at = f"{at}.crlEntryExtensions[{j}].extnValue"
            c.same(f"{at} extension {j}", oid_of(f.value(f"{at}.crlEntryExtensions[{j}].extnID")),
                   ext.oid.dotted_string)
            if ext.oid == CRLEntryExtensionOID.CRL_REASON:
                c.same(value_at, (f.value(value_at + ".CRLReason") or "").split(" (")[0], ext.value.reason.value)
            elif ext.oid == CRLEntryExtensionOID.INVALIDITY_DATE:
                c.same(value_at, f.value(value_at + ".invalidityDate"), time_text(ext.value.invalidity_date))


def oracle(paths):
    failures, compared = [], 0
    for path in paths:
        with open(path, "rb") as file:
            data = file.read()
        f = Fields(dump_json(path))
        top = f.elements[0]["path"] if f.elements else ""
        c = Comparison(os.path.relpath(path, args.source) if path.startswith(args.source) else os.path.basename(path))
        if top == "Certificate":
            compare_certificate(c, f, x509.load_der_x509_certificate(data))
        elif top == "CertificateList":
            compare_crl(c, f, x509.load_der_x509_crl(data))
        else:
            c.failures.append(f"{c.label}: named {top!r}, not a certificate or CRL")
        print(f"{c.label}: {c.compared} fields compared, {len(c.failures)} differ")
        failures += c.failures
        compared += c.compared
    return failures, compared


def keyusage_with_trailing_zero(work):
    """samples/cert.der with its keyUsage's BIT STRING as 03 03 07 06 00: keyCertSign and
    cRLSign, then a zero bit DER leaves out; the walk reads 06 00 as an empty OID."""
    from pyasn1.codec.der import decoder, encoder
    from pyasn1.type import univ
    from pyasn1_modules import rfc5280
    with open(os.path.join(args.source, "samples", "cert.der"), "rb") as file:
        cert, _ = decoder.decode(file.read(), asn1Spec=rfc5280.Certificate())
    for ext in cert["tbsCertificate"]["extensions"]:
        if ext["extnID"] == rfc5280.id_ce_keyUsage:
            ext["extnValue"] = univ.OctetString(bytes.fromhex("0303070600"))
    path = os.path.join(work, "keyusage.der")
    with open(path, "wb") as file:
        file.write(encoder.encode(cert))
    return path


def rules_of(path, *options):
    out = subprocess.run([args.dump, "--check", *options, path], capture_output=True, text=True).stdout
    return [line.split("\t")[1] for line in out.splitlines()]


def tree_lines(path, *options):
    out = subprocess.run([args.dump, "--no-attributes", *options, path], capture_output=True, text=True).stdout
    return [line.strip() for line in out.splitlines()]


def rows(work, everything, crl):
    """What a few elements show with names on and off, by offset: (file, path, names on, names off)."""
    failures = []
    table = [
        (everything, "Certificate.tbsCertificate.validity.notBefore.utcTime",
         "1950-01-01 12:01:00 UTC", "2050-01-01 12:01:00 UTC"),
        (everything, "Certificate.tbsCertificate.validity.notAfter.utcTime",
         "2049-12-31 23:59:59 UTC", "2049-12-31 23:59:59 UTC"),
        (crl, "CertificateList.tbsCertList.thisUpdate.utcTime", "1969-01-01 00:00:00 UTC", "2069-01-01 00:00:00 UTC"),
        (crl, "CertificateList.tbsCertList.revokedCertificates[2].revocationDate.utcTime",
         "1970-01-01 00:00:00 UTC", "1970-01-01 00:00:00 UTC"),
    ]
    keyusage = keyusage_with_trailing_zero(work)
    table.append((keyusage, "Certificate.tbsCertificate.extensions[1].extnValue.KeyUsage",
                  "keyCertSign, cRLSign (00000110 0)", None))
    for path, field, named, unnamed in table:
        on, off = Fields(dump_json(path)), Fields(dump_json(path, "--no-names"))
        at = next((i for i, e in enumerate(on.elements) if e["path"] == field), None)
        if at is None:
            failures.append(f"{field}: not found")
            continue
        got = (shown(on.elements[at]), off.elements[at].get("typedValue", off.elements[at].get("value")))
        if got != (named, unnamed):
            failures.append(f"{field}: shown {got}, wanted {(named, unnamed)}")
        tag = on.elements[at]["tag"]
        lines = (tree_lines(path), tree_lines(path, "--no-names"))
        # The row's label: the field, which a Time's alternative adds nothing to.
        label = re.sub(r"\[\d+\]$", "", field.removesuffix(".utcTime").rsplit(".", 1)[-1])
        wanted = (f"{label} {tag}: {named}", f"{tag}: {unnamed}" if unnamed else None)
        if wanted[0] not in lines[0] or (wanted[1] and wanted[1] not in lines[1]):
            failures.append(f"{field}: the tree lacks {wanted}")
    # Named bits hold no DER: no finding from inside them, named or not; the
    # BIT STRING's own fault stays.
    for options in ((), ("--no-names",)):
        rules = rules_of(keyusage, *options)
        if "oid-empty" in rules or "named-bits-trailing-zero" not in rules:
            failures.append(f"keyusage.der --check {' '.join(options)}: rules {rules}")
    # With names, --json lists nothing inside them either.
    bits = next(e for e in Fields(dump_json(keyusage)).elements if e["path"].endswith(".KeyUsage"))
    if bits.get("encapsulates") or bits.get("children"):
        failures.append(f"keyusage.der --json: KeyUsage still encapsulates {bits.get('children')}")
    return failures


def main():
    if shutil.which("openssl") is None:
        print("openssl is not installed: skipped")
        return 77
    with tempfile.TemporaryDirectory() as work:
        made = make_inputs(work)
        samples = [os.path.join(args.source, "samples", name)
                   for name in ("cert.der", "p256-cert.der", "ed25519-cert.der", "crl.der")]
        failures, compared = oracle(samples + made)
        failures += rows(work, made[1], made[3])
    for failure in failures:
        print("FAIL", failure)
    print(f"{compared} fields compared with cryptography, {len(failures)} failures")
    return 1 if failures or compared == 0 else 0


parser = argparse.ArgumentParser()
parser.add_argument("--dump", required=True)
parser.add_argument("--source", required=True)
args = parser.parse_args()
sys.exit(main())
