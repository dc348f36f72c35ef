#!/usr/bin/env bash
# A publisher's dozen-line description (docs/publishing.md) makes a setup
# that works: packed with mksetup, looked into with `mksetup inspect`,
# installed with /S under Wine (files, shortcut, the installed-programs
# entry), then removed with the quiet uninstall command it registered, which
# leaves nothing behind.
#
# usage: tests/scripts/publisher_check.sh [native build] [Wine build]
set -euo pipefail
# shellcheck source=tests/scripts/wine_check_support.sh
. "$(dirname "$0")/wine_check_support.sh" publisher-check "$@"
mkdir -p "$work/product/docs"

printf 'the program\r\n' >"$work/product/notes.exe"
printf 'the manual\r\n' >"$work/product/docs/manual.txt"
cp "$root/samples/licence.rtf" "$work/licence.rtf"
cat >"$work/notes.setup" <<'DESCRIPTION'
product = Velmora Notes
version = 2.1
publisher = Velmora Ltd
uninstaller = on
licence = licence.rtf

[files]
source = product
target = {install}

[shortcut]
link = Velmora Notes
target = {install}\notes.exe
DESCRIPTION

"$native/bin/mksetup" --stub "$wine_build/bin/setup.exe" -o "$work/notes-setup.exe" "$work/notes.setup" >/dev/null
inspected() { "$native/bin/mksetup" inspect "$work/notes-setup.exe" >"$work/inspect.txt"; }
check "mksetup inspect finds the setup sound" inspected
check "inspect names the product's title" grep -q "65 title = Velmora Notes Setup" "$work/inspect.txt"

query() { "$root/scripts/wine-run" reg query "$@" 2>/dev/null | tr -d '\r'; }

installed="$WINEPREFIX/drive_c/Program Files/Velmora Notes"
check "the setup installs silently (exit 0)" test "$(run "$work/notes-setup.exe" /S)" = 0
check "the files land in {program files}\\Velmora Notes" \
  cmp -s "$work/product/docs/manual.txt" "$installed/docs/manual.txt"
check "the uninstaller is installed" test -f "$installed/uninstall.exe"
links=$(find "$WINEPREFIX/drive_c/users" -path '*Programs/Velmora Notes/Velmora Notes.lnk' | head -n 1)
check "the shortcut is in the program group" test -n "$links"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmora Notes'
quiet=$(query "$key" /v QuietUninstallString | sed -n 's/.*REG_SZ *//p')
check "the installed-programs entry names the quiet uninstall command" \
  test "$quiet" = '"C:\Program Files\Velmora Notes\uninstall.exe" /S'
wineserver -w

uninstaller='C:\Program Files\Velmora Notes\uninstall.exe'
check "the quiet uninstall command removes the product (exit 0)" test "$(run "$uninstaller" /S)" = 0
sleep 1
check "the installation folder is gone" test ! -e "$installed"
check "the program group is gone" \
  test -z "$(find "$WINEPREFIX/drive_c/users" -path '*Programs/Velmora Notes' 2>/dev/null)"
gone() { ! "$root/scripts/wine-run" reg query "$key" >/dev/null 2>&1; }
check "the installed-programs entry is gone" gone
wineserver -w

echo "publisher check: $failures failure(s)"
[ "$failures" = 0 ]
