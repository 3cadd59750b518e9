#!/usr/bin/env python3
"""Prints C++ string literals holding the code page 932 bytes of UTF-8 texts.

The engine keeps its report texts (group labels, column titles) as code page
932 bytes, exactly as they are written to the results file. Use this to write
a new text into the source:

    scripts/cp932_literal.py 男総数 "層の数："
"""
import sys


def cp932_literal(text: str) -> str:
    out = []
    after_escape = False
    for byte in text.encode("cp932"):
        char = chr(byte)
        if byte >= 0x80 or char in '"\\':
            out.append("\\x%02X" % byte if byte >= 0x80 else "\\" + char)
            after_escape = byte >= 0x80
            continue
        # A hexadecimal digit right after \xNN would extend the escape:
        # close the literal and open a new one.
        if after_escape and char in "0123456789abcdefABCDEF":
            out.append('" "')
        out.append(char)
        after_escape = False
    return '"' + "".join(out) + '"'


if __name__ == "__main__":
    for arg in sys.argv[1:]:
        print(f"{cp932_literal(arg)}  // {arg}")
