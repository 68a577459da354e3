#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need; does nothing when all are there.
set -u
pkgs="cmake ninja-build g++ clang libclang-rt-14-dev clang-format python3 googletest libgtest-dev libgmock-dev
      libbenchmark-dev mingw-w64 wine wine64 xvfb xdotool imagemagick x11-utils nsis
      osslsigncode openssl unzip mosquitto mosquitto-clients"
missing=""
for p in $pkgs; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing="$missing $p"
done
# The 32-bit build's suites run under 32-bit Wine, from Debian's i386 architecture.
dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q "ok installed" || missing="$missing wine32:i386"
[ -z "$missing" ] && exit 0
echo "setup: installing$missing"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
case "$missing" in
*wine32:i386*)
  dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386 || {
    echo "setup: could not enable the i386 architecture for wine32" >&2
    exit 1
  }
  ;;
esac
$sudo apt-get update -qq >/dev/null && $sudo apt-get install -y -qq $missing >/dev/null || {
  echo "setup: apt-get install failed for:$missing" >&2
  exit 1
}
