#!/usr/bin/env bash
# Bramlet.wlx inside Double Commander's Qt build under Xvfb: F3 opens a sample
# in the plug-in, the screenshot shows the structure tree and the hex panel,
# the host's own find dialog (F7 from the viewer) moves the viewer's focus to a
# matching row, F3 and Shift+F3 (the host's shortcuts) search again both ways, and Esc
# closes the viewer, which saves its settings.
# Usage: tests/integration/doublecmd_test.sh [BUILD_DIR]
# Screenshots go to BUILD_DIR/screenshots. BRAMLET_TRACE (a test aid of the
# module, off by default) logs each export call the host makes.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
here=$root/tests/integration
"$root/scripts/setup" doublecmd-qt xvfb xdotool imagemagick python3

[ -f "$build/bin/Bramlet.wlx" ] || { echo "doublecmd_test: $build/bin/Bramlet.wlx is not built" >&2; exit 1; }
work=$(mktemp -d /tmp/bramlet-dc.XXXXXX)
xvfb_pid="" dc_pid=""
cleanup() {
  [ -n "$dc_pid" ] && kill -TERM "$dc_pid" 2>/dev/null && wait "$dc_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill -TERM "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "doublecmd_test: FAIL: $*" >&2; [ -f "$work/trace.log" ] && sed 's/^/  trace: /' "$work/trace.log" >&2; exit 1; }

# The module in a folder of its own, so that Bramlet.ini lands there.
mkdir -p "$work/plugin" "$work/config" "$work/files" "$work/home" "$build/screenshots"
cp "$build/bin/Bramlet.wlx" "$build/bin/oid.txt" "$build"/bin/*.lng "$work/plugin/"
cp "$root/samples/cert.der" "$work/files/"
detect=$(tr -d '\n' <<<'EXT="BER"|EXT="DER"|EXT="CER"|EXT="PEM"|EXT="CRL"')
cat >"$work/config/doublecmd.xml" <<XML
<?xml version="1.0" encoding="UTF-8"?>
<doublecmd DCVersion="1.0.10" ConfigVersion="13"><Plugins><WlxPlugins>
  <WlxPlugin Enabled="True"><Name>Bramlet</Name><Path>$work/plugin/Bramlet.wlx</Path>
    <DetectString>$(sed 's/"/\&quot;/g' <<<"$detect")</DetectString></WlxPlugin>
</WlxPlugins></Plugins></doublecmd>
XML

Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/displayno" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 50); do [ -s "$work/displayno" ] && break; sleep 0.1; done
[ -s "$work/displayno" ] || fail "Xvfb did not start"
export DISPLAY=:$(cat "$work/displayno")
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config BRAMLET_TRACE=$work/trace.log

# Both panels on the sample's folder, the left one active: its last entry is the sample.
doublecmd --no-splash --config-dir="$work/config" -P L -L "$work/files" -R "$work/files" >"$work/dc.log" 2>&1 &
dc_pid=$!
# The first visible window whose name matches, waiting up to SECONDS; xdotool's
# own --sync gives up when a window it looks at goes away meanwhile.
await_window() {
  local deadline=$((SECONDS + $2)) found
  while [ $SECONDS -lt $deadline ]; do
    found=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1) || true
    [ -n "$found" ] && { echo "$found"; return 0; }
    sleep 0.2
  done
  return 1
}
main=$(await_window '^Double Commander' 30) || fail "Double Commander's window did not show"
# F3 on the sample once the panel is ready for it, pressed again if it went
# nowhere. Without a window manager the panel may start without the keyboard
# focus: a click on the empty part of the left file list gives it, Escape first
# closes the host's note from an attempt that had no file under the cursor, and
# End puts the cursor on the sample, the folder's last entry.
viewer=""
for _ in 1 2 3 4 5; do
  xdotool windowfocus --sync "$main"
  xdotool key Escape
  xdotool mousemove --window "$main" 150 330 click 1
  xdotool key End F3
  viewer=$(await_window "^$work/files/cert.der\$" 5) && break
done
[ -n "$viewer" ] || fail "the viewer window did not open"
grep -q "^ListLoadW $work/files/cert.der -> window" "$work/trace.log" || fail "the host did not load the file in Bramlet.wlx"
xdotool windowmove --sync "$viewer" 0 0
xdotool windowsize --sync "$viewer" 1000 700
sleep 1

# Pixels of one screenshot: COLOUR TOLERANCE [BOX].
shot() {
  import -window "$viewer" "$1"
  local size
  size=$(identify -format '%w %h' "$1")
  width=${size% *} height=${size#* }
  convert "$1" -depth 8 "rgb:$work/shot.rgb"
}
pixels() { python3 "$here/pixels.py" "$work/shot.rgb" "$width" "$height" "$@"; }

shot "$build/screenshots/doublecmd-viewer.png"
half=$((width / 2))
hexbg=$(pixels 255,251,240 0)
tags=$(pixels 255,0,0 60 "$half,0,$width,$height")
tree=$(pixels 0,0,160 70 "0,0,$half,$height")
echo "doublecmd_test: ${width}x$height shot, hex background $hexbg, tag bytes $tags, tree text $tree"
[ "$hexbg" -gt 20000 ] || fail "no hex panel background in the screenshot"
[ "$tags" -gt 20 ] || fail "no tag bytes in the hex panel's colour"
[ "$tree" -gt 100 ] || fail "no element names in the structure tree's colours"
cp "$work/shot.rgb" "$work/before.rgb"

# F7 in the viewer opens the host's find dialog; the host hands the text over.
xdotool windowfocus --sync "$viewer"
xdotool key F7
find=$(await_window '^Find$' 10) || fail "F7 did not open the host's find dialog"
xdotool windowfocus --sync "$find"
xdotool type --delay 20 '2.5.4.3'
xdotool key Return
for _ in $(seq 50); do grep -q '^ListSearchTextW' "$work/trace.log" && break; sleep 0.1; done
grep -E '^ListSearchTextW 2\.5\.4\.3 [0-9]+ -> 0 focus=.*2\.5\.4\.3' "$work/trace.log" >/dev/null ||
  fail "the host's search did not focus a matching row"
sleep 0.5
shot "$build/screenshots/doublecmd-found.png"
cmp -s "$work/shot.rgb" "$work/before.rgb" && fail "the viewer did not repaint after the search"
focused=$(pixels 255,255,128 0)
echo "doublecmd_test: after the search, highlighted bytes $focused"
[ "$focused" -gt 200 ] || fail "no highlighted bytes of the found element"

# F3 and Shift+F3 are the host viewer's shortcuts: they reach the host while
# the viewer has the focus, and it searches again forwards, then backwards
# back to the first match.
searches() { grep -c '^ListSearchTextW' "$work/trace.log" || true; }
await_search() {
  for _ in $(seq 50); do [ "$(searches)" -ge "$1" ] && return 0; sleep 0.1; done
  fail "the host did not search again (search $1)"
}
xdotool windowfocus --sync "$viewer"
xdotool key F3
await_search 2
xdotool key shift+F3
await_search 3
first=$(grep '^ListSearchTextW' "$work/trace.log" | sed -n 1p)
again=$(grep '^ListSearchTextW' "$work/trace.log" | sed -n 2p)
back=$(grep '^ListSearchTextW' "$work/trace.log" | sed -n 3p)
[[ "$again" =~ ^ListSearchTextW\ 2\.5\.4\.3\ 0\ -\>\ 0 ]] || fail "F3 did not search forwards: $again"
[ "${again#*focus=}" != "${first#*focus=}" ] || fail "F3 found the same row again"
[[ "$back" =~ ^ListSearchTextW\ 2\.5\.4\.3\ 8\ -\>\ 0 ]] || fail "Shift+F3 did not search backwards: $back"
[ "${back#*focus=}" = "${first#*focus=}" ] || fail "Shift+F3 did not go back to the first match"

# Esc in the viewer closes it; the plug-in saves its settings on the way.
xdotool windowfocus --sync "$viewer"
xdotool key Escape
for _ in $(seq 50); do grep -q '^ListCloseWindow' "$work/trace.log" && break; sleep 0.1; done
grep -q '^ListCloseWindow -> closed' "$work/trace.log" || fail "Esc did not close the viewer through ListCloseWindow"
# The trace line comes as the close begins; the settings are saved during it.
for _ in $(seq 50); do [ -s "$work/plugin/Bramlet.ini" ] && break; sleep 0.1; done
keys=$(grep -c '^[A-Za-z]*=' "$work/plugin/Bramlet.ini" 2>/dev/null || true)
[ "$keys" = 40 ] || fail "Bramlet.ini holds ${keys:-no} keys, not 40"
sleep 0.5
await_window "^$work/files/cert.der\$" 1 >/dev/null && fail "the viewer window is still open"
echo "doublecmd_test: PASS (screenshots in $build/screenshots)"
