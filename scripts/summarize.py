#!/usr/bin/env python3
"""Prints one line per suite (passed and failed counts) from the CTest JUnit files of a test run,
then the final "N passed, M failed" line. GoogleTest suites are counted by their own test cases."""
import re
import sys
import xml.etree.ElementTree as ET
from pathlib import Path

results = Path(sys.argv[1])
total_pass = total_fail = 0
lines = []
for build in sorted(results.glob("*.build")):
    text = build.read_text().strip()
    if "FAILED" in text:
        lines.append(f"{text}: 0 passed, 1 failed")
        total_fail += 1
for junit in sorted(results.glob("*.junit.xml")):
    preset = junit.name.split(".")[0]
    try:
        root = ET.parse(junit).getroot()
    except ET.ParseError as err:
        lines.append(f"{preset}: unreadable results ({err}): 0 passed, 1 failed")
        total_fail += 1
        continue
    for case in root.iter("testcase"):
        name = case.get("name")
        status = case.get("status", "")
        failed_case = status == "fail" or case.find("failure") is not None
        out = "".join(e.text or "" for e in case.iter("system-out"))
        ran = re.search(r"\[==========\] (\d+) tests? from .* ran", out)
        if ran:
            passed = re.search(r"\[  PASSED  \] (\d+) test", out)
            failed = re.search(r"\[  FAILED  \] (\d+) tests?, listed below", out)
            p = int(passed.group(1)) if passed else 0
            f = int(failed.group(1)) if failed else 0
            if failed_case and f == 0:
                f = 1  # the program itself failed (crash, sanitizer report, time-out)
        else:
            p, f = (0, 1) if failed_case else (1, 0)
        if status == "notrun" or case.find("skipped") is not None:
            continue
        total_pass += p
        total_fail += f
        lines.append(f"{preset}/{name}: {p} passed, {f} failed")
print()
print("\n".join(lines))
print(f"{total_pass} passed, {total_fail} failed")
sys.exit(1 if total_fail else 0)
