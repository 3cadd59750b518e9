#!/bin/sh
# The whole test suite, on an already configured and built ./build.
set -eu
cd "$(dirname "$0")/.."

# A locale that writes a decimal comma: the report must not change under it.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf8$'; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo sh -c "sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen && locale-gen" >/dev/null
fi

ctest --test-dir build --output-on-failure -j"$(nproc)"
echo "== again under a decimal-comma locale (de_DE.UTF-8)"
LC_ALL=de_DE.UTF-8 ctest --test-dir build --output-on-failure -j"$(nproc)"

echo "== design-based figures against R's survey package"
scripts/install-packages.sh r-base-core r-cran-survey
scripts/check-with-r.sh build

echo "== Windows build (mingw-w64) under Wine"
scripts/windows.sh test

echo "== engine and tabulator under AddressSanitizer and UndefinedBehaviorSanitizer"
scripts/sanitize.sh

echo "== fuzzing, 40 seconds per target"
scripts/fuzz.sh 40
