#!/usr/bin/env bash
# setup-test.sh SETUP_SCRIPT: the set-up on a machine whose package index is half broken, with
# stand-ins for apt-get, dpkg, dpkg-query, sudo and sleep first on PATH, so nothing on this machine
# changes. One security list cannot be fetched and apt refuses 32-bit Wine: the set-up goes on,
# installs the other groups, names what failed, records it and succeeds; the next run asks apt
# nothing until a day has passed or KV_SETUP_RETRY=1. 32-bit Wine's second try (the main suite as
# default release, the whole set named) installs it, or is refused, also when its simulated plan
# would remove or downgrade a package.
set -u
work=$(mktemp -d /tmp/kv-setup-test.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/repo/scripts" "$work/bin" "$work/state"
cp "$1" "$work/repo/scripts/setup.sh"
state=$work/state
echo cmake >"$state/installed"
: >"$state/archs"
: >"$state/calls"

fail() {
  echo "FAIL: $*"
  echo "--- output:"
  cat "$work/out"
  echo "--- calls:"
  cat "$state/calls"
  exit 1
}

standin() { # standin NAME BODY: a program NAME on the test's PATH that logs its call, then runs BODY
  printf '#!/bin/sh\nstate=%q\necho "%s $*" >>"$state/calls"\n%s\n' "$state" "$1" "$2" >"$work/bin/$1"
  chmod +x "$work/bin/$1"
}
standin sudo 'exec "$@"'
standin sleep ':'
standin dpkg-query '
for pkg; do :; done # the last argument
if [ "$pkg" = "*:i386" ]; then grep ":i386$" "$state/installed" | sed "s/.*/install ok installed/"; exit 0; fi
grep -qxF "$pkg" "$state/installed" && { printf "install ok installed"; exit 0; }
echo "dpkg-query: no packages found matching $pkg" >&2; exit 1'
standin dpkg '
case "$1" in
--print-foreign-architectures) cat "$state/archs" ;;
--add-architecture) echo "$2" >>"$state/archs" ;;
--remove-architecture) grep -vx "$2" "$state/archs" >"$state/archs.new"; mv "$state/archs.new" "$state/archs" ;;
esac'
standin apt-get '
case "$1" in
update)
  echo "Err:4 http://deb.debian.org/debian-security bookworm-security/main i386 Packages"
  echo "E: Failed to fetch http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (5117 != 5176). Mirror sync in progress? [IP: 199.232.2.132 80]"
  echo "E: Some index files failed to download. They have been ignored, or old ones used instead."
  exit 100 ;;
install)
  shift
  case " $* " in *" -t "*) second=${KV_TEST_SECOND:-refuse} ;; *) second="" ;; esac
  case "$second" in
  refuse) echo "E: Unable to correct problems, you have held broken packages."; exit 100 ;;
  remove) printf "The following packages will be REMOVED:\n  libwine wine64\nThe following NEW packages will be installed:\n  wine32:i386\n" ;;
  downgrade) printf "The following packages will be DOWNGRADED:\n  libwine\n0 upgraded, 1 newly installed, 1 downgraded, 0 to remove and 0 not upgraded.\n" ;;
  esac
  case " $* " in *" -s "*) exit 0 ;; esac
  for p in "$@"; do
    if [ -z "$second" ] && [ "$p" = "${KV_TEST_REFUSE:-wine32:i386}" ]; then
      echo "The following packages have unmet dependencies:"
      echo "E: Unable to correct problems, you have held broken packages."
      exit 100
    fi
  done
  skip=0
  for p in "$@"; do
    [ $skip = 1 ] && { skip=0; continue; }
    case "$p" in -t) skip=1 ;; -*) ;; *) echo "$p" >>"$state/installed" ;; esac
  done ;;
esac'

run() { # run: the set-up as a user runs it; its output in $work/out, its calls in $state/calls
  : >"$state/calls"
  PATH=$work/bin:$PATH KV_SETUP_I386=${KV_SETUP_I386:-yes} bash "$work/repo/scripts/setup.sh" >"$work/out" 2>&1
}
called() { grep -c "^$1" "$state/calls"; }
stamp=$work/repo/build/setup.stamp
held="Unable to correct problems, you have held broken packages."
codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
both="$held (second try: -t $codename: $held)"

# A fresh machine: everything but cmake is missing.
run || fail "the set-up failed although only 32-bit Wine was refused"
[ "$(called 'apt-get update')" = 3 ] || fail "apt-get update is not tried 3 times"
[ "$(called 'sleep')" = 2 ] || fail "no pause between the tries of apt-get update"
grep -q "not fetched: http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz (File has unexpected size (5117 != 5176). Mirror sync in progress?)" "$work/out" ||
  fail "the list that could not be fetched is not named"
[ "$(called 'apt-get install')" = 4 ] || fail "not one apt-get install per group and a simulated second try"
grep -q "^apt-get install .* mosquitto mosquitto-clients" "$state/calls" || fail "the first group lacks the broker"
grep -q "^apt-get install .* cmake" "$state/calls" && fail "an installed package is installed again"
for p in ninja-build mingw-w64 wine64 xvfb nsis osslsigncode; do
  grep -qx "$p" "$state/installed" || fail "$p is not installed"
done
grep -qF "could not install 32-bit Wine (wine32:i386 libgnutls30:i386): $both" "$work/out" ||
  fail "the refused group is not named with apt's lines"
[ "$(cut -f1,3 "$stamp")" = "wine32	$both" ] || fail "the stamp does not record the refusal: $(cat "$stamp")"
grep -q "^dpkg --add-architecture i386" "$state/calls" || fail "the i386 architecture is not added for 32-bit Wine"
[ -s "$state/archs" ] && fail "the unused i386 architecture is left behind"

# The same machine again: apt is not asked, and the refusal is said again.
run || fail "the second run failed"
[ "$(called 'apt-get')" = 0 ] || fail "the second run called apt-get"
[ "$(called 'dpkg --')" = 0 ] || fail "the second run changed the architectures"
grep -qF "$held" "$work/out" || fail "the second run does not say why 32-bit Wine is missing"

# A day later, and on request, 32-bit Wine is tried again (and alone).
sed -i "s/\t[0-9]*\t/\t$(($(date +%s) - 90000))\t/" "$stamp"
run || fail "the run a day later failed"
[ "$(called 'apt-get install')" = 2 ] && grep -q "^apt-get install -y -q wine32:i386 libgnutls30:i386$" "$state/calls" ||
  fail "32-bit Wine is not tried again a day later"
KV_SETUP_RETRY=1 run && [ "$(called 'apt-get install')" = 2 ] || fail "KV_SETUP_RETRY=1 does not try again"

# A second plan that would take a package away or back is refused unrun: nothing changes.
before=$(sort "$state/installed")
for plan in "remove:would remove libwine wine64; not done" "downgrade:would downgrade libwine; not done"; do
  KV_TEST_SECOND=${plan%%:*} KV_SETUP_RETRY=1 run || fail "a refused second try failed the set-up"
  grep -q "^apt-get install -s -q -t $codename wine wine64 libwine wine32:i386 .*gstreamer1.0-x$" "$state/calls" ||
    fail "the second try does not simulate the whole set first"
  [ "$(called "apt-get install -y -q -t")" = 0 ] || fail "a plan that would ${plan%%:*} was carried out"
  grep -qF "(second try: -t $codename ${plan#*:})" "$stamp" || fail "the stamp does not say why: $(cat "$stamp")"
done
[ "$(sort "$state/installed")" = "$before" ] || fail "a refused second try changed the installed packages"

# The second try goes through: 32-bit Wine is there, its record goes, and nothing is asked of apt next.
KV_TEST_SECOND=ok KV_SETUP_RETRY=1 run || fail "the second try failed the set-up"
grep -qF "installed 32-bit Wine on the second try" "$work/out" && grep -qx "wine32:i386" "$state/installed" ||
  fail "32-bit Wine is not installed by the second try"
run && [ "$(called 'apt-get')" = 0 ] && [ ! -e "$stamp" ] || fail "a record is kept for an installed group"

# A kernel that runs no 32-bit programs: 32-bit Wine is not asked of apt, and the reason is recorded.
grep -v ":i386$" "$state/installed" >"$state/left" && mv "$state/left" "$state/installed"
KV_SETUP_I386=no run || fail "the set-up failed on a kernel without 32-bit programs"
[ "$(called 'apt-get')" = 0 ] && [ "$(called 'dpkg --add')" = 0 ] || fail "32-bit Wine is tried on a kernel that cannot run it"
grep -qF "wine32	" "$stamp" && grep -qF "kernel does not run 32-bit programs (Exec format error)" "$stamp" ||
  fail "the kernel's refusal is not recorded: $(cat "$stamp" 2>/dev/null)"

# A group the build needs, refused: a failure, named.
grep -vx nsis "$state/installed" >"$state/left" && mv "$state/left" "$state/installed"
KV_TEST_REFUSE=nsis run && fail "the set-up succeeds without the Windows build's packages"
grep -qF "could not install the Windows build (mingw-w64, 64-bit Wine, Xvfb, installer tools) (nsis): $held" "$work/out" ||
  fail "the refused Windows group is not named"
echo "ok: the set-up goes on past a failed list and a refused group, records it, and asks apt again only when due"
