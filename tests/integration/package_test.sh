#!/usr/bin/env bash
# Installs dist/bramlet_<version>_amd64.deb with dpkg, checks where its files
# went and that the installed bramlet loads the installed plug-in, then removes
# it with apt-get. Needs root (or sudo); leaves the machine as it found it.
# Usage: tests/integration/package_test.sh [DEB]   (default: the newest in dist/)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
deb=${1:-$(ls -t "$root"/dist/bramlet_*_amd64.deb 2>/dev/null | head -1)}
[ -f "$deb" ] || { echo "package_test: no package; scripts/package makes it" >&2; exit 1; }
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
if dpkg-query -W -f='${Status}' bramlet 2>/dev/null | grep -q 'install ok installed'; then
  echo "package_test: bramlet is installed already; not touching it" >&2
  exit 1
fi
work=$(mktemp -d /tmp/bramlet-pkg.XXXXXX)
cleanup() {
  $sudo apt-get remove -y -qq bramlet >/dev/null 2>&1 || true
  $sudo dpkg --purge bramlet >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "package_test: FAIL: $*" >&2; exit 1; }

echo "package_test: $(dpkg-deb -f "$deb" Package Version Architecture | tr '\n' ' ')"
echo "package_test: Depends: $(dpkg-deb -f "$deb" Depends)"
# What dpkg-shlibdeps finds the binaries need (PCRE2 only in its 16-bit form).
for need in libqt5widgets5 libqt5gui5 libqt5core5a libpcre2-16-0 libc6 libstdc++6; do
  dpkg-deb -f "$deb" Depends | grep -q "\b$need\b" || fail "Depends lacks $need"
done
# dpkg -i; on a machine without the libraries, apt-get fetches what Depends names.
$sudo dpkg -i "$deb" >/dev/null || DEBIAN_FRONTEND=noninteractive $sudo apt-get install -f -y -qq >/dev/null
dpkg-query -W -f='${Status}' bramlet | grep -q 'install ok installed' || fail "dpkg -i did not install the package"
for file in /usr/lib/bramlet/Bramlet.wlx /usr/lib/bramlet/oid.txt /usr/lib/bramlet/german.lng \
            /usr/lib/bramlet/bramlet /usr/lib/bramlet/bramlet-dump /usr/share/applications/bramlet.desktop; do
  [ -f "$file" ] || fail "$file is not installed"
done
[ "$(command -v bramlet)" = /usr/bin/bramlet ] || fail "bramlet is not on the PATH"
[ "$(command -v bramlet-dump)" = /usr/bin/bramlet-dump ] || fail "bramlet-dump is not on the PATH"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate /usr/share/applications/bramlet.desktop || fail "the desktop entry is not valid"
fi

# bramlet-dump finds the installed oid.txt: OIDs come with their names.
/usr/bin/bramlet-dump "$root/samples/cert.der" | grep -q '2.5.4.3 - commonName' || fail "bramlet-dump has no OID names"
# The installed bramlet loads the installed module and opens the sample; the
# module's trace says which file it was asked for and that it showed it.
HOME=$work XDG_CONFIG_HOME=$work/config QT_QPA_PLATFORM=offscreen BRAMLET_TRACE=$work/trace.log \
  timeout 5 /usr/bin/bramlet "$root/samples/cert.der" >/dev/null 2>&1 || true
grep -qx "module /usr/lib/bramlet/" "$work/trace.log" 2>/dev/null &&
  grep -q "^ListLoadW $root/samples/cert.der -> window" "$work/trace.log" ||
  fail "the installed bramlet did not show the sample through the installed plug-in"

DEBIAN_FRONTEND=noninteractive $sudo apt-get remove -y -qq bramlet >/dev/null || fail "apt-get remove failed"
[ ! -e /usr/lib/bramlet/Bramlet.wlx ] && [ ! -e /usr/bin/bramlet ] && [ ! -e /usr/bin/bramlet-dump ] ||
  fail "files are left after apt-get remove"
echo "package_test: PASS ($deb installed, used and removed)"
