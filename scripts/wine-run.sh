#!/usr/bin/env bash
# wine-run.sh PREFIX PROGRAM [ARGS...]
# Runs a Windows program under Wine in the private prefix PREFIX, with a private Xvfb display and
# our own wineserver; both are stopped by pid when the program ends. Exits with the program's code.
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh"
# Wine insists on an absolute prefix path.
export WINEPREFIX=$(realpath -m "$1")
shift
# Made when missing, and made anew when it cannot run 32-bit programs (see wine-prefix.sh).
"$here/wine-prefix.sh" "$WINEPREFIX" >/dev/null || exit 1
trap kv_stop_all EXIT
kv_start_xvfb || exit 1
kv_start_wineserver
# Without a window manager on the Xvfb display, Wine waits 2 s for one on every window it hides
# (each closed dialog or message box). Unmanaged windows close at once; set once per prefix.
if [ ! -f "$WINEPREFIX/.kv-unmanaged" ]; then
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 &&
    touch "$WINEPREFIX/.kv-unmanaged"
fi
program=$(realpath "$1")
shift
cd "$(dirname "$program")" || exit 1
wine "$program" "$@"
rc=$?
exit $rc
