# Shared by the shell checks that run real setups under Wine: sourced with
# the check's own name and its arguments ([native build] [Wine build]).
# Sets root, native, wine_build, work (a fresh folder in the Wine build) and
# WINEPREFIX, and gives check, run and the failure count.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# Wine takes only an absolute prefix.
native=$(realpath "${2:-$root/build/native}")
wine_build=$(realpath "${3:-$root/build/$("$root/scripts/wine-build")}")
work="$wine_build/$1"
[ -d "$root/.cache/wine-bin" ] && export PATH="$root/.cache/wine-bin:$PATH"
export WINEPREFIX="$work/wineprefix"
rm -rf "$work" && mkdir -p "$work"

failures=0
check() {  # check DESCRIPTION COMMAND...
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}

run() {  # run PROGRAM ARGUMENTS...: prints the exit code
  local status=0
  xvfb-run -a bash -c '"$0" "$@"; status=$?; wineserver -w; exit $status' "$root/scripts/wine-run" "$@" \
    >/dev/null 2>&1 || status=$?
  echo "$status"
}
