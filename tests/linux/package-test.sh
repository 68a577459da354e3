#!/usr/bin/env bash
# package-test.sh DEB ARCH [EMULATOR]: what dpkg -i would install, as a user finds it: the package's
# fields, the daemon, its unit running as its own user in the input group, the settings file kept
# as a conffile, the man page; and the packed daemon answers --help (under EMULATOR when cross-built).
set -u
deb=$1 arch=$2
shift 2
work=$(mktemp -d /tmp/kv-deb-test.XXXXXX)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = kvremote ] || fail "Package is $(field Package)"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture is $(field Architecture), wanted $arch"
dpkg-deb -x "$deb" "$work/root" && dpkg-deb -e "$deb" "$work/control" || fail "the package does not unpack"
for f in usr/bin/kvremote lib/systemd/system/kvremote.service etc/kvremote/kvremote.ini usr/share/man/man1/kvremote.1.gz; do
  [ -f "$work/root/$f" ] || fail "no /$f"
done
grep -qx /etc/kvremote/kvremote.ini "$work/control/conffiles" || fail "the settings file is no conffile"
unit=$work/root/lib/systemd/system/kvremote.service
for line in User=kvremote SupplementaryGroups=input 'ExecReload=/bin/kill -HUP $MAINPID'; do
  grep -qxF "$line" "$unit" || fail "the unit has no $line"
done
grep -q 'adduser --quiet kvremote input' "$work/control/postinst" || fail "postinst puts no user in the input group"
help=$("$@" "$work/root/usr/bin/kvremote" --help) || fail "kvremote --help failed"
[[ "$help" == Usage:\ kvremote* ]] || fail "kvremote --help said: $help"
zcat "$work/root/usr/share/man/man1/kvremote.1.gz" | grep -q '^\.SH SYNOPSIS' || fail "the man page has no synopsis"
echo "ok: $(basename "$deb")"
