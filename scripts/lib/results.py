#!/usr/bin/python3
"""The run's test results, as JUnit XML files in one folder.

  results.py total DIR
      prints "tests: N passed, N failed" over every *.xml file in DIR (and a
      line before it with the skipped ones, which count as neither); a file
      that cannot be read counts as one failed test; exits 1 if any failed
  results.py suite DIR NAME STATUS FILE...
      the check of one suite that ran with exit STATUS and wrote FILEs (the
      new ones in DIR): when it wrote none, or failed without a failing test
      in them, DIR/NAME-run.xml gets a failed test that says so
  results.py write FILE SUITE
      writes the cases read from standard input, one a line: the name, then
      after a tab the failure message, or nothing for a pass
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


def write(path, suite, rows):
    root = ET.Element("testsuite", name=suite, tests=str(len(rows)),
                      failures=str(sum(1 for _, message in rows if message)))
    for name, message in rows:
        case = ET.SubElement(root, "testcase", classname=suite, name=name)
        if message:
            ET.SubElement(case, "failure", message=message)
    part = path + ".part"
    ET.ElementTree(root).write(part, encoding="UTF-8", xml_declaration=True)
    os.replace(part, path)  # never half a file


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
    if args[:1] == ["suite"] and len(args) >= 4:
        folder, name, status = args[1], args[2], int(args[3])
        files = args[4:]
        why = None
        if not files:
            why = f"wrote no results (exit status {status})"
        elif status != 0 and not any(cases(os.path.join(folder, f))[1] for f in files):
            why = f"ended with exit status {status} without a failed test"
        if why:
            write(os.path.join(folder, f"{name}-run.xml"), name, [(name, why)])
            print(f"{name}: {why}", file=sys.stderr)
        return 0
    if args[:1] == ["write"] and len(args) == 3:
        rows = []
        for line in sys.stdin.read().splitlines():
            name, _, message = line.partition("\t")
            rows.append((name, message))
        write(args[1], args[2], rows)
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
