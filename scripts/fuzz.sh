#!/bin/sh
# Builds the libFuzzer targets (clang) in build-fuzz and runs each for a
# bounded time, SECONDS (default 60), starting from its seed corpus and its
# regression inputs in a scratch copy, so the committed corpus stays as it is.
# Exits non-zero when any target finds a crash, a hang, a leak or a failed
# check; the input that did it is left in build-fuzz/artifacts/<target>/.
# Once fixed, copy it to fuzz/regressions/<target>/ so every test run replays it.
set -eu
cd "$(dirname "$0")/.."
seconds="${1:-60}"

CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKELVARA_FUZZ=ON -DKELVARA_BUILD_UI=ON -DKELVARA_BUILD_TESTS=OFF >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target reader_fuzzer reference_table_fuzzer report_fuzzer \
  tabulation_fuzzer expression_fuzzer chart_fuzzer

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT INT TERM
status=0
for target in reader reference_table report tabulation expression chart; do
  mkdir -p "$scratch/$target" "build-fuzz/artifacts/$target"
  cp fuzz/corpus/"$target"/* "$scratch/$target/"
  if [ -d "fuzz/regressions/$target" ]; then
    find "fuzz/regressions/$target" -type f ! -name '*.md' -exec cp {} "$scratch/$target/" \;
  fi
  echo "== $target: ${seconds} s"
  # The chart target paints with Qt, whose font set-up (fontconfig) keeps
  # memory for the life of the process: leaks are not looked for there.
  leaks=1
  [ "$target" = chart ] && leaks=0
  if ! ASAN_OPTIONS="detect_leaks=$leaks${ASAN_OPTIONS:+:$ASAN_OPTIONS}" \
      "./build-fuzz/${target}_fuzzer" "$scratch/$target" \
      -max_total_time="$seconds" -max_len=8192 -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="build-fuzz/artifacts/$target/" \
      2>"$scratch/$target.log"; then
    tail -n 40 "$scratch/$target.log" >&2
    echo "== $target FAILED: input kept in build-fuzz/artifacts/$target/" >&2
    status=1
  else
    grep -E '^(stat::number_of_executed_units|Done)' "$scratch/$target.log" || true
  fi
done
exit "$status"
