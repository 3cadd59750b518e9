#!/bin/sh
# Installs what Kelvara needs on Debian 12, builds it, then either starts the
# program ("run") or runs the whole test suite ("test").
set -eu

cd "$(dirname "$0")/.."
mode="${1:-run}"

packages="cmake g++ make pkg-config python3 libgtest-dev libgmock-dev libbenchmark-dev libboost-dev
  qt6-base-dev qt6-translations-l10n fonts-vlgothic xdg-utils
  libxlsxwriter-dev libmuparser-dev python3-openpyxl
  xvfb xauth imagemagick poppler-utils locales clang libclang-rt-14-dev"
# The Windows cross build and Wine are installed by scripts/windows.sh, which
# the test suite runs.

scripts/install-packages.sh $packages

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j"$(nproc)"

case "$mode" in
  run)
    exec ./build/kelvara
    ;;
  test)
    exec scripts/run-tests.sh
    ;;
  *)
    echo "usage: scripts/setup.sh [run|test]" >&2
    exit 2
    ;;
esac
