#!/usr/bin/env bash
# Makes the small inputs of the field-name tests with openssl from the keys and
# certificates in samples/ (run it from anywhere). Salts, IVs, nonces and times
# are random, so a rerun changes bytes but not structure; the tests name
# elements by path, not by offset alone, where a rerun would move them.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
s=$(cd "$here/../../../samples" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$here"
# Encrypted PKCS#8 with PBES2 (PBKDF2 + AES-256-CBC) and with scrypt.
openssl pkcs8 -topk8 -in "$s/ec-key.p8.pem" -v2 aes-256-cbc -passout pass:test -outform DER -out pbes2-key.der
openssl pkcs8 -topk8 -in "$s/ec-key.p8.pem" -scrypt -passout pass:test -outform DER -out scrypt-key.der
# CMS enveloped data for the RSA certificate (key transport) and for a password (PWRI).
printf 'hello' >"$work/msg"
openssl cms -encrypt -in "$work/msg" -recip "$s/cert.pem" -aes256 -outform DER -out enveloped.der
openssl cms -encrypt -in "$work/msg" -pwri_password test -aes256 -outform DER -out enveloped-pwri.der
# CMS signed data with attributes, digested data, encrypted data.
openssl cms -sign -in "$work/msg" -signer "$s/ca.pem" -inkey "$s/ca-key.pem" -outform DER -out signed.der
openssl cms -digest_create -in "$work/msg" -outform DER -out digested.der
openssl cms -EncryptedData_encrypt -in "$work/msg" -aes128 -secretkey 000102030405060708090A0B0C0D0E0F \
  -outform DER -out encrypted.der
# OCSP request and response for the leaf certificate.
openssl ocsp -issuer "$s/ca.pem" -cert "$s/cert.pem" -reqout ocsp-req.der -no_nonce >/dev/null 2>&1 || \
  openssl ocsp -issuer "$s/ca.pem" -cert "$s/cert.pem" -reqout ocsp-req.der
printf 'V\t350101000000Z\t\t2002\tunknown\t/CN=www.example.test\n' >"$work/index.txt"
openssl ocsp -index "$work/index.txt" -rsigner "$s/ca.pem" -rkey "$s/ca-key.pem" -CA "$s/ca.pem" \
  -reqin ocsp-req.der -respout ocsp-resp.der >/dev/null 2>&1
# Time-stamp request and response (the CA signs as the TSA).
openssl ts -query -data "$work/msg" -sha256 -cert -out ts-req.der
openssl req -x509 -new -key "$s/ca-key.pem" -subj /CN=Sample\ TSA -days 3650 \
  -addext "extendedKeyUsage=critical,timeStamping" -out "$work/tsa.pem"
cat >"$work/ts.cnf" <<CNF
[ tsa ]
default_tsa = t
[ t ]
serial = $work/tsaserial
signer_cert = $work/tsa.pem
signer_key = $s/ca-key.pem
signer_digest = sha256
default_policy = 1.2.3.4.1
digests = sha256
accuracy = secs:1
ess_cert_id_alg = sha256
CNF
echo 01 >"$work/tsaserial"
openssl ts -reply -config "$work/ts.cnf" -section t -queryfile ts-req.der -out ts-resp.der 2>/dev/null
# Parameters: DSA, DH, an EC key with explicit curve parameters, an RSA-PSS key.
openssl genpkey -genparam -algorithm DSA -pkeyopt dsa_paramgen_bits:1024 -out "$work/dsa.pem"
openssl dsaparam -in "$work/dsa.pem" -outform DER -out dsa-params.der
openssl genpkey -genparam -algorithm DH -pkeyopt dh_paramgen_prime_len:512 -out "$work/dh.pem" 2>/dev/null
openssl dhparam -in "$work/dh.pem" -outform DER -out dh-params.der
openssl ec -in "$s/ec-key.p8.pem" -param_enc explicit -outform DER -out ec-explicit-key.der 2>/dev/null
openssl genpkey -algorithm RSA-PSS -pkeyopt rsa_keygen_bits:1024 -pkeyopt rsa_pss_keygen_md:sha256 -outform DER \
  -out rsa-pss-key.der
openssl pkey -in rsa-pss-key.der -inform DER -pubout -outform DER -out rsa-pss-pub.der
# A PKCS#12 file with a certificate, a shrouded key and a friendly name.
openssl pkcs12 -export -in "$s/cert.pem" -inkey "$s/rsa-key.p8.pem" -name leaf -passout pass:test -out bundle.p12
# ECDSA signatures in CMS and OCSP (the P-256 certificate signs), and X9.42 DH parameters.
openssl cms -sign -in "$work/msg" -signer "$s/p256-cert.pem" -inkey "$s/ec-key.pem" -outform DER -out signed-ec.der
openssl ocsp -index "$work/index.txt" -rsigner "$s/p256-cert.pem" -rkey "$s/ec-key.pem" -CA "$s/ca.pem" \
  -reqin ocsp-req.der -respout ocsp-resp-ec.der >/dev/null 2>&1
openssl genpkey -genparam -algorithm DHX -pkeyopt dh_paramgen_prime_len:1024 -out "$work/dhx.pem" 2>/dev/null
sed '1d;$d' "$work/dhx.pem" | base64 -d >dhx-params.der
# A certificate whose values read by their types: an IPv6 and a URI name, IP
# addresses with masks in name constraints, a 20-octet serial number, and a
# subject key identifier whose octets happen to be BER (04 03 01 02 03).
cat >"$work/typed.cnf" <<CNF
[ v3 ]
subjectKeyIdentifier = 04:03:01:02:03
authorityKeyIdentifier = keyid:always
subjectAltName = DNS:typed.example.test, IP:2001:db8::1, URI:http://crl.example.test/typed
nameConstraints = permitted;IP:192.0.2.0/255.255.255.0, permitted;IP:2001:db8::/ffff:ffff::, excluded;IP:10.0.0.0/255.0.255.0
keyUsage = critical, digitalSignature, keyCertSign
basicConstraints = critical, CA:true
CNF
openssl req -new -key "$s/rsa-key.pem" -subj "/CN=Typed values" -out "$work/typed-req.pem"
openssl x509 -req -in "$work/typed-req.pem" -CA "$s/ca.pem" -CAkey "$s/ca-key.pem" \
  -set_serial 0x7A3B00112233445566778899AABBCCDDEEFF0102 -days 3650 -extfile "$work/typed.cnf" -extensions v3 \
  -outform DER -out typed-values.der
