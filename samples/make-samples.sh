#!/usr/bin/env bash
# Makes the small real-world inputs in this folder with openssl, and openssl's own
# asn1parse view of each of them in tests/data/asn1parse/ (the app test compares
# bramlet-dump against it). Keys are generated once and kept; run it again and every
# output signed with RSA or Ed25519 comes out byte for byte the same (fixed dates,
# serials and no signing time). ECDSA signatures and the PKCS#12 salts are random.
# Usage: samples/make-samples.sh [--new-keys]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
out=$here
ref=$root/tests/data/asn1parse

command -v openssl >/dev/null || "$root/scripts/setup" openssl
[ "${1:-}" = "--new-keys" ] && rm -f "$out"/*-key.pem "$out"/ca-key.pem

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$ref"

start=20250101000000Z
end=20350101000000Z

# --- keys, made once -------------------------------------------------------
[ -f "$out/ca-key.pem" ] || openssl genpkey -quiet -algorithm RSA -pkeyopt rsa_keygen_bits:2048 -out "$out/ca-key.pem"
[ -f "$out/rsa-key.p8.pem" ] || openssl genpkey -quiet -algorithm RSA -pkeyopt rsa_keygen_bits:2048 -out "$out/rsa-key.p8.pem"
[ -f "$out/ec-key.p8.pem" ] || openssl genpkey -quiet -algorithm EC -pkeyopt ec_paramgen_curve:P-256 \
  -pkeyopt ec_param_enc:named_curve -out "$out/ec-key.p8.pem"
[ -f "$out/ed25519-key.pem" ] || openssl genpkey -quiet -algorithm ED25519 -out "$out/ed25519-key.pem"

# The same keys in the other encodings: PKCS#1 / SEC1 ("traditional") and PKCS#8, PEM and DER.
openssl pkey -in "$out/rsa-key.p8.pem" -outform DER -out "$out/rsa-key.p8.der"
openssl rsa -in "$out/rsa-key.p8.pem" -traditional -out "$out/rsa-key.pem" 2>/dev/null
openssl rsa -in "$out/rsa-key.p8.pem" -traditional -outform DER -out "$out/rsa-key.der" 2>/dev/null
openssl pkey -in "$out/ec-key.p8.pem" -outform DER -out "$out/ec-key.p8.der"
openssl ec -in "$out/ec-key.p8.pem" -out "$out/ec-key.pem" 2>/dev/null
openssl ec -in "$out/ec-key.p8.pem" -outform DER -out "$out/ec-key.der" 2>/dev/null

# --- a tiny CA -------------------------------------------------------------
cat >"$work/ca.cnf" <<EOF
[ ca ]
default_ca = sample_ca
[ sample_ca ]
dir = $work
database = \$dir/index.txt
new_certs_dir = \$dir
serial = \$dir/serial
crlnumber = \$dir/crlnumber
default_md = sha256
policy = any
unique_subject = no
copy_extensions = copy
email_in_dn = yes
[ any ]
countryName = optional
stateOrProvinceName = optional
localityName = optional
organizationName = optional
organizationalUnitName = optional
commonName = supplied
emailAddress = optional
[ req ]
distinguished_name = dn
prompt = no
[ dn ]
CN = unused
[ v3_ca ]
basicConstraints = critical, CA:TRUE, pathlen:0
keyUsage = critical, keyCertSign, cRLSign
subjectKeyIdentifier = hash
[ v3_leaf ]
basicConstraints = critical, CA:FALSE
keyUsage = critical, digitalSignature, keyEncipherment
extendedKeyUsage = serverAuth, clientAuth
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
subjectAltName = DNS:www.example.test, DNS:example.test, IP:192.0.2.10, email:admin@example.test
crlDistributionPoints = URI:http://crl.example.test/sample-ca.crl
authorityInfoAccess = OCSP;URI:http://ocsp.example.test/, caIssuers;URI:http://ca.example.test/sample-ca.cer
certificatePolicies = 2.23.140.1.2.2, @cps
nsComment = "Bramlet sample certificate"
[ cps ]
policyIdentifier = 1.3.6.1.4.1.55555.1.1
CPS.1 = "http://ca.example.test/cps"
userNotice.1 = @notice
[ notice ]
explicitText = "Sample only, do not trust"
[ v3_ed ]
basicConstraints = critical, CA:FALSE
keyUsage = critical, digitalSignature
extendedKeyUsage = codeSigning, timeStamping
subjectKeyIdentifier = hash
[ v3_ec ]
basicConstraints = CA:FALSE
keyUsage = critical, digitalSignature, keyAgreement
extendedKeyUsage = emailProtection, 1.3.6.1.5.5.7.3.9
subjectAltName = email:alice@example.test, otherName:1.3.6.1.4.1.311.20.2.3;UTF8:alice@example.test
authorityKeyIdentifier = keyid, issuer
[ crl_ext ]
authorityKeyIdentifier = keyid
EOF

# openssl ca records issued certificates; start every run from the same empty state.
ca_reset() { : >"$work/index.txt"; echo "$1" >"$work/serial"; echo 1000 >"$work/crlnumber"; }
ca() { openssl ca -config "$work/ca.cnf" -batch -notext "$@" 2>/dev/null; }

ca_reset 01
openssl req -new -config "$work/ca.cnf" -key "$out/ca-key.pem" \
  -subj "/C=DE/O=Bramlet Samples/OU=Test Authority/CN=Bramlet Sample CA" -out "$work/ca.csr"
# A notAfter past 2049 is written as GeneralizedTime, so the CA shows both time types.
ca -selfsign -keyfile "$out/ca-key.pem" -extensions v3_ca -startdate $start -enddate 20550101000000Z \
  -in "$work/ca.csr" -out "$work/ca.pem"
openssl x509 -in "$work/ca.pem" -out "$out/ca.pem"

# The leaf certificate: RSA key, the usual web-server extensions.
ca_reset 1001
openssl req -new -config "$work/ca.cnf" -key "$out/rsa-key.pem" \
  -subj "/C=DE/ST=Berlin/L=Berlin/O=Bramlet Samples/CN=www.example.test/emailAddress=admin@example.test" \
  -out "$work/leaf.csr"
ca -cert "$out/ca.pem" -keyfile "$out/ca-key.pem" -extensions v3_leaf -startdate $start -enddate $end \
  -in "$work/leaf.csr" -out "$work/cert.pem"
openssl x509 -in "$work/cert.pem" -out "$out/cert.pem"
openssl x509 -in "$work/cert.pem" -outform DER -out "$out/cert.der"
cat "$out/cert.pem" "$out/ca.pem" >"$out/chain.pem"

# A P-256 certificate signed by the CA, and a self-signed Ed25519 one.
ca_reset 2001
openssl req -new -config "$work/ca.cnf" -key "$out/ec-key.pem" \
  -subj "/C=DE/O=Bramlet Samples/CN=Alice Example" -out "$work/p256.csr"
ca -cert "$out/ca.pem" -keyfile "$out/ca-key.pem" -extensions v3_ec -startdate $start -enddate $end \
  -in "$work/p256.csr" -out "$work/p256.pem"
openssl x509 -in "$work/p256.pem" -out "$out/p256-cert.pem"
openssl x509 -in "$work/p256.pem" -outform DER -out "$out/p256-cert.der"

ca_reset 3001
openssl req -new -config "$work/ca.cnf" -key "$out/ed25519-key.pem" \
  -subj "/O=Bramlet Samples/CN=Ed25519 Code Signer" -out "$work/ed.csr"
ca -selfsign -keyfile "$out/ed25519-key.pem" -extensions v3_ed -startdate $start -enddate $end \
  -in "$work/ed.csr" -out "$work/ed.pem"
openssl x509 -in "$work/ed.pem" -out "$out/ed25519-cert.pem"
openssl x509 -in "$work/ed.pem" -outform DER -out "$out/ed25519-cert.der"

# A certificate request with the P-256 key: requested extensions and a challenge password.
# (openssl takes attributes only from a config file's own name section, not with -subj.)
cat >"$work/csr.cnf" <<'EOF'
[ req ]
distinguished_name = dn
attributes = attrs
req_extensions = exts
prompt = no
[ dn ]
C = DE
O = Bramlet Samples
CN = device.example.test
[ attrs ]
challengePassword = sample-challenge
unstructuredName = Sample Device
[ exts ]
subjectAltName = DNS:device.example.test, URI:urn:example:device:42
keyUsage = digitalSignature
EOF
openssl req -new -config "$work/csr.cnf" -key "$out/ec-key.pem" -out "$out/csr.pem"
openssl req -in "$out/csr.pem" -outform DER -out "$out/csr.der"

# A CRL with a few revoked serials: no reason, plain reasons, a key compromise with its
# invalidity date and a hold with its instruction code.
ca_reset 01
cat >"$work/index.txt" <<'EOF'
R	350101000000Z	250301120000Z	1001	unknown	/CN=revoked one
R	350101000000Z	250302120000Z,superseded	1002	unknown	/CN=revoked two
R	350101000000Z	250303120000Z,keyTime,20250228000000Z	1003	unknown	/CN=revoked three
R	350101000000Z	250304120000Z,holdInstruction,1.2.840.10040.2.3	1004	unknown	/CN=revoked four
R	350101000000Z	250305120000Z,cessationOfOperation	1005	unknown	/CN=revoked five
R	350101000000Z	250306120000Z,affiliationChanged	0A1B2C3D4E5F60718293	unknown	/CN=revoked six
V	350101000000Z		1006	unknown	/CN=still valid
EOF
ca -gencrl -cert "$out/ca.pem" -keyfile "$out/ca-key.pem" -crlexts crl_ext \
  -crl_lastupdate 20250401000000Z -crl_nextupdate 20250501000000Z -out "$work/crl.pem"
openssl crl -in "$work/crl.pem" -out "$out/crl.pem"
openssl crl -in "$work/crl.pem" -outform DER -out "$out/crl.der"

# PKCS#7 signed data without signed attributes (so no signing time: reproducible), and a
# certs-only bundle of the chain.
printf 'Hello from the Bramlet samples.\n' >"$work/content.txt"
openssl smime -sign -binary -nodetach -noattr -md sha256 -in "$work/content.txt" \
  -signer "$out/cert.pem" -inkey "$out/rsa-key.pem" -certfile "$out/ca.pem" \
  -outform DER -out "$out/p7-signed.der"
openssl pkcs7 -inform DER -in "$out/p7-signed.der" -out "$out/p7-signed.pem"
# The bundle lists the CA first: DER orders a SET OF by the members' encodings,
# and the CA's certificate is the shorter one.
openssl crl2pkcs7 -nocrl -certfile "$out/ca.pem" -certfile "$out/cert.pem" -outform DER -out "$out/chain.p7b"

# A streamed CMS: BER with indefinite lengths (0x80) nested several levels deep, and the
# usual signed attributes (content type, signing time, digest, S/MIME capabilities).
openssl cms -sign -binary -stream -nodetach -md sha256 -in "$work/content.txt" \
  -signer "$out/cert.pem" -inkey "$out/rsa-key.pem" -outform DER -out "$out/cms-stream.der"

# PKCS#12 with the leaf key and both certificates; password "bramlet".
openssl pkcs12 -export -in "$out/cert.pem" -inkey "$out/rsa-key.pem" -certfile "$out/ca.pem" \
  -name "Bramlet sample" -passout pass:bramlet -out "$out/bundle.p12"

# The leaf certificate as a begin-base64 block and as bare Base64 text.
{
  echo "begin-base64 644 cert.der"
  base64 -w 60 "$out/cert.der"
  echo "===="
} >"$out/cert-begin-base64.txt"
base64 -w 76 "$out/cert.der" >"$out/cert-bare-base64.txt"

# --- openssl's view of every sample ----------------------------------------
# Text inputs are reduced to the bytes the viewer decodes: all armoured blocks, one after
# the other. asn1parse walks every top-level element of the buffer.
rm -f "$ref"/*.txt
for f in "$out"/*; do
  name=$(basename "$f")
  case "$name" in
    *.sh | *.md) continue ;;
  esac
  if LC_ALL=C grep -q '[^[:print:][:space:]]' "$f"; then
    cp "$f" "$work/bytes"
  elif grep -q -- '-----BEGIN' "$f"; then
    sed -n '/-----BEGIN/,/-----END/{/-----/d;p}' "$f" | base64 -d >"$work/bytes"
  elif grep -q '^begin-base64' "$f"; then
    sed -n '/^begin-base64/,/^====/{/^begin-base64/d;/^====/d;p}' "$f" | base64 -d >"$work/bytes"
  else
    base64 -d "$f" >"$work/bytes"
  fi
  openssl asn1parse -inform DER -i -in "$work/bytes" >"$ref/$name.txt"
done

ls -l "$out" | awk 'NR > 1 { print $5, $9 }'
