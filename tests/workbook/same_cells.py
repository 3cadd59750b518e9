#!/usr/bin/env python3
"""Whether two workbooks hold the same sheets with the same cell values.

    same_cells.py A.xlsx B.xlsx [--skip-sheet NAME]...

Compares the sheets' names and order and every cell's value and type (a
number is equal only to the same number, text only to the same text, an
empty cell only to an empty cell). Sheets named with --skip-sheet (条件,
whose date and paths differ between runs) are compared by name only.
Exit status 0 when the same, 1 with the first differences listed.
"""
import argparse
import sys

import openpyxl


def cells(sheet):
    return {(cell.row, cell.column): cell.value
            for row in sheet.iter_rows() for cell in row if cell.value is not None}


def differences(a_path, b_path, skipped):
    a = openpyxl.load_workbook(a_path, read_only=False)
    b = openpyxl.load_workbook(b_path, read_only=False)
    if a.sheetnames != b.sheetnames:
        return [f"sheets differ: {a.sheetnames} against {b.sheetnames}"]
    found = []
    for name in a.sheetnames:
        if name in skipped:
            continue
        left, right = cells(a[name]), cells(b[name])
        for key in sorted(set(left) | set(right)):
            x, y = left.get(key), right.get(key)
            if type(x) != type(y) or x != y:
                found.append(f"{name}!R{key[0]}C{key[1]}: {x!r} against {y!r}")
        if a[name].freeze_panes != b[name].freeze_panes:
            found.append(f"{name}: frozen at {a[name].freeze_panes} against {b[name].freeze_panes}")
    return found


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("a")
    parser.add_argument("b")
    parser.add_argument("--skip-sheet", action="append", default=[])
    args = parser.parse_args()
    found = differences(args.a, args.b, set(args.skip_sheet))
    for line in found[:20]:
        print(line)
    if found:
        print(f"{len(found)} difference(s) between {args.a} and {args.b}")
        return 1
    print(f"same cells: {args.a} and {args.b}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
