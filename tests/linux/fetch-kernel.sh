#!/usr/bin/env bash
# Prints the folder holding vmlinuz, evdev.ko and uinput.ko of the kernel image that Debian's
# linux-image-amd64 depends on, fetched with apt-get download into CACHE and unpacked with
# dpkg-deb -x (never installed: that would upgrade udev and systemd here). A second run finds them
# there and asks apt nothing. A kernel that cannot be had is a failure.
set -u
cache=${1:?usage: fetch-kernel.sh CACHE}
fail() { echo "fetch-kernel: $*" >&2; exit 1; }
image=$(apt-cache depends linux-image-amd64 2>/dev/null | awk '$1 == "Depends:" && $2 ~ /^linux-image-/ { print $2; exit }')
[ -n "$image" ] || fail "apt-cache names no kernel image that linux-image-amd64 depends on"
dir=$cache/$image
if [ -f "$dir/vmlinuz" ] && [ -f "$dir/evdev.ko" ] && [ -f "$dir/uinput.ko" ]; then
  echo "$dir"
  exit 0
fi
mkdir -p "$cache" || fail "cannot make $cache"
work=$(mktemp -d "$cache/fetch.XXXXXX") || fail "cannot make a folder in $cache"
trap 'rm -rf "$work"' EXIT
(cd "$work" && apt-get download "$image") >"$work/apt.log" 2>&1 ||
  fail "apt-get download $image failed: $(grep -E '^E: ' "$work/apt.log" | tail -n 1)"
dpkg-deb -x "$work"/*.deb "$work/x" || fail "dpkg-deb -x of $image failed"
mkdir -p "$work/out"
cp "$work"/x/boot/vmlinuz-* "$work/out/vmlinuz" || fail "$image holds no vmlinuz"
for m in evdev uinput; do
  ko=$(find "$work/x/lib/modules" -name "$m.ko*" | head -n 1)
  [ -n "$ko" ] || fail "$image holds no $m.ko"
  case "$ko" in
  *.xz) xz -dc "$ko" >"$work/out/$m.ko" ;;
  *.zst) zstd -dcq "$ko" >"$work/out/$m.ko" ;;
  *) cp "$ko" "$work/out/$m.ko" ;;
  esac || fail "cannot unpack $ko"
done
# Only the current image is kept.
find "$cache" -mindepth 1 -maxdepth 1 -type d -name 'linux-image-*' -exec rm -rf {} +
mv "$work/out" "$dir" || fail "cannot fill $dir"
echo "$dir"
