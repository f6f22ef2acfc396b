#!/usr/bin/env bash
# Times bramlet-dump against other ASN.1 dumpers on the big inputs of bench/big-inputs.sh:
# wall time and peak RSS of each whole process, output to /dev/null, and both as a ratio
# to bramlet-dump on the same input. Each run happens once (the machine is shared).
# Usage: bench/compare.sh [BUILD_DIR] [BIG_DIR]   (defaults: build, /tmp/bramlet-big)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
big=${2:-/tmp/bramlet-big}
node_dir=/tmp/bramlet-bench-node

"$root/scripts/setup" openssl dumpasn1 time nodejs
command -v npm >/dev/null || "$root/scripts/setup" npm
"$root/bench/big-inputs.sh" "$big" >/dev/null

dump=$build/bin/bramlet-dump
if [ ! -x "$dump" ]; then
  echo "compare: $dump is missing; build it first (scripts/build $build)" >&2
  exit 1
fi

# The npm decoder, in a cache folder outside the repository, and a small driver for it: its
# own CLI decodes only the first element and spends its time matching ASN.1 modules, so the
# driver decodes every top-level element (each from its own slice of the buffer) and prints
# one line per element with offset, depth, header length, length, type name and content.
if [ ! -f "$node_dir/node_modules/@lapo/asn1js/asn1.js" ]; then
  mkdir -p "$node_dir"
  npm install --silent --no-save --prefix "$node_dir" @lapo/asn1js@2.1.3 >/dev/null
fi
cat >"$node_dir/walk.mjs" <<'EOF'
import { readFileSync, writeSync } from 'node:fs';
import { ASN1 } from '@lapo/asn1js/asn1.js';

// The end of the definite-length element at pos, or -1 (indefinite or malformed).
function elementEnd(bytes, pos) {
  let p = pos + 1;
  if ((bytes[pos] & 0x1f) == 0x1f) while (p < bytes.length && bytes[p++] & 0x80);
  if (p >= bytes.length || bytes[p] == 0x80) return -1;
  let n = bytes[p++], len = n;
  if (n & 0x80) {
    if ((n &= 0x7f) > 6) return -1;
    for (len = 0; n > 0; --n) len = len * 256 + bytes[p++];
  }
  return p + len <= bytes.length ? p + len : -1;
}

const bytes = readFileSync(process.argv[2]);
let lines = [];
function flush() { writeSync(1, lines.join('')); lines = []; }
let elements = 0;
for (let pos = 0; pos < bytes.length;) {
  // Each top-level element gets a buffer of its own: in one large buffer the decoder's
  // attempts to read garbage inside an OCTET STRING as DER are bounded only by the end of
  // the whole file, which makes a long concatenation quadratic.
  const end = elementEnd(bytes, pos);
  const base = end < 0 ? 0 : pos;
  const top = end < 0 ? ASN1.decode(bytes, pos) : ASN1.decode(bytes.subarray(pos, end), 0);
  const stack = [[top, 0]];
  while (stack.length > 0) {
    const [e, depth] = stack.pop();
    const content = e.content();
    lines.push(base + e.posStart() + ' d=' + depth + ' hl=' + e.header + ' l=' + e.length + ' ' +
               e.typeName() + (content ? ': ' + content.replace(/\n/g, '|') : '') + '\n');
    if (lines.length >= 4096) flush();
    ++elements;
    if (e.sub !== null)
      for (let i = e.sub.length - 1; i >= 0; --i) stack.push([e.sub[i], depth + 1]);
  }
  pos = base + top.posEnd();
}
flush();
process.stderr.write(elements + ' elements\n');
EOF

# dumpasn1 stops after the first top-level element, so it reads the bundle wrapped in one
# SEQUENCE header (6 more bytes, one more element); every other tool reads the plain files.
wrap() {
  local size n=0 i
  size=$(stat -c %s "$1")
  for ((i = size; i > 0; i >>= 8)); do n=$((n + 1)); done
  {
    printf '\x30'
    if [ "$size" -lt 128 ]; then printf "\\x$(printf %02x "$size")"; else printf "\\x$(printf %02x $((128 + n)))"; fi
    for ((i = n - 1; size >= 128 && i >= 0; i--)); do printf "\\x$(printf %02x $((size >> (8 * i) & 255)))"; done
    cat "$1"
  } >"$2"
}
[ -s "$big/certs-wrapped.der" ] || wrap "$big/certs.der" "$big/certs-wrapped.der"

# The table of runs: name | what the tool is asked to do | command, where {in} is the input
# and {one} the input as a single top-level element. bramlet-dump's row comes first: the
# ratios are to it. More rows (other modes of bramlet-dump) go at the end.
rows=(
  "bramlet-dump|one line per element (offset, header length, length, tag, value)|$dump --elements {in}"
  "openssl asn1parse|asn1parse -i -inform DER: one line per element, every top-level element|openssl asn1parse -i -inform DER -in {in}"
  "dumpasn1|dumpasn1 default dump (values cut at 128 bytes) of {one}|dumpasn1 {one}"
  "asn1js (node)|@lapo/asn1js 2.1.3 decode of every top-level element, one line per element|node $node_dir/walk.mjs {in}"
  "bramlet-dump tree|the viewer's document: element, attribute and error rows, status line|$dump {in}"
  "bramlet-dump --no-attributes|the viewer's document without the attribute rows|$dump --no-attributes {in}"
  "bramlet-dump --xml|the viewer's XML export of the document, to standard output|$dump --xml {in}"
)

# file | the same as one top-level element | label
inputs=(
  "crl.der|crl.der|CRL, 600,000 entries"
  "certs.der|certs-wrapped.der|100 MiB of certificates"
)

# Results by "input|tool": wall seconds, CPU seconds (user and system) and peak KiB, for the
# targets at the end. On a shared machine the wall time also holds the waits for a core.
declare -A wall cpu rss
printf '%-26s %-18s %9s %9s %10s %8s %8s  %s\n' input tool "wall s" "CPU s" "RSS MiB" "time x" "RSS x" "asked to do"
for input in "${inputs[@]}"; do
  IFS='|' read -r file one label <<<"$input"
  file_key=$file
  file=$big/$file
  one=$big/$one
  base_time=0
  base_rss=0
  first=1
  for row in "${rows[@]}"; do
    IFS='|' read -r name what cmd <<<"$row"
    cmd=${cmd//\{in\}/$file}
    cmd=${cmd//\{one\}/$one}
    what=${what//\{one\}/$(basename "$one")}
    status=0
    is_base=$first
    first=0
    /usr/bin/time -f '%e %M %U %S' -o "$big/time.out" bash -c "$cmd" >/dev/null 2>"$big/stderr.out" || status=$?
    read -r secs kib user sys <"$big/time.out" || true
    if [ $status -ne 0 ]; then
      printf '%-26s %-18s %9s %9s %10s %8s %8s  %s (failed, exit %d: %s)\n' "$label" "$name" - - - - - "$what" \
        $status "$(tail -c 200 "$big/stderr.out" | tr '\n' ' ')"
      continue
    fi
    wall[$file_key|$name]=$secs
    cpu[$file_key|$name]=$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%.2f", u + s }')
    rss[$file_key|$name]=$kib
    mib=$(awk -v k="$kib" 'BEGIN { printf "%.1f", k / 1024 }')
    if [ "$is_base" = 1 ]; then
      base_time=$secs
      base_rss=$kib
    fi
    ratio_time=$(awk -v a="$secs" -v b="$base_time" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }')
    ratio_rss=$(awk -v a="$kib" -v b="$base_rss" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }')
    printf '%-26s %-18s %9s %9s %10s %8s %8s  %s\n' "$label" "$name" "$secs" "${cpu[$file_key|$name]}" "$mib" \
      "$ratio_time" "$ratio_rss" "$what"
  done
done
rm -f "$big/time.out" "$big/stderr.out"

# The targets: a peer's time over bramlet-dump's (higher is better) or a figure against its
# limit. "-" where a run is missing or failed.
ratio() {
  local a=${wall[$1]:-} b=${wall[$2]:-}
  awk -v a="$a" -v b="$b" 'BEGIN { if (a > 0 && b > 0) printf "%.2f", a / b; else print "-" }'
}
mib() { awk -v k="${rss[$1]:-}" 'BEGIN { if (k > 0) printf "%.1f", k / 1024; else print "-" }'; }
verdict() { awk -v v="$1" -v t="$2" -v dir="$3" 'BEGIN {
  if (v == "-") print "not measured"; else if ((dir == ">=" && v >= t) || (dir == "<" && v < t)) print "met"; else print "MISSED" }'; }
echo
printf '%-66s %10s %10s  %s\n' target measured limit verdict
target() { printf '%-66s %10s %10s  %s\n' "$1" "$2" "$4 $3" "$(verdict "$2" "$3" "$4")"; }
target "CRL: openssl asn1parse time / bramlet-dump --elements" "$(ratio "crl.der|openssl asn1parse" "crl.der|bramlet-dump")" 3 ">="
target "certs: openssl asn1parse time / bramlet-dump --elements" "$(ratio "certs.der|openssl asn1parse" "certs.der|bramlet-dump")" 2 ">="
target "certs: asn1js time / bramlet-dump --no-attributes" "$(ratio "certs.der|asn1js (node)" "certs.der|bramlet-dump --no-attributes")" 2 ">="
target "certs: dumpasn1 time / bramlet-dump --no-attributes" "$(ratio "certs.der|dumpasn1" "certs.der|bramlet-dump --no-attributes")" 1 ">="
target "CRL: bramlet-dump --no-attributes peak MiB" "$(mib "crl.der|bramlet-dump --no-attributes")" 150 "<"
target "certs: bramlet-dump --no-attributes peak MiB" "$(mib "certs.der|bramlet-dump --no-attributes")" 400 "<"
target "CRL: bramlet-dump --xml to a pipe, seconds" "${wall[crl.der|bramlet-dump --xml]:--}" 3 "<"
target "CRL: bramlet-dump --xml to a pipe, CPU seconds (user + system)" \
  "${cpu[crl.der|bramlet-dump --xml]:--}" 3 "<"
