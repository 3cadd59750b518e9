#!/bin/sh
# The MSI under Wine, in a fresh prefix, on the X display given (xvfb-run):
# installed silently over an older version, which it replaces (one entry in
# the list of installed programs, the older version's own files gone); its
# kelvara-tab.exe prints the Linux build's bytes; its
# kelvara.exe opens a window on the example file named on its command line
# (a screenshot of the screen is kept); the window's screenshot programs,
# run on the installed Qt, render the tabs and save a run's results, which
# must equal kelvara-tab's bytes; the older version is then refused over it;
# removed silently, leaving nothing behind.
#   msi_round_trip.sh MSI VERSION OLDER_MSI OLDER_VERSION LINUX_KELVARA_TAB WINDOW_BUILD_DIR OUT_DIR
# OLDER_MSI is the same program as an older version: the same upgrade code, a
# lower version, and a file of its own (older-version-only.txt) that the
# newer one no longer has.
set -u
msi=$(realpath "$1") version=$2 older_msi=$(realpath "$3") older_version=$4
linux_tab=$(realpath "$5") window_build=$(realpath "$6") out=$7
example=$(realpath examples/survey_example.csv)
mkdir -p "$out"
out=$(realpath "$out")
scratch=$(mktemp -d)
export WINEPREFIX="$scratch/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8
trap 'wineserver -k 2>/dev/null; rm -rf "$scratch"' EXIT
trap 'exit 1' INT TERM
failures=0
fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}

wineboot -i > "$scratch/wineboot.log" 2>&1 || { cat "$scratch/wineboot.log"; exit 1; }
# Wine has none of the Japanese fonts Windows brings; the window asks for
# them by name (Yu Gothic UI, Meiryo UI, MS UI Gothic, MS Gothic), so they
# stand for VL Gothic, installed on Linux (fonts-vlgothic).
for font in "Yu Gothic UI" "Meiryo UI" "MS UI Gothic" "Yu Gothic" "Meiryo" "MS PGothic"; do
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$font" /d "VL PGothic" /f >/dev/null 2>&1
done
wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "MS Gothic" /d "VL Gothic" /f >/dev/null 2>&1
wineserver -w

program_files="$WINEPREFIX/drive_c/Program Files/Kelvara"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
start_menu_links() { find "$WINEPREFIX/drive_c" -name 'Kelvara.lnk' 2>/dev/null; }
# The versions of Kelvara in the list of installed programs, one a line.
installed_versions() {
  wine reg query "$uninstall_key" /s 2>/dev/null | tr -d '\r' | awk '
    /^HKEY/ { name = ""; version = "" }
    /^ +DisplayName +REG_SZ +Kelvara / { name = 1 }
    /^ +DisplayVersion +REG_SZ / { version = $3 }
    name && version { print version; name = ""; version = "" }'
}
# The products Windows Installer has registered under Kelvara's name.
registered_products() {
  wine reg query 'HKLM\Software\Classes\Installer\Products' /s 2>/dev/null | tr -d '\r' |
    grep -c "ProductName *REG_SZ *Kelvara "
}

echo "== msiexec /i $(basename "$older_msi") /qn (version $older_version)"
wine msiexec /i "$(winepath -w "$older_msi")" /qn || fail "msiexec /i of the older version ended with $?"
[ "$(installed_versions)" = "$older_version" ] ||
  fail "the older version is not the one installed: $(installed_versions | tr '\n' ' ')"
[ -f "$program_files/older-version-only.txt" ] || fail "the older version's own file is not installed"

echo "== msiexec /i $(basename "$msi") /qn (version $version, over $older_version)"
wine msiexec /i "$(winepath -w "$msi")" /qn || fail "msiexec /i ended with $?"
# The newer version replaced the older: one entry, the newer's, and the file
# only the older had is gone with it.
[ "$(installed_versions)" = "$version" ] ||
  fail "installed after the upgrade: $(installed_versions | tr '\n' ' ') (want $version alone)"
[ "$(registered_products)" = 1 ] ||
  fail "Windows Installer holds $(registered_products) Kelvara products after the upgrade"
[ ! -e "$program_files/older-version-only.txt" ] || fail "left behind by the upgrade: older-version-only.txt"
[ "$(start_menu_links | wc -l)" = 1 ] || fail "Start-menu entries after the upgrade: $(start_menu_links)"
for file in kelvara.exe kelvara-tab.exe Qt6Core.dll Qt6Widgets.dll Qt6PrintSupport.dll \
    platforms/qwindows.dll translations/qtbase_ja.qm reference/dri2025.csv reference/dri2020.csv \
    LICENSE.txt THIRD-PARTY-NOTICES.txt; do
  [ -f "$program_files/$file" ] || fail "not installed: Program Files\\Kelvara\\$file"
done
[ -n "$(start_menu_links)" ] || fail "no Start-menu entry"
wine reg query "$uninstall_key" /s 2>/dev/null | grep -q "DisplayName.*Kelvara" ||
  fail "no entry in the list of installed programs"

echo "== the installed kelvara-tab.exe against the Linux kelvara-tab"
mkdir "$scratch/調査"
cp "$example" "$scratch/調査/例 2024.csv"
args="--unit 1 --sex 2 --age 3 --pregnancy 4 --weight 5"
# shellcheck disable=SC2086 # the options are words
"$linux_tab" $args "$scratch/調査/例 2024.csv" 6 10 > "$scratch/linux.csv"
# shellcheck disable=SC2086
wine "C:\\Program Files\\Kelvara\\kelvara-tab.exe" $args "$(winepath -w "$scratch/調査/例 2024.csv")" \
  6 10 > "$scratch/windows.csv" || fail "kelvara-tab.exe ended with $?"
cmp -s "$scratch/linux.csv" "$scratch/windows.csv" || fail "kelvara-tab.exe's bytes differ from Linux"
# Iron judged against the shipped 2025 table, which the installed program
# finds beside itself.
judged="--reference dri2025 --menstruation yes --median-ci"
# shellcheck disable=SC2086
"$linux_tab" $args $judged "$scratch/調査/例 2024.csv" 12 > "$scratch/linux-judged.csv"
# shellcheck disable=SC2086
wine "C:\\Program Files\\Kelvara\\kelvara-tab.exe" $args $judged \
  "$(winepath -w "$scratch/調査/例 2024.csv")" 12 > "$scratch/windows-judged.csv" ||
  fail "kelvara-tab.exe --reference dri2025 ended with $?"
cmp -s "$scratch/linux-judged.csv" "$scratch/windows-judged.csv" ||
  fail "kelvara-tab.exe --reference dri2025: bytes differ from Linux"

echo "== the installed kelvara.exe on the example, named on its command line"
wine "C:\\Program Files\\Kelvara\\kelvara.exe" "$(winepath -w "$scratch/調査/例 2024.csv")" \
  > "$scratch/kelvara.log" 2>&1 &
up=""
for _ in $(seq 1 60); do
  sleep 1
  if xwininfo -root -tree 2>/dev/null | grep -q '"Kelvara"'; then
    up=yes
    break
  fi
done
if [ -n "$up" ]; then
  sleep 5  # the file is read once the window is up
  import -window root "$out/installed-window.png"
  echo "   window up; the screen is in $out/installed-window.png"
else
  fail "kelvara.exe showed no window in 60 s"
  cat "$scratch/kelvara.log"
fi
wineserver -k 2>/dev/null
wineserver -w 2>/dev/null

echo "== the window's tabs and a run on the installed Qt (window screenshot programs)"
# Run from the installed folder, as kelvara.exe is, so that they find its Qt
# DLLs, plugins and runtime; taken away again before the removal.
cp "$window_build/tests/ui/kelvara_screenshots.exe" "$window_build/tests/ui/kelvara_chart_screenshots.exe" \
  "$program_files/"
cp "$example" "$scratch/example.csv"
(cd "$scratch" && wine "C:\\Program Files\\Kelvara\\kelvara_screenshots.exe" example.csv \
  "$(winepath -w "$out")" wine > "$out/window-screenshots.log" 2>&1) ||
  fail "kelvara_screenshots.exe ended with $? (see $out/window-screenshots.log)"
(cd "$scratch" && wine "C:\\Program Files\\Kelvara\\kelvara_chart_screenshots.exe" example.csv \
  "$(winepath -w "$out")" > "$out/chart-screenshots.log" 2>&1) ||
  fail "kelvara_chart_screenshots.exe ended with $? (see $out/chart-screenshots.log)"
rm -f "$program_files/kelvara_screenshots.exe" "$program_files/kelvara_chart_screenshots.exe"
# shellcheck disable=SC2086
"$linux_tab" $args "$example" 6 10 | cmp -s - "$out/results.csv" &&
  echo "   the window's saved results equal kelvara-tab's bytes on Linux" ||
  fail "the window's saved results under Wine differ from kelvara-tab on Linux"
wineserver -k 2>/dev/null
wineserver -w 2>/dev/null

echo "== msiexec /i $(basename "$older_msi") /qn over the newer version: refused"
if wine msiexec /i "$(winepath -w "$older_msi")" /qn; then
  fail "the older version was installed over the newer"
fi
[ "$(installed_versions)" = "$version" ] ||
  fail "installed after the refused downgrade: $(installed_versions | tr '\n' ' ')"
[ -f "$program_files/kelvara.exe" ] || fail "the refused downgrade took kelvara.exe away"

echo "== msiexec /x $(basename "$msi") /qn"
wine msiexec /x "$(winepath -w "$msi")" /qn || fail "msiexec /x ended with $?"
[ ! -e "$program_files" ] || fail "left behind: $(find "$program_files" | head -n 5)"
[ -z "$(start_menu_links)" ] || fail "left behind: $(start_menu_links)"
! wine reg query "$uninstall_key" /s 2>/dev/null | grep -q "DisplayName.*Kelvara" ||
  fail "left behind: the entry in the list of installed programs"
! wine reg query 'HKLM\Software\Kelvara' >/dev/null 2>&1 || fail "left behind: HKLM\\Software\\Kelvara"
[ "$(registered_products)" = 0 ] || fail "left behind: Kelvara's registration with Windows Installer"

if [ "$failures" -eq 0 ]; then
  echo "== the MSI replaced the older version, ran, refused the older one and was removed cleanly"
fi
[ "$failures" -eq 0 ]
