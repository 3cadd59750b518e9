#!/usr/bin/env python3
"""Check the shipped reference tables against the normalised copies of their sources.

Usage: scripts/check_reference_sources.py [REFERENCE_DIR]

REFERENCE_DIR (default: reference/ beside this script's folder) holds the tables (dri2025.csv, ...) and
sources/: one CSV per source, a normalised copy of that source's numbers, whose header names the table it
belongs to ("# table: dri2025"), and sources/decisions.csv, each disagreement between sources and how it
was decided. For every table this prints, per nutrient and source, how many cells agree, differ, are only
in the source or only in the table. It exits 1 when a shipped value:
  - differs from a source, unless decisions.csv names that source's value and the report page that decided;
  - is agreed by fewer than two sources, unless its source cell says it rests on one transcription
    (and then exactly one source gives it, and none differs);
and when a decision no longer matches the sources or the table, or the table holds less than 95 % of the
cells that two sources agree on.
"""
import csv
import io
import os
import sys
from decimal import Decimal


def read_text(path):
    """A table or source file's text: UTF-8 (with or without a byte order mark) or code page 932."""
    raw = open(path, 'rb').read()
    if raw.startswith(b'\xef\xbb\xbf'):
        return raw[3:].decode('utf-8')
    try:
        return raw.decode('utf-8')
    except UnicodeDecodeError:
        return raw.decode('cp932')


def report_problems(problems):
    """Prints each problem once and their count; the exit status: 1 if there is any."""
    problems = list(dict.fromkeys(problems))
    for p in problems:
        print(p)
    print(f'{len(problems)} problem(s)')
    return 1 if problems else 0

STAGES = ('pregnant_early', 'pregnant_mid', 'pregnant_late')
SINGLE_MARK = '※この値は一つの転記'
MIN_COVERAGE = Decimal('0.95')
NO_UPPER = 10**6


def number(text):
    """A value as (is an addition, amount), so that "+2" equals "+2.0" and differs from "2"."""
    return text.startswith('+'), Decimal(text.lstrip('+'))


def band(age_from, age_to):
    return (int(age_from) if age_from else 1, int(age_to) if age_to else NO_UPPER)


def stages(state):
    # One value for every stage of pregnancy is that value at each stage.
    return STAGES if state == 'pregnant' else (state,)


class Cell:
    def __init__(self, key, sex, age_from, age_to, state, indicator, value, unit, where):
        self.key, self.sex, self.state, self.indicator = key, sex, state, indicator
        self.band = band(age_from, age_to)
        self.ages = (age_from, age_to)
        self.value, self.unit, self.where = value, unit, where

    def ident(self):
        return (self.key, self.sex, self.ages[0], self.ages[1], self.state, self.indicator)

    def same_as(self, other):
        return number(self.value) == number(other.value) and self.unit == other.unit


def read_source(path):
    header, cells = {}, []
    lines = read_text(path).splitlines()
    for line in lines:
        if line.startswith('# ') and ':' in line:
            name, _, text = line[2:].partition(':')
            if name.isalpha():
                header.setdefault(name, text.strip())
    for row in csv.DictReader(line for line in lines if not line.startswith('#')):
        for state in stages(row['state']):
            cells.append(Cell(row['key'], row['sex'], row['age_from'], row['age_to'], state,
                              row['indicator'], row['value'], row['unit'], row['page']))
    return header, cells


def read_table(path):
    """The table's value rows (comments, such as #unconfirmed rows, are never used)."""
    rows = []
    for line, row in enumerate(csv.reader(io.StringIO(read_text(path))), start=1):
        if not row or row[0] != 'value' or len(row) != 11:
            continue
        _, key, sex, age_from, age_to, state, indicator, value, unit, _scope, source = row
        for st in stages(state):
            cell = Cell(key, sex, age_from, age_to, st, indicator, value, unit, line)
            cell.single = SINGLE_MARK in source
            rows.append(cell)
    return rows


def read_decisions(path):
    if not os.path.exists(path):
        return []
    lines = [line for line in read_text(path).splitlines() if not line.startswith('#')]
    decisions = []
    for row in csv.DictReader(lines):
        for state in stages(row['state']):
            decisions.append(dict(row, state=state))
    return decisions


def covering(rows_by_group, cell):
    """The table row whose band holds the source cell's band, if any."""
    for row in rows_by_group.get((cell.key, cell.sex, cell.state, cell.indicator), ()):
        if row.band[0] <= cell.band[0] and cell.band[1] <= row.band[1]:
            return row
    return None


def check_table(table, rows, sources, roles, decisions, problems):
    by_group = {}
    for row in rows:
        by_group.setdefault((row.key, row.sex, row.state, row.indicator), []).append(row)

    counts = {}             # (source, key) -> [agree, differ, only in source, only in table]
    agreeing = {}           # id(table row) -> {source: agreeing cell}
    differing = {}          # id(table row) -> [(source, cell)]
    agreed_cells = {}       # cell ident -> {value: sources}
    for name, cells in sources.items():
        matched = set()
        for cell in cells:
            tally = counts.setdefault((name, cell.key), [0, 0, 0, 0])
            agreed_cells.setdefault(cell.ident(), {}).setdefault(number(cell.value) + (cell.unit,), set()).add(name)
            row = covering(by_group, cell)
            if row is None:
                tally[2] += 1
                continue
            matched.add(id(row))
            if row.same_as(cell):
                tally[0] += 1
                agreeing.setdefault(id(row), {})[name] = cell
            else:
                tally[1] += 1
                differing.setdefault(id(row), []).append((name, cell))
        for row in rows:
            if id(row) not in matched:
                counts.setdefault((name, row.key), [0, 0, 0, 0])[3] += 1

    decided = {}
    for d in decisions:
        if d['table'] == table:
            ident = (d['key'], d['sex'], d['age_from'], d['age_to'], d['state'], d['indicator'])
            decided[(ident, d['source'])] = d

    used = set()
    for row in rows:
        where = f'{table}.csv:{row.where} {row.key} sex {row.sex} ages {row.ages[0]}-{row.ages[1]} ' \
                f'{row.state or "-"} {row.indicator} {row.value}'
        agree = agreeing.get(id(row), {})
        for name, cell in differing.get(id(row), []):
            d = decided.get((cell.ident(), name))
            if d is None or number(d['source_value']) != number(cell.value) or d['decided_by'] == 'out':
                problems.append(f'{where}: {name} gives {cell.value} {cell.unit} ({cell.where}) and no decision covers it')
                continue
            used.add((cell.ident(), name))
            if not any(roles[p] == 'page' and c.where == d['decided_by'] for p, c in agree.items()):
                problems.append(f'{where}: decided by {d["decided_by"]}, but that page does not give the shipped value')
        if differing.get(id(row)):
            continue
        if row.single:
            if len(agree) != 1:
                problems.append(f'{where}: marked as resting on one transcription, but {len(agree)} sources give it')
        elif len(agree) < 2:
            problems.append(f'{where}: agreed by {len(agree)} source(s) ({", ".join(sorted(agree)) or "none"}); '
                            'two are needed, or the mark that it rests on one transcription')

    shipped = {row.ident() for row in rows}
    for (ident, name), d in decided.items():
        values = [c for c in sources.get(name, ()) if c.ident() == ident and number(c.value) == number(d['source_value'])]
        if not values:
            problems.append(f'decisions.csv: {table} {" ".join(x or "-" for x in ident)} {name} {d["source_value"]}: '
                            'the source no longer gives that value')
        elif d['decided_by'] == 'out':
            if any(covering(by_group, c) for c in values):
                problems.append(f'decisions.csv: {table} {" ".join(x or "-" for x in ident)} is decided "out" but the table ships it')
        elif (ident, name) not in used and ident not in shipped:
            problems.append(f'decisions.csv: {table} {" ".join(x or "-" for x in ident)} is decided by {d["decided_by"]} but not shipped')

    two_agree = [ident for ident, values in agreed_cells.items() if any(len(s) >= 2 for s in values.values())]
    held = 0
    for ident in two_agree:
        key, sex, age_from, age_to, state, indicator = ident
        probe = Cell(key, sex, age_from, age_to, state, indicator, '0', '', '')
        held += covering(by_group, probe) is not None
    coverage = Decimal(held) / Decimal(len(two_agree)) if two_agree else Decimal(1)
    return counts, held, len(two_agree), coverage


def report(table, rows, names, counts, held, total, coverage):
    singles = sum(1 for row in rows if row.single)
    print(f'{table}.csv: {len(rows)} values (pregnancy stages counted apart), {singles} resting on one transcription')
    print('  per nutrient and source: agree/differ/only in source/only in table')
    keys = sorted({key for (_name, key) in counts})
    width = max(len(k) for k in keys) + 2
    print('  ' + ''.join(f'[{i + 1}] {n}  ' for i, n in enumerate(names)))
    print('  ' + 'nutrient'.ljust(width) + ''.join(f'[{i + 1}]'.ljust(18) for i in range(len(names))))
    for key in keys:
        cells = ['/'.join(str(n) for n in counts.get((name, key), [0, 0, 0, 0])) for name in names]
        print('  ' + key.ljust(width) + ''.join(c.ljust(18) for c in cells))
    print(f'  holds {held} of the {total} cells that two sources agree on ({coverage * 100:.1f} %)')


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, '..', 'reference')
    source_dir = os.path.join(folder, 'sources')
    by_table, roles = {}, {}
    for name in sorted(os.listdir(source_dir)):
        if not name.endswith('.csv') or name == 'decisions.csv':
            continue
        header, cells = read_source(os.path.join(source_dir, name))
        if 'table' not in header:
            sys.exit(f'{name}: no "# table:" line')
        by_table.setdefault(header['table'], {})[name] = cells
        roles[name] = header.get('role', '')
    decisions = read_decisions(os.path.join(source_dir, 'decisions.csv'))

    problems = []
    for table in sorted(by_table):
        rows = read_table(os.path.join(folder, table + '.csv'))
        sources = by_table[table]
        counts, held, total, coverage = check_table(table, rows, sources, roles, decisions, problems)
        report(table, rows, list(sources), counts, held, total, coverage)
        if coverage < MIN_COVERAGE:
            problems.append(f'{table}.csv holds {coverage * 100:.1f} % of the cells two sources agree on, '
                            f'below {MIN_COVERAGE * 100:.0f} %')
    for d in decisions:
        if d['table'] not in by_table:
            problems.append(f'decisions.csv: table {d["table"]} has no sources')
    return report_problems(problems)


if __name__ == '__main__':
    sys.exit(main())
