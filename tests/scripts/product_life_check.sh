#!/usr/bin/env bash
# The life of a product, as a publisher ships it: version 2.1 into a folder
# and program group of the person's choosing, then 2.2 with /S while the
# product's program holds one of its files open (one file changed, one no
# longer shipped), Windows' next start, and the quiet uninstall command run
# from the installation folder. At the end the machine is as it was before
# 2.1: files outside the Windows folder and the temporary folders, and the
# Software keys of the registry.
#
# usage: tests/scripts/product_life_check.sh [native build] [Wine build]
set -euo pipefail
if [ -z "${DISPLAY:-}" ]; then exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"; fi
# shellcheck source=tests/scripts/wine_check_support.sh
. "$(dirname "$0")/wine_check_support.sh" product-life "$@"

wine_now() {  # wine_now PROGRAM ARGUMENTS...: runs it, prints the exit code
  local status=0
  "$root/scripts/wine-run" "$@" >/dev/null 2>&1 || status=$?
  echo "$status"
}
query() { "$root/scripts/wine-run" reg query "$@" 2>/dev/null | tr -d '\r'; }

# The files of drive C: outside the Windows folder and every Temp folder,
# with their sizes, and the Software keys of both registry hives with their
# values (the keys' own time stamps left out).
snapshot() {
  wineserver -w
  (cd "$WINEPREFIX/drive_c" && find . -path ./windows -prune -o -name Temp -prune -o -printf '%p %s\n' | sort)
  python3 - "$WINEPREFIX/system.reg" "$WINEPREFIX/user.reg" <<'PY'
import re, sys
for name in sys.argv[1:]:
    keep = False
    for line in open(name, encoding="utf-8", errors="replace"):
        if line.startswith("["):
            keep = line.startswith("[Software\\\\") and not line.startswith("[Software\\\\Wine")
            line = re.sub(r"\] \d+$", "]", line.rstrip("\n")) + "\n"
        if keep and not line.startswith("#time="):
            sys.stdout.write(name.rsplit("/", 1)[-1] + " " + line)
PY
}

# Two versions of Larkspur Notes: its program (a stand-in that holds a file
# open), its data (changed in 2.2), a note 2.2 no longer ships, a file in a
# subfolder, a registry value of each version's own.
for version in 2.1 2.2; do
  product="$work/v$version"
  mkdir -p "$product/sub"
  cp "$wine_build/bin/file_holder.exe" "$product/notes.exe"
  printf 'data of %s\r\n' "$version" >"$product/notes.dat"
  printf 'kept in place\r\n' >"$product/sub/extra.txt"
  [ "$version" = 2.1 ] && printf 'only in 2.1\r\n' >"$product/old.txt"
  cat >"$work/notes-$version.setup" <<DESCRIPTION
product = Larkspur Notes
product id = Larkspur Notes
version = $version
publisher = Larkspur Labs
uninstaller = on

[files]
source = v$version
target = {install}

[registry]
root = HKCU
key = Software\\Larkspur\\Notes
name = Version $version
data = {install}

[shortcut]
link = Larkspur Notes
target = {install}\\notes.exe
DESCRIPTION
  "$native/bin/mksetup" --stub "$wine_build/bin/setup.exe" -o "$work/notes-$version.exe" \
    "$work/notes-$version.setup" >/dev/null
done

wine_now cmd /c exit >/dev/null  # Wine's first start in this prefix changes it
before=$(snapshot)

folder='C:\My Apps\Larkspur Notes'
installed="$WINEPREFIX/drive_c/My Apps/Larkspur Notes"
entry='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Larkspur Notes'
programs=$(find "$WINEPREFIX/drive_c/users" -maxdepth 8 -type d -path '*/Start Menu/Programs' | head -n 1)

check "2.1 installs into the folder and group chosen (exit 0)" \
  test "$(wine_now "$work/notes-2.1.exe" /S "/P=$folder" "/G=Larkspur Tools")" = 0
check "2.1's files are in place" cmp -s "$work/v2.1/old.txt" "$installed/old.txt"
check "its shortcut is in the group chosen" test -f "$programs/Larkspur Tools/Larkspur Notes.lnk"
check "no group of the default name is made" test ! -e "$programs/Larkspur Notes"
value() { query "$entry" /v "$1" | sed -n "s/.*$1 *REG_SZ *//p"; }
check "the entry names the installation folder" test "$(value InstallLocation)" = "$folder"
check "the entry names the group used" test "$(value StartMenuGroup)" = "Larkspur Tools"

# The product runs and holds its data file while 2.2 is installed.
"$root/scripts/wine-run" "$folder\\notes.exe" "$folder\\notes.dat" >/dev/null 2>&1 &
holder=$!
for _ in $(seq 300); do [ -e "$installed/notes.dat.held" ] && break; sleep 0.1; done
check "the product's program holds its data file" test -e "$installed/notes.dat.held"

# The box about the file in use is answered with Ignore: replaced at the next start.
"$root/scripts/wine-run" "$wine_build/bin/answer_box.exe" "File in use" 5 120000 >/dev/null 2>&1 &
answer=$!
status=$(wine_now "$work/notes-2.2.exe" /S)
answered=0
wait "$answer" || answered=$?
check "2.2 asks about the file in use, and Ignore is chosen" test "$answered" = 0
check "2.2 ends with 'a restart completes it' (exit 8, got $status)" test "$status" = 8
check "2.2 goes where 2.1 is, not to the default folder" \
  test ! -e "$WINEPREFIX/drive_c/Program Files/Larkspur Notes"
check "2.2's files are in the same folder" test -f "$installed/uninstall.exe"
check "the held file still has 2.1's data" cmp -s "$work/v2.1/notes.dat" "$installed/notes.dat"
pending=$(query 'HKLM\System\CurrentControlSet\Control\Session Manager' /v PendingFileRenameOperations)
check "its replacement waits for Windows' next start" grep -q 'Larkspur Notes\\notes.dat' <<<"$pending"
check "the shortcut stays in the group 2.1 used" test -f "$programs/Larkspur Tools/Larkspur Notes.lnk"
check "still no group of the default name" test ! -e "$programs/Larkspur Notes"
check "the entry shows 2.2" grep -q 'DisplayVersion *REG_SZ *2.2' <<<"$(query "$entry" /v DisplayVersion)"
log="$installed/Uninstall.ini"
[ -f "$log" ] || log=$(find "$installed" -maxdepth 1 -iname '*.ini' | head -n 1)
check "the uninstall log still lists the note 2.2 no longer ships" grep -q 'old.txt' "$log"
check "and 2.1's registry value" grep -q 'Version 2.1' "$log"

touch "$installed/notes.dat.release"
wait "$holder" || true
# Windows' next start: Wine carries out the pending operations when the
# prefix starts again.
wineserver -k || true
wineserver -w
wine_now cmd /c exit >/dev/null
check "after the restart the data file is 2.2's" cmp -s "$work/v2.2/notes.dat" "$installed/notes.dat"

uninstall=$(query "$entry" /v QuietUninstallString | sed -n 's/.*QuietUninstallString *REG_SZ *//p')
check "the entry names the quiet uninstall command" test "$uninstall" = "\"$folder\\uninstall.exe\" /S"
status=$(cd "$installed" && wine_now "$folder\\uninstall.exe" /S)
check "the quiet uninstall, run from the installation folder, exits 0 (got $status)" test "$status" = 0
wineserver -w
check "the installation folder and the parent the setup made are gone" test ! -e "$WINEPREFIX/drive_c/My Apps"
check "the group chosen is gone" test ! -e "$programs/Larkspur Tools"
after=$(snapshot)
same() { diff <(echo "$before") <(echo "$after"); }
check "the machine is as it was before 2.1" same

echo "product life check: $failures failure(s)"
[ "$failures" = 0 ]
