#!/bin/sh
# kelvara-tab.exe under Wine writes workbooks with the Linux kelvara-tab's
# cells (every sheet but 条件, whose date and time differ), from a run in a
# Japanese folder and from a saved results file, in code page 932 and UTF-8.
#   same_workbook.sh LINUX_TAB WINE WINDOWS_TAB PYTHON SAME_CELLS EXAMPLE_CSV REFERENCE_CSV
set -eu
linux=$(realpath "$1") wine=$2 windows=$(realpath "$3") python=$4 sameCells=$(realpath "$5")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/調査データ" "$scratch/linux" "$scratch/windows"
cp "$6" "$scratch/調査データ/例 2024.csv"
cp "$7" "$scratch/調査データ/基準値.csv"
cd "$scratch"

failures=0 cases=0
# Runs both programs, each in its own folder.
both() {
  (cd linux && "$linux" "$@" > /dev/null 2> stderr) || { echo "Linux failed: $*"; cat linux/stderr; }
  (cd windows && "$wine" "$windows" "$@" > /dev/null 2> stderr) || { echo "Windows failed: $*"; cat windows/stderr; }
}
# One case: both programs write 結果.xlsx, which must hold the same cells.
same() {
  cases=$((cases + 1))
  rm -f linux/結果.xlsx windows/結果.xlsx
  both "$@"
  if ! "$python" "$sameCells" "linux/結果.xlsx" "windows/結果.xlsx" --skip-sheet 条件; then
    failures=$((failures + 1))
    echo "DIFFERENT: $*"
  fi
}

survey="../調査データ/例 2024.csv"
byNumber="--unit 1 --weight 5 --sex 2 --age 3 --pregnancy 4"
same $byNumber -o 報告.csv --xlsx 結果.xlsx "$survey" 6 7 8 9 10 11 12 13
same $byNumber --median-ci --reference ../調査データ/基準値.csv --menstruation yes --scheme table2 \
  -o 報告.csv --xlsx 結果.xlsx "$survey" 鉄 カルシウム
same --xlsx-from 報告.csv 結果.xlsx
both $byNumber --utf8 -o 報告.csv "$survey" 6 12
same --xlsx-from 報告.csv 結果.xlsx

echo "$cases cases, $failures different"
[ "$failures" -eq 0 ]
