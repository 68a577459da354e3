#!/usr/bin/env bash
# wine-prefix.sh PREFIX [DPI]
# Creates (once) the private Wine prefix PREFIX, with no add-on installers, no menu builder and
# no crash dialog, so that a crashing test fails instead of hanging. With DPI, the prefix's screen
# has that many logical pixels per inch (96 = 100 %, 144 = 150 %).
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh"
export WINEPREFIX=$1
dpi=${2:-}
# A 64-bit prefix made while Wine could not run 32-bit programs has an empty syswow64, and no
# 32-bit program starts in it ever after ("could not load kernel32.dll"). Where 32-bit Wine is
# there now, such a prefix is made anew.
if [ -f "$WINEPREFIX/.kv-ready" ] && kv_wine32_installed &&
  [ ! -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]; then
  echo "wine prefix without 32-bit system files, making it anew: $WINEPREFIX"
  [ -z "$dpi" ] && dpi=$(cat "$WINEPREFIX/.kv-dpi" 2>/dev/null)
  rm -rf "$WINEPREFIX"
fi
if [ -f "$WINEPREFIX/.kv-ready" ]; then
  echo "wine prefix ready: $WINEPREFIX"
  exit 0
fi
mkdir -p "$WINEPREFIX"
trap kv_stop_all EXIT
kv_start_xvfb || exit 1
kv_start_wineserver
wine wineboot -i >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer' /v EnableShell /t REG_DWORD /d 1 /f >/dev/null 2>&1
if [ -n "$dpi" ]; then
  # The one place Wine 8 takes the display DPI from.
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1 || {
    echo "wine prefix: could not set LogPixels $dpi in $WINEPREFIX" >&2
    exit 1
  }
  echo "$dpi" >"$WINEPREFIX/.kv-dpi"
fi
# wineboot -i returns once the prefix is set up; its services end with our wineserver.
if [ -d "$WINEPREFIX/drive_c/windows" ]; then
  touch "$WINEPREFIX/.kv-ready"
  echo "wine prefix created: $WINEPREFIX${dpi:+ ($dpi DPI)}"
  exit 0
fi
echo "wine prefix could not be created: $WINEPREFIX" >&2
exit 1
