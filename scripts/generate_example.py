#!/usr/bin/env python3
"""Writes examples/survey_example.csv: a small synthetic nutrition survey.

The file is what a survey office would hand over: code page 932 text, CR LF
line ends, a header row of Japanese column names, then one respondent per row,
sorted by district. Every respondent is invented; intakes follow rough
patterns by sex and age so that the tables look plausible, nothing more.

The same bytes come out on every run (fixed seed, standard library only):

    python3 scripts/generate_example.py            # writes examples/survey_example.csv
    python3 scripts/generate_example.py -o FILE
"""
import argparse
import math
import os
import random

SEED = 20240601
RESPONDENTS = 600
DISTRICTS = 15

HEADER = [
    "地区", "性別", "年齢", "妊婦授乳婦", "重み",
    "エネルギー", "たんぱく質", "脂質", "炭水化物", "食塩相当量",
    "カルシウム", "鉄", "ビタミンC", "年齢区分",
]
FIRST_NUTRIENT = HEADER.index("エネルギー")

# Upper age bounds (exclusive) of the age categories 1 to 10 in the last column.
CATEGORY_UPPER_AGES = [6, 12, 18, 30, 40, 50, 60, 70, 80]

# Typical daily energy intake (kcal) by age, for men and women, before
# pregnancy or lactation.
ENERGY_BY_AGE = [
    (1, 650, 620), (3, 950, 900), (6, 1300, 1220), (8, 1550, 1450),
    (10, 1800, 1680), (12, 2100, 1950), (15, 2500, 2200), (18, 2650, 2050),
    (30, 2300, 1750), (50, 2250, 1750), (70, 2150, 1720), (200, 1900, 1580),
]


def age_category(age):
    for category, upper in enumerate(CATEGORY_UPPER_AGES, start=1):
        if age < upper:
            return category
    return 10


def typical_energy(sex, age):
    for upper, men, women in ENERGY_BY_AGE:
        if age < upper:
            return men if sex == 1 else women
    raise AssertionError("age beyond the table")


def respondents(rng):
    """Sex and age of every respondent: each age 0 to 100 once for each sex,
    so that every age group of every report scheme has members, then more
    respondents, one in five of them children, with the age spread of a
    household survey."""
    people = [(sex, age) for sex in (1, 2) for age in range(101)]
    while len(people) < RESPONDENTS:
        sex = 1 if rng.random() < 0.48 else 2
        if rng.random() < 0.2:
            age = rng.randrange(1, 20)
        else:
            age = min(100, int(rng.triangular(18, 96, 50)))
        people.append((sex, age))
    rng.shuffle(people)
    return people


def pregnancy_codes(rng, people):
    """0 for everyone except some women aged 18 to 44: about one in ten of
    them pregnant (1) and as many lactating (2)."""
    codes = []
    for sex, age in people:
        code = 0
        if sex == 2 and 18 <= age < 45:
            draw = rng.random()
            code = 1 if draw < 0.10 else 2 if draw < 0.20 else 0
        codes.append(code)
    return codes


def intakes(rng, sex, age, pregnancy):
    """One day's intakes: energy varies by person, the nutrients follow the
    energy with their own day-to-day scatter."""
    energy = typical_energy(sex, age) + (250 if pregnancy == 1 else 350 if pregnancy == 2 else 0)
    energy *= math.exp(rng.gauss(0.0, 0.22))
    protein = energy * rng.gauss(0.150, 0.020) / 4.0
    fat = energy * rng.gauss(0.280, 0.045) / 9.0
    carbohydrate = energy * rng.gauss(0.560, 0.060) / 4.0
    salt = energy / 1000.0 * rng.gauss(4.6, 1.0) * (0.8 if age < 12 else 1.0)
    calcium = energy / 1000.0 * rng.gauss(260, 70) * (1.3 if age < 12 else 1.0)
    iron = energy / 1000.0 * rng.gauss(3.7, 0.8)
    vitamin_c = energy / 1000.0 * rng.gauss(45, 22) * (1.3 if age >= 60 else 1.0)
    return [
        "%d" % round(energy),
        "%.1f" % max(protein, 3.0),
        "%.1f" % max(fat, 2.0),
        "%.1f" % max(carbohydrate, 10.0),
        "%.1f" % max(salt, 0.3),
        "%d" % round(max(calcium, 40)),
        "%.1f" % max(iron, 0.5),
        "%d" % round(max(vitamin_c, 2)),
    ]


def survey_rows(rng):
    people = respondents(rng)
    codes = pregnancy_codes(rng, people)
    # A district's households share a weight from the sampling design; a
    # person's own weight scatters a little around it.
    district_weights = [rng.uniform(0.6, 2.6) for _ in range(DISTRICTS)]
    rows = []
    for (sex, age), pregnancy in zip(people, codes):
        district = rng.randrange(DISTRICTS)
        weight = min(3.0, max(0.5, district_weights[district] * rng.uniform(0.85, 1.15)))
        rows.append([
            "%d" % (district + 1), "%d" % sex, "%d" % age, "%d" % pregnancy, "%.2f" % weight,
            *intakes(rng, sex, age, pregnancy), "%d" % age_category(age),
        ])
    rows.sort(key=lambda row: int(row[0]))
    return rows


def blank_some_cells(rng, rows):
    """Cells as they come back from data entry: some intakes left empty or
    marked as not available, and a few classification cells too."""
    markers = ["", "NA", "－"]
    for i in range(24):
        row = rng.choice(rows)
        row[rng.randrange(FIRST_NUTRIENT, FIRST_NUTRIENT + 8)] = markers[i % len(markers)]
    # A pregnant/lactating code nobody entered, an unknown age and a weight
    # marked as not available: these rows drop out of every variable.
    rng.choice(rows)[HEADER.index("妊婦授乳婦")] = ""
    rng.choice(rows)[HEADER.index("年齢")] = "不明"
    rng.choice(rows)[HEADER.index("重み")] = "NA"


def survey_bytes():
    rng = random.Random(SEED)
    rows = survey_rows(rng)
    blank_some_cells(rng, rows)
    lines = [",".join(HEADER)] + [",".join(row) for row in rows]
    return "".join(line + "\r\n" for line in lines).encode("cp932")


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    default_output = os.path.join(here, "..", "examples", "survey_example.csv")
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("-o", dest="output", default=default_output, help="output file")
    args = parser.parse_args()
    with open(args.output, "wb") as out:
        out.write(survey_bytes())


if __name__ == "__main__":
    main()
