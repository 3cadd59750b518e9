#!/bin/sh
# Qt 6 for 64-bit Windows, cross-built with mingw-w64 from Debian's own source
# package qt6-base (the version of the host's Qt tools), as shared libraries
# with only what Kelvara uses. The result is kept outside the work tree and
# reused while its version and options match:
#   scripts/windows-qt.sh          builds when needed, prints the install folder
#   scripts/windows-qt.sh --cached prints it only when it is built (else fails)
# KELVARA_QT_CACHE names the cache folder (default ~/.cache/kelvara).
set -eu

cd "$(dirname "$0")/.."
cache="${KELVARA_QT_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/kelvara}"
jobs="$(nproc)"
cached_only=false
[ "${1:-}" = --cached ] && cached_only=true

$cached_only || scripts/install-packages.sh cmake ninja-build perl python3 g++-mingw-w64-x86-64-posix \
  qt6-base-dev qt6-base-dev-tools dpkg-dev xz-utils >&2

# The options below and the source version name the build: change either and
# a new one is made beside the old.
options="-DBUILD_SHARED_LIBS=ON -DCMAKE_BUILD_TYPE=Release
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
  -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_opengl=OFF
  -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_testlib=ON
  -DFEATURE_printsupport=ON -DFEATURE_tabletevent=OFF -DFEATURE_direct2d=ON
  -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF
  -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_freetype=OFF
  -DFEATURE_system_doubleconversion=OFF"

# The source: Debian's package, fetched through an apt configuration of our
# own (its own sources list and state), leaving the system's untouched.
host_version="$(dpkg-query -W -f='${Version}' qt6-base-dev)"
key="$(printf '%s\n%s\n' "$host_version" "$options" | sha256sum | cut -c1-12)"
prefix="$cache/qt6-windows-$key"
if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi
$cached_only && exit 1

apt_root="$cache/apt"
mkdir -p "$apt_root/lists/partial" "$apt_root/archives/partial" "$apt_root/etc/parts" "$cache/src"
printf '%s\n' "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian bookworm main" \
  > "$apt_root/etc/sources.list"
apt_private() {
  apt-get -o Dir::State="$apt_root" -o Dir::State::Lists="$apt_root/lists" \
    -o Dir::State::status=/var/lib/dpkg/status -o Dir::Cache="$apt_root" \
    -o Dir::Etc::SourceList="$apt_root/etc/sources.list" -o Dir::Etc::SourceParts="$apt_root/etc/parts" \
    -o Debug::NoLocking=1 -o APT::Sandbox::User=root "$@"
}
upstream="${host_version%%+*}"   # 6.4.2+dfsg-10 -> 6.4.2
source_dir="$cache/src/qtbase-everywhere-src-$upstream"
if [ ! -f "$source_dir/CMakeLists.txt" ]; then
  echo "== fetching Debian's qt6-base $host_version source" >&2
  apt_private update >&2
  (cd "$cache/src" && apt_private source --download-only "qt6-base=$host_version" >&2)
  tar -C "$cache/src" -xf "$cache/src/qt6-base_${host_version%-*}.orig.tar.xz"
fi
# Qt 6.4's Windows platform plugin takes the dynamic OpenGL code whenever that
# feature is on, even with OpenGL itself off, and then fails to compile.
sed -i 's/^#if QT_CONFIG(dynamicgl)$/#if QT_CONFIG(dynamicgl) \&\& QT_CONFIG(opengl)/' \
  "$source_dir/src/plugins/platforms/windows/qwindowswindow.cpp"

toolchain="$cache/mingw-w64-qt.cmake"
cat > "$toolchain" <<'EOF'
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
EOF

build_dir="$cache/build-$key"
started=$(date +%s)
echo "== building Qt for Windows into $prefix (an hour or more on two cores)" >&2
# shellcheck disable=SC2086 # the options are words
cmake -S "$source_dir" -B "$build_dir" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  $options >&2
cmake --build "$build_dir" -j"$jobs" >&2
cmake --install "$build_dir" >&2
touch "$prefix/.complete"
echo "== Qt for Windows built in $(($(date +%s) - started)) s" >&2
echo "$prefix"
