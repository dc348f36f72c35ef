#!/usr/bin/env bash
# Packing benchmark: mksetup in per-file mode with one thread against two
# (or -j N), on the same product in one run. Prints the median times, their
# ratio (target: at least 1.8 times faster on 2 cores) and checks that both
# setups are byte for byte the same. A benchmark: it reports, it fails only
# when a run goes wrong or the outputs differ.
#
# usage: bench/pack_bench.sh [rounds, default 3] [jobs, default 2]
# environment: BENCH_FILES (default 32), BENCH_FILE_KIB (default 1024),
#   BENCH_NATIVE_BUILD (default build/native), BENCH_OUT (default build/pack-bench)
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-3}
jobs=${2:-2}
files=${BENCH_FILES:-32}
kib=${BENCH_FILE_KIB:-1024}
native=${BENCH_NATIVE_BUILD:-build/native}
out=${BENCH_OUT:-build/pack-bench}
[[ $rounds =~ ^[1-9][0-9]*$ && $jobs =~ ^[1-9][0-9]*$ ]] || { echo "usage: $0 [rounds] [jobs]" >&2; exit 2; }

cmake --preset native >/dev/null && cmake --build "$native" --target mksetup >/dev/null
mkdir -p "$out/product"
# Text-like files from a seeded generator: compressible as real files are.
python3 - "$out/product" "$files" "$kib" <<'PY'
import os, random, sys
folder, count, kib = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
words = "setup archive block chunk item folder registry value shortcut font component command".split()
for i in range(count):
    rng = random.Random(i)
    text = []
    size = 0
    while size < kib * 1024:
        line = " ".join(rng.choice(words) for _ in range(rng.randint(4, 14))) + " %d\r\n" % rng.randint(0, 10**6)
        text.append(line)
        size += len(line)
    path = os.path.join(folder, "file%03d.txt" % i)
    data = "".join(text)[: kib * 1024].encode()
    if not os.path.exists(path) or open(path, "rb").read() != data:
        open(path, "wb").write(data)
PY
head -c 4096 /dev/zero >"$out/stub.bin"
cat >"$out/pack.setup" <<'DESCRIPTION'
stub = stub.bin
product = Pack Benchmark
[archive]
mode = per-file
[files]
source = product
target = {install}
time = 2024-01-01
DESCRIPTION

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
run() {  # run JOBS OUTPUT: prints the wall-clock seconds
  local start end
  start=$(date +%s.%N)
  "$native/bin/mksetup" -j "$1" -o "$2" "$out/pack.setup" >/dev/null
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f\n", b - a }'
}
one=() many=()
for ((r = 1; r <= rounds; r++)); do
  one+=("$(run 1 "$out/one.exe")")
  many+=("$(run "$jobs" "$out/many.exe")")
  echo "round $r  -j 1 ${one[-1]} s   -j $jobs ${many[-1]} s"
done
cmp -s "$out/one.exe" "$out/many.exe" || { echo "pack_bench: -j 1 and -j $jobs wrote different setups" >&2; exit 1; }
t1=$(printf '%s\n' "${one[@]}" | median)
tn=$(printf '%s\n' "${many[@]}" | median)
speedup=$(awk -v a="$t1" -v b="$tn" 'BEGIN { printf "%.2f", a / b }')
echo
echo "product: $files files of $kib KiB, per-file mode, LZMA preset 6; cores: $(nproc)"
echo "mksetup -j 1 (median of $rounds)            $t1 s"
echo "mksetup -j $jobs (median of $rounds)            $tn s"
echo "speed-up                                 $speedup  (target at least 1.8)"
echo "the two setups are byte for byte the same ($(stat -c %s "$out/one.exe") bytes)"
