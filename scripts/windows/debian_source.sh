# Shared by scripts/windows-qt.sh and scripts/windows-libs.sh (sourced, with
# $cache set): Debian's source packages fetched through an apt configuration
# of our own (its own sources list, lists and archives under $cache/apt; the
# system's left alone), unpacked with dpkg-source so that Debian's patch
# series is applied, and the parts of a cache key that name the cross
# compiler.

apt_root="$cache/apt"
mkdir -p "$apt_root/lists/partial" "$apt_root/archives/partial" "$apt_root/etc/parts" "$cache/src"
# bookworm's sources with its point-release updates and security fixes.
cat > "$apt_root/etc/sources.list" <<'EOF'
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian bookworm main
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian bookworm-updates main
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian-security bookworm-security main
EOF

apt_private() {
  apt-get -o Dir::State="$apt_root" -o Dir::State::Lists="$apt_root/lists" \
    -o Dir::State::status=/var/lib/dpkg/status -o Dir::Cache="$apt_root" \
    -o Dir::Etc::SourceList="$apt_root/etc/sources.list" -o Dir::Etc::SourceParts="$apt_root/etc/parts" \
    -o Debug::NoLocking=1 -o APT::Sandbox::User=root "$@"
}

# One apt at a time on the private state (the Qt and library scripts may run
# side by side); the lock is released when the (sub)shell that took it ends.
apt_locked=false
apt_lock() {
  $apt_locked && return 0
  exec 8>"$apt_root/lock"
  flock 8
  apt_locked=true
}

offline_message() {
  echo "windows: cannot reach Debian's archive (deb.debian.org) for the source of $1." >&2
  echo "  Is this machine offline? The Windows build fetches Debian's source packages" >&2
  echo "  once and keeps them in $cache; connect and run this again." >&2
}

# Refreshes the private package lists when they are missing or a day old.
# Offline with older lists: says so and goes on with them; offline without
# any: says so and fails. (A subshell: the lock is held only while it runs.)
debian_lists() (
  apt_lock
  stamp="$apt_root/lists/.updated"
  if [ -f "$stamp" ] && [ -z "$(find "$stamp" -mmin +1440)" ]; then
    exit 0
  fi
  log="$apt_root/update.log"
  if apt_private update > "$log" 2>&1 && ! grep -q '^\(Err:\|W: Failed to fetch\|E: \)' "$log"; then
    touch "$stamp"
  elif [ -f "$stamp" ]; then
    offline_message "$1"
    echo "  Going on with the package lists of $(date -r "$stamp" '+%Y-%m-%d %H:%M') (apt said: $log)." >&2
  else
    offline_message "$1"
    echo "  (apt said: $log)" >&2
    exit 1
  fi
)

apt_cache_private() {
  apt-cache -o Dir::State="$apt_root" -o Dir::State::Lists="$apt_root/lists" \
    -o Dir::Cache="$apt_root" -o Dir::Etc::SourceList="$apt_root/etc/sources.list" \
    -o Dir::Etc::SourceParts="$apt_root/etc/parts" "$@"
}

# The versions of source package $1 in the private lists, newest first.
debian_source_versions() {
  remaining=$(apt_cache_private madison "$1" 2>/dev/null |
    awk -F' [|] ' '$3 ~ / Sources$/ { print $2 }' | sort -u)
  while [ -n "$remaining" ]; do
    newest=""
    for v in $remaining; do
      if [ -z "$newest" ] || dpkg --compare-versions "$v" gt "$newest"; then newest=$v; fi
    done
    echo "$newest"
    remaining=$(printf '%s\n' $remaining | grep -vxF "$newest" || true)
  done
}

# The .dsc (the file that names, with checksums, every part of a source,
# Debian's patches included) of the source package $1 to build: the newest
# version in the lists whose version without the Debian revision is $3 (any
# when $3 is empty), fetched into $cache/src when $2 is "fetch" and it is not there yet.
# A version the archive does not serve (a 404, as some mirrors give for the
# security archive's sources) is remembered until the lists are refreshed
# and passed over for the next, loudly. Prints the .dsc's path; fails when
# there is none (with "cached": when it is not fetched yet). Run it in a
# command substitution, so that its lock ends with it.
debian_source() {
  skipped=""
  for version in $(debian_source_versions "$1"); do
    [ -z "${3:-}" ] || [ "${version%-*}" = "$3" ] || continue
    file=$(apt_private source --print-uris --only-source "$1=$version" 2>/dev/null |
      sed -n "s/^'[^']*' \($1_[^ ]*\.dsc\) .*/\1/p" | head -n 1)
    [ -n "$file" ] || continue
    dsc="$cache/src/$file"
    if [ ! -f "$dsc" ]; then
      if [ -f "$dsc.unavailable" ] && [ "$dsc.unavailable" -nt "$apt_root/lists/.updated" ]; then
        skipped="$skipped $version"
        continue
      fi
      [ "$2" = fetch ] || return 1
      apt_lock
      echo "== fetching Debian's source package $1 $version" >&2
      log="$apt_root/source.log"
      if ! (cd "$cache/src" && apt_private source --download-only --only-source "$1=$version" > "$log" 2>&1) ||
          [ ! -f "$dsc" ]; then
        if grep -q '404 \+Not Found' "$log" && ! grep -q 'Could not resolve\|Temporary failure\|Unable to connect\|Connection failed' "$log"; then
          touch "$dsc.unavailable"
          skipped="$skipped $version"
          continue
        fi
        if grep -q 'Failed to fetch\|Could not resolve\|Temporary failure\|Unable to connect' "$log"; then
          offline_message "$1"
        else
          echo "windows: apt-get source $1=$version failed:" >&2
          cat "$log" >&2
        fi
        return 1
      fi
    fi
    if [ -n "$skipped" ]; then
      echo "windows: WARNING: Debian's archive did not serve the source of $1$skipped" >&2
      echo "  (newer than $version: a security or point-release update); building $version." >&2
    fi
    echo "$dsc"
    return 0
  done
  echo "windows: no source of $1${3:+ $3} that Debian's archive serves is in the package lists${skipped:+ (not served:$skipped)}." >&2
  return 1
}

# Unpacks the source described by the .dsc $1 with dpkg-source (which checks
# every file against the .dsc and applies debian/patches/series) into the
# folder $2, through $2.partial so that an interrupted unpack is never
# taken for a whole one. Does nothing when $2 is there.
debian_source_unpack() {
  [ -d "$2" ] && return 0
  rm -rf "$2.partial"
  echo "== unpacking $(basename "$1") with Debian's patches" >&2
  if ! dpkg-source -x "$1" "$2.partial" > "$2.log" 2>&1; then
    cat "$2.log" >&2
    echo "windows: dpkg-source could not unpack $1" >&2
    return 1
  fi
  mv "$2.partial" "$2"
}

# debian/patches/series of the source whose .dsc is $1, read from its Debian
# tarball (empty for a source without one).
debian_series() {
  tarball=$(sed -n 's/^ [0-9a-f]\{64\} [0-9]* \(.*\.debian\.tar\.[a-z0-9]*\)$/\1/p' "$1" | head -n 1)
  [ -n "$tarball" ] || return 0
  tar -xOf "$(dirname "$1")/$tarball" debian/patches/series 2>/dev/null || true
}

# The Debian patches applied to the unpacked source $1, in order, as
# dpkg-source recorded them (none for a source without a patch series).
debian_applied_patches() {
  if [ -f "$1/.pc/applied-patches" ]; then
    cat "$1/.pc/applied-patches"
  fi
}

# What names the cross compiler and its runtime for a cache key.
mingw_fingerprint() {
  x86_64-w64-mingw32-g++-posix --version | head -n 1
  dpkg-query -W -f='${Package} ${Version}\n' g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix-runtime \
    mingw-w64-x86-64-dev binutils-mingw-w64-x86-64 2>/dev/null
  cmake --version | head -n 1
}

# The CMake toolchain file of the cross builds of Qt and the libraries.
write_toolchain() {
  cat > "$1" <<'EOF'
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
}
