#!/bin/sh
# Cross-builds Kelvara for 64-bit Windows with mingw-w64 into build-windows/:
# build-windows/kelvara-tab.exe (statically linked: the one file runs on a
# bare Windows 10 or 11) and the Windows test programs. With "test" it then
# runs those under Wine and compares them with the Linux build.
#   scripts/windows.sh [build|test]
set -eu

cd "$(dirname "$0")/.."
mode="${1:-build}"
case "$mode" in
  build|test) ;;
  *)
    echo "usage: scripts/windows.sh [build|test]" >&2
    exit 2
    ;;
esac

packages="cmake make g++ g++-mingw-w64-x86-64-posix wine wine64 googletest libboost-dev"
scripts/install-packages.sh $packages

jobs="$(nproc)"

# The Linux programs the Windows ones are compared with: those of ./build when
# it is there (the README's test command has just built it), else a small
# build of their own.
linux=build
if [ ! -f build/CMakeCache.txt ]; then
  linux=build-windows/linux
  cmake -S . -B "$linux" -DCMAKE_BUILD_TYPE=Release -DKELVARA_BUILD_UI=OFF \
    -DKELVARA_GTEST_SOURCE_DIR=/usr/src/googletest >/dev/null
fi
cmake --build "$linux" -j"$jobs" --target kelvara-tab codec_table

cmake -S . -B build-windows -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DKELVARA_BUILD_UI=OFF \
  -DKELVARA_GTEST_SOURCE_DIR=/usr/src/googletest \
  -DKELVARA_LINUX_BUILD_DIR="$PWD/$linux" >/dev/null
cmake --build build-windows -j"$jobs"

[ "$mode" = test ] || exit 0

# Wine's own prefix, kept in the build folder (whoever runs this owns it, root
# in CI included); quiet, and without the offer to install Mono and Gecko. A
# UTF-8 locale, so that Japanese arguments reach the programs as the right
# UTF-16.
export WINEPREFIX="${WINEPREFIX:-$PWD/build-windows/wine}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export LC_ALL=C.UTF-8
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "== creating the Wine prefix $WINEPREFIX"
  started=$(date +%s)
  if ! wineboot -i > "$WINEPREFIX.log" 2>&1; then
    cat "$WINEPREFIX.log" >&2
    exit 1
  fi
  wineserver -w  # the registry is written when the server ends
  echo "== Wine prefix ready in $(($(date +%s) - started)) s"
fi

status=0
ctest --test-dir build-windows --output-on-failure -j"$jobs" || status=$?
wineserver -k 2>/dev/null || true
exit "$status"
