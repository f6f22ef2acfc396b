#!/usr/bin/env bash
# Runs bramlet-dump --elements on crafted inputs and checks its lines, messages
# and exit codes.
# Usage: dump_test.sh BRAMLET_DUMP WORK_DIR
set -u
dump=$1
work=$2
rm -rf "$work" && mkdir -p "$work"
failures=0

bytes() { printf "$(echo "$1" | sed 's/ *\([0-9A-Fa-f][0-9A-Fa-f]\)/\\x\1/g')" > "$2"; }

# check LABEL EXPECTED_EXIT EXPECTED_STDOUT EXPECTED_STDERR ARGS...
check() {
  local label=$1 want_rc=$2 want_out=$3 want_err=$4
  shift 4
  local out err rc
  out=$("$dump" --elements "$@" 2>"$work/stderr"); rc=$?
  err=$(cat "$work/stderr")
  if [ "$rc" != "$want_rc" ] || [ "$out" != "$want_out" ] || { [ -n "$want_err" ] && [[ "$err" != *"$want_err"* ]]; }; then
    echo "FAIL: $label"
    echo "  exit $rc, wanted $want_rc"
    echo "  stdout: [$out]"; echo "  wanted: [$want_out]"
    echo "  stderr: [$err]"; echo "  wanted to contain: [$want_err]"
    failures=$((failures + 1))
  fi
}

bytes "30 03 02 01 05" "$work/seq.der"
check "nested element is indented" 0 \
"       0  2        3 SEQUENCE
       2  2        1   INTEGER: 5" "" "$work/seq.der"

bytes "30 03 02 05 00" "$work/broken.der"
check "header failure keeps the lines before it" 1 \
"       0  2        3 SEQUENCE" "Fatal error: Incorrect data length for tag at offset 2" "$work/broken.der"

bytes "30 08 01 02 FF FF 0C 02 C3 A9" "$work/values.der"
check "value error and UTF-8 text" 0 \
"       0  2        8 SEQUENCE
       2  2        2   BOOLEAN: FFFF [error: Incorrect length]
       6  2        2   UTF8String: é" "" "$work/values.der"

bytes "04 03 02 01 07 0C 01 0A" "$work/encap.der"
check "encapsulation and control characters" 0 \
"       0  2        3 OCTET STRING (encapsulates)
       2  2        1   INTEGER: 7
       5  2        1 UTF8String: \\x0A" "" "$work/encap.der"

bytes "06 03 55 04 03" "$work/oid.der"
printf '2.5.4.3 = nameOfIt\n' > "$work/my-oids.txt"
check "named dictionary" 0 "       0  2        3 OBJECT IDENTIFIER: 2.5.4.3 - nameOfIt" "" \
  --oids "$work/my-oids.txt" "$work/oid.der"
check "missing named dictionary" 2 "" "cannot read OID dictionary" --oids "$work/none.txt" "$work/oid.der"

# The build copies the shipped dictionary beside the executable.
if [ -f "$(dirname "$dump")/oid.txt" ]; then
  check "dictionary beside the executable" 0 "       0  2        3 OBJECT IDENTIFIER: 2.5.4.3 - commonName" "" \
    "$work/oid.der"
fi

: > "$work/empty.der"
check "empty file" 0 "" "" "$work/empty.der"
check "missing file" 2 "" "cannot read $work/missing.der" "$work/missing.der"
check "directory" 2 "" "cannot read $work: it is a folder, not a file" "$work"
check "no file" 2 "" "Usage: bramlet-dump" 
check "two files" 2 "" "only one FILE" "$work/seq.der" "$work/seq.der"
check "unknown option" 2 "" "unknown option --x" --x "$work/seq.der"

[ "$failures" -eq 0 ] && echo "all bramlet-dump checks passed"
exit $((failures > 0))
