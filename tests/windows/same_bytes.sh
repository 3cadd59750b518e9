#!/bin/sh
# kelvara-tab.exe under Wine gives what the Linux kelvara-tab gives, byte for
# byte (standard output, standard error, exit status, files written), for the
# same arguments: the example survey in a Japanese folder under a Japanese name
# with a blank, columns by number and by Japanese header text, every scheme,
# --utf8, -o, the usual intake's seeded bootstrap, computed variables, and
# mistakes.
#   same_bytes.sh LINUX_TAB WINE WINDOWS_TAB EXAMPLE_CSV SMALL_CSV
set -eu
linux=$(realpath "$1") wine=$2 windows=$(realpath "$3")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/調査データ" "$scratch/linux" "$scratch/windows"
cp "$4" "$scratch/調査データ/例 2024.csv"
cp "$5" "$scratch/調査データ/小規模.csv"
cd "$scratch"

failures=0 cases=0
# Runs one case with both programs; with a file name after "--writes", also
# compares the file each run wrote (given relative to the run's own folder).
same() {
  written=""
  if [ "$1" = "--writes" ]; then
    written=$2
    shift 2
  fi
  cases=$((cases + 1))
  for side in linux windows; do
    rm -rf "$side/out"
    mkdir "$side/out"
  done
  linuxStatus=0 windowsStatus=0
  (cd linux && "$linux" "$@" > stdout 2> stderr) || linuxStatus=$?
  (cd windows && "$wine" "$windows" "$@" > stdout 2> stderr) || windowsStatus=$?
  problem=""
  [ "$linuxStatus" = "$windowsStatus" ] || problem="exit status $linuxStatus / $windowsStatus"
  cmp -s linux/stdout windows/stdout || problem="$problem standard output differs"
  cmp -s linux/stderr windows/stderr || problem="$problem standard error differs"
  if [ -n "$written" ] && ! cmp -s "linux/$written" "windows/$written"; then
    problem="$problem $written differs"
  fi
  if [ -n "$problem" ]; then
    failures=$((failures + 1))
    echo "DIFFERENT ($problem): $*"
    head -c 600 windows/stderr
  fi
}

survey="../調査データ/例 2024.csv"
small="../調査データ/小規模.csv"
byNumber="--unit 1 --weight 5 --sex 2 --age 3 --pregnancy 4"
same $byNumber "$survey" 6 7 8 9 10 11 12 13
same --unit 地区 --weight 重み --sex 性別 --age 年齢 --pregnancy 妊婦授乳婦 "$survey" \
  エネルギー たんぱく質 脂質 炭水化物 食塩相当量 カルシウム 鉄 ビタミンC
same --unit 地区 --weight 重み --sex 性別 --age 年齢 --pregnancy 妊婦授乳婦 --utf8 "$survey" \
  エネルギー ビタミンC
same --sex 性別 --age 年齢 --pregnancy 妊婦授乳婦 --scheme table2 "$survey" 鉄
same --unit 地区 --sex 2 --age 3 --pregnancy 4 --scheme part5 "$survey" 6 13
same --weight 重み --sex 2 --age 年齢区分 --pregnancy 4 --scheme category "$survey" 6 10
same --writes "out/結果 2024.csv" $byNumber -o "out/結果 2024.csv" "$survey" 6 7
# The seeded bootstrap of the usual intake: the same draws from every
# standard library.
same $byNumber --strata 2 --usual --variance-ratio 12=1 --bootstrap 20 --below 7 --median-ci \
  --ci "$survey" 12
# Computed variables by header text and by number, the energy ratios in one
# step, and a formula's mistake.
same $byNumber --derive '鉄密度={鉄}/{エネルギー}*1000' --derive 'x=sqrt({7})+log({6})' \
  --energy-balance "$survey" 6
same $byNumber --derive 'x={鉄}*' "$survey" 6
same $byNumber --derive 'x={鉄分}' "$survey" 6
# The golden blocks' cases (tests/cli).
same --unit 1 --weight 5 --sex 2 --age 3 --pregnancy 4 "$small" 6 7
same --sex 2 --age 3 --pregnancy 4 --scheme table2 "$small" 7
same --unit 1 --sex 2 --age 3 --pregnancy 4 --scheme part5 "$small" 6
same --weight 5 --sex 2 --age 3 --pregnancy 4 --scheme category "$small" 3
# Mistakes: their messages name the file and column as given.
same $byNumber "$survey" ビタミンD
same $byNumber "../調査データ/無い.csv" 6
same $byNumber --scheme 第1表 "$survey" 6
same --sex 2 --age 3 "$survey" 6

echo "$cases cases, $failures different"
[ "$failures" -eq 0 ]
