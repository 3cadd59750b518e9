#!/bin/sh
# Renders the Kelvara window's two tabs to PNG files, with the example survey
# file loaded and one run done, at the window's minimum size, the size it
# opens with and the size of the screen's free area: at 100 % on a 1920 x 1080
# screen and at 150 % (QT_SCALE_FACTOR=1.5) on a 1366 x 768 laptop screen.
# Also prints that run's results to PDF (with a PNG of its first page and its
# text through pdftotext), the help page, the about box, the print preview on
# portrait and landscape paper, both notices and two message boxes, for
# checking by eye that Japanese text renders and nothing overlaps or is clipped.
#   scripts/screenshots.sh [BUILD_DIR] [OUT_DIR]
set -eu
cd "$(dirname "$0")/.."
build="${1:-build}"
out="${2:-$build/screenshots}"
mkdir -p "$out"
cmake --build "$build" --target kelvara_screenshots kelvara-tab >/dev/null
screens=$(mktemp -d)
trap 'rm -rf "$screens"' EXIT
screen() {
  printf '{ "screens": [ { "name": "screen", "x": 0, "y": 0, "width": %s, "height": %s,
    "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1 } ] }\n' "$1" "$2" >"$screens/$1x$2.json"
  echo "offscreen:configfile=$screens/$1x$2.json"
}
QT_QPA_PLATFORM=$(screen 1920 1080) "$build/tests/ui/kelvara_screenshots" \
  examples/survey_example.csv "$out" 100
QT_QPA_PLATFORM=$(screen 1366 768) QT_SCALE_FACTOR=1.5 "$build/tests/ui/kelvara_screenshots" \
  examples/survey_example.csv "$out" 150
pdftoppm -png -r 80 -f 1 -l 1 "$out/results.pdf" "$out/results-page"
pdftotext -layout "$out/results.pdf" "$out/results.txt"
echo "wrote $out/results-page-1.png and $out/results.txt"

# The saved results are what kelvara-tab prints for the same choices.
if "$build/kelvara-tab" --unit 1 --sex 2 --age 3 --pregnancy 4 --weight 5 \
    examples/survey_example.csv 6 10 | cmp -s - "$out/results.csv"; then
  echo "saved results equal kelvara-tab's output, byte for byte"
else
  echo "saved results DIFFER from kelvara-tab's output" >&2
  exit 1
fi
