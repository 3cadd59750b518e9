#!/bin/sh
# Lays out Kelvara for Windows in one folder, ready to run, to zip or to make
# the MSI from: the two programs, the Qt DLLs and plugins the window needs,
# the MinGW runtime DLLs the Qt DLLs need, Qt's Japanese translations of its
# standard dialogs, the shipped reference tables, and the licence texts.
#   package_folder.sh QT_PREFIX LIBS_PREFIX KELVARA_EXE KELVARA_TAB_EXE FOLDER
# (LIBS_PREFIX: the folder scripts/windows-libs.sh prints.)
set -eu
qt=$1 libs=$2 window=$3 tab=$4 out=$5
objdump=x86_64-w64-mingw32-objdump

rm -rf "$out"
mkdir -p "$out/platforms" "$out/styles" "$out/translations" "$out/licenses/qt" "$out/licenses/libraries"
cp "$window" "$tab" "$out/"
cp "$qt/plugins/platforms/qwindows.dll" "$out/platforms/"
# The native look of Windows 10 and 11 (without it Qt falls back to Fusion).
cp "$qt"/plugins/styles/*.dll "$out/styles/"
# Printing: Qt 6 keeps the Windows printer support in a plugin of its own.
if [ -d "$qt/plugins/printsupport" ]; then
  mkdir -p "$out/printsupport"
  cp "$qt"/plugins/printsupport/*.dll "$out/printsupport/"
fi

# Every DLL a program or DLL in the folder imports that the Qt build or the
# compiler provides, until none is missing; what remains is Windows' own.
runtime_dirs="$qt/bin $(dirname "$(x86_64-w64-mingw32-g++-posix -print-libgcc-file-name)")
  /usr/x86_64-w64-mingw32/lib /usr/lib/gcc/x86_64-w64-mingw32/*-posix"
while :; do
  added=0
  for binary in $(find "$out" -name '*.exe' -o -name '*.dll'); do
    for dll in $($objdump -p "$binary" | sed -n 's/^\s*DLL Name: //p'); do
      [ -e "$out/$dll" ] && continue
      for dir in $runtime_dirs; do
        if [ -f "$dir/$dll" ]; then
          cp "$dir/$dll" "$out/"
          added=1
          break
        fi
      done
    done
  done
  [ "$added" = 1 ] || break
done

# The standard dialogs' and buttons' Japanese (the window loads qtbase_ja
# from the folder translations beside it).
cp /usr/share/qt6/translations/qtbase_ja.qm "$out/translations/"

# The shipped reference tables (--reference dri2025 and the window's choice),
# found in reference\ beside the programs, with their format for one's own.
mkdir -p "$out/reference"
cp reference/*.csv reference/README.md "$out/reference/"

cp LICENSE "$out/LICENSE.txt"
cp THIRD-PARTY-NOTICES.txt "$out/"
cp /usr/share/common-licenses/LGPL-3 "$out/licenses/LGPL-3.0.txt"
cp /usr/share/common-licenses/GPL-3 "$out/licenses/GPL-3.0.txt"
cp /usr/share/doc/mingw-w64-common/copyright "$out/licenses/mingw-w64.txt"
cp /usr/share/doc/gcc-mingw-w64-x86-64-posix-runtime/copyright "$out/licenses/gcc-runtime.txt"
# The licences of what Qt bundles, Debian's copyright file of its source and
# the Debian patches applied, kept by scripts/windows-qt.sh from the very
# source it built; the same for zlib, libxlsxwriter and muparser.
for kept in "$qt/licenses" "$libs/licenses"; do
  if [ ! -f "$kept/../.complete" ] || [ -z "$(ls "$kept")" ]; then
    echo "package_folder: no licence texts in $kept" >&2
    exit 1
  fi
done
cp "$qt"/licenses/* "$out/licenses/qt/"
cp "$libs"/licenses/* "$out/licenses/libraries/"
echo "== laid out $out: $(find "$out" -type f | wc -l) files, $(du -sk "$out" | cut -f1) KiB"
