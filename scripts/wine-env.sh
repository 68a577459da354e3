# Sourced by the Wine helpers: the environment every Wine run of ours uses.
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEARCH=win64

# Debian's wine command takes the 32-bit loader, an i386 program, whenever wine32 is installed. On
# a kernel that runs no 32-bit programs that loader cannot start, so 64-bit programs are run with
# the 64-bit loader directly.
kv_wine32_loader_runs=1
if [ -x /usr/lib/wine/wine ] && ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
  kv_wine32_loader_runs=0
  if [ -x /usr/lib/wine/wine64 ]; then
    export WINELOADER=/usr/lib/wine/wine64
    wine() { /usr/lib/wine/wine64 "$@"; }
  fi
fi

# kv_wine32_installed: true when Wine can run 32-bit programs (Debian's wine32 package, on a kernel
# that runs them).
kv_wine32_installed() {
  [ "$kv_wine32_loader_runs" = 1 ] || return 1
  [ -f /usr/lib/i386-linux-gnu/wine/i386-windows/kernel32.dll ] ||
    dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q "ok installed"
}

# kv_start_xvfb: starts a private Xvfb on a free display; sets DISPLAY and KV_XVFB_PID.
kv_start_xvfb() {
  local fifo
  fifo=$(mktemp -u /tmp/kv-xvfb.XXXXXX)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 "${KV_SCREEN:-1280x800x24}" -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  KV_XVFB_PID=$!
  local num=""
  read -r -t 20 num <"$fifo" || true
  rm -f "$fifo"
  if [ -z "$num" ]; then
    echo "wine-run: Xvfb did not start" >&2
    kill "$KV_XVFB_PID" 2>/dev/null
    return 1
  fi
  export DISPLAY=":$num"
}

# kv_start_wineserver: starts the prefix's wineserver in the foreground under our pid.
kv_start_wineserver() {
  wineserver -f -p >/dev/null 2>&1 &
  KV_WINESERVER_PID=$!
  # Give it a moment to create its socket so the first client does not start another one.
  sleep 0.3
}

kv_stop_all() {
  if [ -n "${KV_WINESERVER_PID:-}" ]; then
    # -k ends every process of this prefix's server (services, explorer, ...), then the server.
    wineserver -k 2>/dev/null
    kill "$KV_WINESERVER_PID" 2>/dev/null
    wait "$KV_WINESERVER_PID" 2>/dev/null
    KV_WINESERVER_PID=""
  fi
  if [ -n "${KV_XVFB_PID:-}" ]; then
    kill "$KV_XVFB_PID" 2>/dev/null
    wait "$KV_XVFB_PID" 2>/dev/null
    KV_XVFB_PID=""
  fi
}
