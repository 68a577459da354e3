#!/bin/busybox sh
# /init of the QEMU suite's initramfs: mounts what the suite needs, loads the input modules, runs
# the suite on the guest's own loopback and powers off. The host reads the console.
/bin/busybox mkdir -p /proc /sys /dev /tmp /bin
/bin/busybox --install -s /bin
export PATH=/bin
mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t devtmpfs dev /dev
mount -t tmpfs tmp /tmp
chmod 1777 /tmp
if insmod /lib/modules/evdev.ko && insmod /lib/modules/uinput.ko; then
  ip link set lo up
  /bin/kv-guest-suite /bin/kvremote /bin/kv-floor-probe
  echo "kv-guest: exit $?"
else
  echo "kv-guest: the input modules did not load"
  echo "kv-guest: exit 1"
fi
poweroff -f
