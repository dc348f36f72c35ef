#!/usr/bin/env bash
# A setup signed after packing still installs: packs the sample with
# mksetup, signs it with osslsigncode and a throwaway self-signed
# certificate made here with openssl, and checks under Wine that
#   - osslsigncode verifies the signature;
#   - the signed setup installs with /S, exit 0, the same files as the
#     unsigned one;
#   - a flipped byte inside the signed file's archive is still the
#     corrupted-setup error (exit 3, with /Q so that no box waits).
#
# usage: tests/scripts/signing_check.sh [native build] [Wine build]
set -euo pipefail
# shellcheck source=tests/scripts/wine_check_support.sh
. "$(dirname "$0")/wine_check_support.sh" signing-check "$@"

openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Velmora Test Publisher" \
  -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
description=$("$root/scripts/sample-description" "$(basename "$wine_build")")
"$native/bin/mksetup" --stub "$wine_build/bin/setup.exe" -o "$work/unsigned.exe" "$description" >/dev/null
osslsigncode sign -certs "$work/cert.pem" -key "$work/key.pem" -n "Velmora Sample" \
  -in "$work/unsigned.exe" -out "$work/signed.exe" >/dev/null
check "the packed setup needs no padding to be signed" test $(($(stat -c %s "$work/unsigned.exe") % 8)) = 0
verify() { osslsigncode verify -CAfile "$work/cert.pem" -in "$work/signed.exe" >"$work/verify.log" 2>&1; }
check "osslsigncode verifies the signature" verify

# A byte in the middle of the file data area.
python3 "$(dirname "$0")/damage_archive.py" "$work/unsigned.exe" "$work/signed.exe" "$work/damaged.exe"

drive_c="$WINEPREFIX/drive_c"
check "the unsigned setup installs (exit 0)" test "$(run "$work/unsigned.exe" /S '/P=C:\Unsigned')" = 0
check "the signed setup installs (exit 0)" test "$(run "$work/signed.exe" /S '/P=C:\Signed')" = 0
# The uninstall log and the uninstaller's trailer name the folder.
check "the signed setup installs the same files" \
  diff -r -x Uninstall.exe -x Uninstall.ini "$drive_c/Unsigned" "$drive_c/Signed"
check "the installed files are there at all" test -n "$(ls -A "$drive_c/Signed" 2>/dev/null)"
check "damage in the signed setup's archive is the corrupted-setup error (exit 3)" \
  test "$(run "$work/damaged.exe" /Q '/P=C:\Damaged')" = 3
check "the damaged setup installed nothing" test ! -e "$drive_c/Damaged"

echo "signing check: $failures failure(s)"
[ "$failures" = 0 ]
