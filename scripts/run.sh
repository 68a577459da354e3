#!/usr/bin/env bash
# run.sh: builds kvRemote (win64 preset) and runs it under Wine on the simulated driver, with two
# keyboards and two mice (one of each auxiliary) and kvlisten, which prints every REMOTE line the
# program broadcasts on the loopback network.
#
# With a display, kvRemote runs until you choose "Exit" from its tray menu or press Ctrl+C; inject
# strokes meanwhile with build/win64/simdriver/host/kvsim (the commands are printed).
# Without a display, it runs a short scripted demo on a private Xvfb, saves a screenshot, prints
# where, and ends.
#
# Environment: KV_BUILD_DIR (default build/win64; another folder is built by target only),
# KV_DEMO_PORT (REMOTE lines, default 49871), KV_SIM_PORT (injection, default 49801).
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root" || exit 1
. scripts/wine-env.sh
. scripts/run-common.sh

build=${KV_BUILD_DIR:-build/win64}
demo_port=${KV_DEMO_PORT:-49871}
sim_port=${KV_SIM_PORT:-49801}
targets=(kvRemote kvcom simdriver kvsim_host kvlisten_host kvremote_ctl)

say() { echo "run.sh: $*"; }

# --- build -------------------------------------------------------------------------------------
kv_build "$build" "${targets[@]}" || { say "build failed"; exit 1; }
build=$(cd "$build" && pwd)
kvsim=$build/simdriver/host/kvsim
kvlisten=$build/tools/kvlisten/host/kvlisten
ctl=$build/tests/e2e/program/kvremote_ctl.exe

# --- run folder --------------------------------------------------------------------------------
run=$build/run
kv_run_folder "$build" "$run" || { say "no run folder"; exit 1; }

cat >"$run/devices.txt" <<'EOF'
# main keyboard, auxiliary keypad, main mouse, auxiliary mouse
1 HID\VID_045E&PID_0750
2 HID\VID_05A4&PID_9759
11 HID\VID_046D&PID_C077
12 HID\VID_1BCF&PID_0005
EOF
printf '%s\r\n' "[Network]" "BroadcastAddress=127.255.255.255" "Port=$demo_port" "ApplicationId=REMOTE" \
  "[RemoteCmd]" "Destination=" \
  "[Keyboards]" "Device1=2" 'HarwareId1=HID\VID_05A4&PID_9759' "Index1=5" "UseAux=1" "MainIndex=0" "TextCmd=AUXKEYB" \
  "[Mouses]" "Device1=12" 'HarwareId1=HID\VID_1BCF&PID_0005' "Index1=7" "UseAux=1" "MainIndex=0" "TextCmd=AUXMOUSE" \
  >"$run/cfg/kvRemote.ini"

kv_sim_env "$build" "$run" "$sim_port" || { say "no Wine prefix"; exit 1; }

# --- everything started below is stopped by pid on the way out -------------------------------
listener_pid=""
program_pid=""
stop_everything() {
  trap - EXIT INT TERM
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null
  [ -n "$listener_pid" ] && kill "$listener_pid" 2>/dev/null
  [ -n "$listener_pid" ] && wait "$listener_pid" 2>/dev/null
  kv_stop_all # wineserver (and every process of the prefix), then Xvfb when we started one
}
trap stop_everything EXIT
trap 'exit 130' INT TERM

# The listener: kvlisten bound to 0.0.0.0, so it hears the loopback broadcast; one line per datagram,
# also kept in remote-lines.txt.
"$kvlisten" --port "$demo_port" > >(tee -a "$run/remote-lines.txt") &
listener_pid=$!

headless=0
if [ -z "${DISPLAY:-}" ]; then
  headless=1
  export KV_SCREEN=800x600x24 # the size of the Wine desktop below, so the screenshot is all desktop
  kv_start_xvfb || exit 1
fi
kv_start_wineserver
cd "$run" || exit 1

if [ "$headless" = 0 ]; then
  say "kvRemote runs in the tray; inject strokes from another terminal, e.g.:"
  say "  $kvsim --port $sim_port key 2 0x47 press      (keypad 7 on the auxiliary keypad)"
  say "  $kvsim --port $sim_port button 12 left-down   (a click on the auxiliary mouse)"
  say "End it with the tray menu's Exit, or Ctrl+C here."
  wine kvRemote.exe -a "$(kv_winpath "$run")" &
  program_pid=$!
  wait "$program_pid"
  program_pid=""
  exit 0
fi

# --- the scripted demo -------------------------------------------------------------------------
wine explorer /desktop=kvRemote,800x600 kvRemote.exe -a "$(kv_winpath "$run")" >/dev/null 2>&1 &
program_pid=$!
wait_for() { # wait_for SECONDS COMMAND...: polls COMMAND until it succeeds
  local limit=$(($1 * 10)); shift
  for ((i = 0; i < limit; i++)); do "$@" && return 0; sleep 0.1; done
  return 1
}
# The auxiliary keypad and mouse held (only they are: the main devices never wait on kvRemote).
filters_on() {
  grep -Eq '^filter (keyboards|devices[0-9 ]*) 15( unchanged)?[[:space:]]*$' "$run/kvsim.log" 2>/dev/null &&
    grep -Eq '^filter (mice|devices[0-9 ]*) 5183( unchanged)?[[:space:]]*$' "$run/kvsim.log"
}
wait_for 60 filters_on || { say "kvRemote did not start capturing"; exit 1; }
say "kvRemote is capturing; injecting strokes on the auxiliary keypad (2) and mouse (12)"

k() { "$kvsim" --port "$sim_port" "$@" >/dev/null; }
k key 2 0x47 press; k key 2 0x47 release       # keypad 7         -> AUXKEYB/103/0/5
k key 2 0x2A press; k key 2 0x1E press         # Shift+A          -> AUXKEYB/65/1/5
k key 2 0x1E release; k key 2 0x2A release
k button 12 left-down; k button 12 left-up     # a click          -> AUXMOUSE/1/0/7, AUXMOUSE/2/0/7
k wheel 12 -120                                # a wheel step     -> AUXMOUSE/1024/-120/7
k key 1 0x1E press; k key 1 0x1E release       # main keyboard: not held, straight to the system
lines_in() { [ "$(wc -l <"$run/remote-lines.txt" 2>/dev/null || echo 0)" -ge 5 ]; }
wait_for 30 lines_in || say "fewer REMOTE lines than expected arrived"
say "the main keyboard's strokes went to the system, never held:"
grep '^system key 1' "$run/kvsim.log" | sed 's/^/run.sh:   /'

# The settings window, showing the last command sent, for the screenshot.
# Opening the window empties "Last command sent"; one more press fills it.
wine explorer /desktop=kvRemote,800x600 "$(kv_winpath "$ctl")" settings >/dev/null 2>&1
sleep 1
k key 2 0x47 press; k key 2 0x47 release
six_lines() { [ "$(wc -l <"$run/remote-lines.txt")" -ge 6 ]; }
wait_for 30 six_lines
sleep 1
shot=$run/kvRemote-demo.png
import -display "$DISPLAY" -window root "$shot" 2>/dev/null && say "screenshot saved: $shot"
wine explorer /desktop=kvRemote,800x600 "$(kv_winpath "$ctl")" exit >/dev/null 2>&1 && say "kvRemote ended (Exit)"
exit 0
