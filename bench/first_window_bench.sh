#!/usr/bin/env bash
# Start-up benchmark under Wine, measured side by side in one run: the time
# from process start to the first window on screen, setup.exe with the sample
# against an empty program that imports the same DLLs and shows a window
# (target: at most the empty program's time + 100 ms); and the time to the
# silent installation's first file. A benchmark: it reports, it fails only
# when a run goes wrong.
#
# usage: bench/first_window_bench.sh [rounds, default 7]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
rounds=${1:-7}
[[ $rounds =~ ^[1-9][0-9]*$ ]] || { echo "usage: $0 [rounds]" >&2; exit 2; }
wine_preset=$(scripts/wine-build)
build=build/$wine_preset
out=$root/build/first-window-bench
[ -d "$root/.cache/wine-bin" ] && export PATH="$root/.cache/wine-bin:$PATH"

cmake --preset native >/dev/null && cmake --build build/native --target mksetup >/dev/null
cmake --preset "$wine_preset" >/dev/null
cmake --build "$build" --target setup uninstall first_window_probe empty_window_program sample_pictures \
  velmora_sample_component >/dev/null
rm -rf "$out" && mkdir -p "$out"
build/native/bin/mksetup --stub "$build/bin/setup.exe" -o "$out/sample-setup.exe" \
  "$(scripts/sample-description "$wine_preset")" >/dev/null
export WINEPREFIX=$out/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="
cp -a .cache/wineprefix "$WINEPREFIX"

# One X server and one persistent Wine server for every round.
xvfb-run -a -s "-screen 0 1280x1024x24" bash -s "$rounds" "$build/bin" "$out" <<'ROUNDS'
set -euo pipefail
rounds=$1 bin=$2 out=$3
wineserver -p
wine cmd /c exit >/dev/null 2>&1 || true
probe() { wine "$bin/first_window_probe.exe" "$@" | tr -d '\r'; }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
empty=() setup=() silent=()
for ((r = 1; r <= rounds; r++)); do
  empty+=("$(probe "$bin/empty_window_program.exe")")
  setup+=("$(probe "$out/sample-setup.exe")")
  rm -rf "$WINEPREFIX/drive_c/FirstWindow"
  silent+=("$(probe --file 'C:\FirstWindow\fonts\VelmoraMono.ttf' "$out/sample-setup.exe" /S '/P=C:\FirstWindow')")
  echo "round $r  empty program ${empty[-1]} ms   setup's first window ${setup[-1]} ms   silent first file ${silent[-1]} ms"
done
e=$(printf '%s\n' "${empty[@]}" | median)
s=$(printf '%s\n' "${setup[@]}" | median)
f=$(printf '%s\n' "${silent[@]}" | median)
over=$(awk -v a="$s" -v b="$e" 'BEGIN { printf "%.1f", a - b }')
verdict=$(awk -v d="$over" 'BEGIN { print (d <= 100 ? "met" : "NOT met") }')
echo
echo "medians of $rounds rounds, from process start:"
echo "  empty program with the same imports, window shown   $e ms"
echo "  setup.exe (the sample), first window shown          $s ms"
echo "  setup minus the empty program                        $over ms (target at most 100 ms: $verdict)"
echo "  setup.exe /S, first file of the installation         $f ms"
wineserver -k
ROUNDS
