#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need; does nothing when all are there.
set -u
pkgs="cmake ninja-build g++ clang libclang-rt-14-dev clang-format python3 googletest libgtest-dev libgmock-dev
      libbenchmark-dev mingw-w64 wine wine64 xvfb xdotool imagemagick x11-utils nsis"
missing=""
for p in $pkgs; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
echo "setup: installing$missing"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq >/dev/null && $sudo apt-get install -y -qq $missing >/dev/null || {
  echo "setup: apt-get install failed for:$missing" >&2
  exit 1
}
