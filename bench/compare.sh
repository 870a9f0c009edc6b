#!/usr/bin/env bash
# Whole process against whole process, on one generated 1600x1600 24-bit
# picture: bmpfilters and the export (one BMPFilters call in a small host
# program) beside ImageMagick's convert, libvips' vips, and a plain cp of the
# same file, the floor every tool that reads and writes the file stands on.
#
# Within an operation the commands take turns, run after run, so that a
# machine that slows down or speeds up midway weighs on all of them alike.
# Each run writes a fresh output file (the previous one is removed first,
# outside the timing). The table gives each command's median wall time, its
# ratio to cp and its ratio to bmpfilters (above 1: slower than bmpfilters).
# A tool that is not installed is skipped, and the table says so.
#
#   bench/compare.sh [RUNS]     at least 10, default 11; run from anywhere
#   VERBOSE=1 bench/compare.sh  also prints every run's time
#   COMPARE_DIR=/dev/shm ...    where the files are written (default $TMPDIR or /tmp)
set -euo pipefail
export LC_ALL=C  # a decimal point in $EPOCHREALTIME and in awk
cd "$(dirname "$0")/.."
root=$PWD

runs=${1:-11}
if ! [[ $runs =~ ^[0-9]+$ ]] || ((runs < 10)); then
  echo "compare.sh: give at least 10 runs" >&2
  exit 2
fi
bench_dir=${BENCH_DIR:-build-bench}
make -s bench-tools BENCH_DIR="$bench_dir" >/dev/null

work=$(mktemp -d "${COMPARE_DIR:-${TMPDIR:-/tmp}}/bmpfilters-compare.XXXXXX")
trap 'rm -rf "$work"' EXIT
# Every command runs in the work folder on short relative names, so that a
# command is a plain list of words.
ln -s "$root/$bench_dir/bmpfilters" "$work/bmpfilters"
ln -s "$root/$bench_dir/bench/export_call" "$work/export_call"
cd "$work"
"$root/$bench_dir/bench/make_bench_picture" picture.bmp 1600 1600

# The real ImageMagick: the first convert (or IM7 magick) on the PATH that is
# a program, not a script that forwards to one.
find_imagemagick() {
  local candidate
  for candidate in $(type -ap magick convert); do
    [ "$(head -c 2 "$candidate")" = "#!" ] && continue
    "$candidate" -version 2>/dev/null | grep -q ImageMagick && { echo "$candidate"; return; }
  done
  return 0
}
imagemagick=$(find_imagemagick)
vips=$(type -P vips || true)

# Wall milliseconds of one run of a command (its words as arguments), or
# "failed". The output file it is about to write is removed first.
time_run() {
  local output=$1 start end
  shift
  rm -f "$output"
  start=$EPOCHREALTIME
  "$@" >/dev/null 2>&1 || { echo failed; return 0; }
  end=$EPOCHREALTIME
  awk -v s="$start" -v e="$end" 'BEGIN { printf "%.3f", (e - s) * 1000 }'
}

median() { tr ' ' '\n' | sed '/^$/d' | sort -n | awk '{ v[NR] = $1 } END { printf "%.2f", NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

printf '%-10s %-12s %10s %8s %14s\n' operation command "median ms" "x cp" "x bmpfilters"

# compare NAME OUTPUT-FILE then LABEL and COMMAND pairs; the first command is
# ours, and a command named cp must be among them.
compare() {
  local name=$1 output=$2
  shift 2
  local labels=() commands=() i run
  while [ $# -gt 0 ]; do
    labels+=("$1")
    commands+=("$2")
    shift 2
  done
  local -a samples=()
  for i in "${!commands[@]}"; do  # a first run, not counted, pages everything in
    read -ra words <<<"${commands[$i]}"
    time_run "$output" "${words[@]}" >/dev/null
    samples[i]=""
  done
  for ((run = 0; run < runs; run++)); do
    for i in "${!commands[@]}"; do
      read -ra words <<<"${commands[$i]}"
      samples[i]+="$(time_run "$output" "${words[@]}") "
    done
  done
  local -a medians=()
  local ours="" floor=""
  for i in "${!commands[@]}"; do
    [[ ${samples[$i]} == *failed* ]] && continue
    medians[i]=$(median <<<"${samples[$i]}")
    [ -n "$ours" ] || ours=${medians[$i]}
    [ "${labels[$i]}" = cp ] && floor=${medians[$i]}
  done
  for i in "${!commands[@]}"; do
    if [[ ${samples[$i]} == *failed* ]]; then
      printf '%-10s %-12s %10s   (%s)\n' "$name" "${labels[$i]}" failed "${commands[$i]}"
      continue
    fi
    printf '%-10s %-12s %10s %8s %14s\n' "$name" "${labels[$i]}" "${medians[$i]}" \
      "$(ratio "${medians[$i]}" "$floor")" "$(ratio "${medians[$i]}" "$ours")"
    if [ -n "${VERBOSE:-}" ]; then printf '%24s %s\n' runs: "${samples[$i]}"; fi
  done
}

# run_operation NAME OURS IMAGEMAGICK-ARGUMENTS VIPS-OPERATION: an empty
# argument leaves that peer out of the operation.
run_operation() {
  local name=$1 ours=$2 im=$3 vp=$4
  local args=(bmpfilters "$ours")
  if [ -n "$imagemagick" ] && [ -n "$im" ]; then args+=(convert "$imagemagick picture.bmp $im out.bmp"); fi
  if [ -n "$vips" ] && [ -n "$vp" ]; then args+=(vips "$vips $vp"); fi
  args+=(cp "cp picture.bmp out.bmp")
  compare "$name" out.bmp "${args[@]}"
}

run_operation flip "./bmpfilters picture.bmp out.bmp flip" "-flip" "flip picture.bmp out.bmp vertical"
run_operation laplace "./bmpfilters picture.bmp out.bmp laplace" \
  "-colorspace gray -morphology Convolve Laplacian:0 -threshold 0" ""
run_operation roberts "./bmpfilters picture.bmp out.bmp roberts" "-morphology Convolve Roberts" ""
run_operation smooth "./bmpfilters smooth picture.bmp out.bmp 1.0" "-gaussian-blur 0x1" \
  "gaussblur picture.bmp out.bmp 1"
compare "export 5" out.bmp export_call "./export_call picture.bmp out.bmp 5" cp "cp picture.bmp out.bmp"

echo
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')," \
  "$(uname -sr); files in $(df -T . | awk 'NR == 2 { print $2 }') ($(dirname "$work"))"
echo "picture: 1600x1600 24-bit, $(stat -c %s picture.bmp) bytes; medians of $runs alternated runs"
if [ -n "$imagemagick" ]; then echo "convert: $("$imagemagick" -version | head -1)"; else
  echo "convert: ImageMagick is not installed, skipped"; fi
if [ -n "$vips" ]; then echo "vips: $("$vips" --version)"; else echo "vips: not installed, skipped"; fi
