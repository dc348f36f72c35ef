#!/usr/bin/env bash
# The wizard and the language dialog of the real setup, and the uninstaller's
# window, at 96, 120, 144 and 192 DPI (100 % to 200 %).
# Wine takes the display's DPI from the prefix's LogPixels when its desktop
# starts, so each DPI runs in a Wine session of its own, in a prefix of its
# own; the tests (*.ItScalesWithTheDisplay) learn the DPI they are to expect
# from VELMORA_DISPLAY_DPI.
#
# usage: tests/scripts/dpi_check.sh [Wine build]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(realpath "${1:-$root/build/$("$root/scripts/wine-build")}")
work="$build/dpi-check"
[ -d "$root/.cache/wine-bin" ] && export PATH="$root/.cache/wine-bin:$PATH"
export WINEPREFIX="$work/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="
rm -rf "$work" && mkdir -p "$work"
cp -a "$root/.cache/wineprefix" "$WINEPREFIX"
wine cmd.exe /c exit >/dev/null 2>&1 || true  # any update of the copied prefix, first
failures=0
# The DPI is set while no Wine program runs; the test then starts the session,
# desktop included, on its own display.
run_at() {  # run_at DPI
  wineserver -k 2>/dev/null || true
  wineserver -w
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
  wineserver -k 2>/dev/null || true
  wineserver -w
  VELMORA_DISPLAY_DPI=$1 xvfb-run -a -s "-screen 0 1600x1200x24" \
    wine "$build/bin/win32_tests.exe" --gtest_filter='*.ItScalesWithTheDisplay' >"$work/$1.log" 2>&1
}
for dpi in 96 120 144 192; do
  if run_at "$dpi" && grep -q '^\[  PASSED  \] 3 tests' "$work/$dpi.log"; then
    echo "ok: the wizard, the language dialog and the uninstaller at $dpi DPI"
  else
    echo "FAILED: the wizard, the language dialog or the uninstaller at $dpi DPI"
    grep -E 'Failure|Which is|evaluates to|fringe' "$work/$dpi.log" | head -20
    failures=$((failures + 1))
  fi
done
wineserver -k 2>/dev/null || true
echo "dpi check: $failures failure(s)"
[ "$failures" = 0 ]
