#!/usr/bin/env bash
# The installer's life cycle under Wine, in a fresh prefix of its own, as an administrator runs it:
#   install-lifecycle.sh SETUP.exe SIM_INTERCEPTION.dll OTHER.dll KVSIM_HOST WORK_DIR ICACLS_RECORDER [SIGNED_DIR]
# A recording icacls.exe stands in for Wine's (which does nothing) in system32 and syswow64.
# 1. a fresh silent install (of the signed installer, when SIGNED_DIR holds one) given a DLL that is
#    not the Interception library: refused, the rest installed; the log's header; the rights
#    commands on the settings folder, in order; the Run entry; the registration; the signatures;
# 2. an upgrade with /NOAUTOSTART and a relative library path: the library is copied, the Run entry
#    removed; the settings folder, owned by another account (under Wine every folder is), is renamed
#    aside and made afresh with the settings;
# 3. the installed kvRemote sends a REMOTE line that the installed kvlisten reads; an upgrade
#    meanwhile stops with exit code 2, naming kvlisten.exe, then kvRemote.exe;
# 4. an upgrade without options keeps the library, the settings and the Run entry off; a failing
#    icacls gives the warning and exit code 3;
# 5. an upgrade with /D= into another folder moves the installation;
# 6. a wrong library kept from before is refused; a settings folder that is a link is left alone;
# 7. an installation of the other architecture stops the installer before it writes anything;
# 8. a silent uninstall leaves only the settings, and removes this account's Run entry.
set -u
setup=$(realpath "$1") simdll=$(realpath "$2") otherdll=$(realpath "$3") kvsim=$(realpath "$4") work=$5
recorder=$(realpath "$6") signed=${7:-}
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

name=$(basename "$setup") # kvRemote-VERSION-ARCH-setup.exe
version=${name#kvRemote-} version=${version%%-*}
case "$name" in
*win32*) progdir=$WINEPREFIX/"drive_c/Program Files (x86)/kvRemote" progwin='C:\Program Files (x86)\kvRemote'
  view=32 other_view=64 bits=32 machine=x86 ;;
*) progdir=$WINEPREFIX/"drive_c/Program Files/kvRemote" progwin='C:\Program Files\kvRemote'
  view=64 other_view=32 bits=64 machine=x64 ;;
esac
log=$progdir/install.log
data=$WINEPREFIX/drive_c/ProgramData
cfg=$data/Korvane/cfg
shortcut=$data/"Microsoft/Windows/Start Menu/Programs/kvRemote.lnk"
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
uninst_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\kvRemote'
reg_value() { wine reg query "$1" /v "$2" "/reg:${3:-$view}" 2>/dev/null | tr -d '\r' | grep -ai "^ *$2 "; }

for d in system32 syswow64; do cp "$recorder" "$WINEPREFIX/drive_c/windows/$d/icacls.exe" || fail "no icacls stand-in"; done
export KV_ICACLS_LOG KV_ICACLS_EXIT=0
KV_ICACLS_LOG=$(winpath "$work/icacls.log")
icacls_calls() { cat "$work/icacls.log" 2>/dev/null | wc -l; }
expected_rights='"C:\ProgramData\Korvane" /setowner *S-1-5-32-544 /L
"C:\ProgramData\Korvane" /inheritance:r /grant:r *S-1-5-18:(OI)(CI)F *S-1-5-32-544:(OI)(CI)F *S-1-5-32-545:(OI)(CI)RX /L
"C:\ProgramData\Korvane\cfg" /setowner *S-1-5-32-544 /L
"C:\ProgramData\Korvane\cfg" /grant:r *S-1-5-32-545:(OI)(CI)M /L'

# --- 1. a fresh install given a DLL that is not the Interception library -------------------------
first=$setup
[ -n "$signed" ] && [ -f "$signed/out/kvRemote-setup.exe" ] && first=$signed/out/kvRemote-setup.exe
wine "$first" /S "/INTERCEPTIONDLL=$(winpath "$otherdll")"
rc=$?
[ "$rc" = 3 ] || fail "install with a wrong library: exit code $rc, expected 3"
grep -q "interception.dll refused: .*not the Interception library: it does not export interception_create_context" "$log" ||
  fail "the refusal is not in the log"
grep -q "warning: kvRemote runs without capture until the Interception driver's interception.dll ($machine)" "$log" ||
  fail "the missing-library warning is not in the log"
[ ! -e "$progdir/interception.dll" ] || fail "a refused library was copied"
[ -f "$progdir/kvRemote.exe" ] || fail "kvRemote.exe not installed without the library"
head -1 "$progdir/README.txt" | grep -q "^kvRemote $version"$'\r'"$" || fail "README.txt is not of version $version"
ok "a wrong library is refused with its reason and the warning; the rest is installed"

# Without the library the installed program still starts, and runs without capture.
wine "$progdir/kvRemote.exe" >/dev/null 2>&1 &
program_pid=$!
sleep 8
kill -0 "$program_pid" 2>/dev/null || fail "the installed kvRemote did not keep running without the library"
kill "$program_pid" 2>/dev/null
wait "$program_pid" 2>/dev/null
program_pid=""
ok "the installed kvRemote starts and keeps running without the library"

head -4 "$log" | tr -d '\r' >"$work/header"
grep -qE "^kvRemote $version setup \($machine\), [0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}$" "$work/header" &&
  grep -qE '^account: [^\]+\\[^\]+$' "$work/header" &&
  grep -F "command line: \"$(winpath "$first")\" /S " "$work/header" | grep -qF "/INTERCEPTIONDLL=$(winpath "$otherdll")" &&
  grep -qF "folder: $progwin" "$work/header" || fail "log header: $(cat "$work/header")"
ok "the log begins with date and time, version and architecture, account, command line and folder"

[ "$(tr -d '\r' <"$work/icacls.log")" = "$expected_rights" ] || fail "icacls was run with: $(cat "$work/icacls.log")"
[ "$(grep -c '^icacls exit code: 0' "$log")" = 4 ] || fail "the icacls exit codes are not in the log"
[ -d "$cfg" ] || fail "no settings folder"
ok "the settings folder's owner and rights are set by the 4 expected icacls calls, in order, through \$SYSDIR"

reg_value "$run_key" kvRemote | grep -qiF "\"$progwin\\kvRemote.exe\"" || fail "no Run entry: $(reg_value "$run_key" kvRemote)"
grep -qE "^start at sign-in for [^\]+\\\\.+: HKCU" "$log" || fail "the log does not name the account of the Run entry"
reg_value "$uninst_key" DisplayName | grep -q "kvRemote ($bits-bit)$" || fail "Apps & features name: $(reg_value "$uninst_key" DisplayName)"
reg_value "$uninst_key" DisplayVersion | grep -q "REG_SZ *$version$" || fail "no uninstall registration with version $version"
major=${version%%.*} minor=${version#*.} minor=${minor%%.*}
reg_value "$uninst_key" VersionMajor | grep -q "0x$major$" && reg_value "$uninst_key" VersionMinor | grep -q "0x$minor$" ||
  fail "VersionMajor/VersionMinor are not $major/$minor"
reg_value "$uninst_key" Publisher | grep -q "Korvane$" || fail "no publisher"
reg_value "$uninst_key" DisplayIcon | grep -qi 'kvRemote.exe,0$' || fail "no icon"
reg_value "$uninst_key" UninstallString | grep -qi 'uninstall.exe"$' || fail "no uninstall command"
[ -f "$shortcut" ] || fail "no all-users Start-menu shortcut"
ok "Run entry for the installing account; registered as \"kvRemote ($bits-bit)\" $version by Korvane; shortcut"

if [ "$first" != "$setup" ]; then
  for f in uninstall.exe kvRemote.exe KvCom.dll kvlisten.exe; do
    osslsigncode verify -CAfile "$signed/cert.pem" -in "$progdir/$f" >"$work/verify.log" 2>&1 ||
      fail "installed $f: no valid signature: $(cat "$work/verify.log")"
  done
  ok "the signed installer installed a signed uninstaller and signed programs"
fi

# --- 2. upgrade: /NOAUTOSTART, a relative library path, a settings folder of another owner -------
port=$((40000 + RANDOM % 10000)) sim_port=$((30000 + RANDOM % 10000))
printf '%s\r\n' "[Network]" "BroadcastAddress=127.255.255.255" "Port=$port" "ApplicationId=STN2" \
  "[Keyboards]" "Device1=2" 'HarwareId1=HID\VID_05A4&PID_9759' "Index1=5" "UseAux=1" >"$cfg/kvRemote.ini"
cp "$cfg/kvRemote.ini" "$work/kvRemote.ini.before"
mkdir -p "$work/driver library" && cp "$simdll" "$work/driver library/interception.dll"
(cd "$work" && wine "$setup" /S /NOAUTOSTART '/INTERCEPTIONDLL=driver library\interception.dll')
rc=$?
[ "$rc" = 0 ] || fail "upgrade exit code $rc"
cmp -s "$simdll" "$progdir/interception.dll" || fail "interception.dll not copied"
grep -qF "interception.dll copied from $(winpath "$work/driver library/interception.dll")" "$log" ||
  fail "the relative path is not resolved against the folder the installer started in"
reg_value "$run_key" kvRemote >/dev/null && fail "/NOAUTOSTART left the Run entry"
aside=$(ls -d "$data"/Korvane.old-* 2>/dev/null | head -1)
[ -n "$aside" ] && grep -q "^C:\\\\ProgramData\\\\Korvane was owned by S-1-5-.*: renamed to C:\\\\ProgramData\\\\Korvane.old-" "$log" ||
  fail "the settings folder of another owner was not renamed aside"
cmp -s "$work/kvRemote.ini.before" "$cfg/kvRemote.ini" || fail "the settings were not copied into the fresh folder"
ok "upgrade: relative library path resolved, Run entry off, foreign settings folder renamed aside, settings kept"

# --- 3. the installed program sends a line that the installed kvlisten reads -------------------
printf '1 HID\\VID_045E&PID_0750\n2 HID\\VID_05A4&PID_9759\n' >"$work/devices.txt"
export KVSIM_PORT=$sim_port KVSIM_DEVICES KVSIM_LOG
KVSIM_DEVICES=$(winpath "$work/devices.txt") KVSIM_LOG=$(winpath "$work/kvsim.log")
wine "$progdir/kvlisten.exe" --json --port "$port" --count 1 --timeout 120 >"$work/lines.json" 2>"$work/kvlisten.err" &
listen_pid=$!
wait_for 60 grep -qs listening "$work/kvlisten.err" || fail "kvlisten did not start: $(cat "$work/kvlisten.err")"
wine "$setup" /S
rc=$?
[ "$rc" = 2 ] || fail "an upgrade while kvlisten runs: exit code $rc, expected 2"
grep -qF "stopped: $progwin\\kvlisten.exe is in use" "$log" || fail "the file in use is not named in the log"
wine "$progdir/kvRemote.exe" >/dev/null 2>&1 &
program_pid=$!
# The driver's record names the filter change: "filter keyboards N" or "filter devices ... N".
filters_on() { grep -qE '^filter (keyboards|devices( [0-9]+)*) [1-9][0-9]*[[:space:]]*$' "$work/kvsim.log" 2>/dev/null; }
wait_for 120 filters_on || fail "the installed kvRemote did not start capturing"
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
grep -qF "stopped: $progwin\\kvRemote.exe is in use" "$log" || fail "the running program is not in the log"
kill "$program_pid" 2>/dev/null
wait "$program_pid" 2>/dev/null
program_pid=""
ok "a silent upgrade while kvlisten, then kvRemote runs stops with exit code 2, naming the file"

# --- 4. an upgrade keeps the library, the settings and the Run entry off; icacls fails ----------
calls=$(icacls_calls)
KV_ICACLS_EXIT=5 wine "$setup" /S
rc=$?
[ "$rc" = 3 ] || fail "upgrade with a failing icacls: exit code $rc, expected 3"
grep -q "icacls exit code: 5" "$log" && grep -q "warning: the settings folder is not shared: icacls failed (5)" "$log" ||
  fail "the failing icacls is not a warning in the log"
[ "$(icacls_calls)" = $((calls + 1)) ] || fail "icacls was called again after it failed"
cmp -s "$simdll" "$progdir/interception.dll" || fail "the upgrade lost interception.dll"
cmp -s "$work/kvRemote.ini.before" "$cfg/kvRemote.ini" || fail "the upgrade changed kvRemote.ini"
grep -q "interception.dll kept from the earlier installation" "$log" || fail "keeping the library is not in the log"
reg_value "$run_key" kvRemote >/dev/null && fail "the upgrade turned the Run entry back on"
ok "an upgrade keeps interception.dll, kvRemote.ini and the Run entry off; a failing icacls is exit code 3"

# --- 5. /D= moves the installation into another folder (with a name beyond ASCII) ----------------
newwin='C:\Werkzeuge\kvRemote-Übung' # no blank: wine would quote the argument
newdir=$WINEPREFIX/drive_c/Werkzeuge/kvRemote-Übung
LC_ALL=C.UTF-8 wine "$setup" /S "/D=$newwin"
rc=$?
[ "$rc" = 0 ] || fail "upgrade into another folder: exit code $rc"
for f in kvRemote.exe KvCom.dll kvlisten.exe README.txt uninstall.exe; do
  [ -f "$newdir/$f" ] || fail "$f not in the new folder"
done
cmp -s "$simdll" "$newdir/interception.dll" || fail "the library was not moved along"
[ ! -e "$progdir" ] || fail "the old folder is left: $(ls -A "$progdir")"
log=$newdir/install.log
grep -qF "folder: $newwin" "$log" || fail "the log does not hold the folder in UTF-8: $(grep folder: "$log")"
grep -qF "moved from $progwin: its files and uninstaller removed" "$log" || fail "the move is not in the log"
# (reg prints in the console's code page: compare the part in ASCII)
reg_value "$uninst_key" InstallLocation | grep -qaF 'C:\Werkzeuge\kvRemote-' ||
  fail "the registration does not point at the new folder: $(reg_value "$uninst_key" InstallLocation)"
reg_value "$run_key" kvRemote >/dev/null && fail "the move turned the Run entry on"
ok "/D= on an upgrade moves the installation, its library and its one registration; the log is UTF-8"
progdir=$newdir progwin=$newwin

# --- 6. a wrong library kept from before; a settings folder that is a symbolic link ---------------
cp "$otherdll" "$progdir/interception.dll"
mv "$data/Korvane" "$work/elsewhere" && ln -s "$work/elsewhere" "$data/Korvane"
calls=$(icacls_calls)
wine "$setup" /S
rc=$?
[ -L "$data/Korvane" ] || fail "the linked settings folder was moved"
rm "$data/Korvane" && mv "$work/elsewhere" "$data/Korvane"
[ "$rc" = 3 ] || fail "upgrade with a wrong kept library and a linked settings folder: exit code $rc, expected 3"
grep -q "interception.dll of the earlier installation refused: .* is not the Interception library" "$log" ||
  fail "the kept library's refusal is not in the log"
[ ! -e "$progdir/interception.dll" ] || fail "a refused kept library stayed"
grep -qF 'warning: the settings folder is not shared: C:\ProgramData\Korvane is a junction or link' "$log" ||
  fail "the link is not refused in the log"
[ "$(icacls_calls)" = "$calls" ] || fail "icacls was run on a link: $(tail -n +$((calls + 1)) "$work/icacls.log")"
ok "a wrong kept library is refused and removed; a linked settings folder is left alone (exit code 3)"

# --- 7. the other architecture's installation ---------------------------------------------------
wine reg add "$uninst_key" /v InstallLocation /d 'C:\Other\kvRemote' "/reg:$other_view" /f >/dev/null 2>&1 ||
  fail "could not register the other architecture"
before=$(cksum <"$log")
wine "$setup" /S
rc=$?
wine reg delete "$uninst_key" "/reg:$other_view" /f >/dev/null 2>&1
[ "$rc" = 2 ] || fail "with the other architecture installed: exit code $rc, expected 2"
[ "$(cksum <"$log")" = "$before" ] || fail "the refused run wrote the log"
ok "an installation of the other architecture stops the installer (exit code 2) before it writes anything"

# --- 8. uninstall: only the settings stay ---------------------------------------------------------
# As the tray menu's "Start when I sign in" writes it, with the options kvRemote was started with.
wine reg add "$run_key" /v kvRemote /d "\"$progwin\\kvRemote.exe\" -a C:\\Stations" /f >/dev/null 2>&1
# The uninstaller copies itself to a temporary folder and returns at once; wait for it.
wine "$progdir/uninstall.exe" /S
gone() { [ ! -e "$progdir" ] && [ ! -e "$shortcut" ]; }
wait_for 120 gone || fail "left behind: $(ls -A "$progdir" 2>/dev/null) $(ls "$shortcut" 2>/dev/null)"
wait_for 30 eval '! reg_value "$uninst_key" DisplayName >/dev/null' || fail "the uninstall registration is left"
reg_value "$run_key" kvRemote >/dev/null && fail "the Run entry is left"
[ "$(ls -A "$cfg")" = kvRemote.ini ] || fail "the settings folder holds: $(ls -A "$cfg")"
cmp -s "$work/kvRemote.ini.before" "$cfg/kvRemote.ini" || fail "kvRemote.ini changed"
ok "uninstalled; only $cfg/kvRemote.ini is left"
