# The 32-bit stage's job: the shipped 32-bit programs under a 32-bit Wine,
# run with bash in the job folder that tests/scripts/win32_stage.sh laid out,
# inside the guest of scripts/win32-guest or under the host's own 32-bit Wine.
# Needs DISPLAY, WINEPREFIX and a running wineserver. Prints an "ok: " or
# "FAILED: " line for each check, keeps what the host checks further in out/,
# and exits with the number of failed checks.
set -u
job_windows="Z:${PWD//\//\\}"
drive_c="$WINEPREFIX/drive_c"
failures=0
check() {  # check DESCRIPTION COMMAND...
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}
run() {  # run PROGRAM ARGUMENTS...: prints the exit code (124 after 5 minutes); output to out/run.log
  local status=0 started=$SECONDS
  echo "== $*" >>out/run.log
  timeout 300 wine "$@" >>out/run.log 2>&1 </dev/null || status=$?
  echo "-- exit code $status after $((SECONDS - started)) s" >>out/run.log
  echo "$status"
}
gtest_summary() {  # the result lines of the last gtest program run
  tac out/run.log | sed '/^== /q' | tac | grep -E '^\[  (PASSED|FAILED)  \]'
}
unix_path() {  # C:\a\b -> $drive_c/a/b
  local rest=${1#[Cc]:\\}
  printf '%s/%s\n' "$drive_c" "${rest//\\//}"
}

echo "== the portable core with 32-bit pointers (core_tests.exe)"
# The guide's name list is read from the source tree, which the job does not carry.
check "core_tests.exe passes" test "$(run bin/core_tests.exe \
  --gtest_filter=-PublisherDescription.TheGuideListsEveryNameMksetupKnows)" = 0
gtest_summary

echo "== the sample, installed silently"
folder='C:\Velmora Sample'
installed=$(unix_path "$folder")
check "the sample installs with /S (exit 0)" test "$(run sample.exe /S "/P=$folder" "/LOG=$job_windows\\out\\setup.log")" = 0
logged() { grep -qF -- "$1" <(tr -d '\r' <out/setup.log); }
check "the log ends with exit code 0" logged 'exit code 0'
check "the log names the font it registered" \
  logged 'installed font C:\Velmora Sample\fonts\VelmoraMono.ttf as "DejaVu Sans Mono (TrueType)"'
same_bytes() {  # every file of expected.sha256 is in the folder with those bytes
  (cd "$installed" && sha256sum --quiet -c "$OLDPWD/expected.sha256")
}
check "every file of the product is installed with its bytes" same_bytes
for made in Uninstall.exe Uninstall.ini velmora.ini installed.txt logs; do
  check "the setup made $made" test -e "$installed/$made"
done
check "the INI entry names the language" grep -q '^Language=English' <(tr -d '\r' <"$installed/velmora.ini")
cat >out/registry.bat <<'BAT'
@reg query "HKCU\Software\Velmora\Sample" /v InstallDir
@reg query "HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmora Sample" /v UninstallString
@reg query "HKLM\Software\Microsoft\Windows NT\CurrentVersion\Fonts" /v "DejaVu Sans Mono (TrueType)"
BAT
query_registry() {  # query_registry NAME: the values, also kept in out/registry-NAME.txt
  wine cmd /c "$job_windows\\out\\registry.bat" 2>/dev/null </dev/null | tr -d '\r' | tee "out/registry-$1.txt"
}
registry=$(query_registry installed)
check "the registry value InstallDir names the folder" grep -qF 'C:\Velmora Sample' <<<"$(grep InstallDir <<<"$registry")"
check "the installed-programs entry names the uninstaller" grep -qF 'C:\Velmora Sample\Uninstall.exe' <<<"$registry"
# Wine registers the fonts it finds on Linux under the same name, over the setup's value.
check "the font's value is there" grep -qF 'DejaVu Sans Mono (TrueType)' <<<"$registry"
# The shortcuts as the uninstall log lists them; the host reads them with lnkinfo.
mapfile -t links < <(tr -d '\r' <"$installed/Uninstall.ini" | sed -n 's/^[0-9]*=\(.*\.lnk\)$/\1/p')
check "the uninstall log lists three shortcuts" test "${#links[@]}" = 3
mkdir -p out/links
for link in "${links[@]}"; do
  check "the shortcut ${link##*\\} is there" cp "$(unix_path "$link")" out/links/
done

echo "== the same product again, as an upgrade"
check "installed again with /S and no folder given (exit 0)" test "$(run sample.exe /S)" = 0
check "it goes where the product is, not to its default folder" \
  test ! -e "$(unix_path 'C:\Program Files\Velmora Sample')"
check "its files are whole in the folder in use" same_bytes

echo "== its uninstaller"
check "the uninstaller removes the product (exit 0)" \
  test "$(run "$folder\\Uninstall.exe" /S)" = 0
leftovers() { find "$installed" 2>/dev/null | tee out/leftover-files.txt; }
check "nothing of the product is left, its folders neither" test -z "$(leftovers)"

for link in "${links[@]}"; do
  check "the shortcut ${link##*\\} is gone" test ! -e "$(unix_path "$link")"
done
registry=$(query_registry removed)
check "the registry values and the entry are gone" \
  test -z "$(grep -E 'InstallDir|UninstallString|VelmoraMono' <<<"$registry")"

echo "== a setup signed after packing"
check "the unsigned setup installs (exit 0)" test "$(run unsigned.exe /S '/P=C:\Unsigned')" = 0
check "the signed setup installs (exit 0)" test "$(run signed.exe /S '/P=C:\Signed')" = 0
check "the signed setup installs the same files" \
  diff -r -x Uninstall.exe -x Uninstall.ini "$drive_c/Unsigned" "$drive_c/Signed"
check "the installed files are there at all" test -n "$(ls -A "$drive_c/Signed" 2>/dev/null)"
check "damage in the signed setup's archive is the corrupted-setup error (exit 3)" \
  test "$(run damaged.exe /Q '/P=C:\Damaged')" = 3
check "the damaged setup installed nothing" test ! -e "$drive_c/Damaged"

echo "== two cases of the fault matrix (win32_tests.exe)"
check "a damaged block ends an unattended run with exit code 3 and a replaced file is whole" \
  test "$(run bin/win32_tests.exe \
    --gtest_filter='Faults.DamagedSetupsEndWithExitCode3BeforeAnythingChanges:Faults.ItemsThatCannotBeMadeAreLoggedAndEndWithExitCode4KeepingTheOldFiles')" = 0
gtest_summary

echo "== the wizard, walked through by walk_setup"
mkdir -p out/shots
walk_folder='C:\Velmora Sample Walk'
check "walk_setup installs the sample through its wizard (exit 0)" \
  test "$(run bin/walk_setup.exe sample.exe "$walk_folder" 'Velmora Sample (my group)' "$job_windows\\out\\shots")" = 0
check "the walk installed the read-me" cmp -s product/readme.txt "$(unix_path "$walk_folder")/readme.txt"
check "the walk photographed the Welcome page" test -s out/shots/1-welcome.bmp

echo "job: $failures check(s) failed"
exit "$failures"
