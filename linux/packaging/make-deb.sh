#!/usr/bin/env bash
# make-deb.sh OUT ARCH VERSION KVREMOTE MAINTAINER STRIP: the station's .deb, built with dpkg-deb from the static
# binary, its systemd unit, default settings, man page and maintainer scripts.
set -eu
out=$1 arch=$2 version=$3 binary=$4 maintainer=$5 strip=$6
here=$(cd "$(dirname "$0")" && pwd)
root=$(mktemp -d "${out%/*}/deb.XXXXXX")
trap 'rm -rf "$root"' EXIT
install -D -m 0755 "$binary" "$root/usr/bin/kvremote"
"$strip" "$root/usr/bin/kvremote"
install -D -m 0644 "$here/kvremote.service" "$root/lib/systemd/system/kvremote.service"
install -D -m 0644 "$here/kvremote.ini" "$root/etc/kvremote/kvremote.ini"
install -d "$root/usr/share/man/man1"
gzip -9n <"$here/kvremote.1" >"$root/usr/share/man/man1/kvremote.1.gz"
install -D -m 0755 "$here/postinst" "$root/DEBIAN/postinst"
install -D -m 0755 "$here/prerm" "$root/DEBIAN/prerm"
echo /etc/kvremote/kvremote.ini >"$root/DEBIAN/conffiles"
size=$(du -sk --exclude=DEBIAN "$root" | cut -f1)
cat >"$root/DEBIAN/control" <<CONTROL
Package: kvremote
Version: $version
Architecture: $arch
Maintainer: $maintainer
Depends: adduser
Installed-Size: $size
Section: utils
Priority: optional
Description: auxiliary keyboards and mice as remote controls
 A daemon that grabs the keypads and mice named in its settings and sends
 each key press, button and wheel step as a REMOTE line over UDP, as the
 Windows program kvRemote does.
CONTROL
dpkg-deb --root-owner-group --build "$root" "$out" >/dev/null
