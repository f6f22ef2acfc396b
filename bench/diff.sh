#!/usr/bin/env bash
# Times bramlet-dump --diff on two CRLs of 600,000 entries that differ in 10 entries (made by
# bench/big-inputs.sh), against loading one of them (--paths, which loads the document with
# its names; --elements, the bare walk), and checks the lines it writes: 4 entries removed,
# 3 added, 3 reasons changed, the CRL number and the signature. Wall time, CPU time (user +
# system) and peak RSS of each whole process; each run RUNS times (default 3), the best
# times and the highest peak kept.
# Usage: bench/diff.sh [BUILD_DIR] [BIG_DIR]   (defaults: build-rel, /tmp/bramlet-big)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-rel}
big=${2:-/tmp/bramlet-big}
runs=${RUNS:-3}
dump=$build/bin/bramlet-dump
if [ ! -x "$dump" ]; then
  echo "diff: $dump is missing; build it first (Release: cmake -B build-rel -DCMAKE_BUILD_TYPE=Release)" >&2
  exit 1
fi
[ -x /usr/bin/time ] || "$root/scripts/setup" time
"$root/bench/big-inputs.sh" "$big" >/dev/null
a=$big/crl-diff-a.der
b=$big/crl-diff-b.der
out=$(mktemp)
trap 'rm -f "$out" "$out.time"' EXIT

# measure NAME ARGS...: runs bramlet-dump ARGS, output to $out; prints NAME, wall s, CPU s, peak KiB.
measure() {
  local name=$1 best_wall= best_cpu= peak=0
  shift
  for _ in $(seq 1 "$runs"); do
    /usr/bin/time -f '%e %U %S %M' -o "$out.time" "$dump" "$@" >"$out" || [ $? -eq 1 ]
    # time puts "Command exited with non-zero status 1" first when --diff finds differences.
    read -r wall user sys rss < <(tail -n 1 "$out.time")
    cpu=$(echo "$user + $sys" | bc)
    if [ -z "$best_wall" ] || [ "$(echo "$wall < $best_wall" | bc)" = 1 ]; then best_wall=$wall; fi
    if [ -z "$best_cpu" ] || [ "$(echo "$cpu < $best_cpu" | bc)" = 1 ]; then best_cpu=$cpu; fi
    [ "$rss" -gt "$peak" ] && peak=$rss
  done
  echo "$name $best_wall $best_cpu $peak"
}

elements=$(measure --elements --elements "$a")
paths=$(measure --paths --paths "$a")
diff=$(measure --diff --diff "$a" "$b")
lines=$(cut -f1 "$out" | sort | uniq -c | awk '{printf "%s%s %s", sep, $1, $2; sep = ", "}')
entries=$(grep -c 'revokedCertificates\[' "$out" || true)

printf '%-18s %8s %8s %10s\n' "bramlet-dump" "wall s" "CPU s" "peak MiB"
for row in "$elements" "$paths" "$diff"; do
  read -r name wall cpu rss <<<"$row"
  case $name in --diff) name="--diff A B" ;; *) name="$name A" ;; esac
  printf '%-18s %8.2f %8.2f %10.1f\n' "$name" "$wall" "$cpu" "$(echo "$rss / 1024" | bc -l)"
done
read -r _ _ _ paths_rss <<<"$paths"
read -r _ diff_wall _ diff_rss <<<"$diff"
echo "inputs: $(stat -c %s "$a") and $(stat -c %s "$b") bytes; $runs runs each"
echo "--diff lines: $lines; $entries of them in revokedCertificates"
printf 'peak RSS of --diff / --paths: %.2f (target below 2.5); --diff wall %s s (target below 3 s)\n' \
  "$(echo "$diff_rss / $paths_rss" | bc -l)" "$diff_wall"
# The pair differs in exactly these lines; anything else is a wrong answer, not a slow one.
expected="3 +, 4 -, 5 ~"
if [ "$lines" != "$expected" ] || [ "$entries" != 10 ]; then
  echo "diff: expected $expected with 10 in revokedCertificates" >&2
  exit 1
fi
