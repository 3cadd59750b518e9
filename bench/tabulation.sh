#!/bin/bash
# Whole-process benchmark of kelvara-tab: wall time, processor time and peak
# memory of tabulating a 1,000,000-row survey file (300 sampling units,
# weights, Table 1 groups) for 1 and for 50 analysis variables, and for the 50
# judged against reference values with the median's interval. The judged run
# alternates with the plain 50-variable run, so that both see the same load,
# and its cost over the plain run is printed with the target: at most 25 %
# more. When the build also holds
# kelvara-tab-reference (the straightforward per-variable, per-group
# tabulation), both are timed on the same runs of 1 and of 50 variables, at
# sizes the reference finishes in a minute, their speed compared and their
# reports compared byte for byte.
#
# Usage: bench/tabulation.sh [BUILD_DIR]      (default: build-bench)
#   REFERENCE_ROWS=N  rows of the file for the one-variable reference
#                     comparison (default 1000000: the reference takes about
#                     half a minute)
#   REFERENCE_ROWS_FIFTY=N  rows for the 50-variable comparison (default 60000:
#                     again about half a minute for the reference)
#   RUNS=N            run every case N times and keep the fastest (default 1;
#                     on a shared machine take 3 or more)
#
# Builds nothing: configure with -DKELVARA_BUILD_BENCH=ON and build
# kelvara-tab and kelvara-generate-survey first. Generated survey files are
# kept under bench/data/ (not committed) and reused.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$repo/build-bench}
tab=$build/kelvara-tab
generator=$build/kelvara-generate-survey
reference=$build/kelvara-tab-reference
data=$repo/bench/data
reference_rows=${REFERENCE_ROWS:-1000000}
reference_rows_fifty=${REFERENCE_ROWS_FIFTY:-60000}
runs=${RUNS:-1}

# Columns of the generated files: 1 地区, 2 性別, 3 年齢, 4 妊婦授乳婦, 5 重み,
# then the nutrients from column 6 on.
columns=(--unit 1 --sex 2 --age 3 --pregnancy 4 --weight 5 --scheme table1)
fifty_variables=($(seq 6 55))

for tool in "$tab" "$generator"; do
  if [ ! -x "$tool" ]; then
    echo "tabulation.sh: $tool is missing; build it first:" >&2
    echo "  cmake -S $repo -B $build -DKELVARA_BUILD_BENCH=ON && cmake --build $build" >&2
    exit 2
  fi
done
if [ ! -x /usr/bin/time ]; then
  echo "tabulation.sh: needs /usr/bin/time (Debian package \"time\")" >&2
  exit 2
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Prints the path of the survey file with ROWS rows, generating it first when
# it is not cached yet. A file is moved into place only when complete.
survey_file() {
  local rows=$1
  local file=$data/survey-${rows}rows-50vars-300units.csv
  if [ ! -s "$file" ]; then
    mkdir -p "$data"
    echo "generating $file ..." >&2
    "$generator" --rows "$rows" --variables 50 --units 300 -o "$file.partial"
    mv "$file.partial" "$file"
  fi
  echo "$file"
}

# Seconds from /usr/bin/time's "h:mm:ss" or "m:ss.ss".
to_seconds() {
  awk -F: '{ s = 0; for (i = 1; i <= NF; i++) s = s * 60 + $i; printf "%.2f", s }' <<<"$1"
}

cases=()
seconds=()
processor=()
megabytes=()

# run_once NAME OUTPUT COMMAND...: runs COMMAND once with its standard output
# in OUTPUT; sets elapsed (wall seconds), cpu (user + system seconds, over
# all threads) and peak (resident kB).
run_once() {
  local name=$1 output=$2
  shift 2
  echo "running: $name" >&2
  if ! /usr/bin/time -v -o "$work/time.txt" "$@" >"$output"; then
    echo "tabulation.sh: failed: $*" >&2
    cat "$work/time.txt" >&2
    exit 1
  fi
  elapsed=$(sed -n 's/^.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$work/time.txt")
  elapsed=$(to_seconds "$elapsed")
  cpu=$(awk -F': ' '/User time \(seconds\)|System time \(seconds\)/ { s += $2 }
                    END { printf "%.2f", s }' "$work/time.txt")
  peak=$(sed -n 's/^.*Maximum resident set size (kbytes): //p' "$work/time.txt")
  echo "  $elapsed s wall, $cpu s processor, $((peak / 1024)) MB" >&2
}

# smaller A B: whether A < B, or B is empty.
smaller() {
  [ -z "$2" ] || awk -v a="$1" -v b="$2" 'BEGIN { exit !(a < b) }'
}

# record NAME WALL CPU PEAK_KB: appends a case to the table.
record() {
  cases+=("$1")
  seconds+=("$2")
  processor+=("$3")
  megabytes+=("$(awk -v kb="$4" 'BEGIN { printf "%.0f", kb / 1024 }')")
}

# measure NAME OUTPUT COMMAND...: runs COMMAND $runs times and records the
# fastest wall and processor times and the largest peak resident memory.
measure() {
  local name=$1 output=$2
  shift 2
  local best="" bestCpu="" most=0 run
  for ((run = 1; run <= runs; run++)); do
    run_once "$name ($run of $runs)" "$output" "$@"
    if smaller "$elapsed" "$best"; then best=$elapsed; fi
    if smaller "$cpu" "$bestCpu"; then bestCpu=$cpu; fi
    if ((peak > most)); then most=$peak; fi
  done
  record "$name" "$best" "$bestCpu" "$most"
}

big=$(survey_file 1000000)
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
echo "survey file: $big ($(stat -c %s "$big") bytes)" >&2
measure "kelvara-tab, 1 variable, 1000000 rows" "$work/one.csv" "$tab" "${columns[@]}" "$big" 6

# The same run judged against reference values with the median's interval:
# every variable has an EAR, AI, UL and DG of its own by sex and age band
# (near its typical intake, so that persons fall on both sides), additions
# by pregnancy stage and for lactation, so that every added figure is formed.
reference_table=$work/reference_values.csv
typical=(2000 70 60 260 10 500 8 100 1.2 15 2300 0.65 9 350 2.8 45 18 6000 0.95 120)
{
  echo "title,bench"
  for v in $(seq 1 50); do
    t=${typical[$(((v - 1) % 20))]}
    echo "name,n$v,栄養素$v"
    for sex in 1 2; do
      for band in "1,17" "18,64" "65,"; do
        echo "value,n$v,$sex,$band,,EAR,$(awk -v t="$t" 'BEGIN { printf "%.3f", t * 0.8 }'),u,total,bench"
        echo "value,n$v,$sex,$band,,AI,$(awk -v t="$t" 'BEGIN { printf "%.3f", t * 0.9 }'),u,total,bench"
        echo "value,n$v,$sex,$band,,UL,$(awk -v t="$t" 'BEGIN { printf "%.3f", t * 1.4 }'),u,total,bench"
        echo "value,n$v,$sex,$band,,DG_min,$(awk -v t="$t" 'BEGIN { printf "%.3f", t * 0.6 }'),u,total,bench"
        echo "value,n$v,$sex,$band,,DG_below,$(awk -v t="$t" 'BEGIN { printf "%.3f", t * 1.2 }'),u,total,bench"
      done
    done
    for state in pregnant_early pregnant_mid pregnant_late lactating; do
      echo "value,n$v,2,,,$state,EAR,+$(awk -v t="$t" 'BEGIN { printf "%.3f", t * 0.1 }'),u,total,bench"
    done
  done
} >"$reference_table"
# The plain and the judged run of the 50 variables, alternating, each the
# fastest of its runs.
plain=("$tab" "${columns[@]}" "$big" "${fifty_variables[@]}")
judged=("$tab" "${columns[@]}" --reference "$reference_table" --pregnancy-stage mid --median-ci
        "$big" "${fifty_variables[@]}")
plainWall="" plainCpu="" plainPeak=0 judgedWall="" judgedCpu="" judgedPeak=0
for ((run = 1; run <= runs; run++)); do
  run_once "kelvara-tab, 50 variables ($run of $runs)" "$work/fifty.csv" "${plain[@]}"
  if smaller "$elapsed" "$plainWall"; then plainWall=$elapsed; fi
  if smaller "$cpu" "$plainCpu"; then plainCpu=$cpu; fi
  if ((peak > plainPeak)); then plainPeak=$peak; fi
  run_once "kelvara-tab, 50 variables, --reference --median-ci ($run of $runs)" \
    "$work/judged.csv" "${judged[@]}"
  if smaller "$elapsed" "$judgedWall"; then judgedWall=$elapsed; fi
  if smaller "$cpu" "$judgedCpu"; then judgedCpu=$cpu; fi
  if ((peak > judgedPeak)); then judgedPeak=$peak; fi
done
record "kelvara-tab, 50 variables, 1000000 rows" "$plainWall" "$plainCpu" "$plainPeak"
record "kelvara-tab, 50 variables, --reference --median-ci" "$judgedWall" "$judgedCpu" \
  "$judgedPeak"
# Judging against reference values with the median's interval may add at
# most 25 % to the plain run.
judgedCost=$(awk -v j="$judgedWall" -v p="$plainWall" -v jc="$judgedCpu" -v pc="$plainCpu" 'BEGIN {
  if (p <= 0 || pc <= 0) { print "plain run under 0.01 s: no ratio"; exit }
  printf "--reference --median-ci over the plain 50 variables: wall %.3f (%+.1f %%), ", j / p,
    (j / p - 1) * 100
  printf "processor %.3f (%+.1f %%); target at most +25 %% (wall): %s", jc / pc,
    (jc / pc - 1) * 100, (j / p <= 1.25 ? "met" : "NOT met")
}')

# compare LABEL ROWS VARIABLE...: times the reference and kelvara-tab on the
# same run and appends the speed ratio and the report comparison.
comparison=""
compare() {
  local label=$1 rows=$2
  shift 2
  local small
  small=$(survey_file "$rows")
  measure "kelvara-tab-reference, $label, $rows rows" "$work/reference.csv" \
    "$reference" "${columns[@]}" "$small" "$@"
  local reference_seconds=${seconds[-1]}
  measure "kelvara-tab, $label, $rows rows" "$work/engine.csv" "$tab" "${columns[@]}" "$small" "$@"
  comparison+=$(awk -v r="$reference_seconds" -v e="${seconds[-1]}" -v what="$label, $rows rows" \
    'BEGIN { if (e > 0) printf "%s: kelvara-tab is %.1f times as fast as the reference", what, r / e;
             else printf "%s: kelvara-tab took under 0.01 s", what }')
  if cmp -s "$work/reference.csv" "$work/engine.csv"; then
    comparison+=$'\nreports: identical bytes'
  else
    # Equal values with different weights may be ordered differently, which
    # can move a percentile: show what differs.
    local differing
    differing=$(diff "$work/reference.csv" "$work/engine.csv" | grep -c '^<' || true)
    comparison+=$'\n'"reports: DIFFER in $differing of $(wc -l <"$work/reference.csv") lines; first differences (reference <, kelvara-tab >):"
    comparison+=$'\n'$(diff "$work/reference.csv" "$work/engine.csv" | head -8 | iconv -f CP932 -t UTF-8 || true)
  fi
  comparison+=$'\n'
}

if [ -x "$reference" ]; then
  compare "1 variable" "$reference_rows" 6
  compare "50 variables" "$reference_rows_fifty" "${fifty_variables[@]}"
else
  comparison="no $reference: reference comparison skipped"
fi

echo
echo "fastest of $runs run(s) on $(nproc) cores; load average before: $load_before," \
  "after: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-52s %8s %12s %8s\n' "case" "wall s" "processor s" "peak MB"
for i in "${!cases[@]}"; do
  printf '%-52s %8s %12s %8s\n' "${cases[$i]}" "${seconds[$i]}" "${processor[$i]}" "${megabytes[$i]}"
done
echo "$judgedCost"
echo "$comparison"
