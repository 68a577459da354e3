#!/usr/bin/env bash
# screenshots.sh: regenerates docs/screenshots/*.png, the README's pictures of kvRemote's windows,
# and docs/screenshots/dpi/NAME-DPI.png, every window at 96, 120 and 144 DPI (100, 125, 150 %).
# Builds the win64 targets it needs, then runs screenshot_tour inside a Wine desktop with a taskbar
# on a private Xvfb, once per DPI in a prefix of that DPI; Xvfb and wineserver are stopped by pid
# after each run.
# Environment: KV_BUILD_DIR (default build/win64), KV_DPIS (default "96 120 144").
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root" || exit 1
. scripts/wine-env.sh
. scripts/run-common.sh

build=${KV_BUILD_DIR:-build/win64}
kv_build "$build" screenshot_tour || { echo "screenshots: build failed" >&2; exit 1; }
build=$(cd "$build" && pwd)
tour=$build/tests/e2e/program/screenshot_tour.exe
out=$root/docs/screenshots
mkdir -p "$out/dpi"
trap kv_stop_all EXIT
unset DISPLAY

# tour DPI DIR: every window's picture at DPI into DIR, on a desktop of 800 x 600 at 96 DPI and
# as much larger as the DPI, so the settings window fits at 144 DPI too.
tour() {
  export WINEPREFIX=$build/run-wineprefix-dpi$1
  local size=$((800 * $1 / 96))x$((600 * $1 / 96))
  scripts/wine-prefix.sh "$WINEPREFIX" "$1" >/dev/null || return 1
  KV_SCREEN=${size}x24 kv_start_xvfb || return 1
  kv_start_wineserver
  (cd "$(dirname "$tour")" && wine explorer /desktop=kvRemote,"$size" "$(kv_winpath "$tour")" "$2")
  # explorer returns before the tour ends: wait for the tour's own process, at most 3 minutes.
  for ((i = 0; i < 1800; i++)); do
    pgrep -f "screenshot_tour.exe" >/dev/null || break
    sleep 0.1
  done
  kv_stop_all
}

status=0
for dpi in ${KV_DPIS:-96 120 144}; do
  shots=$build/screenshots-dpi$dpi
  rm -rf "$shots" && mkdir -p "$shots"
  tour "$dpi" "$shots" || status=1
  for png in "$shots"/*.png; do
    [ -f "$png" ] || { status=1; continue; }
    name=$(basename "$png" .png)
    cp "$png" "$out/dpi/$name-$dpi.png"
    [ "$dpi" = 96 ] && cp "$png" "$out/$name.png"
  done
done
# The tour writes uncompressed PNGs; squeeze them when ImageMagick is there.
if command -v mogrify >/dev/null; then
  mogrify -strip -define png:compression-level=9 "$out"/*.png "$out"/dpi/*.png
fi
ls -l "$out" "$out/dpi"
exit $status
