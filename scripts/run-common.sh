# Sourced by run.sh, measure-latency.sh and screenshots.sh (from the repository root): building
# their win64 targets, and a run folder of kvRemote on the simulated driver.

# kv_build BUILD_DIR TARGET...: build/win64 is configured when new and built through its preset;
# any other folder is built by target only, two jobs at most.
kv_build() {
  local build=$1
  shift
  # A fresh machine gets its packages (mingw, Wine, Xvfb) first; nothing happens when they are there.
  # It fails only without the build or the Windows group: the demo needs no 32-bit Wine.
  scripts/setup.sh || return 1
  if [ "$build" = build/win64 ]; then
    { [ -f build/win64/build.ninja ] || cmake --preset win64; } && cmake --build --preset win64 --target "$@"
  else
    cmake --build "$build" --target "$@" -j2
  fi
}

# kv_winpath PATH: the path as Wine programs see it (drive Z:).
kv_winpath() {
  local p=${1//\//\\}
  echo "Z:$p"
}

# kv_run_folder BUILD RUN: RUN made afresh with an empty cfg folder and BUILD's kvRemote.exe,
# KvCom.dll and simulated interception.dll.
kv_run_folder() {
  rm -rf "$2" && mkdir -p "$2/cfg" &&
    cp "$1/src/kvRemote.exe" "$1/kvcom/KvCom.dll" "$1/simdriver/interception.dll" "$2/"
}

# kv_sim_env BUILD RUN PORT: the simulated driver reads RUN/devices.txt, records to RUN/kvsim.log
# and takes strokes on PORT; Wine uses BUILD/run-wineprefix, made when missing.
kv_sim_env() {
  export KVSIM_PORT=$3 KVSIM_DEVICES KVSIM_LOG WINEPREFIX=$1/run-wineprefix
  KVSIM_DEVICES=$(kv_winpath "$2/devices.txt")
  KVSIM_LOG=$(kv_winpath "$2/kvsim.log")
  scripts/wine-prefix.sh "$WINEPREFIX" >/dev/null
}
