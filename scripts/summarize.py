#!/usr/bin/env python3
"""Prints one line per suite from a test run's folder, then the final "N passed, M failed, K skipped"
line; exits 1 when anything failed. GoogleTest suites are counted by their own test cases.

The folder holds, per preset: <preset>.build (the build's outcome), <preset>.junit.xml (CTest's
results) and, only when a package group apt refused left suites out, <preset>.skipped (one
"suite<TAB>reason" line each). Those suites are the only skips: a build that failed, a preset
without results and a suite CTest did not run (missing program, failed fixture) are failures."""
import re
import sys
import xml.etree.ElementTree as ET
from pathlib import Path


def suite_counts(case):
    """(passed, failed) of one CTest test: its GoogleTest cases, or the test itself."""
    failed_case = case.get("status") == "fail" or case.find("failure") is not None
    out = "".join(e.text or "" for e in case.iter("system-out"))
    if re.search(r"\[==========\] (\d+) tests? from .* ran", out):
        passed = re.search(r"\[  PASSED  \] (\d+) test", out)
        failed = re.search(r"\[  FAILED  \] (\d+) tests?, listed below", out)
        p = int(passed.group(1)) if passed else 0
        f = int(failed.group(1)) if failed else 0
        if failed_case and f == 0:
            f = 1  # the program itself failed (crash, sanitizer report, time-out)
        return p, f
    return (0, 1) if failed_case else (1, 0)


def preset_lines(results, preset):
    """The lines of one built preset, each (text, passed, failed, skipped)."""
    junit = results / f"{preset}.junit.xml"
    if not junit.exists():
        yield f"{preset}: no test results (the tests did not run): 0 passed, 1 failed", 0, 1, 0
    else:
        try:
            cases = list(ET.parse(junit).getroot().iter("testcase"))
        except ET.ParseError as err:
            cases = []
            yield f"{preset}: unreadable results ({err}): 0 passed, 1 failed", 0, 1, 0
        for case in cases:
            name = case.get("name")
            if case.get("status") in ("run", "fail"):
                p, f = suite_counts(case)
                yield f"{preset}/{name}: {p} passed, {f} failed", p, f, 0
            else:
                skipped = case.find("skipped")
                why = skipped.get("message") if skipped is not None else case.get("status")
                yield f"{preset}/{name}: did not run ({why}): 0 passed, 1 failed", 0, 1, 0
    skip_list = results / f"{preset}.skipped"
    if skip_list.exists():
        for line in skip_list.read_text().splitlines():
            name, _, reason = line.partition("\t")
            if name:
                yield f"{preset}/{name}: skipped ({reason})", 0, 0, 1


def main():
    results = Path(sys.argv[1])
    lines = []
    totals = [0, 0, 0]
    for build in sorted(results.glob("*.build")):
        preset = build.name[: -len(".build")]
        text = build.read_text().strip()
        found = [(f"{text}: 0 passed, 1 failed", 0, 1, 0)] if "FAILED" in text else preset_lines(results, preset)
        for line, p, f, k in found:
            lines.append(line)
            totals = [totals[0] + p, totals[1] + f, totals[2] + k]
    print()
    print("\n".join(lines))
    if not any(totals):
        print("no suite ran: no results in", results)
        return 1
    print(f"{totals[0]} passed, {totals[1]} failed, {totals[2]} skipped")
    return 1 if totals[1] else 0


sys.exit(main())
