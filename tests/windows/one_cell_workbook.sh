#!/bin/sh
# libraries_smoke.exe under Wine writes a workbook; openpyxl (Debian's, under
# Debian's Python whatever python3 comes first on the PATH), a reader
# independent of the writer, must find one sheet whose only cell, A1, holds
# 7, the value of 1+2*3.
#   one_cell_workbook.sh WINE LIBRARIES_SMOKE_EXE
set -eu
wine=$1 program=$(realpath "$2")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch"
"$wine" "$program" smoke.xlsx
/usr/bin/python3 - smoke.xlsx <<'PYTHON'
import sys
import openpyxl

book = openpyxl.load_workbook(sys.argv[1])
cells = [(cell.coordinate, cell.value) for sheet in book.worksheets
         for row in sheet.iter_rows() for cell in row if cell.value is not None]
print(f"sheets {book.sheetnames}, cells {cells}")
sys.exit(0 if len(book.worksheets) == 1 and cells == [("A1", 7)] else 1)
PYTHON
