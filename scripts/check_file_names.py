#!/usr/bin/env python3
"""Rejects file names that a Windows or macOS checkout cannot hold as they are:
two paths that differ only in letter case (one would overwrite the other),
reserved device names (CON, PRN, AUX, NUL, COM1-9, LPT1-9, with any
extension), names ending in a dot or a blank, and the characters <>:"|?*\\
and control characters.

  scripts/check_file_names.py          the tracked files (git ls-files)
  scripts/check_file_names.py -        the paths on standard input, one a line
Prints each problem and exits 1 when there is one.
"""
import os
import re
import subprocess
import sys

RESERVED = re.compile(r"^(CON|PRN|AUX|NUL|COM[1-9]|LPT[1-9])$", re.IGNORECASE)
FORBIDDEN = re.compile(r'[<>:"|?*\\\x00-\x1f]')


def name_problem(name):
    # Windows reads "nul.txt" and "NUL .csv" as the device too.
    if RESERVED.match(name.split(".", 1)[0].rstrip(" ")):
        return "a reserved device name"
    if name.endswith((".", " ")):
        return "ends in a dot or a blank"
    bad = FORBIDDEN.search(name)
    if bad:
        return "holds the character %r" % bad.group(0)
    return None


def problems(paths):
    found = []
    first_spelling = {}  # case-folded folder or file path -> first spelling seen
    for path in paths:
        parts = path.split("/")
        for depth in range(1, len(parts) + 1):
            spelled = "/".join(parts[:depth])
            folded = spelled.casefold()
            seen = first_spelling.setdefault(folded, spelled)
            if seen != spelled:
                found.append("%s: differs from %s only in letter case" % (spelled, seen))
        for part in parts:
            why = name_problem(part)
            if why:
                found.append("%s: %r %s" % (path, part, why))
    return sorted(set(found))


def tracked_paths(root):
    try:
        out = subprocess.run(["git", "-C", root, "ls-files", "-z"], check=True,
                             capture_output=True).stdout
        return [p for p in out.decode("utf-8", "surrogateescape").split("\0") if p]
    except (OSError, subprocess.CalledProcessError):
        # Not a git checkout (an unpacked source archive): every file but builds.
        paths = []
        for folder, subfolders, files in os.walk(root):
            subfolders[:] = [d for d in subfolders if d != ".git" and not d.startswith("build")]
            rel = os.path.relpath(folder, root)
            paths += [f if rel == "." else rel.replace(os.sep, "/") + "/" + f for f in files]
        return paths


def main():
    if sys.argv[1:] == ["-"]:
        paths = [line.rstrip("\n") for line in sys.stdin if line.rstrip("\n")]
    else:
        paths = tracked_paths(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
    found = problems(paths)
    for line in found:
        print(line)
    if found:
        print("%d file name(s) a Windows or macOS checkout cannot hold" % len(found))
        return 1
    print("%d paths, none colliding by letter case or refused by Windows" % len(paths))
    return 0


if __name__ == "__main__":
    sys.exit(main())
