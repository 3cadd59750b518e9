#!/usr/bin/env python3
"""Check a dietary reference table file (reference/*.csv or one's own) against the agreed format.

Usage: scripts/check_reference_table.py FILE...

Reports every record that breaks the format or contradicts another record, and exits 1 if any does.
It checks the form and the internal consistency of a table; whether a value matches the published
table is a matter for the table's note (e.g. reference/dri2025-check.md).
"""
import csv
import io
import re
import sys

STATES = {'', 'pregnant_early', 'pregnant_mid', 'pregnant_late', 'pregnant', 'lactating',
          'menstruating', 'not_menstruating'}
ADDITION_STATES = {'pregnant_early', 'pregnant_mid', 'pregnant_late', 'pregnant', 'lactating'}
INDICATORS = {'EAR', 'RDA', 'AI', 'UL', 'DG_min', 'DG_below', 'DG_max'}
NUMBER = re.compile(r'^\+?\d+(\.\d+)?$')
KEY = re.compile(r'^[a-z][a-z0-9_]*$')


def read_text(path):
    raw = open(path, 'rb').read()
    if raw.startswith(b'\xef\xbb\xbf'):
        return raw[3:].decode('utf-8')
    try:
        return raw.decode('utf-8')
    except UnicodeDecodeError:
        return raw.decode('cp932')


def check(path):
    problems = []

    def bad(line, text):
        problems.append(f'{path}:{line}: {text}')

    titles, names, named_keys, value_keys = 0, {}, set(), set()
    values = {}
    for line, row in enumerate(csv.reader(io.StringIO(read_text(path))), start=1):
        if not row or all(not cell.strip() for cell in row) or row[0].startswith('#'):
            continue
        kind = row[0]
        if kind == 'title':
            titles += 1
            if len(row) != 2 or not row[1].strip():
                bad(line, 'title needs exactly one non-empty cell')
        elif kind == 'name':
            if len(row) != 3:
                bad(line, f'name needs 3 cells, has {len(row)}')
                continue
            key, header = row[1], row[2].strip()
            if not KEY.match(key):
                bad(line, f'key "{key}" is not lower-case ASCII')
            if header in names and names[header] != key:
                bad(line, f'header "{header}" already names "{names[header]}"')
            names[header] = key
            named_keys.add(key)
        elif kind == 'value':
            if len(row) != 11:
                bad(line, f'value needs 11 cells, has {len(row)}')
                continue
            _, key, sex, age_from, age_to, state, indicator, value, unit, scope, source = row
            if not KEY.match(key):
                bad(line, f'key "{key}" is not lower-case ASCII')
            if sex not in ('1', '2'):
                bad(line, f'sex "{sex}" is not 1 or 2')
            for age in (age_from, age_to):
                if age and not age.isdigit():
                    bad(line, f'age "{age}" is not a whole number of years')
            if age_from.isdigit() and age_to.isdigit() and int(age_from) > int(age_to):
                bad(line, f'age band {age_from}-{age_to} runs backwards')
            if not age_from and age_to:
                bad(line, 'an upper age needs a lower age')
            if state not in STATES:
                bad(line, f'state "{state}" is not known')
            if state in ADDITION_STATES | {'menstruating', 'not_menstruating'} and sex != '2':
                bad(line, f'state "{state}" needs sex 2')
            if not state and not age_from:
                bad(line, 'a general row needs its age band')
            if indicator not in INDICATORS:
                bad(line, f'indicator "{indicator}" is not known')
            if not NUMBER.match(value):
                bad(line, f'value "{value}" is not a decimal number with a point')
            elif value.startswith('+') and state not in ADDITION_STATES:
                bad(line, 'a "+" addition belongs to a pregnancy or lactation row')
            if not unit.strip() or not scope.strip() or not source.strip():
                bad(line, 'unit, scope and source must not be empty')
            ident = (key, sex, age_from, age_to, state, indicator)
            if ident in values:
                bad(line, f'same key, sex, ages, state and indicator as line {values[ident][0]}')
            values[ident] = (line, value, scope, unit)
            value_keys.add(key)
        else:
            bad(line, f'record kind "{kind}" is not title, name or value')

    if titles != 1:
        problems.append(f'{path}: {titles} title records, expected 1')
    for key in sorted(value_keys - named_keys):
        problems.append(f'{path}: key "{key}" has values but no name row')

    # Bands of one key, sex, state and indicator must not overlap.
    bands = {}
    for (key, sex, age_from, age_to, state, indicator), (line, *_rest) in values.items():
        if age_from:
            top = int(age_to) if age_to else 10**6
            bands.setdefault((key, sex, state, indicator), []).append((int(age_from), top, line))
    for group, spans in bands.items():
        spans.sort()
        for (lo1, hi1, l1), (lo2, hi2, l2) in zip(spans, spans[1:]):
            if lo2 <= hi1:
                problems.append(f'{path}:{l2}: age band overlaps line {l1} for {group}')

    # Within one band: EAR below RDA, and requirements not above the UL of the same scope.
    for (key, sex, age_from, age_to, state, indicator), (line, value, scope, unit) in values.items():
        if value.startswith('+'):
            continue
        same = lambda ind: values.get((key, sex, age_from, age_to, state, ind))
        if indicator == 'EAR' and same('RDA') and not same('RDA')[1].startswith('+'):
            if float(value) > float(same('RDA')[1]):
                problems.append(f'{path}:{line}: EAR {value} above RDA {same("RDA")[1]}')
        if indicator in ('RDA', 'AI') and same('UL'):
            ul_line, ul, ul_scope, ul_unit = same('UL')
            if ul_scope == scope and ul_unit == unit and float(value) > float(ul):
                problems.append(f'{path}:{line}: {indicator} {value} above UL {ul}')
    return problems


def report_problems(problems):
    """Prints each problem once and their count; the exit status: 1 if there is any."""
    problems = list(dict.fromkeys(problems))
    for p in problems:
        print(p)
    print(f'{len(problems)} problem(s)')
    return 1 if problems else 0


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    return report_problems([p for path in sys.argv[1:] for p in check(path)])


if __name__ == '__main__':
    sys.exit(main())
