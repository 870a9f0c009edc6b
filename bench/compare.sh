#!/usr/bin/env bash
# Whole process against whole process: bmpfilters beside ImageMagick's convert,
# libvips' vips and a plain cp of the same file (the floor), on one generated
# 1600x1600 24-bit picture. Every command of an operation runs in turn, RUNS
# times over, and the median wall time of each is printed with its ratio to
# bmpfilters. A tool that is not installed is skipped, and the table says so.
#
#   bench/compare.sh [RUNS]        (default 11; run from the project root)
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:-11}
bench_dir=${BENCH_DIR:-build-bench}
make -s bench-tools BENCH_DIR="$bench_dir" >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
picture=$work/picture.bmp
"$bench_dir/bench/make_bench_picture" "$picture" 1600 1600
tool=$bench_dir/bmpfilters

have() { command -v "$1" >/dev/null 2>&1; }
# The real ImageMagick, not a stand-in that only forwards to it.
have_convert() { convert -version 2>/dev/null | grep -q ImageMagick; }

# Milliseconds one run of a command takes.
time_ms() {
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1 || { echo failed; return 0; }
  end=$(date +%s%N)
  echo $(( (end - start) / 1000 ))
}

median() { sort -n | awk '{ v[NR] = $1 } END { printf "%.1f", (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) / 1000 }'; }

# compare NAME then pairs of LABEL and COMMAND (a string run by bash).
compare() {
  local name=$1; shift
  local labels=() commands=()
  while [ $# -gt 0 ]; do labels+=("$1"); commands+=("$2"); shift 2; done
  declare -A samples=()
  for ((run = 0; run < runs; run++)); do
    for i in "${!commands[@]}"; do
      samples[$i]+="$(time_ms bash -c "${commands[$i]}") "
    done
  done
  local base=""
  for i in "${!commands[@]}"; do
    local ms
    if [[ ${samples[$i]} == *failed* ]]; then
      printf '%-10s %-12s    failed (%s)\n' "$name" "${labels[$i]}" "${commands[$i]}"
      continue
    fi
    ms=$(tr ' ' '\n' <<<"${samples[$i]}" | sed '/^$/d' | median)
    [ -n "$base" ] || base=$ms
    printf '%-10s %-12s %9s ms   %6s x bmpfilters\n' "$name" "${labels[$i]}" "$ms" \
      "$(awk -v a="$ms" -v b="$base" 'BEGIN { printf "%.2f", a / b }')"
  done
}

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
echo "picture: 1600x1600 24-bit, $(stat -c %s "$picture") bytes; medians of $runs runs"
have_convert || echo "ImageMagick convert: not installed, skipped"
have vips || echo "vips: not installed, skipped"
echo

peers() {  # the peers' commands for one operation, when installed
  local im=$1 vp=$2
  if have_convert && [ -n "$im" ]; then printf '%s\0%s\0' convert "convert $picture $im $work/im.bmp"; fi
  if have vips && [ -n "$vp" ]; then printf '%s\0%s\0' vips "vips $vp"; fi
}

run_operation() {
  local name=$1 ours=$2 im=$3 vp=$4
  local args=(bmpfilters "$ours")
  while IFS= read -r -d '' item; do args+=("$item"); done < <(peers "$im" "$vp")
  args+=(cp "cp $picture $work/cp.bmp")
  compare "$name" "${args[@]}"
}

run_operation flip "$tool $picture $work/out.bmp flip" "-flip" "flip $picture $work/vips.bmp vertical"
run_operation laplace "$tool $picture $work/out.bmp laplace" \
  "-colorspace gray -morphology Convolve Laplacian:0 -threshold 0" ""
run_operation roberts "$tool $picture $work/out.bmp roberts" "-morphology Convolve Roberts" ""
run_operation smooth "$tool smooth $picture $work/out.bmp 1.0" "-gaussian-blur 0x1" \
  "gaussblur $picture $work/vips.bmp 1"
