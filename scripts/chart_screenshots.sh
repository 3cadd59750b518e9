#!/bin/sh
# Renders the chart tab's two charts for the example survey file under each
# age-group scheme: the tab as shown, and the saved 300 dpi PNG and PDF, with
# the PDF's text through pdftotext and a PNG of its page. For checking by eye
# that labels are readable, nothing overlaps and the error bars show. Then
# iron judged against a reference table (dri2025, or TABLE: a shipped table's
# name or a file's absolute path), its EAR, UL and DG marked.
#   scripts/chart_screenshots.sh [BUILD_DIR] [OUT_DIR] [TABLE]
set -eu
cd "$(dirname "$0")/.."
build="${1:-build}"
out="${2:-$build/chart-screenshots}"
table="${3:-dri2025}"
mkdir -p "$out"
cmake --build "$build" --target kelvara_chart_screenshots >/dev/null
QT_QPA_PLATFORM=offscreen "$build/tests/ui/kelvara_chart_screenshots" examples/survey_example.csv "$out" "$table"
for pdf in "$out"/chart-*.pdf; do
  pdftotext -layout "$pdf" "${pdf%.pdf}.txt"
  pdftoppm -png -r 60 -singlefile "$pdf" "${pdf%.pdf}-pdf"
done
echo "wrote the PDFs' text and pictures beside them in $out"
