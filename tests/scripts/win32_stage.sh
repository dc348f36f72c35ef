#!/usr/bin/env bash
# The 32-bit stage: the shipped 32-bit programs of the win32 build, run for
# real in one session of a 32-bit Wine. Where the host has one (scripts/wine-build
# says win32), it runs there; elsewhere in the emulated guest of
# scripts/win32-guest, booted once. It runs:
#   - core_tests.exe, the portable core with 32-bit pointers;
#   - the sample, packed with the 32-bit stub, installed with /S (files byte
#     for byte, registry values, INI entry, shortcuts), then its uninstaller,
#     with nothing left;
#   - a setup signed after packing, and damage in it (exit 3);
#   - two cases of the fault matrix: a damaged block with /Q, a replaced file;
#   - the wizard walked through by walk_setup, the Welcome page photographed
#     into build/win32/stage32/welcome.png.
# The job itself is tests/scripts/win32_stage_job.sh; the shortcuts it
# copies out are read here with lnkinfo. Ends with "32-bit stage: N passed,
# M failed".
#
# usage: tests/scripts/win32_stage.sh [native build] [win32 build]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
native=$(realpath "${1:-$root/build/native}")
win32=$(realpath "${2:-$root/build/win32}")
job="$win32/stage32"
rm -rf "$job" && mkdir -p "$job/bin" "$job/out"

# --- the job folder --------------------------------------------------------------
for program in core_tests win32_tests walk_setup command_probe setup; do
  cp "$win32/bin/$program.exe" "$job/bin/"
done
cp "$(dirname "$0")/win32_stage_job.sh" "$job/run.sh"
cp -r "$root/samples/product" "$job/product"
"$native/bin/mksetup" --stub "$win32/bin/setup.exe" -o "$job/sample.exe" "$root/samples/sample.setup" >/dev/null
# What the sample installs, byte for byte, as samples/sample.setup describes it.
{
  (cd "$root/samples/product" && find . -type f -printf '%P\n' | sort | xargs -d '\n' sha256sum)
  echo "$(sha256sum </usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf | cut -d' ' -f1)  fonts/VelmoraMono.ttf"
  echo "$(sha256sum <"$win32/bin/velmora_sample_component.dll" | cut -d' ' -f1)  bin/velmora_sample_component.dll"
} >"$job/expected.sha256"

# The signed setup and its damaged copy, as tests/scripts/signing_check.sh makes them.
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Velmora Test Publisher" \
  -keyout "$job/out/key.pem" -out "$job/out/cert.pem" 2>/dev/null
cp "$job/sample.exe" "$job/unsigned.exe"
osslsigncode sign -certs "$job/out/cert.pem" -key "$job/out/key.pem" -n "Velmora Sample" \
  -in "$job/unsigned.exe" -out "$job/signed.exe" >/dev/null
python3 "$(dirname "$0")/damage_archive.py" "$job/unsigned.exe" "$job/signed.exe" "$job/damaged.exe"

# --- one run -------------------------------------------------------------------------
started=$SECONDS
status=0
if [ "$("$root/scripts/wine-build")" = win32 ]; then
  echo "32-bit stage: under this machine's 32-bit Wine"
  export WINEPREFIX="$job/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="
  cp -a "$root/.cache/wineprefix" "$WINEPREFIX"
  (cd "$job" && xvfb-run -a -s "-screen 0 1024x768x24" bash -c \
    'wineserver -p; wine wineboot >/dev/null 2>&1; bash run.sh; status=$?; wineserver -k; exit $status') \
    >"$job/guest.log" 2>&1 || status=$?
  cat "$job/guest.log"
else
  echo "32-bit stage: this machine runs no 32-bit Wine, so the stage runs in the emulated 32-bit guest"
  "$root/scripts/win32-guest" image
  "$root/scripts/win32-guest" run "$job" || status=$?
fi
echo "32-bit stage: the job ended with exit code $status after $((SECONDS - started)) s"

# --- what is checked here --------------------------------------------------------------
passed=$(grep -c '^ok: ' "$job/guest.log" || true)
failed=$(grep -c '^FAILED: ' "$job/guest.log" || true)
# A job that ended early (or never ran) has fewer checks than it should.
[ "$status" = "$failed" ] || { echo "FAILED: the job's exit code ($status) is not its count of failures"; failed=$((failed + 1)); }
host_check() {  # host_check DESCRIPTION COMMAND...
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; passed=$((passed + 1)); else echo "FAILED: $what"; failed=$((failed + 1)); fi
}
link_says() {  # link_says LINK LINE: lnkinfo, an independent reader, finds LINE in the link
  local info
  info=$(lnkinfo "$job/out/links/$1" 2>/dev/null) && grep -qF -- "$2" <<<"$info"
}
host_check "the read-me shortcut points at the installed read-me" \
  link_says 'Velmora Sample Readme.lnk' 'Local path			: C:\Velmora Sample\readme.txt'
host_check "the read-me shortcut keeps its description" \
  link_says 'Velmora Sample Readme.lnk' 'Description			: Read about Velmora Sample'
host_check "the manual's shortcut points at the manual" \
  link_says 'Velmora Sample Manual.lnk' 'Local path			: C:\Velmora Sample\docs\manual.txt'
host_check "the desktop shortcut points at the read-me" \
  link_says 'Velmora Sample.lnk' 'Local path			: C:\Velmora Sample\readme.txt'
rm -f "$job/welcome.png"
[ -f "$job/out/shots/1-welcome.bmp" ] && convert "$job/out/shots/1-welcome.bmp" "$job/welcome.png"
host_check "the Welcome page's screenshot is saved as $job/welcome.png" test -s "$job/welcome.png"

echo "32-bit stage: $passed passed, $failed failed"
[ "$failed" = 0 ]
