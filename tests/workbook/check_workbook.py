#!/usr/bin/env python3
"""kelvara-tab's workbooks read back against its CSV report.

    check_workbook.py KELVARA_TAB SURVEY REFERENCE_TABLE WORK_FOLDER

For a plain, a design, a judged and a usual-intake run (this one with
energy-adjusted blocks and a ratio of totals; under the four age-group
schemes between them) it writes the report with -o and the
workbook with --xlsx, then the workbook of the saved report (code page 932,
and the same lines in UTF-8) with --xlsx-from, and checks, reading the CSV
with Python's own csv module:

- every block has its sheet, in order, and each number cell is the CSV
  field's number, each empty field an empty cell, each label and closing
  line its text;
- the sheet names are valid and unique;
- every cell of the summary 一覧 is the field of its block, group (the
  section's sex and the column's age group) and row (人数, 平均値, 標準偏差,
  中央値, the share columns), and its columns are the sex's age bands then
  its summaries, as the block lists them;
- the workbooks from the run and from its saved lines (either encoding) hold
  the same cells, 条件 apart; 条件 knows the run, or the provenance lines,
  or says 不明.
"""
import csv
import io
import os
import re
import subprocess
import sys

import openpyxl

TAB, SURVEY, REFERENCE, WORK = sys.argv[1:5]
DESIGN = ["--unit", "1", "--weight", "5", "--sex", "2", "--age", "3", "--pregnancy", "4"]
CASES = {
    "plain": ["--scheme", "category", "--unit", "1", "--weight", "5", "--sex", "2", "--age", "14",
              "--pregnancy", "4", SURVEY, "6", "7"],
    "design": ["--scheme", "part5", "--weight", "5", "--sex", "2", "--age", "3", "--pregnancy", "4",
               "--strata", "1", "--ci", "--cv", "--deff", "--below", "7.5", "--below", "エネルギー=2000",
               "--median-ci", SURVEY, "6", "10", "12"],
    "judged": ["--scheme", "table2"] + DESIGN + ["--provenance", "--median-ci", "--reference", REFERENCE,
               "--menstruation", "yes", "--pregnancy-stage", "mid", SURVEY, "鉄", "11"],
    "usual": DESIGN + ["--usual", "--variance-ratio", "12=1.5", "--variance-ratio", "10=2",
                       "--below", "8", "--energy-adjust", "residual", "--energy", "6",
                       "--ratio", "12/6", SURVEY, "10", "12"],
}
SEX_OF_SECTION = {"男": "男", "女": "女", "男女計": "男女"}
STATISTIC_TITLE = {"人数": "人数", "平均値": "平均", "標準偏差": "標準偏差", "中央値": "中央値"}
BAND = re.compile(r"\d+(～\d+|以上)?")
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
    return condition


def run(arguments):
    done = subprocess.run([TAB] + arguments, capture_output=True)
    if done.returncode != 0:
        sys.exit(f"kelvara-tab {' '.join(arguments)} failed: {done.stderr.decode()}")


def read_blocks(path, encoding):
    """The report's blocks: name, titles, groups (label -> fields), closing lines."""
    with open(path, encoding=encoding, newline="") as f:
        rows = list(csv.reader(io.StringIO(f.read())))
    blocks, i = [], 0
    while i < len(rows):
        row = rows[i]
        if len(row) == 1 and row[0].startswith("【") and row[0].endswith("】"):
            block = {"heading": row[0], "name": row[0][1:-1], "titles": rows[i + 1][1:],
                     "groups": {}, "order": [], "closing": []}
            i += 2
            while i < len(rows) and len(rows[i]) > 2:
                block["groups"][rows[i][0]] = rows[i][1:]
                block["order"].append(rows[i])
                i += 1
            while i < len(rows) and rows[i] and rows[i][0] != "" and not rows[i][0].startswith("【"):
                block["closing"].append(rows[i])
                i += 1
            blocks.append(block)
        i += 1
    return blocks


def expected(field):
    return None if field == "" else float(field)


def same_number(cell, field, where):
    value = expected(field)
    if value is None:
        return check(cell is None, f"{where}: empty field, cell {cell!r}")
    return check(isinstance(cell, (int, float)) and not isinstance(cell, bool) and cell == value,
                 f"{where}: field {field!r}, cell {cell!r}")


def valid_sheet_names(names):
    folded = [n.lower() for n in names]
    check(len(set(folded)) == len(names), f"sheet names not unique: {names}")
    for name in names:
        check(0 < len(name) <= 31 and not re.search(r"[\[\]:*?/\\]", name) and
              name.lower() != "history" and not name.startswith("'") and not name.endswith("'"),
              f"invalid sheet name {name!r}")


def check_block_sheet(sheet, block, where):
    rows = list(sheet.iter_rows(values_only=True))
    check(rows[0][0] == block["heading"], f"{where}: heading {rows[0][0]!r}")
    check(list(rows[1][1:1 + len(block["titles"])]) == block["titles"], f"{where}: titles")
    check(sheet.freeze_panes == "B3", f"{where}: frozen at {sheet.freeze_panes}")
    for r, line in enumerate(block["order"]):
        cells = rows[2 + r]
        check(cells[0] == line[0], f"{where}: label {cells[0]!r} for {line[0]!r}")
        for c, field in enumerate(line[1:]):
            same_number(cells[1 + c], field, f"{where} {line[0]} {block['titles'][c]}")
        check(all(v is None for v in cells[len(line):]), f"{where} {line[0]}: cells past the line")
    for r, line in enumerate(block["closing"]):
        cells = rows[2 + len(block["order"]) + r]
        check([v for v in cells if v is not None] == [f for f in line if f != ""],
              f"{where}: closing line {line} as {cells}")


def check_summary(sheet, blocks, where):
    by_name = {b["name"]: b for b in blocks}
    rows = list(sheet.iter_rows(values_only=True))
    i, sections = 0, 0
    while i < len(rows):
        if rows[i][0] is None:
            i += 1
            continue
        title, header = rows[i][0], rows[i + 1]
        sex = SEX_OF_SECTION[title]
        check(header[:2] == ("変数", "統計量"), f"{where}: header {header[:2]}")
        columns = [c for c in header[2:] if c is not None]
        i += 2
        seen_statistics = {}
        variable, shared_persons = None, None
        while i < len(rows) and any(v is not None for v in rows[i]):
            row = rows[i]
            if row[0] is not None:
                variable = row[0]
            statistic = row[1]
            names = [variable] if variable is not None else [b["name"] for b in blocks
                                                             if any(g.startswith(sex) for g in b["groups"])]
            if variable is None:
                check(statistic == "人数", f"{where}: row without variable {statistic}")
                shared_persons = row
            title_of = STATISTIC_TITLE.get(statistic, statistic)
            for name in names:
                block = by_name[name]
                seen_statistics.setdefault(name, []).append(statistic)
                column = block["titles"].index(title_of)
                for c, age in enumerate(columns):
                    fields = block["groups"][sex + age]
                    field = fields[column] if column < len(fields) else ""
                    same_number(row[2 + c], field, f"{where} {title} {name} {statistic} {age}")
            i += 1
        # Every block of the section's sex, each with its rows; the columns are
        # the block's groups of that sex, bands first.
        for block in blocks:
            labels = [g[len(sex):] for g in block["groups"]
                      if g.startswith(sex) and not (sex != "男女" and g.startswith("男女"))]
            if not labels:
                continue
            bands = [t for t in labels if BAND.fullmatch(t)]
            check(columns == bands + [t for t in labels if t not in bands],
                  f"{where} {title}: columns {columns} for {labels}")
            wanted = [s for s in ("平均値", "標準偏差", "中央値") if STATISTIC_TITLE[s] in block["titles"]]
            wanted = (wanted or block["titles"][2:3]) + [t for t in block["titles"] if t.endswith("割合(%)")]
            got = [s for s in seen_statistics.get(block["name"], []) if s != "人数"]
            check(got == wanted, f"{where} {title} {block['name']}: rows {got}, wanted {wanted}")
            check(shared_persons is not None or "人数" in seen_statistics.get(block["name"], []),
                  f"{where} {title} {block['name']}: no persons row")
        sections += 1
    check(sections % 3 == 0 and sections > 0, f"{where}: {sections} sections")


def conditions(workbook):
    rows = list(workbook["条件"].iter_rows(values_only=True))
    return [dict(zip(rows[0], row)) for row in rows[1:]]


def check_workbook(path, blocks, where):
    workbook = openpyxl.load_workbook(path)
    names = workbook.sheetnames
    valid_sheet_names(names)
    if not check(names[0] == "一覧" and names[-1] == "条件" and len(names) == len(blocks) + 2,
                 f"{where}: sheets {names}"):
        return workbook
    for b, block in enumerate(blocks):
        check_block_sheet(workbook[names[1 + b]], block, f"{where} {names[1 + b]}")
    check_summary(workbook["一覧"], blocks, f"{where} 一覧")
    return workbook


def main():
    os.makedirs(WORK, exist_ok=True)
    same_cells = os.path.join(os.path.dirname(os.path.abspath(__file__)), "same_cells.py")
    for case, arguments in CASES.items():
        base = os.path.join(WORK, case)
        run(arguments + ["-o", base + ".csv", "--xlsx", base + ".xlsx"])
        # The same lines in UTF-8, as --utf8 writes them (a second run could
        # fall in another second, and its provenance lines say so).
        with open(base + ".csv", encoding="cp932", newline="") as cp932, \
                open(base + "-utf8.csv", "w", encoding="utf-8", newline="\n") as utf8:
            utf8.write(cp932.read().replace("\r\n", "\n"))
        run(["--xlsx-from", base + ".csv", base + "-from.xlsx"])
        run(["--xlsx-from", base + "-utf8.csv", base + "-from-utf8.xlsx"])
        blocks = read_blocks(base + ".csv", "cp932")
        ran = check_workbook(base + ".xlsx", blocks, case)
        loaded = check_workbook(base + "-from.xlsx", blocks, case + " from CSV")
        for other in (base + "-from.xlsx", base + "-from-utf8.xlsx"):
            compared = subprocess.run([sys.executable, same_cells, base + ".xlsx", other,
                                       "--skip-sheet", "条件"], capture_output=True, text=True)
            check(compared.returncode == 0, f"{case}: {compared.stdout}")
        known, told = conditions(ran), conditions(loaded)
        check(len(known) == 1 and
              all(c["調査データファイル"] == SURVEY and c["プログラム"].startswith("Kelvara ") and
                  c["日時"] == known[0]["日時"] != "不明" for c in known),
              f"{case}: conditions of the run {known}")
        if "--provenance" in arguments:
            check(all(c["調査データファイル"] == SURVEY and c["日時"] == known[0]["日時"] for c in told),
                  f"{case}: conditions from provenance lines {told}")
        else:
            check(all(c["調査データファイル"] == "不明" and c["日時"] == "不明" and
                      c["年齢階級区分"] == known[0]["年齢階級区分"] for c in told),
                  f"{case}: conditions of a file without provenance {told}")
        if "--reference" in arguments:
            check(all(c["基準値表"].startswith("試験用の基準値表") for c in known + told),
                  f"{case}: reference table {known} {told}")
    for failure in failures[:40]:
        print(failure)
    print(f"{len(failures)} failure(s) over {len(CASES)} runs" if failures else
          f"workbooks of {len(CASES)} runs agree with their reports")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
