#!/usr/bin/env python3
"""Writes the seed corpora: small survey data files of the kinds that reach
Kelvara (code page 932, spreadsheet exports, hand-edited, old DOS files),
and reference tables as users write them (corpus/reference_table/).

corpus/reader/ holds the files as they are; corpus/tabulation/ holds them
after the eight control bytes of a tabulation case (scheme, then the columns
of sampling unit, sex, age, pregnant/lactating, weight and two analysis
variables; 0xFF is no column). The output is deterministic, so running the
script again changes nothing unless the script changed."""

import pathlib
import random

HERE = pathlib.Path(__file__).resolve().parent
NONE = 0xFF

HEADER = ["ID", "地区番号", "重み", "性別", "年齢", "妊婦授乳婦",
          "エネルギー", "たんぱく質", "食塩相当量"]


def encode(text):
    return text.encode("cp932")


def survey_rows(rng, count, missing_rate=0.0, category=False):
    rows = []
    for i in range(count):
        sex = rng.choice([1, 2])
        age = rng.randint(1, 10) if category else rng.choice(
            [0, 1, 2, 6, 7, 14, 15, 19.5, 20, 35, 49, 64, 65, 69.5, 70, 74, 75, 88, 198.9, 199])
        pregnancy = rng.choice([0, 0, 0, 1, 2]) if sex == 2 and 15 <= age < 50 else 0
        cells = [str(i + 1), str(rng.randint(1, 4)), f"{rng.uniform(0.5, 3):.3f}", str(sex),
                 str(age), str(pregnancy), f"{rng.gauss(1900, 400):.1f}",
                 f"{rng.gauss(70, 15):.2f}", f"{rng.gauss(10, 2.5):.1f}"]
        for c in range(3, len(cells)):
            if rng.random() < missing_rate:
                cells[c] = rng.choice(["", " ", "NA", ".", "-", "欠測"])
        rows.append(cells)
    return rows


def csv(rows, line_end="\r\n", quote_text=False, final_line_end=True):
    lines = []
    for cells in rows:
        if quote_text:
            cells = [f'"{c}"' if not c.replace(".", "").isdigit() else c for c in cells]
        lines.append(",".join(cells))
    text = line_end.join(lines) + (line_end if final_line_end else "")
    return encode(text)


def seed_files():
    rng = random.Random(20240601)
    files = {}
    files["survey_crlf"] = csv([HEADER] + survey_rows(rng, 40))
    files["survey_missing_quoted"] = csv([HEADER] + survey_rows(rng, 30, 0.15), quote_text=True)
    files["survey_lf_no_final_end"] = csv([HEADER] + survey_rows(rng, 12), "\n",
                                          final_line_end=False)
    files["category_numbers"] = csv([HEADER] + survey_rows(rng, 30, category=True))
    files["header_only"] = csv([HEADER])
    files["dos_end_mark"] = csv([HEADER] + survey_rows(rng, 8)) + b"\x1a" + csv(survey_rows(rng, 3))
    files["blank_lines_and_spaces"] = encode(
        "\r\n ,,\r\nID , 性別 ,年齢, 妊婦授乳婦 ,エネルギー\r\n\r\n"
        '1, 1 ,30,0, 1850.5\r\n"2","2","41.5","1"," 2100 "\r\n"",""\r\n3,2,29,2,\r\n'
        "4,1,7\r\n5,2,72,0,1600,extra,cells\r\n")
    files["awkward_numbers"] = encode(
        "性別,年齢,妊婦授乳婦,値,重み,地区\n"
        "1,30,0,1e999,1,4294967297\n2,40,0,-1e999,1,2147483647\n1,50,0,1e-400,1,-2147483649\n"
        "2,60,0,.5,0,-999\n1,20,0,-0,2.5,-2147483648\n2,199,1,0x10,1,1\n1,-3,0,+7.25e2,1,2\n"
        "3,45,0,12,1,2\n2,25,3,1.5E+3,1,3\n")
    files["short_and_long_rows"] = encode(
        "a,b,c,d,e,f\n1,30,0\n2,40,0,5,6,7,8,9,10,11,12,13,14\n1\n"
        '"x,y",z,"q""uote",,\n"unclosed,1,2\n"ab"cd,e\n')
    return files


def tabulation_controls():
    # scheme, unit, sex, age, pregnancy, weight, variable, variable
    return [
        bytes([0, 1, 3, 4, 5, 2, 6, 7]),        # table 1, unit and weight
        bytes([1, NONE, 3, 4, 5, NONE, 7, 8]),  # table 2, simple random sampling
        bytes([2, 1, 3, 4, 5, NONE, 6, 8]),     # part 5
        bytes([3, NONE, 3, 4, 5, 2, 8, 8]),     # category numbers, same variable twice
    ]


def awkward_controls():
    # Columns laid out as in awkward_numbers: sex 0, age 1, pregnancy 2,
    # value 3, weight 4, unit 5.
    return [bytes([0, 5, 0, 1, 2, 4, 3, 5]), bytes([2, NONE, 0, 1, 2, NONE, 3, 0])]


def reference_tables():
    """Reference tables in code page 932: sound ones reaching every state,
    figure and unit, and ones breaking the rules the reader refuses."""
    sound = """# made up
title,試験用の基準値表
name,iron,鉄
name,sodium,ナトリウム
name,salt,食塩相当量
name,fat_energy_ratio,脂肪エネルギー比率
name,vitamin_a,ビタミンA（レチノール活性当量）
value,iron,1,1,17,,EAR,5.0,mg,total,test
value,iron,1,18,,,EAR,6.0,mg,total,test
value,iron,1,18,,,RDA,7.5,mg,total,test
value,iron,1,18,,,UL,50,mg,total,test
value,iron,2,10,64,menstruating,EAR,8.5,mg,total,test
value,iron,2,10,64,not_menstruating,EAR,5.5,mg,total,test
value,iron,2,65,,,EAR,5.0,mg,total,test
value,iron,2,,,pregnant_early,EAR,+2.0,mg,total,test
value,iron,2,,,pregnant_mid,EAR,+8.0,mg,total,test
value,iron,2,,,pregnant_late,EAR,+8.0,mg,total,test
value,iron,2,,,lactating,EAR,+2.0,mg,total,test
value,sodium,1,18,,,EAR,600,mg,total,test
value,sodium,2,18,,,EAR,600,mg,total,test
value,salt,1,12,,,DG_below,7.5,g,total,test
value,salt,2,12,,,DG_below,6.5,g,total,test
value,salt,2,,,pregnant,DG_below,6.5,g,total,test
value,fat_energy_ratio,1,1,,,DG_min,20,%エネルギー,total,test
value,fat_energy_ratio,1,1,,,DG_max,30,%エネルギー,total,test
value,vitamin_a,2,18,29,,EAR,450,μgRAE,total,test
value,vitamin_a,2,18,29,,UL,2700,μgRAE,preformed,test
value,vitamin_a,2,,,pregnant_late,EAR,+60,μgRAE,total,test
"""
    limits = """title,"limits, quoted"
name,x,"a ""b"" c"
value,x,1,0,150,,EAR,999999999.999999999,mg,total,s
value,x,2,0,,,AI,0.000000001,mg,total,s
value,x,2,,,lactating,AI,+999999999.999999999,mg,total,s
value,x,2,,,pregnant,AI,0,mg,total,s
"""
    broken = """title,T
name,iron,鉄
name,zinc,鉄
name,Iron,Fe
value,iron,1,18,29,,EAR,6.0,mg,total,s
value,iron,1,25,39,,EAR,6.5,mg,total,s
value,iron,1,18,29,,EAR,6.0,µg,total,s
value,iron,1,18,29,,RDA,5.0,mg,total,s
value,iron,2,,,pregnant,EAR,+2,mg,total,s
value,iron,2,,,pregnant_mid,EAR,+8,mg,total,s
value,iron,3,18,,,EAR,1,mg,total,s
value,iron,1,18,,,EAR,1234567890,mg,total,s
value,iron,1,18,,,EAR,+1,mg,total,
value,zinc,1,18,,,EAR,8,mg,total,s,extra
values,x
title,U
"""
    padded = "title,T,,,,,,,,,\r\n#note,x\r\n\r\n,,,\r\nname,iron,Fe,,,,,,,,\r\n" \
             "value,iron,1,18,,,EAR,6.5,mg,total,s,,\r\nvalue,iron,2,,,lactating,EAR,+2.5,mg,total,s\r\n"
    return {
        "sound_table": encode(sound),
        "limits_and_quotes": encode(limits),
        "broken_records": b"\xef\xbb\xbf" + encode(broken.replace("µ", "μ")),
        "padded_crlf": encode(padded),
        "title_only": encode("title,T\n"),
        "bytes_that_are_not_text": b"value,\x82\n\x00,\x81\x81,\xff\r\r\nname,a,\x82",
    }


def write(directory, name, data):
    directory.mkdir(parents=True, exist_ok=True)
    (directory / name).write_bytes(data)


def main():
    files = seed_files()
    for name, data in files.items():
        write(HERE / "corpus" / "reader", name, data)
    extra = {
        "quotes_and_spaces": b'  a , "b , c" ,"d""e",  "  f  "  ,\n"g"h,i\n,\n""\n'
                             b'"\x82\xa0","x\x81\n\x81\r\n',
        "wide_row": ",".join(str(i) for i in range(300)).encode() + b"\n1,2\n",
    }
    for name, data in extra.items():
        write(HERE / "corpus" / "reader", name, data)
    for name, data in reference_tables().items():
        write(HERE / "corpus" / "reference_table", name, data)
    controls = tabulation_controls()
    for name, data in files.items():
        chosen = awkward_controls() if name == "awkward_numbers" else controls
        for i, control in enumerate(chosen):
            write(HERE / "corpus" / "tabulation", f"{name}_{i}", control + data)


if __name__ == "__main__":
    main()
