#!/bin/sh
# The window's responsiveness benchmark: a 1,000,000-row survey file with 50
# nutrients (made once by kelvara-generate-survey under bench/data/, the same
# file bench/tabulation.sh uses) is loaded and all 50 nutrients are run, while
# the longest gaps between event-loop turns and between repaints of the
# main window are measured; then how soon 中止 gives the window back after a
# load and a run, and how soon the stopped engine's threads end.
# Needs a build with -DKELVARA_BUILD_BENCH=ON:
#   cmake -S . -B build -DKELVARA_BUILD_BENCH=ON && cmake --build build -j
#   bench/ui_run.sh [BUILD_DIR]
set -eu
cd "$(dirname "$0")/.."
build="${1:-build}"
data=bench/data/survey-1000000rows-50vars-300units.csv
if [ ! -s "$data" ]; then
  mkdir -p bench/data
  "$build/kelvara-generate-survey" --rows 1000000 --variables 50 --units 300 -o "$data.partial"
  mv "$data.partial" "$data"
fi
QT_QPA_PLATFORM=offscreen "$build/bench/ui_run_bench" "$data"
