#!/usr/bin/env bash
# Makes the large inputs the whole-process benchmarks read, outside the repository:
#   crl.der       a signed CRL with 600,000 revoked entries (about 26 MB, 4.75 million
#                 elements as openssl asn1parse counts them)
#   certs.der     100 MiB of DER certificates, a few dozen distinct ones repeated
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

if [ ! -s "$dir/crl.der" ]; then
  echo "big-inputs: making $dir/crl.der (600,000 revoked entries)" >&2
  # One revoked line per serial. All but 1% carry a reason code (4 more elements); 30% are
  # key compromises with an invalidity date and 2% holds with an instruction code (3 more).
  awk 'BEGIN {
    OFS = "\t"
    split("unspecified superseded affiliationChanged cessationOfOperation", plain, " ")
    for (i = 0; i < 600000; i++) {
      day = 1 + i % 28; month = 1 + int(i / 28) % 12; sec = i % 60
      rev = sprintf("24%02d%02d12%02d%02dZ", month, day, int(i / 60) % 60, sec)
      if (i % 100 == 0)                                   why = ""
      else if (i % 10 == 0 || i % 10 == 3 || i % 10 == 6) why = sprintf(",keyTime,2024%02d%02d000000Z", month, day)
      else if (i % 25 == 1)                               why = ",holdInstruction,1.2.840.10040.2.2"
      else                                                why = "," plain[1 + i % 4]
      printf "R\t300101000000Z\t%s%s\t%X\tunknown\t/CN=revoked %d\n", rev, why, 1048576 + i, i
    }
  }' >"$work/index.txt"
  echo 01 >"$work/serial"
  echo 01 >"$work/crlnumber"
  openssl ca -config "$work/ca.cnf" -batch -gencrl -cert "$work/ca.pem" -keyfile "$work/ca-key.pem" \
    -crlexts crl_ext -crldays 30 -out "$work/crl.pem" 2>/dev/null
  openssl crl -in "$work/crl.pem" -outform DER -out "$dir/crl.der.part"
  mv "$dir/crl.der.part" "$dir/crl.der"
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

ls -l "$dir"/crl.der "$dir"/certs.der
