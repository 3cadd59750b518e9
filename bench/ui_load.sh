#!/bin/sh
# The window's loading benchmark: a 1,000,000-row x 50-column survey file
# (about 300 MB, made once by kelvara-generate-survey under bench/data/) into
# the grid, timed, with the process's peak memory; then a 100,000-line results
# file into the results pane. Needs a build with -DKELVARA_BUILD_BENCH=ON:
#   cmake -S . -B build -DKELVARA_BUILD_BENCH=ON && cmake --build build -j
#   bench/ui_load.sh [BUILD_DIR]
set -eu
cd "$(dirname "$0")/.."
build="${1:-build}"
data=bench/data/survey_1m_50.csv
mkdir -p bench/data
if [ ! -f "$data" ]; then
  # Five classification columns and 45 nutrients: 50 columns.
  "$build/kelvara-generate-survey" --rows 1000000 --variables 45 -o "$data"
fi
QT_QPA_PLATFORM=offscreen "$build/bench/ui_load_bench" "$data" 100000
