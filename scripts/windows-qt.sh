#!/bin/sh
# Qt 6 for 64-bit Windows, cross-built with mingw-w64 from Debian's own source
# package qt6-base (the version of the host's Qt tools, with Debian's patches
# applied), as shared libraries with only what Kelvara uses. The result is
# kept outside the work tree under a key of everything that shapes it:
#   scripts/windows-qt.sh          builds when needed, prints the install folder
#   scripts/windows-qt.sh --cached prints it only when it is built (else fails)
# KELVARA_QT_CACHE names the cache folder (default ~/.cache/kelvara).
set -eu

cd "$(dirname "$0")/.."
cache="${KELVARA_QT_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/kelvara}"
jobs="$(nproc)"
cached_only=false
[ "${1:-}" = --cached ] && cached_only=true

if ! $cached_only; then
  scripts/install-packages.sh cmake ninja-build perl python3 g++-mingw-w64-x86-64-posix \
    qt6-base-dev qt6-base-dev-tools dpkg-dev xz-utils ccache >&2 || {
    echo "windows-qt: could not install the packages above (is this machine offline?)" >&2
    exit 1
  }
fi
command -v x86_64-w64-mingw32-g++-posix > /dev/null && command -v cmake > /dev/null || exit 1
host_version="$(dpkg-query -W -f='${Version}' qt6-base-dev-tools 2>/dev/null)" || exit 1

options="-DBUILD_SHARED_LIBS=ON -DCMAKE_BUILD_TYPE=Release
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
  -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_opengl=OFF
  -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_testlib=ON
  -DFEATURE_printsupport=ON -DFEATURE_tabletevent=OFF -DFEATURE_direct2d=ON
  -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF
  -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_freetype=OFF
  -DFEATURE_system_doubleconversion=OFF"

# The source: the newest qt6-base in bookworm and its updates with the host's
# Qt tools' upstream version (moc, rcc and uic come from the host).
. scripts/windows/debian_source.sh
if $cached_only; then
  dsc=$(debian_source qt6-base cached "${host_version%-*}" 2>/dev/null) || exit 1
else
  debian_lists qt6-base
  dsc=$(debian_source qt6-base fetch "${host_version%-*}")
fi
source_dir="${dsc%.dsc}"

# The key: this script and its helper, the source (the .dsc holds the
# checksums of the upstream tarball and of debian/, every patch included)
# and its patch series, the toolchain, the cross compiler and its runtime,
# the host's Qt tools, and the options.
key_text=$(
  echo "== scripts"; cat scripts/windows-qt.sh scripts/windows/debian_source.sh
  echo "== source"; cat "$dsc"
  echo "== debian/patches/series"; debian_series "$dsc"
  echo "== toolchain"; write_toolchain /dev/stdout
  echo "== compiler"; mingw_fingerprint
  echo "== host Qt tools"; echo "qt6-base-dev-tools $host_version"
  echo "== options"; echo "$options"
)
key="$(printf '%s\n' "$key_text" | sha256sum | cut -c1-16)"
prefix="$cache/qt6-windows-$key"
if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi
$cached_only && exit 1

# One build of a key at a time.
exec 9>"$cache/qt6-windows-$key.lock"
if ! flock -n 9; then
  echo "== another build of $prefix is running; waiting for it" >&2
  flock 9
fi
if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi

debian_source_unpack "$dsc" "$source_dir"
echo "== Debian's patches applied to $(basename "$source_dir") (debian/patches/series, in order):" >&2
debian_applied_patches "$source_dir" | sed 's/^/     /' >&2

# Qt 6.4's Windows platform plugin takes the dynamic OpenGL code whenever that
# feature is on, even with OpenGL itself off, and then fails to compile.
window_cpp="$source_dir/src/plugins/platforms/windows/qwindowswindow.cpp"
guarded='#if QT_CONFIG(dynamicgl) \&\& QT_CONFIG(opengl)'
if ! grep -q "^$guarded\$" "$window_cpp"; then
  if ! grep -q '^#if QT_CONFIG(dynamicgl)$' "$window_cpp"; then
    echo "windows-qt: the line '#if QT_CONFIG(dynamicgl)' to guard is not in $window_cpp:" >&2
    echo "  this Qt source differs from the one the guard was written for; see whether it is still needed." >&2
    exit 1
  fi
  sed -i "s/^#if QT_CONFIG(dynamicgl)\$/$guarded/" "$window_cpp"
fi

build_dir="$cache/build-$key"
mkdir -p "$build_dir"
toolchain="$build_dir/toolchain.cmake"
write_toolchain "$toolchain"
# ccache, with paths taken relative to the cache, lets a build under a new
# key reuse every object whose compile command did not change.
launcher=""
if command -v ccache > /dev/null; then
  export CCACHE_BASEDIR="$cache"
  launcher="-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache"
fi
started=$(date +%s)
echo "== building Qt for Windows into $prefix (an hour or more on two cores)" >&2
# shellcheck disable=SC2086 # the options are words
cmake -S "$source_dir" -B "$build_dir" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  $launcher $options >&2
cmake --build "$build_dir" -j"$jobs" >&2
cmake --install "$build_dir" >&2

# Beside the build, for the package's licences\qt: what it was built from,
# the licences of what Qt bundles from that very source, Debian's copyright
# file and the patches applied.
mkdir -p "$prefix/licenses"
for part in zlib libpng pcre2 harfbuzz-ng freetype double-conversion md4c libjpeg; do
  for file in "$source_dir/src/3rdparty/$part"/LICEN[CS]E* "$source_dir/src/3rdparty/$part"/COPYING* \
      "$source_dir/src/3rdparty/$part"/*-LICENSE.txt "$source_dir/src/3rdparty/$part"/*-license.txt; do
    [ -f "$file" ] && cp "$file" "$prefix/licenses/$part-$(basename "$file")"
  done
done
cp "$source_dir/debian/copyright" "$prefix/licenses/debian-copyright.txt"
debian_applied_patches "$source_dir" > "$prefix/licenses/debian-patches.txt"
printf '%s\n' "$key_text" > "$prefix/build-key.txt"
echo "$(basename "$dsc" .dsc)" > "$prefix/source.txt"
touch "$prefix/.complete"
echo "== Qt for Windows built in $(($(date +%s) - started)) s" >&2
echo "$prefix"
