#!/usr/bin/env bash
# Builds the Debian package from a build tree (scripts/package --build-dir), has
# lintian check it (any error or warning fails), installs it with dpkg, checks
# where its files went, its manual pages, icon and documents, that the installed
# programs run and that the installed bramlet loads the installed plug-in, then
# removes it. Needs root (or sudo); leaves the machine as it found it.
# Usage: tests/integration/package_test.sh [BUILD_DIR]   (default: build, as scripts/test makes it)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build}
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
# The marker says that this test installed the package, so a run that was
# killed before its cleanup is recognised and its leftover removed; a package
# installed by anyone else is left alone.
marker=/var/tmp/bramlet-package-test.installed
if dpkg-query -W -f='${Status}' bramlet 2>/dev/null | grep -q 'install ok installed'; then
  if [ -f "$marker" ]; then
    echo "package_test: removing the package an interrupted run of this test left installed"
    $sudo dpkg --purge bramlet >/dev/null
  else
    echo "package_test: bramlet is installed already, not by this test; not touching it" >&2
    exit 1
  fi
fi
work=$(mktemp -d /tmp/bramlet-pkg.XXXXXX)
cleanup() {
  if [ -f "$marker" ]; then
    $sudo apt-get remove -y -qq bramlet >/dev/null 2>&1 || true
    $sudo dpkg --purge bramlet >/dev/null 2>&1 || true
    $sudo rm -f "$marker"
  fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "package_test: FAIL: $*" >&2; exit 1; }

deb=$("$root/scripts/package" --deb-only --build-dir "$build" --out "$work" | tail -1)
[ -f "$deb" ] || fail "scripts/package made no package"
version=$(dpkg-deb -f "$deb" Version)
echo "package_test: $(dpkg-deb -f "$deb" Package Version Architecture | tr '\n' ' ')"
echo "package_test: Depends: $(dpkg-deb -f "$deb" Depends)"
# What dpkg-shlibdeps finds the binaries need (PCRE2 only in its 16-bit form).
for need in libqt5widgets5 libqt5gui5 libqt5core5a libpcre2-16-0 libc6 libstdc++6; do
  dpkg-deb -f "$deb" Depends | grep -q "\b$need\b" || fail "Depends lacks $need"
done
# Debian's own checker; informational tags are shown but do not fail.
lintian --fail-on error,warning --display-info "$deb" 2>"$work/lintian.err" || {
  cat "$work/lintian.err" >&2
  fail "lintian found errors or warnings"
}

# dpkg -i; on a machine without the libraries, apt-get fetches what Depends names.
$sudo touch "$marker"
$sudo dpkg -i "$deb" >/dev/null || DEBIAN_FRONTEND=noninteractive $sudo apt-get install -f -y -qq >/dev/null
dpkg-query -W -f='${Status}' bramlet | grep -q 'install ok installed' || fail "dpkg -i did not install the package"
for file in /usr/lib/bramlet/Bramlet.wlx /usr/lib/bramlet/oid.txt /usr/lib/bramlet/german.lng \
            /usr/lib/bramlet/bramlet /usr/lib/bramlet/bramlet-dump /usr/share/applications/bramlet.desktop \
            /usr/share/doc/bramlet/copyright /usr/share/doc/bramlet/changelog.gz /usr/share/doc/bramlet/README.Debian; do
  [ -f "$file" ] || fail "$file is not installed"
done
[ "$(command -v bramlet)" = /usr/bin/bramlet ] || fail "bramlet is not on the PATH"
[ "$(command -v bramlet-dump)" = /usr/bin/bramlet-dump ] || fail "bramlet-dump is not on the PATH"
[ "$(bramlet-dump --version)" = "bramlet-dump $version" ] || fail "bramlet-dump --version does not say $version"
[ "$(env -u DISPLAY bramlet --version)" = "bramlet $version" ] || fail "bramlet --version does not say $version"

# The desktop entry is valid and names an icon that is installed in every size
# the hicolor theme gets, each PNG as large as its folder says, and as SVG.
desktop-file-validate /usr/share/applications/bramlet.desktop || fail "the desktop entry is not valid"
icon=$(sed -n 's/^Icon=//p' /usr/share/applications/bramlet.desktop)
[ -n "$icon" ] || fail "the desktop entry names no icon"
for size in 16 22 24 32 48 64 128 256; do
  png=/usr/share/icons/hicolor/${size}x${size}/apps/$icon.png
  file -b "$png" 2>/dev/null | grep -q "^PNG image data, $size x $size," || fail "$png is not a ${size}x${size} PNG"
done
grep -q "<svg" "/usr/share/icons/hicolor/scalable/apps/$icon.svg" 2>/dev/null || fail "no scalable $icon.svg"

# Manual pages: man finds them, and every option each program's --help lists is
# in its page.
for program in bramlet bramlet-dump; do
  page=$(man -w "$program" 2>/dev/null) || fail "man -w $program finds no page"
  [ "$page" = "/usr/share/man/man1/$program.1.gz" ] || fail "man -w $program gives $page"
  source=$(zcat "$page" | sed 's/\\-/-/g')
  options=$(env -u DISPLAY "$program" --help | grep -oE -- '(^|[][ |,])--?[a-z][a-z-]*' | sed 's/^[][ |,]//' | sort -u)
  [ -n "$options" ] || fail "$program --help lists no options"
  for option in $options; do
    grep -qE -- "$option([^a-z-]|\$)" <<<"$source" || fail "the manual page of $program lacks $option"
  done
done
# Double Commander's README names the installed module and its detect string.
grep -q '/usr/lib/bramlet/Bramlet.wlx' /usr/share/doc/bramlet/README.Debian &&
  grep -q 'EXT="CER"' /usr/share/doc/bramlet/README.Debian || fail "README.Debian lacks the module or the detect string"

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
$sudo rm -f "$marker"
[ ! -e /usr/lib/bramlet/Bramlet.wlx ] && [ ! -e /usr/bin/bramlet ] && [ ! -e /usr/bin/bramlet-dump ] &&
  [ ! -e /usr/share/man/man1/bramlet-dump.1.gz ] || fail "files are left after apt-get remove"
echo "package_test: PASS ($(basename "$deb") built, lintian-clean, installed, used and removed)"
