#!/bin/sh
# zlib, libxlsxwriter (Excel workbooks) and muparser (expressions) for 64-bit
# Windows, cross-built with mingw-w64 (POSIX threads) as static libraries from
# Debian's own source packages, Debian's patches applied, into one folder of
# the cache beside Qt for Windows, kept under a key of everything that shapes
# them. A few minutes on two cores.
#   scripts/windows-libs.sh          builds when needed, prints the install folder
#   scripts/windows-libs.sh --cached prints it only when it is built (else fails)
# KELVARA_QT_CACHE names the cache folder (default ~/.cache/kelvara).
set -eu

cd "$(dirname "$0")/.."
cache="${KELVARA_QT_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/kelvara}"
jobs="$(nproc)"
cached_only=false
[ "${1:-}" = --cached ] && cached_only=true

if ! $cached_only; then
  scripts/install-packages.sh cmake make g++-mingw-w64-x86-64-posix dpkg-dev xz-utils bzip2 ccache >&2 || {
    echo "windows-libs: could not install the packages above (is this machine offline?)" >&2
    exit 1
  }
fi
command -v x86_64-w64-mingw32-gcc-posix > /dev/null && command -v cmake > /dev/null || exit 1

# How each is built. zlib: the static library only. libxlsxwriter: as Debian
# configures it, but static, with the minizip, MD5 and temporary-file code
# that its source carries (Debian links the system's minizip and OpenSSL's
# MD5, which Windows lacks), and numbers written with its own
# locale-independent conversion, so that a cell never depends on the process
# locale (Debian's build writes 7,5 for 7.5 under a decimal-comma locale).
# muparser: static, without OpenMP (one expression at a time needs no
# threads, and the program no libgomp DLL).
cflags="-O2"
xlsxwriter_options="-DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF -DUSE_SYSTEM_MINIZIP=OFF
  -DUSE_OPENSSL_MD5=OFF -DUSE_DTOA_LIBRARY=ON -DBUILD_TESTS=OFF -DBUILD_EXAMPLES=OFF"
muparser_options="-DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF -DENABLE_OPENMP=OFF
  -DENABLE_SAMPLES=OFF -DENABLE_WIDE_CHAR=OFF"

. scripts/windows/debian_source.sh
names="zlib libxlsxwriter muparser"
if ! $cached_only; then
  debian_lists "$names"
fi
for name in $names; do
  if $cached_only; then
    dsc=$(debian_source "$name" cached 2>/dev/null) || exit 1
  else
    dsc=$(debian_source "$name" fetch)
  fi
  eval "dsc_$name=\$dsc"
done

key_text=$(
  echo "== scripts"; cat scripts/windows-libs.sh scripts/windows/debian_source.sh
  for name in $names; do
    eval "dsc=\$dsc_$name"
    echo "== source $name"; cat "$dsc"
    echo "== debian/patches/series"; debian_series "$dsc"
  done
  echo "== toolchain"; write_toolchain /dev/stdout
  echo "== compiler"; mingw_fingerprint
  echo "== options"; echo "$cflags"; echo "$xlsxwriter_options"; echo "$muparser_options"
)
key="$(printf '%s\n' "$key_text" | sha256sum | cut -c1-16)"
prefix="$cache/windows-libs-$key"
if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi
$cached_only && exit 1

exec 9>"$cache/windows-libs-$key.lock"
if ! flock -n 9; then
  echo "== another build of $prefix is running; waiting for it" >&2
  flock 9
fi
if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi

# ccache, with paths taken relative to the cache: a new key recompiles only
# what changed.
launcher=""
if command -v ccache > /dev/null; then
  export CCACHE_BASEDIR="$cache"
  launcher=ccache
fi
started=$(date +%s)
build_dir="$cache/build-libs-$key"
rm -rf "$build_dir" "$prefix"
mkdir -p "$build_dir" "$prefix/licenses"
toolchain="$build_dir/toolchain.cmake"
write_toolchain "$toolchain"
for name in $names; do
  eval "dsc=\$dsc_$name"
  source_dir="${dsc%.dsc}"
  debian_source_unpack "$dsc" "$source_dir"
  patches=$(debian_applied_patches "$source_dir" | tr '\n' ' ')
  echo "== $(basename "$source_dir"): Debian's patches applied: ${patches:-none (no patch series)}" >&2
  eval "source_$name=\$source_dir"
  cp "$source_dir/debian/copyright" "$prefix/licenses/$name-debian-copyright.txt"
  echo "$(basename "$source_dir")" >> "$prefix/sources.txt"
done

# zlib: the objects its Makefile builds (OBJZ and OBJG) archived into libz.a,
# as its Makefile for Windows would do (Debian's source leaves that one out).
echo "== building zlib for Windows" >&2
mkdir -p "$build_dir/zlib" "$prefix/include" "$prefix/lib"
objects=$(sed -n 's/^OBJ[ZG] = //p' "$source_zlib/Makefile.in")
[ -n "$objects" ] || { echo "windows-libs: no OBJZ and OBJG in zlib's Makefile.in" >&2; exit 1; }
for object in $objects; do
  $launcher x86_64-w64-mingw32-gcc-posix $cflags -Wall -c "$source_zlib/${object%.o}.c" -o "$build_dir/zlib/$object"
done
(cd "$build_dir/zlib" && rm -f libz.a && x86_64-w64-mingw32-ar rcs libz.a $objects)
cp "$source_zlib/zlib.h" "$source_zlib/zconf.h" "$prefix/include/"
cp "$build_dir/zlib/libz.a" "$prefix/lib/"
cp "$source_zlib/LICENSE" "$prefix/licenses/zlib-LICENSE.txt"

# cmake_library NAME OPTIONS...: configures, builds and installs a CMake source.
cmake_library() {
  name=$1
  shift
  eval "source_dir=\$source_$name"
  echo "== building $name for Windows" >&2
  {
    cmake -S "$source_dir" -B "$build_dir/$name" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
      -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_INSTALL_LIBDIR=lib -DCMAKE_C_FLAGS="$cflags" \
      -DCMAKE_CXX_FLAGS="$cflags" ${launcher:+-DCMAKE_C_COMPILER_LAUNCHER=$launcher} \
      ${launcher:+-DCMAKE_CXX_COMPILER_LAUNCHER=$launcher} "$@" &&
      cmake --build "$build_dir/$name" -j"$jobs" &&
      cmake --install "$build_dir/$name"
  } > "$build_dir/$name.log" 2>&1 || {
    cat "$build_dir/$name.log" >&2
    echo "windows-libs: building $name failed (log: $build_dir/$name.log)" >&2
    exit 1
  }
}
# shellcheck disable=SC2086 # the options are words
cmake_library libxlsxwriter $xlsxwriter_options \
  -DZLIB_INCLUDE_DIR="$prefix/include" -DZLIB_LIBRARY="$prefix/lib/libz.a"
cp "$source_libxlsxwriter/License.txt" "$prefix/licenses/libxlsxwriter-License.txt"
# shellcheck disable=SC2086
cmake_library muparser $muparser_options
cp "$source_muparser/LICENSE" "$prefix/licenses/muparser-LICENSE.txt"

printf '%s\n' "$key_text" > "$prefix/build-key.txt"
touch "$prefix/.complete"
echo "== zlib, libxlsxwriter and muparser for Windows built in $(($(date +%s) - started)) s" >&2
echo "$prefix"
