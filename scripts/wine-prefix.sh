#!/usr/bin/env bash
# Creates (once) the private Wine prefix given as $1, with no add-on installers, no menu builder and
# no crash dialog, so that a crashing test fails instead of hanging.
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh"
export WINEPREFIX=$1
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
# wineboot -i returns once the prefix is set up; its services end with our wineserver.
if [ -d "$WINEPREFIX/drive_c/windows" ]; then
  touch "$WINEPREFIX/.kv-ready"
  echo "wine prefix created: $WINEPREFIX"
  exit 0
fi
echo "wine prefix could not be created: $WINEPREFIX" >&2
exit 1
