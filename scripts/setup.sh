#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need, in three groups of one
# apt-get install each: the build and the native tests; the Windows build with 64-bit Wine, Xvfb
# and the installer tools; 32-bit Wine. Asks nothing of apt when every package is there.
#
# A group apt refuses is recorded with apt's last error line in build/setup.stamp (read by
# scripts/test.sh) and tried again only a day later, or at once with KV_SETUP_RETRY=1, so runs in
# between ask apt nothing. Exits 0 when the first two groups are installed: without 32-bit Wine only
# the suites that need it are skipped.
#
# 32-bit Wine has a second try: when an i386 list lags behind its 64-bit twin (a security list that
# fails its size check), apt refuses the plain install. With the release's main suite as the
# default release and the whole multi-architecture set named, it can resolve; that plan is first
# simulated and refused if it would remove or downgrade anything that is installed.
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
  [windows]="mingw-w64 wine wine64 xvfb xdotool imagemagick x11-utils nsis osslsigncode unzip"
  [wine32]="wine32:i386 libgnutls30:i386"
)
packages[build]+=" openssl"
# The Linux station's QEMU suite: a guest on Debian's own kernel from a busybox initramfs.
packages[build]+=" qemu-system-x86 busybox-static"
# The Linux station for arm64: the cross compiler, and qemu-user for its native suites.
packages[build]+=" g++-aarch64-linux-gnu qemu-user-static"
# The second try of 32-bit Wine names both architectures of everything the i386 packages pull in
# with a 64-bit twin: naming fewer lets apt satisfy an i386 library by removing 64-bit Wine.
wine32_set="wine wine64 libwine wine32:i386 libwine:i386 libgnutls30:i386 libgstreamer-plugins-base1.0-0
            libgstreamer-plugins-base1.0-0:i386 gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-x"

say() { echo "setup: $*"; }
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "ok installed"; }

# Whether this machine's kernel runs 32-bit x86 programs at all: a kernel without IA32 emulation
# refuses them ("Exec format error"), and then 32-bit Wine cannot run, and worse, Debian's wine
# command would take its 32-bit loader for 64-bit programs too. The probe is a 93-byte static i386
# program that only exits; KV_SETUP_I386=yes|no stands in for it (the set-up's own test).
i386_runs() {
  case "${KV_SETUP_I386:-}" in yes) return 0 ;; no) i386_why="Exec format error"; return 1 ;; esac
  local probe=$root/build/i386-probe err
  mkdir -p "$root/build"
  printf '\177\105\114\106\001\001\001\000\000\000\000\000\000\000\000\000\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000\000\000\000\000\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010\135\000\000\000\135\000\000\000\005\000\000\000\000\020\000\000\270\001\000\000\000\061\333\315\200' >"$probe"
  chmod +x "$probe"
  err=$( ("$probe") 2>&1) && return 0
  i386_why=${err##*: }
  i386_why=${i386_why:-exit code $?}
  return 1
}

# What the stamp holds: one line per refused group, "group<TAB>seconds since 1970<TAB>apt's line".
declare -A refused_at=() reason=()
if [ -f "$stamp" ]; then
  while IFS=$'\t' read -r g at why; do
    [[ "$at" =~ ^[0-9]+$ ]] || continue
    case "$g" in build | windows | wine32) refused_at[$g]=$at reason[$g]=$why ;; esac
  done <"$stamp"
fi

now=$(date +%s)
declare -A missing=() state=() # state: ok, recorded (refused lately, not tried), try, refused, cannot
i386_why=""
i386_runs || i386_why=${i386_why:-Exec format error}
to_try=()
for g in "${groups[@]}"; do
  missing[$g]=""
  for p in ${packages[$g]}; do installed "$p" || missing[$g]+=" $p"; done
  if [ "$g" = wine32 ] && [ -n "$i386_why" ]; then
    # Nothing apt can do about it, and nothing to try again later: the kernel decides.
    state[$g]=cannot refused_at[$g]=$now reason[$g]="this machine's kernel does not run 32-bit programs ($i386_why)"
  elif [ -z "${missing[$g]}" ]; then
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

# The packages listed under apt's HEADING ("REMOVED", "DOWNGRADED") in the simulation in FILE.
apt_listed() {
  awk -v h="The following packages will be $2:" '$0 == h { on = 1; next } on && /^ / { printf "%s", $0; next } { on = 0 }' "$1" |
    tr -s ' ' | sed 's/^ //'
}

# The second try of 32-bit Wine (see the top); 0 when it installed the group, else its reason in
# $second_reason.
wine32_second_try() {
  local codename out=$root/build/setup-install.log removed downgraded
  codename=$(. /etc/os-release 2>/dev/null && echo "${VERSION_CODENAME:-}")
  if [ -z "$codename" ]; then
    second_reason="no VERSION_CODENAME in /etc/os-release"
    return 1
  fi
  say "trying 32-bit Wine again with $codename as the default release and the whole set named"
  # Word splitting of the package list is wanted here (and below).
  # shellcheck disable=SC2086
  if ! $sudo env LC_ALL=C apt-get install -s -q -t "$codename" $wine32_set >"$out" 2>&1; then
    second_reason="-t $codename: $(apt_reason "$out")"
  else
    removed=$(apt_listed "$out" REMOVED)
    downgraded=$(apt_listed "$out" DOWNGRADED)
    if [ -n "$removed" ] || [ -n "$downgraded" ]; then
      second_reason="-t $codename would${removed:+ remove $removed}${removed:+${downgraded:+ and}}${downgraded:+ downgrade $downgraded}; not done"
    else
      cat "$out" >>"$log"
      # shellcheck disable=SC2086
      $sudo apt-get install -y -q -t "$codename" $wine32_set >"$out" 2>&1 && return 0
      second_reason="-t $codename: $(apt_reason "$out")"
    fi
  fi
  cat "$out" >>"$log"
  return 1
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
      cat "$out" >>"$log"
    else
      why=$(apt_reason "$out")
      cat "$out" >>"$log"
      if [ "$g" = wine32 ] && wine32_second_try; then
        state[$g]=ok
        say "installed 32-bit Wine on the second try"
      else
        [ "$g" = wine32 ] && why+=" (second try: $second_reason)"
        state[$g]=refused refused_at[$g]=$now reason[$g]=$why
        say "could not install ${title[$g]} (${missing[$g]# }): ${reason[$g]}"
      fi
    fi
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
  refused | recorded | cannot) records+="$g"$'\t'"${refused_at[$g]}"$'\t'"${reason[$g]}"$'\n' ;;
  esac
  if [ "${state[$g]}" = cannot ]; then
    say "32-bit Wine cannot run: ${reason[$g]}${missing[$g]:+; not installed}"
  elif [ "${state[$g]}" = recorded ]; then
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
