#!/usr/bin/env bash
# Builds every preset and runs every suite: native unit tests (also under ASan/UBSan and TSan, and
# cross-built for Linux arm64 under qemu-user), the Linux station's QEMU suite and .deb,
# the fuzz targets for a few seconds each, each benchmark briefly, and the Windows and end-to-end
# suites under Wine, for the 64-bit and the 32-bit build (32-bit Wine runs the latter).
# Where apt refused 32-bit Wine (recorded by the set-up), the suites that need it (label wine32)
# are left out and reported skipped with apt's reason; everything else runs, the 32-bit build too.
# Ends with a summary line per suite and a final "N passed, M failed, K skipped" line.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root" || exit 1
scripts/setup.sh || exit 1
no_wine32=""
[ -f build/setup.stamp ] && no_wine32=$(awk -F'\t' '$1 == "wine32" { print $3; exit }' build/setup.stamp)
jobs=${KV_JOBS:-$(nproc)}
presets=${KV_PRESETS:-"native native-asan native-tsan fuzz bench linux-amd64 linux-arm64 win64 win32"}
results=$root/build/results
rm -rf "$results"
mkdir -p "$results"
for p in $presets; do
  log=$results/$p.build.log
  echo "== $p: configure and build"
  started=$SECONDS
  # Only what runs is built: the ThreadSanitizer build runs the suites on threads alone, and a
  # 32-bit build whose Wine suites cannot run here needs only its packages and their checks.
  targets=()
  labels=()
  configured=0
  cmake --preset "$p" >"$log" 2>&1 && configured=1
  if [ "$configured" = 1 ] && [ "$p" = native-tsan ]; then
    labels=(-L threads)
    mapfile -t targets < <(ctest --test-dir "build/$p" -N -L threads | sed -n 's/^ *Test *#[0-9]*: //p')
  elif [ "$p" = win32 ] && [ -n "$no_wine32" ]; then
    targets=(kv_installer kvdllcheck)
  fi
  if [ "$configured" = 1 ] && cmake --build --preset "$p" -j "$jobs" ${targets[@]:+--target "${targets[@]}"} >>"$log" 2>&1; then
    echo "build $p: ok" >"$results/$p.build"
  else
    echo "build $p: FAILED (see $log)" >"$results/$p.build"
    tail -n 40 "$log"
    continue
  fi
  echo "   built in $((SECONDS - started)) s"
  started=$SECONDS
  if [ -n "$no_wine32" ]; then
    labels+=(-LE wine32)
    # The labelled suites alone (-FA: not the fixtures they would pull in), one skip line each.
    ctest --test-dir "build/$p" -N -L wine32 -FA '.*' | sed -n 's/^ *Test *#[0-9]*: //p' | while read -r t; do
      printf '%s\tno 32-bit Wine: %s\n' "$t" "$no_wine32"
    done >"$results/$p.skipped"
    [ -s "$results/$p.skipped" ] || rm -f "$results/$p.skipped"
  fi
  echo "== $p: tests"
  ctest --test-dir "build/$p" "${labels[@]}" -j "$jobs" --output-on-failure \
    --test-output-size-passed 2000000 --test-output-size-failed 2000000 \
    --output-junit "$results/$p.junit.xml" >"$results/$p.test.log" 2>&1
  tail -n 5 "$results/$p.test.log"
  echo "   tested in $((SECONDS - started)) s"
done
python3 scripts/summarize.py "$results"
