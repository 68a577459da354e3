#!/usr/bin/env bash
# measure-latency.sh: time from a stroke's injection into the simulated driver to its REMOTE line
# on the loopback network, for kvRemote under Wine. Builds the program (win64 preset) and the probe
# (bench/latency, for this machine), starts kvRemote on a private Xvfb with an auxiliary keyboard,
# runs the probe (median and 99th percentile over 1,000 strokes by default) and stops everything
# it started, by pid.
#
# Environment: KV_BUILD_DIR (default build/win64), KV_LATENCY_COUNT (default 1000),
# KV_DEMO_PORT / KV_SIM_PORT (default 49872 / 49802).
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root" || exit 1
. scripts/wine-env.sh
. scripts/run-common.sh

build=${KV_BUILD_DIR:-build/win64}
remote_port=${KV_DEMO_PORT:-49872}
sim_port=${KV_SIM_PORT:-49802}
count=${KV_LATENCY_COUNT:-1000}
targets=(kvRemote kvcom simdriver kvremote_ctl)
say() { echo "measure-latency: $*"; }

kv_build "$build" "${targets[@]}" || { say "build failed"; exit 1; }
build=$(cd "$build" && pwd)
probe_build=$build/latency-probe
{ [ -f "$probe_build/build.ninja" ] || cmake -S bench/latency -B "$probe_build" -G Ninja >/dev/null; } &&
  cmake --build "$probe_build" >/dev/null || { say "probe build failed"; exit 1; }

run=$build/latency-run
kv_run_folder "$build" "$run" || { say "no run folder"; exit 1; }
printf '%s\n' '1 HID\VID_045E&PID_0750' '2 HID\VID_05A4&PID_9759' >"$run/devices.txt"
printf '%s\r\n' "[Network]" "BroadcastAddress=127.255.255.255" "Port=$remote_port" \
  "[Keyboards]" "Device1=2" 'HarwareId1=HID\VID_05A4&PID_9759' "Index1=5" "UseAux=1" >"$run/cfg/kvRemote.ini"

kv_sim_env "$build" "$run" "$sim_port" || { say "no Wine prefix"; exit 1; }

program_pid=""
stop_everything() {
  trap - EXIT INT TERM
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null
  kv_stop_all
}
trap stop_everything EXIT
trap 'exit 130' INT TERM
unset DISPLAY
kv_start_xvfb || exit 1
kv_start_wineserver
cd "$run" || exit 1
wine kvRemote.exe -a "$(kv_winpath "$run")" >/dev/null 2>&1 &
program_pid=$!
for ((i = 0; i < 600; i++)); do
  grep -q '^filter keyboards [1-9]' kvsim.log 2>/dev/null && break
  sleep 0.1
done
grep -q '^filter keyboards [1-9]' kvsim.log 2>/dev/null || { say "kvRemote did not start capturing"; exit 1; }
sleep 6 # let the start-up About box close by itself, as it would for a user

say "kvRemote $(uname -m) under $(wine --version 2>/dev/null), $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
"$probe_build/latency_probe" --sim-port "$sim_port" --remote-port "$remote_port" --device 2 --index 5 --count "$count"
rc=$?
wine "$(kv_winpath "$build/tests/e2e/program/kvremote_ctl.exe")" exit >/dev/null 2>&1 && program_pid=""
exit $rc
