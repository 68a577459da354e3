#!/usr/bin/env bash
# screenshots.sh: regenerates docs/screenshots/*.png, the README's pictures of kvRemote's windows.
# Builds the win64 targets it needs, then runs screenshot_tour inside a Wine desktop with a taskbar
# on a private Xvfb; Xvfb and wineserver are stopped by pid at the end.
# Environment: KV_BUILD_DIR (default build/win64).
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root" || exit 1
. scripts/wine-env.sh
. scripts/run-common.sh

build=${KV_BUILD_DIR:-build/win64}
kv_build "$build" screenshot_tour || { echo "screenshots: build failed" >&2; exit 1; }
build=$(cd "$build" && pwd)

export WINEPREFIX=$build/run-wineprefix
scripts/wine-prefix.sh "$WINEPREFIX" >/dev/null || exit 1
trap kv_stop_all EXIT
unset DISPLAY
export KV_SCREEN=800x600x24
kv_start_xvfb || exit 1
kv_start_wineserver
out=$root/docs/screenshots
mkdir -p "$out"
tour=$build/tests/e2e/program/screenshot_tour.exe
cd "$(dirname "$tour")" || exit 1
wine explorer /desktop=kvRemote,800x600 "Z:${tour//\//\\}" "$out"
# explorer returns before the tour ends: wait for the tour's own process, at most 3 minutes.
for ((i = 0; i < 1800; i++)); do
  pgrep -f "screenshot_tour.exe" >/dev/null || break
  sleep 0.1
done
# The tour writes uncompressed PNGs; squeeze them when ImageMagick is there.
if command -v mogrify >/dev/null; then
  mogrify -strip -define png:compression-level=9 "$out"/*.png
fi
ls -l "$out"
