#!/usr/bin/env bash
# measure-latency.sh: kvRemote's latencies under Wine, each beside the floor measured in the same
# run, and its idle cost and size. Builds the win64 targets and the probe in bench/latency (for this
# machine), starts a private Xvfb and wineserver, and stops everything it started, by pid.
#
#   floor       floor_probe.exe, the same hops without kvRemote (datagram in, event wake in
#               another thread, cross-thread post to a window's handler, datagram out), run right
#               before and right after kvRemote in the same prefix; its event wake alone is the
#               floor of a re-injected stroke.
#   idle        kvRemote's own processor time over KV_IDLE_SECONDS (30) with capture on, beside
#               wineserver's (reported, not counted).
#   path 1      auxiliary key press -> REMOTE line, settings window hidden;
#   path 2      the same with the settings window in front;
#   path 3      main-keyboard stroke -> re-injected stroke, stamped by the simulated driver;
#   path 4      a main mouse moving 1,000 times a second for 10 s: every move re-injected, in order.
#   path 5      path 1 again after a restart with Companion connected to a Satellite stand-in on
#               loopback (satellite_standin, built natively like the probe: a Companion of its own,
#               as on another machine, rather than a second Wine process sharing kvRemote's
#               wineserver), beside path 1 of the same run.
#   MQTT        path 1 again after a restart with MQTT on, connected to a mosquitto broker on
#               loopback, as a ratio to path 1 (skipped when mosquitto is not installed).
#
# Prints, per path, the median, the 99th percentile and the median's ratio to the floor. Absolute
# times vary with the machine's load; the ratios are what to compare between runs.
#
# Environment: KV_BUILD_DIR (default build/win64; a folder configured with -DKV_LATENCY_TRACE=ON
# adds the program's own breakdown of each step), KV_LATENCY_COUNT (strokes per path, 1000),
# KV_IDLE_SECONDS (30), KV_DEMO_PORT / KV_SIM_PORT / KV_FLOOR_PORT / KV_COMPANION_PORT (49872 / 49802 /
# 49803 / 49804).
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root" || exit 1
. scripts/wine-env.sh
. scripts/run-common.sh

build=${KV_BUILD_DIR:-build/win64}
remote_port=${KV_DEMO_PORT:-49872}
sim_port=${KV_SIM_PORT:-49802}
floor_port=${KV_FLOOR_PORT:-49803}
companion_port=${KV_COMPANION_PORT:-49804}
count=${KV_LATENCY_COUNT:-1000}
idle_seconds=${KV_IDLE_SECONDS:-30}
targets=(kvRemote kvcom simdriver kvremote_ctl floor_probe)
say() { echo "measure-latency: $*"; }

kv_build "$build" "${targets[@]}" || { say "build failed"; exit 1; }
build=$(cd "$build" && pwd)
probe_build=$build/latency-probe
{ [ -f "$probe_build/build.ninja" ] || cmake -S bench/latency -B "$probe_build" -G Ninja >/dev/null; } &&
  cmake --build "$probe_build" >/dev/null || { say "probe build failed"; exit 1; }
probe=$probe_build/latency_probe
native=${KV_NATIVE_BUILD_DIR:-$root/build/native}
{ [ -f "$native/build.ninja" ] || cmake --preset native >/dev/null; } &&
  cmake --build "$native" --target satellite_standin >/dev/null || { say "stand-in build failed"; exit 1; }
standin=$native/tests/support/satellite_standin

run=$build/latency-run
kv_run_folder "$build" "$run" || { say "no run folder"; exit 1; }
cp "$build/bench/floor/floor_probe.exe" "$run/"
# Keyboard 1 and mouse 11 are main devices, keyboard 2 (index 5) and mouse 12 (index 7) auxiliary.
printf '%s\n' '1 HID\VID_045E&PID_0750' '2 HID\VID_05A4&PID_9759' '11 HID\VID_046D&PID_C077' \
  '12 HID\VID_1234&PID_5678' >"$run/devices.txt"
printf '%s\r\n' "[Network]" "BroadcastAddress=127.255.255.255" "Port=$remote_port" \
  "[Keyboards]" "Device1=2" 'HarwareId1=HID\VID_05A4&PID_9759' "Index1=5" "UseAux=1" \
  "[Mouses]" "Device1=12" 'HarwareId1=HID\VID_1234&PID_5678' "Index1=7" "UseAux=1" >"$run/cfg/kvRemote.ini"

kv_sim_env "$build" "$run" "$sim_port" || { say "no Wine prefix"; exit 1; }

program_pid=""
floor_pid=""
standin_pid=""
stop_everything() {
  trap - EXIT INT TERM
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null
  [ -n "$floor_pid" ] && kill "$floor_pid" 2>/dev/null
  [ -n "$standin_pid" ] && kill "$standin_pid" 2>/dev/null
  [ -n "${mqtt_sub_pid:-}" ] && kill "$mqtt_sub_pid" 2>/dev/null
  [ -n "${mqtt_dir:-}" ] && "$root/tests/e2e/mqtt/broker.sh" stop "$mqtt_dir"
  kv_stop_all
}
trap stop_everything EXIT
trap 'exit 130' INT TERM
unset DISPLAY
kv_start_xvfb || exit 1
kv_start_wineserver
cd "$run" || exit 1

# field NAME LINE: the value of NAME=value in a "result" line.
field() { sed -n "s/.*\<$1=\([-0-9.]*\).*/\1/p" <<<"$2" | head -n1; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }
mean() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", (a + b) / 2 }'; }
# windows_pid NAME: the Linux pid of this prefix's process running NAME (wine hands the program
# to a process of its own, so the pid of the wine command is not it).
windows_pid() {
  local p
  for p in /proc/[0-9]*; do
    { tr '\0' '\n' <"$p/cmdline"; } 2>/dev/null | head -n1 | grep -qi "$1\$" &&
      tr '\0' '\n' <"$p/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && { echo "${p#/proc/}"; return; }
  done
}
# cpu_ticks PID: user plus system time of the process, all threads, in clock ticks.
cpu_ticks() { sed 's/^.*) //' "/proc/$1/stat" 2>/dev/null | awk '{ print $12 + $13 }'; }

# floor_run NAME: floor_probe's line path and event wake; sets NAME_line and NAME_wake.
floor_run() {
  wine floor_probe.exe --in-port "$floor_port" --out-port "$remote_port" >/dev/null 2>&1 &
  floor_pid=$!
  local i
  for ((i = 0; i < 100; i++)); do
    "$probe" ask --sim-port "$floor_port" "ping?" >/dev/null 2>&1 && break
  done
  local line wake
  line=$("$probe" lines --echo --sim-port "$floor_port" --remote-port "$remote_port" --count "$count" |
    grep '^result') || { say "floor probe failed"; return 1; }
  wake=$("$probe" ask --sim-port "$floor_port" "timing?")
  "$probe" ask --sim-port "$floor_port" quit >/dev/null
  wait "$floor_pid" 2>/dev/null
  floor_pid=""
  printf -v "$1_line" '%s' "$line"
  printf -v "$1_wake" '%s' "$wake"
}

say "kvRemote $(uname -m) under $(wine --version 2>/dev/null), $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
floor_run before || exit 1

wine kvRemote.exe -a "$(kv_winpath "$run")" >/dev/null 2>&1 &
program_pid=$!
for ((i = 0; i < 600; i++)); do
  grep -Eq '^filter (keyboards|devices[0-9 ]*) 15( unchanged)?[[:space:]]*$' kvsim.log 2>/dev/null && break
  sleep 0.1
done
grep -Eq '^filter (keyboards|devices[0-9 ]*) 15( unchanged)?[[:space:]]*$' kvsim.log 2>/dev/null || { say "kvRemote did not start capturing"; exit 1; }
sleep 6 # let the start-up About box close by itself, as it would for a user

# Idle: the program waits on the driver 50 ms at a time and does nothing else.
hz=$(getconf CLK_TCK)
windows_program=$(windows_pid kvRemote.exe)
[ -n "$windows_program" ] || { say "kvRemote's process not found"; exit 1; }
p0=$(cpu_ticks "$windows_program") s0=$(cpu_ticks "$KV_WINESERVER_PID")
sleep "$idle_seconds"
p1=$(cpu_ticks "$windows_program") s1=$(cpu_ticks "$KV_WINESERVER_PID")
idle_program=$(awk -v d=$((p1 - p0)) -v hz="$hz" -v s="$idle_seconds" 'BEGIN { printf "%.2f", 100 * d / hz / s }')
idle_server=$(awk -v d=$((s1 - s0)) -v hz="$hz" -v s="$idle_seconds" 'BEGIN { printf "%.2f", 100 * d / hz / s }')

lines() { "$probe" lines --sim-port "$sim_port" --remote-port "$remote_port" --device 2 --index 5 --count "$count" | grep '^result'; }
paced() {
  "$probe" ask --sim-port "$sim_port" reset-timing >/dev/null &&
    "$probe" paced --sim-port "$sim_port" "$@" | grep '^result'
}
# Exit through the program's own menu command, and wait until its process is gone.
exit_program() {
  wine "$(kv_winpath "$build/tests/e2e/program/kvremote_ctl.exe")" exit >/dev/null 2>&1 && program_pid=""
  for ((i = 0; i < 150; i++)); do
    [ -z "$(windows_pid kvRemote.exe)" ] && break
    sleep 0.1
  done
}
path1=$(lines) || { say "path 1 failed"; exit 1; }
path3=$(paced --line "key 1 0x1E 0" --line "key 1 0x1E 1" --rate 200 --count "$count") || { say "path 3 failed"; exit 1; }
path4=$(paced --line "move 11" --rate 1000 --count 10000) || { say "path 4 failed"; exit 1; }
wine "$(kv_winpath "$build/tests/e2e/program/kvremote_ctl.exe")" settings >/dev/null 2>&1
sleep 2
path2=$(lines) || { say "path 2 failed"; exit 1; }
exit_program
# The settings without any connection, for each connection's run to start from.
cp cfg/kvRemote.ini cfg/kvRemote.base.ini

# Path 5: kvRemote again, now with Companion connected to the stand-in, once both surfaces are added.
"$standin" "$companion_port" >standin.log 2>&1 &
standin_pid=$!
printf '%s\r\n' "[Connections]" "Station=Measure" "[Companion]" "Host=127.0.0.1" "Port=$companion_port" \
  >>cfg/kvRemote.ini
wine kvRemote.exe -a "$(kv_winpath "$run")" >/dev/null 2>&1 &
program_pid=$!
for ((i = 0; i < 600; i++)); do
  grep -q '^surfaces 2 ' standin.log 2>/dev/null && break
  sleep 0.1
done
grep -q '^surfaces 2 ' standin.log || { say "kvRemote did not add its Companion surfaces"; exit 1; }
sleep 6
path5=$(lines) || { say "path 5 failed"; exit 1; }
exit_program
# The stand-in's last count, after kvRemote's goodbye took the surfaces away.
for ((i = 0; i < 50; i++)); do
  grep -q '^surfaces 0 ' standin.log && break
  sleep 0.1
done
companion_actions=$(sed -n 's/^surfaces [0-9]* actions \([0-9]*\)$/\1/p' standin.log | tail -n1)
kill "$standin_pid" 2>/dev/null
wait "$standin_pid" 2>/dev/null
standin_pid=""

floor_run after || exit 1
load=$(cut -d' ' -f1-3 /proc/loadavg)

floor=$(mean "$(field median_us "$before_line")" "$(field median_us "$after_line")")
wake=$(mean "$(field median_us "$before_wake")" "$(field median_us "$after_wake")")
row() { # NAME RESULT FLOOR
  local median p99
  median=$(field median_us "$2") p99=$(field p99_us "$2")
  printf '  %-44s %8.0f %8.0f %8s\n' "$1" "$median" "$p99" "$(ratio "$median" "$3")"
}
echo
printf '  %-44s %8s %8s %8s\n' "microseconds" median p99 "x floor"
row "floor before: datagram in, wake, post, out" "$before_line" "$floor"
row "floor after" "$after_line" "$floor"
row "floor before: event wake" "$before_wake" "$wake"
row "floor after: event wake" "$after_wake" "$wake"
row "1 auxiliary key -> REMOTE line, window hidden" "$path1" "$floor"
row "2 auxiliary key -> REMOTE line, window in front" "$path2" "$floor"
row "5 as 1, Companion connected (loopback)" "$path5" "$floor"
echo "  path 5 / path 1 (medians): $(ratio "$(field median_us "$path5")" "$(field median_us "$path1")"), goal at most 1.1; Companion got ${companion_actions:-0} button presses and releases"
# Main devices are not held in capture mode: their strokes never wait on kvRemote.
echo "  path 3: main keys $(field injected "$path3") injected, $(field held "$path3") held by the driver for kvRemote"
echo "  path 4: main mouse moves $(field injected "$path4") injected at 1,000/s, $(field held "$path4") held"
echo "  idle over ${idle_seconds} s: kvRemote ${idle_program} % of one core (wineserver ${idle_server} %, not counted)"
echo "  kvRemote.exe $(stat -c %s "$build/src/kvRemote.exe") bytes"
echo "  load at the end: $load"

# MQTT: kvRemote started again with [Mqtt] on a loopback mosquitto; path 1 once it is connected.
mqtt_dir=$build/latency-broker
if ! command -v mosquitto_sub >/dev/null; then
  echo "  MQTT: not measured, mosquitto_sub is not installed (Debian package mosquitto-clients)"
elif ! "$root/tests/e2e/mqtt/broker.sh" start "$mqtt_dir" || [ ! -f "$mqtt_dir/port" ]; then
  echo "  MQTT: not measured, $(cat "$mqtt_dir/skip" 2>/dev/null || echo "the broker did not start")"
else
  mqtt_port=$(cat "$mqtt_dir/port")
  cp "$run/cfg/kvRemote.base.ini" "$run/cfg/kvRemote.ini" # Companion off again: MQTT alone
  printf '%s\r\n' "[Connections]" "Station=latency" "[Mqtt]" "Host=127.0.0.1" "Port=$mqtt_port" >>"$run/cfg/kvRemote.ini"
  stdbuf -oL mosquitto_sub -h 127.0.0.1 -p "$mqtt_port" -t kvremote/latency/keyboard/5 >"$mqtt_dir/events.txt" 2>/dev/null &
  mqtt_sub_pid=$!
  log_lines=$(wc -l <kvsim.log)
  wine kvRemote.exe -a "$(kv_winpath "$run")" >/dev/null 2>&1 &
  program_pid=$!
  for ((i = 0; i < 600; i++)); do
    tail -n +$((log_lines + 1)) kvsim.log | grep -Eq '^filter (keyboards|devices[0-9 ]*) 15( unchanged)?[[:space:]]*$' && break
    sleep 0.1
  done
  sleep 6 # the start-up About box
  for ((i = 0; i < 60; i++)); do
    [ "$(mosquitto_sub -h 127.0.0.1 -p "$mqtt_port" -t kvremote/latency/status -C 1 -W 2 2>/dev/null)" = online ] && break
  done
  path1_mqtt=$(lines) || path1_mqtt=""
  exit_program
  sleep 1
  kill "$mqtt_sub_pid" 2>/dev/null && mqtt_sub_pid=""
  published=$(grep -c '"event_type":"press"' "$mqtt_dir/events.txt")
  if [ -n "$path1_mqtt" ]; then
    row "1 with MQTT connected to a loopback broker" "$path1_mqtt" "$floor"
    echo "  MQTT: path 1 with MQTT / without, medians: $(ratio "$(field median_us "$path1_mqtt")" "$(field median_us "$path1")") (goal at most 1.1); $published presses published"
  else
    echo "  MQTT: path 1 with MQTT failed"
  fi
fi
# A build with the KV_LATENCY_TRACE option leaves its breakdown of paths 1 and 2 behind.
[ -f "$run/kvRemote-trace.txt" ] && sed -e '/^events:/,$d' -e 's/^/  trace: /' "$run/kvRemote-trace.txt"
[ "$(field held "$path3")" = 0 ] && [ "$(field held "$path4")" = 0 ]
