#!/usr/bin/env bash
# Throughput of `bmpfilters batch` with 1 job and with N (default: every
# core), on one batch of FILES generated pictures (default 200, 640x480
# 24-bit). The two job counts take turns, RUNS times over (default 5); the
# median of each, in files a second, and their ratio are printed.
#
#   bench/batch.sh [FILES] [RUNS] [FILTER]     FILTER defaults to laplace
#   JOBS=N bench/batch.sh                      the job count set against 1
#   COMPARE_DIR=/dev/shm bench/batch.sh        where the files are written
#   BMPFILTERS=path bench/batch.sh             another build of the tool, for a before and after
set -euo pipefail
export LC_ALL=C
cd "$(dirname "$0")/.."
root=$PWD

files=${1:-200}
runs=${2:-5}
filter=${3:-laplace}
jobs=${JOBS:-$(nproc)}
bench_dir=${BENCH_DIR:-build-bench}
make -s bench-tools BENCH_DIR="$bench_dir" >/dev/null
tool=$(realpath "${BMPFILTERS:-$bench_dir/bmpfilters}")

work=$(mktemp -d "${COMPARE_DIR:-${TMPDIR:-/tmp}}/bmpfilters-batch.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
"$root/$bench_dir/bench/make_bench_picture" picture.bmp 640 480
mkdir inputs
for ((i = 0; i < files; i++)); do cp picture.bmp "inputs/picture-$i.bmp"; done
inputs=(inputs/*.bmp)

# Wall seconds of one batch with `$1` jobs, into a fresh output folder.
time_batch() {
  local start end
  rm -rf out
  start=$EPOCHREALTIME
  "$tool" batch --jobs "$1" "$filter" out "${inputs[@]}" >/dev/null
  end=$EPOCHREALTIME
  awk -v s="$start" -v e="$end" 'BEGIN { printf "%.4f", e - s }'
}

median() { tr ' ' '\n' | sed '/^$/d' | sort -n | awk '{ v[NR] = $1 } END { printf "%.4f", NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

time_batch 1 >/dev/null  # pages everything in
one="" many=""
for ((run = 0; run < runs; run++)); do
  one+="$(time_batch 1) "
  many+="$(time_batch "$jobs") "
done
one=$(median <<<"$one")
many=$(median <<<"$many")
rate() { awk -v n="$files" -v s="$1" 'BEGIN { printf "%.1f", n / s }'; }
echo "batch $filter of $files files (640x480 24-bit), medians of $runs alternated runs"
printf '%-8s %10s %12s\n' jobs seconds files/s
printf '%-8s %10s %12s\n' 1 "$one" "$(rate "$one")"
printf '%-8s %10s %12s\n' "$jobs" "$many" "$(rate "$many")"
echo "throughput with $jobs jobs: $(awk -v a="$one" -v b="$many" 'BEGIN { printf "%.2f", a / b }') x that with 1"
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //');" \
  "files in $(df -T . | awk 'NR == 2 { print $2 }'); load before: $load_before, after: $(cut -d' ' -f1-3 /proc/loadavg)"
