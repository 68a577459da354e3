#!/usr/bin/env bash
# The installer's life cycle under Wine, in a fresh prefix of its own, as an administrator runs it:
#   install-lifecycle.sh SETUP.exe SIM_INTERCEPTION.dll OTHER.dll KVSIM_HOST WORK_DIR
# 1. a silent install given a DLL that is not the Interception library: refused, the rest installed;
# 2. a silent upgrade given the simulated driver's library: files, shortcut, Run entry, uninstall
#    registration and the configuration folder's rights command in the log;
# 3. the installed kvRemote, on that library, sends a REMOTE line that the installed kvlisten reads;
#    a silent upgrade meanwhile stops, as the program's file is in use;
# 4. a silent upgrade without the option keeps the library and the settings;
# 5. a silent uninstall leaves only the configuration.
set -u
setup=$(realpath "$1") simdll=$(realpath "$2") otherdll=$(realpath "$3") kvsim=$(realpath "$4") work=$5
root=$(cd "$(dirname "$0")/../../.." && pwd)
. "$root/scripts/wine-env.sh"

rm -rf "$work" && mkdir -p "$work" && work=$(realpath "$work")
export WINEPREFIX=$work/prefix
program_pid="" listen_pid=""
cleanup() {
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null
  [ -n "$listen_pid" ] && kill "$listen_pid" 2>/dev/null
  kv_stop_all
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; [ -f "$log" ] && sed 's/^/  install.log: /' "$log"; exit 1; }
ok() { echo "ok: $*"; }
winpath() { local p=${1//\//\\}; echo "Z:$p"; }
wait_for() { # wait_for SECONDS COMMAND...
  local limit=$(($1 * 10)); shift
  for ((i = 0; i < limit; i++)); do "$@" && return 0; sleep 0.1; done
  return 1
}

"$root/scripts/wine-prefix.sh" "$WINEPREFIX" >/dev/null || fail "no Wine prefix"
kv_start_xvfb || exit 1
kv_start_wineserver

case "$setup" in
*win32*) progdir=$WINEPREFIX/"drive_c/Program Files (x86)/kvRemote" view=32 ;;
*) progdir=$WINEPREFIX/"drive_c/Program Files/kvRemote" view=64 ;;
esac
log=$progdir/install.log
cfg=$WINEPREFIX/drive_c/ProgramData/Korvane/cfg
shortcut=$WINEPREFIX/"drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/kvRemote.lnk"
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
uninst_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\kvRemote'
reg_value() { wine reg query "$1" /v "$2" "/reg:$view" 2>/dev/null | tr -d '\r' | grep -i "^ *$2 "; }

# --- 1. a DLL that is not the Interception library ----------------------------------------------
wine "$setup" /S "/INTERCEPTIONDLL=$(winpath "$otherdll")"
rc=$?
[ "$rc" = 3 ] || fail "install with a wrong library: exit code $rc, expected 3"
grep -q "interception.dll refused: .*not the Interception library: it does not export interception_create_context" "$log" ||
  fail "the refusal is not in the log"
grep -q "warning: kvRemote will not start until the Interception driver's interception.dll" "$log" ||
  fail "the missing-library warning is not in the log"
[ ! -e "$progdir/interception.dll" ] || fail "a refused library was copied"
[ -f "$progdir/kvRemote.exe" ] || fail "kvRemote.exe not installed without the library"
ok "a wrong library is refused with its reason and the warning; the rest is installed"

# --- 2. upgrade with the simulated driver's library, from a folder with a blank in its name ------
mkdir -p "$work/driver library" && cp "$simdll" "$work/driver library/interception.dll"
wine "$setup" /S "/INTERCEPTIONDLL=$(winpath "$work/driver library/interception.dll")"
rc=$?
[ "$rc" = 0 ] || fail "install exit code $rc"
for f in kvRemote.exe KvCom.dll kvlisten.exe README.txt uninstall.exe; do
  [ -f "$progdir/$f" ] || fail "$f not installed"
done
cmp -s "$simdll" "$progdir/interception.dll" || fail "interception.dll not copied"
grep -q "interception.dll copied from .*driver library.interception.dll" "$log" || fail "the copy is not in the log"
[ -f "$shortcut" ] || fail "no all-users Start-menu shortcut"
reg_value "$run_key" kvRemote | grep -qi 'kvRemote\\kvRemote.exe"$' || fail "no Run entry: $(reg_value "$run_key" kvRemote)"
reg_value "$uninst_key" DisplayVersion | grep -q "2.0$" || fail "no uninstall registration with version 2.0"
reg_value "$uninst_key" Publisher | grep -q "Korvane$" || fail "no publisher"
reg_value "$uninst_key" DisplayIcon | grep -qi 'kvRemote.exe,0$' || fail "no icon"
reg_value "$uninst_key" UninstallString | grep -qi 'uninstall.exe"$' || fail "no uninstall command"
grep -qF 'icacls.exe" "C:\ProgramData\Korvane\cfg" /grant *S-1-5-32-545:(OI)(CI)M' "$log" ||
  fail "the rights command for the configuration folder is not in the log"
[ -d "$cfg" ] || fail "no configuration folder"
ok "installed: files, library, shortcut, Run entry, registration, configuration folder and its rights"

# --- 3. the installed program sends a line that the installed kvlisten reads -------------------
port=$((40000 + RANDOM % 10000)) sim_port=$((30000 + RANDOM % 10000))
printf '%s\r\n' "[Network]" "BroadcastAddress=127.255.255.255" "Port=$port" "ApplicationId=STN2" \
  "[Keyboards]" "Device1=2" 'HarwareId1=HID\VID_05A4&PID_9759' "Index1=5" "UseAux=1" >"$cfg/kvRemote.ini"
printf '1 HID\\VID_045E&PID_0750\n2 HID\\VID_05A4&PID_9759\n' >"$work/devices.txt"
export KVSIM_PORT=$sim_port KVSIM_DEVICES KVSIM_LOG
KVSIM_DEVICES=$(winpath "$work/devices.txt") KVSIM_LOG=$(winpath "$work/kvsim.log")
wine "$progdir/kvRemote.exe" >/dev/null 2>&1 &
program_pid=$!
filters_on() { grep -q '^filter keyboards [1-9]' "$work/kvsim.log" 2>/dev/null; }
wait_for 120 filters_on || fail "the installed kvRemote did not start capturing"
wine "$progdir/kvlisten.exe" --json --port "$port" --count 1 --timeout 120 >"$work/lines.json" 2>"$work/kvlisten.err" &
listen_pid=$!
wait_for 60 grep -qs listening "$work/kvlisten.err" || fail "kvlisten did not start: $(cat "$work/kvlisten.err")"
"$kvsim" --port "$sim_port" key 2 0x47 press >/dev/null || fail "kvsim could not inject"
wait "$listen_pid"
rc=$?
listen_pid=""
[ "$rc" = 0 ] || fail "kvlisten exit code $rc: $(cat "$work/kvlisten.err")"
grep -q '"app":"STN2","destination":"","command":"AUXKEYB","code":103,"value":0,"index":5,' "$work/lines.json" ||
  fail "unexpected line: $(cat "$work/lines.json")"
ok "the installed kvRemote sent $(tr -d '\r' <"$work/lines.json")"
wine "$setup" /S
rc=$?
[ "$rc" = 2 ] || fail "an upgrade while kvRemote runs: exit code $rc, expected 2"
grep -q "stopped: kvRemote is running" "$log" || fail "the running program is not in the log"
kill "$program_pid" 2>/dev/null
wait "$program_pid" 2>/dev/null
program_pid=""
ok "a silent upgrade while kvRemote runs stops with exit code 2"

# --- 4. an upgrade without the option keeps the library and the settings -----------------------
cp "$cfg/kvRemote.ini" "$work/kvRemote.ini.before"
wine "$setup" /S
rc=$?
[ "$rc" = 0 ] || fail "upgrade exit code $rc"
cmp -s "$simdll" "$progdir/interception.dll" || fail "the upgrade lost interception.dll"
cmp -s "$work/kvRemote.ini.before" "$cfg/kvRemote.ini" || fail "the upgrade changed kvRemote.ini"
grep -q "interception.dll kept from the earlier installation" "$log" || fail "keeping the library is not in the log"
ok "an upgrade keeps interception.dll and kvRemote.ini"

# --- 5. uninstall: only the configuration stays --------------------------------------------------
# The uninstaller copies itself to a temporary folder and returns at once; wait for it.
wine "$progdir/uninstall.exe" /S
gone() { [ ! -e "$progdir" ] && [ ! -e "$shortcut" ]; }
wait_for 120 gone || fail "left behind: $(ls -A "$progdir" 2>/dev/null) $(ls "$shortcut" 2>/dev/null)"
wait_for 30 eval '! reg_value "$uninst_key" DisplayName >/dev/null' || fail "the uninstall registration is left"
reg_value "$run_key" kvRemote >/dev/null && fail "the Run entry is left"
[ "$(ls -A "$cfg")" = kvRemote.ini ] || fail "the configuration folder holds: $(ls -A "$cfg")"
cmp -s "$work/kvRemote.ini.before" "$cfg/kvRemote.ini" || fail "kvRemote.ini changed"
ok "uninstalled; only $cfg/kvRemote.ini is left"
