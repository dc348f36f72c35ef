#!/usr/bin/env bash
# Finish with "restart now" on the uninstaller's completion page, seen from
# outside without restarting anything: Wine's ExitWindowsEx starts
# system32\wineboot.exe, which in a prefix of its own is start_recorder (it
# logs its command line). The UninstallerRestart tests of win32_tests run
# there and read what it logged; elsewhere they are skipped.
set -euo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
build=${1:-$root/build/$("$root/scripts/wine-build")}
# shellcheck source=tests/scripts/recorder_prefix.sh
. "$root/tests/scripts/recorder_prefix.sh"
recorder_prefix "$build/uninst-restart-check" "$build"
status=0
VELMORA_WINEBOOT_RECORDER=1 wine "$build/bin/win32_tests.exe" --gtest_filter='UninstallerRestart.*' </dev/null ||
  status=$?
wineserver -w
[ "$status" = 0 ] && echo "uninstaller restart check: passed"
exit "$status"
