#!/usr/bin/env bash
# Installation benchmark under Wine, measured in one run: setup.exe /S
# installing a solid setup of seeded mixed files (text-like and
# incompressible), and the same files packed in per-file mode, against
# liblzma's own decoder (bench/lzma_file_decoder.cpp) decoding the solid
# setup's very LZMA stream into a file. Prints the times, their ratios
# (targets: the median of the per-round ratios setup / decoder at most 1.00
# for the solid setup, at most 0.65 for the per-file one, whose blocks a pool
# of workers decodes on every core) and the peak resident memory of both (target: the setup's peak above
# an empty Win32 program's at most the dictionary size + 16 MiB; shown also
# above an empty program that imports the setup's DLLs). With a display
# (xvfb-run), one more installation measures how long the setup's windows
# take to answer a message while it writes the files (target: at most
# 100 ms). A benchmark: it reports, it never fails on
# a missed target. It fails only when a run goes wrong (wrong exit code,
# installed files differ from the payload) or the measurement cannot be
# trusted.
#
# Like the persistent wineserver below, Wine's desktop process is kept
# running for the whole benchmark (bench/desktop_keeper), as Windows' desktop
# always is: otherwise every setup run, following a decoder run that uses no
# windows, pays for Wine starting it again (about 0.2 s here).
# BENCH_COLD_DESKTOP=1 measures without the keeper.
#
# usage: bench/install_bench.sh [rounds, default 5, the number the target is set for]
# environment: BENCH_MIB (file data, default 128), BENCH_DICTIONARY_MIB
#   (default 16), BENCH_OUT (default build/bench), BENCH_NATIVE_BUILD and
#   BENCH_WIN32_BUILD (default build/native and build/win32), BENCH_NO_BUILD=1
#   (use the programs already built there), BENCH_COLD_DESKTOP=1 (no desktop
#   keeper), BENCH_PAYLOAD=small (5,000 files of 4 to 64 KiB in folders of 100,
#   in build/bench-small; per-file target there: at most 0.80) or small-flat
#   (the same files in two folders, 3,334 and 1,666, in build/bench-small-flat:
#   under Wine a new name costs a read of its whole folder).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

rounds=${1:-5}
mib=${BENCH_MIB:-128}
payload_kind=${BENCH_PAYLOAD:-mixed}  # small, small-flat: 5,000 files of 4 to 64 KiB in place of BENCH_MIB
dictionary_mib=${BENCH_DICTIONARY_MIB:-16}
absolute() { case $1 in /*) echo "$1" ;; *) echo "$root/$1" ;; esac; }
case $payload_kind in
  mixed) default_out=build/bench ;;
  small | small-flat) default_out=build/bench-$payload_kind ;;
  *) echo "install_bench: BENCH_PAYLOAD is mixed, small or small-flat" >&2; exit 2 ;;
esac
is_small() { [ "$payload_kind" != mixed ]; }
out=$(absolute "${BENCH_OUT:-$default_out}")
native=$(absolute "${BENCH_NATIVE_BUILD:-build/native}")
wine_preset=$(scripts/wine-build)  # win32, or win64 where no 32-bit code runs
win32=$(absolute "${BENCH_WIN32_BUILD:-build/$wine_preset}")
probe_mib=64

[[ $rounds =~ ^[1-9][0-9]*$ ]] || { echo "usage: $0 [rounds]" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "install_bench: /usr/bin/time is missing (Debian package 'time')" >&2; exit 1; }
mkdir -p "$out"

# --- build ----------------------------------------------------------------------
# Only the targets the benchmark runs, two jobs at a time.
build() {
  local preset=$1 dir=$2
  shift 2
  echo "== building $* ($dir)"
  { cmake --preset "$preset" -B "$dir" && cmake --build "$dir" -j2 --target "$@"; } >"$out/build-$preset.log" 2>&1 ||
    { tail -n 40 "$out/build-$preset.log"; exit 1; }
}
if [ "${BENCH_NO_BUILD:-0}" = 1 ]; then
  echo "== not building: BENCH_NO_BUILD=1"
else
  build native "$native" make_install_payload
  build "$wine_preset" "$win32" setup lzma_file_decoder empty_program empty_gui_program first_window_probe desktop_keeper
fi
setup_stub=$win32/bin/setup.exe
decoder=$win32/bin/lzma_file_decoder.exe
empty=$win32/bin/empty_program.exe
empty_gui=$win32/bin/empty_gui_program.exe
probe=$win32/bin/first_window_probe.exe
keeper=$win32/bin/desktop_keeper.exe
generator=$native/bin/make_install_payload

# --- the payload: compressed again only when its generator or size changed -----
payload_current() {
  local f
  for f in bench_setup.exe bench_setup_perfile.exe payload.lzma payload.list payload.env; do
    [ -f "$out/$f" ] || return 1
  done
  # What decides the bytes: the generator's source and the packer's writers.
  for f in bench/make_install_payload.cpp tools/mksetup/archive_writer.cpp tools/mksetup/script_builder.cpp; do
    [ "$out/payload.env" -nt "$f" ] || return 1
  done
  grep -qx "PAYLOAD_MIB=$mib" "$out/payload.env" && grep -qx "DICTIONARY_MIB=$dictionary_mib" "$out/payload.env" &&
    grep -qx "PAYLOAD_KIND=$payload_kind" "$out/payload.env"
}
if payload_current; then
  if [ "$out/bench_setup.exe" -nt "$setup_stub" ]; then
    echo "== payload: up to date in $out"
  else
    echo "== payload: up to date in $out; setup.exe was built again"
    "$generator" --restub "$setup_stub" "$out"
  fi
else
  echo "== payload: $mib MiB, dictionary $dictionary_mib MiB (compressing takes a while)"
  rm -rf "$out/payload" "$out/payload.env"
  small_argument=()
  is_small && small_argument=("$payload_kind")
  "$generator" "$setup_stub" "$out" "$mib" "$dictionary_mib" "${small_argument[@]}"
fi
# shellcheck disable=SC1091
. "$out/payload.env"

# Where scripts/bootstrap set up Wine in a root of its own, its wrappers come first.
[ -d "$root/.cache/wine-bin" ] && export PATH="$root/.cache/wine-bin:$PATH"
# --- Wine ------------------------------------------------------------------------
# A prefix of its own; one persistent wineserver, so that no run pays for
# starting the server and Wine's own services.
export WINEPREFIX=$out/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  scripts/wine-run "$empty"
  wineserver -w
fi
wineserver -p 2>/dev/null || true  # one left running by an interrupted run serves as well
set_aside=$out/set-aside  # see clean_targets
rm -rf "$set_aside"
trap 'wineserver -k 2>/dev/null || true; rm -rf "$set_aside"' EXIT

windows_path() { local p; p=$(realpath "$1"); p=${p//\//\\}; echo "Z:$p"; }
target_folder='C:\BenchTarget'
target_unix=$WINEPREFIX/drive_c/BenchTarget
decoded_windows='C:\BenchDecoded.bin'
decoded_unix=$WINEPREFIX/drive_c/BenchDecoded.bin
stream_windows=$(windows_path "$out/payload.lzma")

# Runs a Win32 program under Wine; sets run_seconds (wall clock, Wine's
# start included), run_kib (peak resident set, GNU time's %M), run_status
# and run_output.
run_measured() {
  local start end
  run_status=0
  start=$(date +%s.%N)
  /usr/bin/time -o "$out/time.txt" -f %M scripts/wine-run "$@" >"$out/run.log" 2>&1 || run_status=$?
  end=$(date +%s.%N)
  run_seconds=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }')
  run_kib=$(tail -n 1 "$out/time.txt")
  run_output=$(tr -d '\r' <"$out/run.log")
}

verify_installed() {
  local rel
  while read -r rel _; do
    cmp -s "$out/payload/$rel" "$target_unix/$rel" || fail "installed $rel differs from the payload"
  done <"$out/payload.list"
  [ "$(find "$target_unix" -type f | wc -l)" = "$PAYLOAD_FILES" ] || fail "the target folder holds other files"
}

# A run's output is moved aside, not deleted, until the benchmark ends. On an
# ext4 without a journal, as here, a new file skips every inode freed in the
# last minute or more, reading each one's deletion time: deleting the 5,000
# files of one run made the next runs pay for it, more in every round.
set_aside_count=0
clean_targets() {
  local path
  mkdir -p "$set_aside"
  for path in "$target_unix" "$decoded_unix"; do
    [ -e "$path" ] || continue
    set_aside_count=$((set_aside_count + 1))
    mv "$path" "$set_aside/$set_aside_count"
  done
  sync
}

fail() { echo "install_bench: $*" >&2; exit 1; }

run_setup() {  # run_setup [SETUP]: the solid setup, or the one named
  clean_targets
  run_measured "${1:-$out/bench_setup.exe}" /S "/P=$target_folder"
  [ "$run_status" = 0 ] || fail "setup.exe /S exited with $run_status: $run_output"
  verify_installed
  clean_targets
}

run_decoder() {
  clean_targets
  run_measured "$decoder" "$stream_windows" "$decoded_windows"
  [ "$run_status" = 0 ] || fail "the decoder exited with $run_status: $run_output"
  [ "$run_output" = "decoded $CONTENT_BYTES bytes" ] || fail "the decoder says: $run_output"
  local crc
  crc=$(python3 -c 'import sys, zlib
crc = 0
with open(sys.argv[1], "rb") as f:
    while chunk := f.read(1 << 20):
        crc = zlib.crc32(chunk, crc)
print("%08X" % crc)' "$decoded_unix")
  [ "$crc" = "$CONTENT_CRC32" ] || fail "the decoded content differs (CRC-32 $crc, expected $CONTENT_CRC32)"
  clean_targets
}

desktop="kept running (bench/desktop_keeper), as on Windows"
if [ "${BENCH_COLD_DESKTOP:-0}" = 1 ]; then
  desktop="started by Wine for each run that uses windows (BENCH_COLD_DESKTOP=1)"
else
  # Ends with the wineserver at the exit.
  exec {keeper_output}< <(scripts/wine-run "$keeper" 2>&1)
  read -r -t 60 ready <&"$keeper_output" || true
  [ "${ready%$'\r'}" = ready ] || fail "the desktop keeper did not start: ${ready:-no answer}"
fi

# --- is it the Win32 program that is measured? ----------------------------------
# GNU time reports the peak of the process it started; `wine` execs into the
# program's process. Touching a known amount must show up in full.
echo "== checking the memory measurement"
empty_kib=() empty_seconds=() empty_gui_kib=() empty_gui_seconds=()
for _ in 1 2 3; do
  run_measured "$empty"
  [ "$run_status" = 0 ] || fail "the empty program exited with $run_status"
  empty_kib+=("$run_kib") empty_seconds+=("$run_seconds")
  run_measured "$empty_gui"
  [ "$run_status" = 0 ] || fail "the empty program with the setup's DLLs exited with $run_status"
  empty_gui_kib+=("$run_kib") empty_gui_seconds+=("$run_seconds")
done
run_measured "$decoder" --touch "$probe_mib"
[ "$run_status" = 0 ] || fail "the decoder's --touch exited with $run_status"
probe_kib=$run_kib

min() { printf '%s\n' "$@" | sort -g | head -n 1; }
max() { printf '%s\n' "$@" | sort -g | tail -n 1; }
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
mib_of() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }

baseline_kib=$(min "${empty_kib[@]}")
dll_baseline_kib=$(min "${empty_gui_kib[@]}")
probe_rise_kib=$((probe_kib - baseline_kib))
if [ "$probe_rise_kib" -lt $((probe_mib * 1024)) ] || [ "$probe_rise_kib" -gt $(((probe_mib + 8) * 1024)) ]; then
  fail "touching $probe_mib MiB raised the measured peak by $(mib_of "$probe_rise_kib") MiB: GNU time does not measure the Win32 program"
fi

# --- the rounds ------------------------------------------------------------------
per_file_setup=$out/bench_setup_perfile.exe
echo "== one untimed run of each (page cache, Wine's first start of the programs)"
run_setup
run_setup "$per_file_setup"
run_decoder

setup_s=() setup_kib=() decoder_s=() decoder_kib=() round_ratio=()
per_file_s=() per_file_kib=() per_file_ratio=()
for ((round = 1; round <= rounds; ++round)); do
  # The order turns each round, so that no side always follows the same one.
  for side in 0 1 2; do
    case $(((side + round) % 3)) in
      0)
        run_setup
        setup_s+=("$run_seconds") setup_kib+=("$run_kib")
        printf 'round %d  setup.exe /S     %7.2f s  peak %6.1f MiB  files verified\n' "$round" "$run_seconds" \
          "$(mib_of "$run_kib")"
        ;;
      1)
        run_setup "$per_file_setup"
        per_file_s+=("$run_seconds") per_file_kib+=("$run_kib")
        printf 'round %d  per-file /S      %7.2f s  peak %6.1f MiB  files verified\n' "$round" "$run_seconds" \
          "$(mib_of "$run_kib")"
        ;;
      2)
        run_decoder
        decoder_s+=("$run_seconds") decoder_kib+=("$run_kib")
        printf 'round %d  liblzma decoder  %7.2f s  peak %6.1f MiB  output verified\n' "$round" "$run_seconds" \
          "$(mib_of "$run_kib")"
        ;;
    esac
  done
  round_ratio+=("$(awk -v s="${setup_s[-1]}" -v d="${decoder_s[-1]}" 'BEGIN { printf "%.4f", s / d }')")
  per_file_ratio+=("$(awk -v s="${per_file_s[-1]}" -v d="${decoder_s[-1]}" 'BEGIN { printf "%.4f", s / d }')")
done

# --- responsiveness: the windows answer while the files are written -------------
answers=""
if [ -n "${DISPLAY:-}" ]; then
  echo "== one more installation, its windows asked every 10 ms to answer a message"
  clean_targets
  answers=$(scripts/wine-run "$probe" --answers "$out/bench_setup.exe" /S "/P=$target_folder" | tr -d '\r')
  read -r asks longest percentile status <<<"$answers"
  [ "$status" = 0 ] || fail "setup.exe /S exited with $status under the probe"
  verify_installed
  clean_targets
  echo "== and the per-file setup, its blocks decoded on every core"
  per_file_answers=$(scripts/wine-run "$probe" --answers "$per_file_setup" /S "/P=$target_folder" | tr -d '\r')
  read -r per_file_asks per_file_longest per_file_percentile status <<<"$per_file_answers"
  [ "$status" = 0 ] || fail "the per-file setup.exe /S exited with $status under the probe"
  verify_installed
  clean_targets
fi

# --- the results -----------------------------------------------------------------
best_setup=$(min "${setup_s[@]}")
best_decoder=$(min "${decoder_s[@]}")
ratio=$(awk -v s="$best_setup" -v d="$best_decoder" 'BEGIN { printf "%.3f", s / d }')
verdict() { awk -v v="$1" -v t="$2" 'BEGIN { print (v <= t) ? "met" : "NOT met" }'; }
start_up=$(median "${empty_seconds[@]}")
net_ratio=$(awk -v s="$best_setup" -v d="$best_decoder" -v e="$start_up" 'BEGIN { printf "%.3f", (s - e) / (d - e) }')

peak_setup=$(max "${setup_kib[@]}")
peak_decoder=$(max "${decoder_kib[@]}")
setup_above=$((peak_setup - baseline_kib))
decoder_above=$((peak_decoder - baseline_kib))
memory_target=$(((dictionary_mib + 16) * 1024))

# One line of the table: label, number, unit, note.
row() { printf '  %-52s %s %-3s%s\n' "$1" "$2" "$3" "${4:+ $4}" | sed 's/ *$//'; }
seconds_row() { row "$1" "$(printf '%7.2f' "$2")" s "${3:-}"; }
ratio_row() { row "$1" "$(printf '%7.3f' "$2")" "" "${3:-}"; }
mib_row() { row "$1" "$(printf '%7.1f' "$(mib_of "$2")")" MiB "${3:-}"; }
f2() { printf '%.2f' "$1"; }
f3() { printf '%.3f' "$1"; }

echo
case $payload_kind in
  small) size_note="files of 4 to 64 KiB in folders of 100" ;;
  small-flat) size_note="files of 4 to 64 KiB in two folders" ;;
  *) size_note="$PAYLOAD_MIB MiB" ;;
esac
echo "payload: $PAYLOAD_FILES files, $PAYLOAD_BYTES bytes of file data ($size_note, text, noise and mixed),"
echo "         solid LZMA lc3 lp0 pb2, dictionary $dictionary_mib MiB; LZMA stream $STREAM_BYTES bytes;"
echo "         setup $(stat -c %s "$out/bench_setup.exe") bytes"
echo "Wine's desktop process: $desktop"
echo
echo "time, wall clock with Wine's process start (best of $rounds rounds; median in brackets):"
seconds_row "setup.exe /S (installs, sets times and attributes)" "$best_setup" "($(f2 "$(median "${setup_s[@]}")"))"
seconds_row "liblzma raw decoder into one file" "$best_decoder" "($(f2 "$(median "${decoder_s[@]}")"))"
ratio_row "ratio of the best times setup / decoder" "$ratio"
median_ratio=$(median "${round_ratio[@]}")
ratio_row "median of the per-round ratios" "$median_ratio" \
  "(target at most 1.00: $(verdict "$median_ratio" 1.00); lowest $(f3 "$(min "${round_ratio[@]}")"), highest $(f3 "$(max "${round_ratio[@]}")"))"
seconds_row "setup.exe /S of the per-file setup" "$(min "${per_file_s[@]}")" "($(f2 "$(median "${per_file_s[@]}")"))"
per_file_median=$(median "${per_file_ratio[@]}")
per_file_target=0.65
is_small && per_file_target=0.80
ratio_row "per-file: median of the per-round ratios" "$per_file_median" \
  "(target at most $per_file_target on $(nproc) cores: $(verdict "$per_file_median" "$per_file_target"))"
per_file_line="per-file: median of the per-round ratios $(f3 "$per_file_median") (setup /S per-file against liblzma's decoder on the solid stream)"
seconds_row "an empty Win32 program under Wine" "$start_up" "(median of 3)"
ratio_row "ratio with that start-up taken from both sides" "$net_ratio"
seconds_row "an empty program importing the setup's DLLs" "$(median "${empty_gui_seconds[@]}")" "(median of 3)"
if [ -n "$answers" ]; then
  echo
  echo "responsiveness while installing ($asks times asked, every 10 ms):"
  row "longest time the setup's windows took to answer" "$(printf '%7.1f' "$longest")" ms \
    "(target at most 100 ms: $(verdict "$longest" 100))"
  row "99th percentile" "$(printf '%7.1f' "$percentile")" ms
  row "the same for the per-file setup ($per_file_asks times)" "$(printf '%7.1f' "$per_file_longest")" ms \
    "(target at most 100 ms: $(verdict "$per_file_longest" 100); 99th percentile $(printf '%.1f' "$per_file_percentile") ms)"
fi
echo
echo "$per_file_line"
echo
echo "peak resident memory (GNU time %M; MiB = 2^20 bytes; highest of the rounds):"
mib_row "dictionary size" "$((dictionary_mib * 1024))"
mib_row "empty Win32 program under Wine (baseline, lowest)" "$baseline_kib"
mib_row "setup.exe /S" "$peak_setup"
mib_row "setup.exe /S minus the baseline" "$setup_above" \
  "(target at most $((dictionary_mib + 16)) MiB: $(verdict "$setup_above" "$memory_target"))"
mib_row "empty program importing the setup's DLLs (lowest)" "$dll_baseline_kib"
mib_row "setup.exe /S minus that" "$((peak_setup - dll_baseline_kib))" \
  "(target at most $((dictionary_mib + 16)) MiB: $(verdict "$((peak_setup - dll_baseline_kib))" "$memory_target"))"
peak_per_file=$(max "${per_file_kib[@]}")
mib_row "per-file setup.exe /S minus the baseline" "$((peak_per_file - baseline_kib))" \
  "(budget 64 MiB: $(verdict "$((peak_per_file - baseline_kib))" $((64 * 1024))))"
mib_row "liblzma decoder" "$peak_decoder"
mib_row "liblzma decoder minus the baseline" "$decoder_above"
mib_row "check: touching $probe_mib MiB raised the peak by" "$probe_rise_kib"
