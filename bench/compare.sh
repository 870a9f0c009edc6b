#!/usr/bin/env bash
# Whole process against whole process. Every filter code through bmpfilters
# and through the export (one BMPFilters call in a small host program), beside
# a plain cp of the same file, the floor every tool that reads and writes the
# file stands on; on three generated files: 1600x1600 24-bit, 1600x1600 8-bit
# and 32768x1600 24-bit (157 MB). On the first, four operations also run
# beside ImageMagick's convert and libvips' vips. Then pictures beyond the
# export's 1600 rows, through the tool alone: a 4000x3000 24-bit photo, an
# A4 page at 300 dpi (2480x3508) 8-bit, and 20000x20000 24-bit (1.2 GB;
# SKIP_HUGE=1 leaves it out, and it is made only with 3 GB free).
#
# Within a table the commands take turns, run after run, so that a machine
# that slows down or speeds up midway weighs on all of them alike. Each run
# writes a fresh output file (the previous one is removed first, outside the
# timing). Each command's median wall time is given with its ratio to cp, and
# its peak resident memory (one more run under /usr/bin/time, outside the
# timing) with its ratio to the input file's size. A tool that is not
# installed is skipped, and the table says so.
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
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
"$root/$bench_dir/bench/make_bench_picture" picture.bmp 1600 1600
"$root/$bench_dir/bench/make_bench_picture" gray.bmp 1600 1600 8
"$root/$bench_dir/bench/make_bench_picture" wide.bmp 32768 1600
"$root/$bench_dir/bench/make_bench_picture" photo.bmp 4000 3000
"$root/$bench_dir/bench/make_bench_picture" page.bmp 2480 3508 8
free_kib=$(df -Pk . | awk 'NR == 2 { print $4 }')
huge=$([ -z "${SKIP_HUGE:-}" ] && ((free_kib > 3 * 1024 * 1024)) && echo yes || true)
if [ -n "$huge" ]; then "$root/$bench_dir/bench/make_bench_picture" huge.bmp 20000 20000; fi

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
# GNU time reports a child's peak resident memory (%M, in KiB).
gnu_time=$([ -x /usr/bin/time ] && /usr/bin/time -f %M true 2>&1 >/dev/null | grep -qx '[0-9]*' && echo /usr/bin/time || true)

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

# Peak resident memory of one run, in MB, or "-" without GNU time.
peak_run() {
  local output=$1 kib
  shift
  rm -f "$output"
  [ -n "$gnu_time" ] || { echo -; return 0; }
  kib=$("$gnu_time" -f %M "$@" 2>&1 >/dev/null | tail -1)
  awk -v k="$kib" 'BEGIN { printf "%.1f", k * 1024 / 1e6 }'
}

median() { tr ' ' '\n' | sed '/^$/d' | sort -n | awk '{ v[NR] = $1 } END { printf "%.2f", NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (a == "-" || a == "failed" || b + 0 == 0) print "-"; else printf "%.2f", a / b }'; }

megabytes() { awk -v b="$(stat -c %s "$1")" 'BEGIN { printf "%.1f", b / 1e6 }'; }

# measure OUTPUT-FILE then LABEL and COMMAND pairs: every command's median
# wall time into ms[LABEL] ("failed" if a run failed) and its peak memory into
# peak[LABEL]; VERBOSE prints each command's runs.
declare -A ms peak
measure() {
  local output=$1
  shift 1
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
  for i in "${!commands[@]}"; do
    read -ra words <<<"${commands[$i]}"
    if [[ ${samples[$i]} == *failed* ]]; then ms[${labels[$i]}]=failed; else ms[${labels[$i]}]=$(median <<<"${samples[$i]}"); fi
    peak[${labels[$i]}]=$(peak_run "$output" "${words[@]}")
    if [ -n "${VERBOSE:-}" ]; then printf '%-24s runs: %s\n' "${labels[$i]}" "${samples[$i]}"; fi
  done
}

# Every filter code through the tool and the export, beside cp, on one file.
compare_codes() {
  local input=$1 title=$2 code args=(cp "cp $1 out.bmp")
  for code in 0 1 2 3 4 5 6 7; do
    args+=("tool $code" "./bmpfilters $input out.bmp $code" "export $code" "./export_call $input out.bmp $code")
  done
  measure out.bmp "${args[@]}"
  local size floor=${ms[cp]}
  size=$(megabytes "$input")
  echo
  echo "$title, $input: $size MB; cp ${ms[cp]} ms, peak ${peak[cp]} MB"
  printf '%-5s %10s %6s %10s %6s %9s %6s %9s %6s\n' code "tool ms" "x cp" "export ms" "x cp" "tool MB" "x file" \
    "export MB" "x file"
  for code in 0 1 2 3 4 5 6 7; do
    printf '%-5s %10s %6s %10s %6s %9s %6s %9s %6s\n' "$code" "${ms[tool $code]}" "$(ratio "${ms[tool $code]}" "$floor")" \
      "${ms[export $code]}" "$(ratio "${ms[export $code]}" "$floor")" "${peak[tool $code]}" \
      "$(ratio "${peak[tool $code]}" "$size")" "${peak[export $code]}" "$(ratio "${peak[export $code]}" "$size")"
  done
}

# compare_peers NAME then LABEL and COMMAND pairs: the first command is ours,
# and one labelled cp must be among them.
compare_peers() {
  local name=$1 labels=() label
  shift
  for ((i = 1; i <= $#; i += 2)); do labels+=("${!i}"); done
  measure out.bmp "$@"
  local ours=${ms[${labels[0]}]} floor=${ms[cp]} size
  size=$(megabytes picture.bmp)
  for label in "${labels[@]}"; do
    printf '%-10s %-12s %10s %8s %14s %8s %6s\n' "$name" "$label" "${ms[$label]}" "$(ratio "${ms[$label]}" "$floor")" \
      "$(ratio "${ms[$label]}" "$ours")" "${peak[$label]}" "$(ratio "${peak[$label]}" "$size")"
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
  compare_peers "$name" "${args[@]}"
}

# Flip and laplace through the tool on a picture taller than the export
# takes, beside cp.
compare_tall() {
  local input=$1 title=$2 size floor label
  measure out.bmp cp "cp $input out.bmp" flip "./bmpfilters $input out.bmp flip" \
    laplace "./bmpfilters $input out.bmp laplace"
  size=$(megabytes "$input")
  floor=${ms[cp]}
  echo
  echo "$title, $input: $size MB; cp ${ms[cp]} ms, peak ${peak[cp]} MB"
  printf '%-8s %10s %6s %9s %6s\n' command "median ms" "x cp" MB "x file"
  for label in cp flip laplace; do
    printf '%-8s %10s %6s %9s %6s\n' "$label" "${ms[$label]}" "$(ratio "${ms[$label]}" "$floor")" "${peak[$label]}" \
      "$(ratio "${peak[$label]}" "$size")"
  done
}

compare_codes picture.bmp "24-bit 1600x1600"
compare_codes gray.bmp "8-bit 1600x1600"
compare_codes wide.bmp "24-bit 32768x1600"

echo
echo "beside other tools, picture.bmp (MB: peak resident memory; x file: over the file's size)"
printf '%-10s %-12s %10s %8s %14s %8s %6s\n' operation command "median ms" "x cp" "x bmpfilters" MB "x file"
run_operation flip "./bmpfilters picture.bmp out.bmp flip" "-flip" "flip picture.bmp out.bmp vertical"
run_operation laplace "./bmpfilters picture.bmp out.bmp laplace" \
  "-colorspace gray -morphology Convolve Laplacian:0 -threshold 0" ""
run_operation roberts "./bmpfilters picture.bmp out.bmp roberts" "-morphology Convolve Roberts" ""
run_operation smooth "./bmpfilters smooth picture.bmp out.bmp 1.0" "-gaussian-blur 0x1" \
  "gaussblur picture.bmp out.bmp 1"

compare_tall photo.bmp "24-bit 4000x3000, a 12-megapixel photo"
compare_tall page.bmp "8-bit 2480x3508, an A4 page at 300 dpi"
if [ -n "$huge" ]; then
  compare_tall huge.bmp "24-bit 20000x20000"
  rm -f huge.bmp
else
  echo
  echo "24-bit 20000x20000: skipped (SKIP_HUGE, or less than 3 GB free)"
fi

echo
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')," \
  "$(uname -sr); files in $(df -T . | awk 'NR == 2 { print $2 }') ($(dirname "$work")); load before: $load_before," \
  "after: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "medians of $runs alternated runs"
if [ -z "$gnu_time" ]; then echo "peak memory: GNU time (/usr/bin/time) is not installed, skipped"; fi
if [ -n "$imagemagick" ]; then echo "convert: $("$imagemagick" -version | head -1)"; else
  echo "convert: ImageMagick is not installed, skipped"; fi
if [ -n "$vips" ]; then echo "vips: $("$vips" --version)"; else echo "vips: not installed, skipped"; fi
