#!/usr/bin/python3
"""The run's test results, as JUnit XML files in one folder.

  results.py total DIR
      prints "tests: N passed, N failed" over every *.xml file in DIR (and a
      line before it with the skipped ones, which count as neither); a file
      that cannot be read counts as one failed test; exits 1 if any failed
  results.py suite DIR STATUS FILE...
      the check of one suite that ran with exit STATUS and wrote FILEs (the
      new ones in DIR): prints why it failed when it wrote none, or failed
      without a failing test in them; prints nothing otherwise

The files are written by scripts/lib/junit.sh.
"""

import os
import sys
import xml.etree.ElementTree as ET


def cases(path):
    """(passed, failed, skipped) of one file; an unreadable one is one failure."""
    try:
        root = ET.parse(path).getroot()
    except (ET.ParseError, OSError) as error:
        print(f"{path}: not a results file ({error})", file=sys.stderr)
        return 0, 1, 0
    passed = failed = skipped = 0
    for case in root.iter("testcase"):
        if case.find("failure") is not None or case.find("error") is not None:
            failed += 1
        elif case.find("skipped") is not None:
            skipped += 1
        else:
            passed += 1
    return passed, failed, skipped



def main(args):
    if args[:1] == ["total"] and len(args) == 2:
        folder = args[1]
        files = sorted(f for f in os.listdir(folder) if f.endswith(".xml"))
        totals = [cases(os.path.join(folder, f)) for f in files]
        passed, failed, skipped = (sum(t[i] for t in totals) for i in range(3))
        if skipped:
            print(f"skipped: {skipped} (neither passed nor failed)")
        print(f"tests: {passed} passed, {failed} failed")
        return 1 if failed else 0
    if args[:1] == ["suite"] and len(args) >= 3:
        folder, status = args[1], int(args[2])
        files = [f for f in args[3:] if f.endswith(".xml")]
        if not files:
            print(f"wrote no results (exit status {status})")
        elif status != 0 and not any(cases(os.path.join(folder, f))[1] for f in files):
            print(f"ended with exit status {status} without a failed test")
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
