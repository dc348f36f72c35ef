#!/usr/bin/env bash
# A shortcut written by a real setup.exe, read by an independent .lnk reader
# (lnkinfo) rather than by the shell that wrote it.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build/win32}
work="$build/lnk-check"
rm -rf "$work" && mkdir -p "$work"
# Where scripts/bootstrap set up Wine in a root of its own, its wrappers come first.
[ -d "$root/.cache/wine-bin" ] && export PATH="$root/.cache/wine-bin:$PATH"
export WINEPREFIX="$work/wineprefix"

cat >"$work/link.setup" <<'SETUP'
stub = setup.exe
field 1 = 0
field 2 = 0
field 61 = 511
field 99 = 0
field 100 = 0
field 103 = 0
field 110 = 0
field 111 = 0
field 30 = 0
field 84 = 0
field 112 = 0
field 113 = 0
field 114 = 0
field 115 = 0
field 116 = 0
field 58 = C:\LinkCheck
field 48 = 1
[archive]
mode = solid
[language]
name = English
id = 1033
[shortcut]
location = 4
link = C:\LinkCheck\Velmora Tool.lnk
target = C:\LinkCheck\bin\tool.exe
arguments = --from-link
description = Velmora link check
icon = C:\LinkCheck\bin\tool.exe
icon index = 1
working folder = C:\LinkCheck\work
SETUP
cp "$build/bin/setup.exe" "$work/setup.exe"
"$root/build/native/bin/mksetup" -o "$work/LinkSetup.exe" "$work/link.setup" >/dev/null
"$root/scripts/wine-run" "$work/LinkSetup.exe" /S
wineserver -w
info=$(lnkinfo "$WINEPREFIX/drive_c/LinkCheck/Velmora Tool.lnk")
for expected in 'Description			: Velmora link check' 'Working directory		: C:\LinkCheck\work' \
  'Command line arguments		: --from-link' 'Local path			: C:\LinkCheck\bin\tool.exe' \
  'Icon location			: C:\LinkCheck\bin\tool.exe' 'Icon index			: 1'; do
  grep -qF -- "$expected" <<<"$info" || { echo "lnk check: '$expected' not in the link" >&2; exit 1; }
done
echo "lnk check: passed"
