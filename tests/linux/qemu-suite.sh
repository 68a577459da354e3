#!/usr/bin/env bash
# The Linux station's suite in a QEMU guest: Debian's own kernel (fetched by fetch-kernel.sh), a
# busybox initramfs with kvremote and the suite, one boot for every case, TCG, no network device.
# The guest's console is the result: every case line is shown, and the suite passes when the guest
# reports exit 0 with no failed case. QEMU is stopped by its pid if it overruns.
#
# usage: qemu-suite.sh WORK KERNEL_CACHE KVREMOTE GUEST_SUITE FLOOR_PROBE
set -u
work=${1:?} cache=${2:?} kvremote=${3:?} suite=${4:?} probe=${5:?}
here=$(cd "$(dirname "$0")" && pwd)
busybox=$(command -v busybox) || { echo "qemu-suite: busybox (busybox-static) is not installed"; exit 1; }
qemu=$(command -v qemu-system-x86_64) || { echo "qemu-suite: qemu-system-x86_64 (qemu-system-x86) is not installed"; exit 1; }
kernel=$("$here/fetch-kernel.sh" "$cache") || exit 1
mkdir -p "$work"
initrd=$work/initramfs.cpio
python3 "$here/make-initramfs.py" "$initrd" init="$here/guest-init.sh" bin/busybox="$busybox" \
  bin/kvremote="$kvremote" bin/kv-guest-suite="$suite" bin/kv-floor-probe="$probe" \
  lib/modules/evdev.ko="$kernel/evdev.ko" lib/modules/uinput.ko="$kernel/uinput.ko" || exit 1
console=$work/console.log
: >"$console"
"$qemu" -accel tcg -m 256 -smp 1 -nodefaults -no-user-config -nic none -display none -no-reboot \
  -serial "file:$console" -kernel "$kernel/vmlinuz" -initrd "$initrd" \
  -append "console=ttyS0 panic=-1 quiet loglevel=3" &
pid=$!
deadline=$((SECONDS + ${KV_QEMU_TIMEOUT:-240}))
while kill -0 "$pid" 2>/dev/null && [ $SECONDS -lt $deadline ]; do
  sleep 0.5
done
if kill -0 "$pid" 2>/dev/null; then
  kill "$pid"
  wait "$pid" 2>/dev/null
  echo "qemu-suite: the guest did not power off within ${KV_QEMU_TIMEOUT:-240} s; stopped"
  cat "$console"
  exit 1
fi
wait "$pid"
tr -d '\r' <"$console" | grep -v '^\s*$'
if tr -d '\r' <"$console" | grep -qx 'kv-guest: exit 0' && ! grep -q 'FAILED' "$console"; then
  exit 0
fi
echo "qemu-suite: the guest did not report every case passed"
exit 1
