#!/usr/bin/env bash
# Finish with "restart now" on the uninstaller's completion page, seen from
# outside without restarting anything: Wine's ExitWindowsEx starts
# system32\wineboot.exe, which in a prefix of its own is start_recorder (it
# logs its command line). The UninstallerRestart tests of win32_tests run
# there and read what it logged; elsewhere they are skipped.
set -euo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
build=${1:-$root/build/$("$root/scripts/wine-build")}
work="$build/uninst-restart-check"
[ -d "$root/.cache/wine-bin" ] && export PATH="$root/.cache/wine-bin:$PATH"
export WINEPREFIX="$work/wineprefix" WINEDEBUG=-all
rm -rf "$work" && mkdir -p "$work"
cp -a "$root/.cache/wineprefix" "$WINEPREFIX"
# Any update of the copied prefix runs with the real wineboot, before the swap.
WINEDLLOVERRIDES="mscoree=;mshtml=" wine cmd.exe /c exit >/dev/null 2>&1 || true
wineserver -w
export WINEDLLOVERRIDES="mscoree=;mshtml=;wineboot.exe=n"
system="$WINEPREFIX/drive_c/windows"
for folder in system32 syswow64; do
  if [ -d "$system/$folder" ]; then cp "$build/bin/start_recorder.exe" "$system/$folder/wineboot.exe"; fi
done
status=0
VELMORA_WINEBOOT_RECORDER=1 wine "$build/bin/win32_tests.exe" --gtest_filter='UninstallerRestart.*' </dev/null ||
  status=$?
wineserver -w
[ "$status" = 0 ] && echo "uninstaller restart check: passed"
exit "$status"
