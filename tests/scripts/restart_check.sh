#!/usr/bin/env bash
# The restart the finish actions request, seen from outside and without
# restarting anything. Wine's ExitWindowsEx starts system32\wineboot.exe
# with arguments that carry the flags (EWX_FORCE: "--kill"; otherwise
# "--end-session", plus "--force" for EWX_FORCEIFHUNG). In a prefix of its
# own that wineboot.exe is start_recorder, which logs its command line.
# Wine reports the Windows version the prefix sets for restart_probe.exe,
# which gives the OS classes.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build/$("$root/scripts/wine-build")}
work="$build/restart-check"
# shellcheck source=tests/scripts/recorder_prefix.sh
. "$(dirname "$0")/recorder_prefix.sh"
recorder_prefix "$work" "$build"
system="$WINEPREFIX/drive_c/windows"
app_key='HKCU\Software\Wine\AppDefaults\restart_probe.exe'

failures=0
# Windows version (OS class), field 52, restart chosen, expected wineboot
# arguments ("-" for no request), shutdown privilege after ("0" or "1").
while IFS='|' read -r version field choice expected privilege; do
  if [ "$version" = default ]; then
    wine reg delete "$app_key" /f </dev/null >/dev/null 2>&1 || true
  else
    wine reg add "$app_key" /v Version /d "$version" /f </dev/null >/dev/null
  fi
  wineserver -w
  rm -f "$system"/system32/started.txt "$system"/syswow64/started.txt
  output=$(wine "$build/bin/restart_probe.exe" "$field" "$choice" </dev/null | tr -d '\r')
  wineserver -w  # the recorder runs detached
  # Each Wine session starts with "wineboot --init": not ours.
  requests=$(cat "$system"/system32/started.txt "$system"/syswow64/started.txt 2>/dev/null |
    tr -d '\r' | grep -v -- ' --init$' | sed -E 's/^"?[^"]*wineboot\.exe"? ?//I' | paste -sd'|' || true)
  case_name="$version field52=$field chosen=$choice"
  if [ "${requests:--}" != "$expected" ]; then
    echo "restart check: $case_name: wineboot got '${requests:--}', expected '$expected'" >&2
    failures=$((failures + 1))
  fi
  if [ "$output" != "privilege 0 $privilege" ]; then
    echo "restart check: $case_name: '$output', expected 'privilege 0 $privilege'" >&2
    failures=$((failures + 1))
  fi
done <<'CASES'
default|1|1|--end-session --force|1
win2k|1|1|--end-session --force|1
winxp|1|1|--end-session --force|1
nt40|1|1|--kill|1
winme|1|1|--kill|1
win98|1|1|--kill|0
default|0|1|-|0
default|1|0|-|0
CASES

# The real setup.exe: restart offered (field 52), no Finish page, so the
# finish actions run right after the installation with restart-now selected.
cat >"$work/restart.setup" <<'SETUP'
stub = setup.exe
field 1 = 0
field 2 = 0
field 61 = 511
field 99 = 0
field 100 = 0
field 103 = 0
field 110 = 0
field 41 = 0
field 111 = 0
field 30 = 0
field 84 = 0
field 112 = 0
field 113 = 0
field 114 = 0
field 115 = 0
field 116 = 0
field 39 = 0
field 79 = 0
field 36 = 0
field 52 = 1
field 58 = C:\RestartCheck
field 48 = 1
[archive]
mode = solid
[language]
name = English
id = 1033
[file]
target = C:\RestartCheck\installed.txt
content = installed
SETUP
cp "$build/bin/setup.exe" "$work/setup.exe"
"$root/build/native/bin/mksetup" -o "$work/RestartSetup.exe" "$work/restart.setup" >/dev/null
wine reg delete "$app_key" /f </dev/null >/dev/null 2>&1 || true
wineserver -w
rm -f "$system"/system32/started.txt "$system"/syswow64/started.txt
code=0
wine "$work/RestartSetup.exe" </dev/null || code=$?
wineserver -w
requests=$(cat "$system"/system32/started.txt "$system"/syswow64/started.txt 2>/dev/null |
  tr -d '\r' | grep -v -- ' --init$' | sed -E 's/^"?[^"]*wineboot\.exe"? ?//I' | paste -sd'|' || true)
if [ "$code" != 0 ] || [ "$requests" != "--end-session --force" ] ||
   [ ! -f "$WINEPREFIX/drive_c/RestartCheck/installed.txt" ]; then
  echo "restart check: setup.exe exited $code, wineboot got '${requests:--}'" >&2
  failures=$((failures + 1))
fi
[ "$failures" = 0 ] || exit 1
echo "restart check: passed"
