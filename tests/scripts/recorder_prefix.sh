# Sourced by the checks that watch a restart from outside without restarting
# anything: Wine's ExitWindowsEx starts system32\wineboot.exe, which in a
# prefix of their own is start_recorder (it logs its command line).
#
# recorder_prefix WORK BUILD: a fresh prefix in WORK/wineprefix, exported as
# WINEPREFIX, brought up to date with the real wineboot, then given the
# recorder in its place; WINEDLLOVERRIDES makes Wine prefer it (syswow64 is
# what 32-bit callers see in a 64-bit prefix).
recorder_prefix() {
  local work=$1 build=$2 root
  root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
  [ -d "$root/.cache/wine-bin" ] && export PATH="$root/.cache/wine-bin:$PATH"
  export WINEPREFIX="$work/wineprefix" WINEDEBUG=-all
  rm -rf "$work" && mkdir -p "$work"
  cp -a "$root/.cache/wineprefix" "$WINEPREFIX"
  WINEDLLOVERRIDES="mscoree=;mshtml=" wine cmd.exe /c exit >/dev/null 2>&1 || true
  wineserver -w
  export WINEDLLOVERRIDES="mscoree=;mshtml=;wineboot.exe=n"
  local system="$WINEPREFIX/drive_c/windows" folder
  for folder in system32 syswow64; do
    if [ -d "$system/$folder" ]; then cp "$build/bin/start_recorder.exe" "$system/$folder/wineboot.exe"; fi
  done
}
