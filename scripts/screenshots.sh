#!/bin/sh
# Renders the Kelvara window's two tabs to PNG files, with the example survey
# file loaded and one run done, and prints that run's results to PDF (with a
# PNG of its first page and its text through pdftotext), for checking by eye
# that Japanese text renders and nothing overlaps or is clipped.
#   scripts/screenshots.sh [BUILD_DIR] [OUT_DIR]
set -eu
cd "$(dirname "$0")/.."
build="${1:-build}"
out="${2:-$build/screenshots}"
mkdir -p "$out"
cmake --build "$build" --target kelvara_screenshots >/dev/null
QT_QPA_PLATFORM=offscreen "$build/tests/ui/kelvara_screenshots" examples/survey_example.csv "$out"
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
