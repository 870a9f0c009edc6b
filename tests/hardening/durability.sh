#!/usr/bin/env bash
# The tool interrupted by signals and racing with itself: whatever the moment,
# an output holds its old bytes or the whole new file, and no temporary file
# is left but after SIGKILL. Usage: durability.sh BMPFILTERS
set -u
tool=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
temporaries() { compgen -G "$dir/.$1.*"; }

le32() { printf "$(printf '\\x%02x' $(($1 & 255)) $(($1 >> 8 & 255)) $(($1 >> 16 & 255)) $(($1 >> 24 & 255)))"; }
# A 24-bit picture large enough that writing it takes a moment: a header and
# sparse zeros.
width=8000 height=1600
rowBytes=$(((3 * width + 3) / 4 * 4)) size=$((54 + (3 * width + 3) / 4 * 4 * height))
{ printf 'BM'; le32 $size; le32 0; le32 54; le32 40; le32 $width; le32 $height; printf '\x01\x00\x18\x00'
  le32 0; le32 $((rowBytes * height)); le32 0; le32 0; le32 0; le32 0; } > "$dir/big.bmp"
truncate -s $size "$dir/big.bmp"

for signal in INT TERM HUP KILL; do
  echo old > "$dir/out.bmp"
  "$tool" "$dir/big.bmp" "$dir/out.bmp" flip & pid=$!
  for ((i = 0; i < 1000; i++)); do temporaries out.bmp > /dev/null && break; sleep 0.01; done
  kill -s $signal $pid 2> /dev/null
  wait $pid 2> /dev/null; status=$?
  echo "$signal: exit status $status"
  now=$(stat -c %s "$dir/out.bmp")
  [ "$now" = 4 ] || [ "$now" = $size ] || fail "$signal left an output of $now bytes"
  if [ $signal = KILL ]; then
    rm -f "$dir"/.out.bmp.*
  else
    [ $status = $((128 + $(kill -l $signal))) ] || [ $status = 0 ] || fail "$signal: exit status $status"
    temporaries out.bmp && fail "$signal left a temporary file"
  fi
done

# Over the file-size limit the write fails with its reason; the input written
# over in place stays as it was, and so does a file behind standard output.
"$tool" demo "$dir/demo" > /dev/null || fail "demo"
photo=$dir/demo/picture-24bit.bmp
cp "$photo" "$dir/photo.bmp"
message=$( (ulimit -f 8; "$tool" "$dir/photo.bmp" "$dir/photo.bmp" flip) 2>&1)
[ $? = 1 ] && [ "$message" = "$dir/photo.bmp: cannot write the output file (File too large)" ] || fail "ulimit: $message"
cmp -s "$photo" "$dir/photo.bmp" || fail "the input written over in place changed"
"$tool" "$photo" "$dir/flipped.bmp" flip || fail "flip"
"$tool" "$photo" /proc/self/fd/1 flip > "$dir/stdout.bmp" && cmp -s "$dir/flipped.bmp" "$dir/stdout.bmp" ||
  fail "standard output redirected to a file"

# Eight tools writing one output leave one of their files, whole.
codes=(0 1 2 3 4 5 6 7)
for code in "${codes[@]}"; do "$tool" "$photo" "$dir/expected-$code.bmp" $code || fail "code $code"; done
for round in 1 2 3 4 5; do
  for code in "${codes[@]}"; do "$tool" "$photo" "$dir/shared.bmp" $code & done
  wait
  found=no
  for code in "${codes[@]}"; do cmp -s "$dir/shared.bmp" "$dir/expected-$code.bmp" && found=yes; done
  [ $found = yes ] || fail "round $round: the output is none of the files written"
  temporaries shared.bmp && fail "round $round left a temporary file"
done
echo "signals, limits and concurrent writers: every output whole"
