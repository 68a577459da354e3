#!/usr/bin/env bash
# summary-test.sh SUMMARIZE_PY: the test run's summary over a results folder made here. Suites left
# out for want of 32-bit Wine are skipped with apt's reason and the run passes; a suite CTest did not
# run, or a preset without results, fails it.
set -u
work=$(mktemp -d /tmp/kv-summary-test.XXXXXX)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "FAIL: $*"
  cat "$work/out"
  exit 1
}
junit() { # junit PRESET TESTCASE...: the preset built, and CTest's results with these test cases
  echo "build $1: ok" >"$work/$1.build"
  local p=$1
  shift
  printf '<testsuite>%s</testsuite>\n' "$*" >"$work/$p.junit.xml"
}
gtest='<system-out>[==========] 4 tests from 2 test suites ran. (5 ms total)
[  PASSED  ] 4 tests.</system-out>'
held="no 32-bit Wine: Unable to correct problems, you have held broken packages."

junit win64 "<testcase name=\"kvcom_tests\" status=\"run\">$gtest</testcase>"
junit win32 '<testcase name="program_size" status="run"/>' '<testcase name="installer_signing" status="run"/>'
printf 'e2e_program\t%s\nwine_prefix\t%s\n' "$held" "$held" >"$work/win32.skipped"
python3 "$1" "$work" >"$work/out" || fail "a run with nothing failed fails"
grep -qxF "win32/e2e_program: skipped ($held)" "$work/out" || fail "no skip line with apt's reason"
[ "$(tail -n 1 "$work/out")" = "6 passed, 0 failed, 2 skipped" ] || fail "wrong final line"

junit win64 "<testcase name=\"kvcom_tests\" status=\"run\">$gtest</testcase>" \
  '<testcase name="e2e_program" status="notrun"><skipped message="Fixture dependency failed"/></testcase>'
python3 "$1" "$work" >"$work/out" && fail "a suite that did not run passes"
grep -qxF "win64/e2e_program: did not run (Fixture dependency failed): 0 passed, 1 failed" "$work/out" ||
  fail "the suite that did not run is not named"

echo "build bench: ok" >"$work/bench.build"
python3 "$1" "$work" >"$work/out"
grep -qxF "bench: no test results (the tests did not run): 0 passed, 1 failed" "$work/out" &&
  [ "$(tail -n 1 "$work/out")" = "6 passed, 2 failed, 2 skipped" ] || fail "a preset without results is not a failure"
echo "ok: only the recorded suites are skipped; a suite or preset that did not run fails"
