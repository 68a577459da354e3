#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need, in three groups of one
# apt-get install each: the build and the native tests; the Windows build with 64-bit Wine, Xvfb
# and the installer tools; 32-bit Wine. Asks nothing of apt when every package is there.
#
# A group apt refuses is recorded with apt's last error line in build/setup.stamp (read by
# scripts/test.sh) and tried again only a day later, or at once with KV_SETUP_RETRY=1, so runs in
# between ask apt nothing. Exits 0 when the first two groups are installed: without 32-bit Wine only
# the suites that need it are skipped.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
stamp=$root/build/setup.stamp
log=$root/build/setup-apt.log
retry_after=86400

groups=(build windows wine32)
declare -A title=(
  [build]="the build and native tests"
  [windows]="the Windows build (mingw-w64, 64-bit Wine, Xvfb, installer tools)"
  [wine32]="32-bit Wine"
)
declare -A packages=(
  [build]="cmake ninja-build g++ clang libclang-rt-14-dev clang-format python3 googletest libgtest-dev
           libgmock-dev libbenchmark-dev mosquitto mosquitto-clients"
  [windows]="mingw-w64 wine wine64 xvfb xdotool imagemagick x11-utils nsis osslsigncode openssl unzip"
  [wine32]="wine32:i386"
)

say() { echo "setup: $*"; }
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "ok installed"; }

# What the stamp holds: one line per refused group, "group<TAB>seconds since 1970<TAB>apt's line".
declare -A refused_at=() reason=()
if [ -f "$stamp" ]; then
  while IFS=$'\t' read -r g at why; do
    [[ "$at" =~ ^[0-9]+$ ]] || continue
    case "$g" in build | windows | wine32) refused_at[$g]=$at reason[$g]=$why ;; esac
  done <"$stamp"
fi

now=$(date +%s)
declare -A missing=() state=() # state: ok, recorded (refused lately, not tried), try, refused
to_try=()
for g in "${groups[@]}"; do
  missing[$g]=""
  for p in ${packages[$g]}; do installed "$p" || missing[$g]+=" $p"; done
  if [ -z "${missing[$g]}" ]; then
    state[$g]=ok
  elif [ -n "${refused_at[$g]:-}" ] && [ "${KV_SETUP_RETRY:-0}" != 1 ] &&
    [ $((now - refused_at[$g])) -lt $retry_after ]; then
    state[$g]=recorded
  else
    state[$g]=try
    to_try+=("$g")
  fi
done

# apt's last error line in FILE, without its "E: ", or the last line it wrote.
apt_reason() {
  local line
  line=$(grep -E '^E: ' "$1" | tail -n 1)
  [ -n "$line" ] || line=$(grep -v '^[[:space:]]*$' "$1" | tail -n 1)
  line=${line#E: }
  echo "${line:-apt-get wrote nothing}"
}

# Up to three tries a few seconds apart; after that the lists apt has are used, and one line names
# the lists it could not fetch.
apt_update() {
  local out=$root/build/setup-update.log try failed
  for try in 1 2 3; do
    [ "$try" -gt 1 ] && sleep 5
    $sudo apt-get update -q >"$out" 2>&1
    local rc=$?
    cat "$out" >>"$log"
    failed=$(grep -E '^[EW]: Failed to fetch ' "$out")
    [ "$rc" -eq 0 ] && [ -z "$failed" ] && return 0
  done
  if [ -n "$failed" ]; then
    # "E: Failed to fetch URL  Reason [IP: ...]" -> "URL (Reason)"
    failed=$(echo "$failed" | sed -E 's/^[EW]: Failed to fetch //; s/ *\[IP: [^]]*\] *$//; s/^([^ ]+) +(.+)$/\1 (\2)/' |
      paste -sd ';' | sed 's/;/; /g')
    say "apt-get update failed 3 times, going on with the lists it has; not fetched: $failed"
  else
    say "apt-get update failed 3 times, going on with the lists it has: $(apt_reason "$out")"
  fi
}

foreign_i386() { dpkg --print-foreign-architectures 2>/dev/null | grep -qx i386; }
any_i386_installed() { dpkg-query -W -f='${Status}\n' '*:i386' 2>/dev/null | grep -q "ok installed"; }

if [ ${#to_try[@]} -gt 0 ]; then
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || {
      say "missing packages:${missing[build]}${missing[windows]}${missing[wine32]}; install them as root (no sudo here)" >&2
      exit 1
    }
    sudo=sudo
  fi
  export DEBIAN_FRONTEND=noninteractive
  mkdir -p "$root/build"
  : >"$log"
  added_i386=0
  if [ "${state[wine32]}" = try ] && ! foreign_i386; then
    if $sudo dpkg --add-architecture i386 >>"$log" 2>&1; then
      added_i386=1
    else
      state[wine32]=refused refused_at[wine32]=$now reason[wine32]="dpkg could not add the i386 architecture"
      say "could not install ${title[wine32]}: ${reason[wine32]}"
    fi
  fi
  for g in "${to_try[@]}"; do
    if [ "${state[$g]}" = try ]; then
      apt_update
      break
    fi
  done
  for g in "${to_try[@]}"; do
    [ "${state[$g]}" = try ] || continue
    say "installing ${title[$g]}:${missing[$g]}"
    out=$root/build/setup-install.log
    # Word splitting of the package list is wanted here.
    # shellcheck disable=SC2086
    if $sudo apt-get install -y -q ${missing[$g]} >"$out" 2>&1; then
      state[$g]=ok
    else
      state[$g]=refused refused_at[$g]=$now reason[$g]=$(apt_reason "$out")
      say "could not install ${title[$g]} (${missing[$g]# }): ${reason[$g]}"
    fi
    cat "$out" >>"$log"
    rm -f "$out"
  done
  # An i386 architecture without any i386 package only makes every later apt-get update fetch
  # lists nothing uses (and fail when they are out of sync).
  if [ "${state[wine32]}" = refused ] && foreign_i386 && ! any_i386_installed; then
    $sudo dpkg --remove-architecture i386 >>"$log" 2>&1 && say "removed the i386 architecture again (no i386 package is installed)"
  elif [ "$added_i386" = 1 ] && [ "${state[wine32]}" = refused ]; then
    say "kept the i386 architecture: i386 packages are installed"
  fi
  rm -f "$root/build/setup-update.log"
fi

# The stamp holds what is refused now; a group installed since (by hand too) leaves it.
records=""
for g in "${groups[@]}"; do
  case "${state[$g]}" in
  refused | recorded) records+="$g"$'\t'"${refused_at[$g]}"$'\t'"${reason[$g]}"$'\n' ;;
  esac
  if [ "${state[$g]}" = recorded ]; then
    say "${title[$g]} is not installed: apt refused${missing[$g]} on $(date -d "@${refused_at[$g]}" '+%F %R'): ${reason[$g]} (tried again a day later, or now with KV_SETUP_RETRY=1)"
  fi
done
if [ -n "$records" ]; then
  mkdir -p "$root/build"
  printf '%s' "$records" >"$stamp"
else
  rm -f "$stamp"
fi

if [ "${state[wine32]}" != ok ]; then
  say "without 32-bit Wine, test.sh skips the win32 suites and installer_lifecycle (the 32-bit build is still built)"
fi
for g in build windows; do
  if [ "${state[$g]}" != ok ]; then
    say "${title[$g]} cannot be installed: the build and the tests need it" >&2
    exit 1
  fi
done
exit 0
