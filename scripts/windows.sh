#!/bin/sh
# Cross-builds Kelvara for 64-bit Windows with mingw-w64 into build-windows/:
# build-windows/kelvara-tab.exe (statically linked: the one file runs on a
# bare Windows 10 or 11) and the Windows test programs, against zlib,
# libxlsxwriter and muparser built from Debian's sources into the cache
# (scripts/windows-libs.sh, a few minutes the first time). With Qt for Windows
# (scripts/windows-qt.sh, kept in a cache folder) also the window,
# kelvara.exe, in build-windows/window/.
#   scripts/windows.sh [build]  the above
#   scripts/windows.sh test     the above, then its tests under Wine; with Qt
#                               for Windows also the window's tests, and the
#                               MSI installed, run and removed under Wine
#   scripts/windows.sh qt       builds Qt for Windows into the cache (an hour
#                               or more on two cores)
#   scripts/windows.sh package  Qt for Windows when missing, then the window,
#                               the folder build-windows/package/Kelvara, the
#                               MSI and the portable zip beside it
set -eu

cd "$(dirname "$0")/.."
mode="${1:-build}"
case "$mode" in
  build|test|package) ;;
  qt) exec scripts/windows-qt.sh ;;
  *)
    echo "usage: scripts/windows.sh [build|test|qt|package]" >&2
    exit 2
    ;;
esac

packages="cmake make g++ g++-mingw-w64-x86-64-posix wine wine64 googletest libboost-dev
  pkg-config libxlsxwriter-dev libmuparser-dev python3 python3-openpyxl"
scripts/install-packages.sh $packages

jobs="$(nproc)"

# zlib, libxlsxwriter and muparser for Windows, from Debian's sources (built
# into the cache when missing: a few minutes).
libs="$(scripts/windows-libs.sh)"

# kelvara-tab.exe and the tests without the window (the package takes
# kelvara-tab.exe from the window's build).
if [ "$mode" != package ]; then
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
    -DKELVARA_WINDOWS_LIBS="$libs" \
    -DKELVARA_LINUX_BUILD_DIR="$PWD/$linux" >/dev/null
  cmake --build build-windows -j"$jobs"
fi

# Qt for Windows: built when packaging, else used only when already there.
if [ "$mode" = package ]; then
  qt="$(scripts/windows-qt.sh)"
else
  qt="$(scripts/windows-qt.sh --cached)" || qt=""
fi

window_tests="main_window_test survey_loading_test run_command_test design_options_dialog_test
  chart_tab_test kelvara_screenshots kelvara_chart_screenshots"
if [ -n "$qt" ]; then
  echo "== the window against Qt for Windows in $qt"
  # Qt's own toolchain file finds that Qt and the host's Qt tools (moc), and
  # hands the compiler settings on to ours.
  cmake -S . -B build-windows/window -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake" \
    -DQT_CHAINLOAD_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
    -DKELVARA_WINDOWS_LIBS="$libs" \
    -DKELVARA_GTEST_SOURCE_DIR=/usr/src/googletest >/dev/null
  # shellcheck disable=SC2086 # the targets are words
  cmake --build build-windows/window -j"$jobs" --target kelvara kelvara-tab $window_tests
fi

version="$(sed -n 's/^project(Kelvara VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"
msi="build-windows/Kelvara-$version-x64.msi"
zip="build-windows/Kelvara-$version-x64.zip"
if [ -n "$qt" ] && [ "$mode" != build ]; then
  scripts/install-packages.sh wixl qt6-translations-l10n binutils-mingw-w64-x86-64 python3
  scripts/windows/package_folder.sh "$qt" "$libs" build-windows/window/kelvara.exe \
    build-windows/window/kelvara-tab.exe build-windows/package/Kelvara
  python3 scripts/windows/wxs_files.py build-windows/package/Kelvara > build-windows/package/files.wxs
  rm -f "$msi" "$zip"
  wixl -a x64 -D SourceDir=build-windows/package/Kelvara -D Version="$version.0" -o "$msi" \
    scripts/windows/kelvara.wxs build-windows/package/files.wxs
  (cd build-windows/package && cmake -E tar cf "../$(basename "$zip")" --format=zip Kelvara)
  echo "== wrote $msi ($(du -k "$msi" | cut -f1) KiB) and $zip ($(du -k "$zip" | cut -f1) KiB)"
fi
if [ -n "$qt" ] && [ "$mode" = test ]; then
  # The same program as an older version would have installed it, to see the
  # MSI replace it: the same upgrade code, a lower version (Windows Installer
  # compares the first three fields), and a file of its own that the newer
  # version no longer ships.
  older_version=$(echo "$version.0" | awk -F. '{ M = $1 + 0; m = $2 + 0; b = $3 + 0
    if (b > 0) b--; else if (m > 0) { m--; b = 0 } else { M--; m = 0; b = 0 }
    printf "%d.%d.%d\n", M, m, b }')
  older=build-windows/package-older
  rm -rf "$older"
  mkdir -p "$older"
  cp -al build-windows/package/Kelvara "$older/Kelvara"
  echo "Kelvara $older_version" > "$older/Kelvara/older-version-only.txt"
  python3 scripts/windows/wxs_files.py "$older/Kelvara" > "$older/files.wxs"
  wixl -a x64 -D SourceDir="$older/Kelvara" -D Version="$older_version" \
    -o "$older/Kelvara-$older_version-x64.msi" scripts/windows/kelvara.wxs "$older/files.wxs"
fi

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

if [ -z "$qt" ]; then
  echo "== SKIPPED: the window's tests under Wine and the MSI's install, start and removal."
  echo "   They need Qt for Windows, which is not in the cache. Build it once with"
  echo "   scripts/windows.sh qt   (an hour or more on two cores), then run this again."
  wineserver -k 2>/dev/null || true
  exit "$status"
fi

echo "== the window's tests under Wine, with Qt for Windows, on an X display (Xvfb)"
scripts/install-packages.sh xvfb xauth x11-utils imagemagick fonts-vlgothic
# Every suite of the window built for Windows, with Qt's Windows platform
# (tests/ui/CMakeLists.txt) on Xvfb, as a desktop would show it. The test
# programs find the Qt DLLs and the MinGW runtime DLLs they use on Wine's
# PATH; Qt finds its plugins beside its own DLLs. The laptop case wants a
# screen of 1366 x 768 and gets a display of its own. Wine is started
# afresh for each display. One suite at a time: suites that wait for their
# window to be active take the focus from each other on one display.
echo "   not built for Windows: results_commands_test (POSIX file permissions and"
echo "   resource limits), about_test (a POSIX stand-in browser; the Windows link"
echo "   launch has tests of its own above) and workbook_commands_test (the host's"
echo "   openpyxl and poppler read what it writes)"
runtime="$(dirname "$(x86_64-w64-mingw32-g++-posix -print-libgcc-file-name)")"
WINEPATH="$(winepath -w "$qt/bin");$(winepath -w "$runtime");$(winepath -w /usr/x86_64-w64-mingw32/lib)"
export WINEPATH
laptop='^main_window_test_laptop_150$'
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
xvfb-run -a -s "-screen 0 1280x1024x24" sh -c \
  'ctest --test-dir build-windows/window -L window -E "$1" --output-on-failure; s=$?; wineserver -k; exit $s' \
  - "$laptop" || status=$?
wineserver -w 2>/dev/null || true
xvfb-run -a -s "-screen 0 1366x768x24" sh -c \
  'ctest --test-dir build-windows/window -R "$1" --output-on-failure; s=$?; wineserver -k; exit $s' \
  - "$laptop" || status=$?
wineserver -w 2>/dev/null || true
unset WINEPATH

echo "== the MSI over an older version, run, and removed, in a fresh Wine prefix, under Xvfb"
xvfb-run -a -s "-screen 0 1280x1024x24" scripts/windows/msi_round_trip.sh "$msi" "$version.0" \
  "$older/Kelvara-$older_version-x64.msi" "$older_version" \
  "$linux/kelvara-tab" build-windows/window build-windows/wine-screenshots || status=$?
exit "$status"
