#!/usr/bin/env bash
# Makes the large inputs the whole-process benchmarks read, outside the repository:
#   crl.der       a signed CRL with 600,000 revoked entries (about 26 MB, 4.75 million
#                 elements as openssl asn1parse counts them)
#   certs.der     100 MiB of DER certificates, a few dozen distinct ones repeated
#   crl-diff-a.der, crl-diff-b.der
#                 two CRLs of 600,000 entries like crl.der, signed by one CA, that differ in 10
#                 entries (4 removed, 3 added, 3 with another reason) and in their CRL number
# Usage: bench/big-inputs.sh [DIR]   (default /tmp/bramlet-big). Skips what already exists.
set -euo pipefail
dir=${1:-/tmp/bramlet-big}
mkdir -p "$dir"
command -v openssl >/dev/null || "$(cd "$(dirname "$0")/.." && pwd)/scripts/setup" openssl

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cat >"$work/ca.cnf" <<EOF
[ ca ]
default_ca = big
[ big ]
dir = $work
database = \$dir/index.txt
new_certs_dir = \$dir
serial = \$dir/serial
crlnumber = \$dir/crlnumber
default_md = sha256
policy = any
unique_subject = no
copy_extensions = none
[ any ]
commonName = supplied
organizationName = optional
[ req ]
distinguished_name = dn
prompt = no
[ dn ]
CN = unused
[ v3_ca ]
basicConstraints = critical, CA:TRUE
keyUsage = critical, keyCertSign, cRLSign
subjectKeyIdentifier = hash
[ v3_leaf ]
basicConstraints = critical, CA:FALSE
keyUsage = critical, digitalSignature, keyEncipherment
extendedKeyUsage = serverAuth, clientAuth
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
subjectAltName = @alt
crlDistributionPoints = URI:http://crl.example.test/big.crl
authorityInfoAccess = OCSP;URI:http://ocsp.example.test/
certificatePolicies = 2.23.140.1.2.1
[ crl_ext ]
authorityKeyIdentifier = keyid
EOF

# The signing CA, made once per run (it only has to sign).
openssl genpkey -quiet -algorithm RSA -pkeyopt rsa_keygen_bits:2048 -out "$work/ca-key.pem"
openssl req -new -x509 -config "$work/ca.cnf" -key "$work/ca-key.pem" -extensions v3_ca \
  -subj "/O=Bramlet Bench/CN=Bramlet Bench CA" -days 3650 -out "$work/ca.pem"

# The revoked lines of index.txt, one per serial. All but 1% carry a reason code (4 more
# elements); 30% are key compromises with an invalidity date and 2% holds with an
# instruction code (3 more). With "changed", 10 entries differ: 4 left out, 3 with another
# plain reason and 3 new ones at the end.
revoked_index() {
  awk -v changed="${1:-}" 'BEGIN {
    split("unspecified superseded affiliationChanged cessationOfOperation", plain, " ")
    split("123455 300001 450007 599999", gone, " "); for (k in gone) out[gone[k]] = 1
    split("1002 250002 500004", moved, " "); for (k in moved) other[moved[k]] = 1
    for (i = 0; i < 600000 + (changed ? 3 : 0); i++) {
      if (changed && i in out) continue
      day = 1 + i % 28; month = 1 + int(i / 28) % 12; sec = i % 60
      rev = sprintf("24%02d%02d12%02d%02dZ", month, day, int(i / 60) % 60, sec)
      if (i % 100 == 0)                                   why = ""
      else if (i % 10 == 0 || i % 10 == 3 || i % 10 == 6) why = sprintf(",keyTime,2024%02d%02d000000Z", month, day)
      else if (i % 25 == 1)                               why = ",holdInstruction,1.2.840.10040.2.2"
      else                                                why = "," plain[1 + (i + (changed && i in other)) % 4]
      printf "R\t300101000000Z\t%s%s\t%X\tunknown\t/CN=revoked %d\n", rev, why, 1048576 + i, i
    }
  }'
}

# A CRL of the index on standard input, numbered $1, written to $2.
make_crl() {
  cat >"$work/index.txt"
  echo 01 >"$work/serial"
  echo "$1" >"$work/crlnumber"
  openssl ca -config "$work/ca.cnf" -batch -gencrl -cert "$work/ca.pem" -keyfile "$work/ca-key.pem" \
    -crlexts crl_ext -crl_lastupdate 20250601000000Z -crl_nextupdate 20250701000000Z -out "$work/crl.pem" 2>/dev/null
  openssl crl -in "$work/crl.pem" -outform DER -out "$2.part"
  mv "$2.part" "$2"
}

if [ ! -s "$dir/crl.der" ]; then
  echo "big-inputs: making $dir/crl.der (600,000 revoked entries)" >&2
  revoked_index | make_crl 01 "$dir/crl.der"
fi

if [ ! -s "$dir/crl-diff-a.der" ] || [ ! -s "$dir/crl-diff-b.der" ]; then
  echo "big-inputs: making $dir/crl-diff-a.der and crl-diff-b.der (600,000 entries, 10 differing)" >&2
  revoked_index | make_crl 01 "$dir/crl-diff-a.der"
  revoked_index changed | make_crl 02 "$dir/crl-diff-b.der"
fi

if [ ! -s "$dir/certs.der" ]; then
  echo "big-inputs: making $dir/certs.der (100 MiB of certificates)" >&2
  : >"$work/index.txt"
  echo 1000 >"$work/serial"
  mkdir "$work/leaf"
  for i in $(seq 1 40); do
    # A mix of key types and names, so the certificates differ in shape as well as content.
    case $((i % 4)) in
      0) openssl genpkey -quiet -algorithm RSA -pkeyopt rsa_keygen_bits:2048 -out "$work/leaf/$i.key" ;;
      1) openssl genpkey -quiet -algorithm EC -pkeyopt ec_paramgen_curve:P-256 -out "$work/leaf/$i.key" ;;
      2) openssl genpkey -quiet -algorithm EC -pkeyopt ec_paramgen_curve:P-384 -out "$work/leaf/$i.key" ;;
      3) openssl genpkey -quiet -algorithm ED25519 -out "$work/leaf/$i.key" ;;
    esac
    {
      cat "$work/ca.cnf"
      echo "[ alt ]"
      for n in $(seq 1 $((1 + i % 7))); do echo "DNS.$n = host$n.site$i.example.test"; done
    } >"$work/leaf/$i.cnf"
    openssl req -new -config "$work/leaf/$i.cnf" -key "$work/leaf/$i.key" \
      -subj "/O=Bramlet Bench/CN=site$i.example.test" -out "$work/leaf/$i.csr"
    openssl ca -config "$work/leaf/$i.cnf" -batch -notext -cert "$work/ca.pem" -keyfile "$work/ca-key.pem" \
      -extensions v3_leaf -days 825 -in "$work/leaf/$i.csr" -out "$work/leaf/$i.pem" 2>/dev/null
    openssl x509 -in "$work/leaf/$i.pem" -outform DER -out "$work/leaf/$i.der"
  done
  cat "$work"/leaf/*.der >"$work/round.der"
  target=$((100 * 1024 * 1024))
  round=$(stat -c %s "$work/round.der")
  : >"$dir/certs.der.part"
  # Whole rounds, then whole certificates until the next one would pass 100 MiB.
  for _ in $(seq 1 $((target / round))); do cat "$work/round.der"; done >>"$dir/certs.der.part"
  for f in "$work"/leaf/*.der; do
    size=$(stat -c %s "$dir/certs.der.part")
    [ $((size + $(stat -c %s "$f"))) -le $target ] || break
    cat "$f" >>"$dir/certs.der.part"
  done
  mv "$dir/certs.der.part" "$dir/certs.der"
fi

ls -l "$dir"/crl.der "$dir"/certs.der "$dir"/crl-diff-a.der "$dir"/crl-diff-b.der
