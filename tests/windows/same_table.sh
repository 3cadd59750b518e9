#!/bin/sh
# The code page 932 table of the Windows build (under Wine) is byte for byte
# the Linux build's: every single byte, every byte pair, every character of
# the Basic Multilingual Plane.
#   same_table.sh LINUX_CODEC_TABLE WINE WINDOWS_CODEC_TABLE
set -eu
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
"$1" > "$scratch/linux"
"$2" "$3" > "$scratch/windows"
if ! cmp -s "$scratch/linux" "$scratch/windows"; then
  echo "code page 932 tables differ (< Linux, > Windows):"
  diff "$scratch/linux" "$scratch/windows" | head -40
  exit 1
fi
echo "$(wc -l < "$scratch/linux") conversions alike"
