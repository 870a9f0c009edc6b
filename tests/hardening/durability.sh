#!/usr/bin/env bash
# The tool interrupted mid-write, over its file-size limit, racing itself: an output is
# old or whole, and no temporary file is left but after SIGKILL. Usage: durability.sh BMPFILTERS
set -u
tool=$1 dir=$(mktemp -d); trap 'rm -rf "$dir"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
le32() { printf "$(printf '\\x%02x' $(($1 & 255)) $(($1 >> 8 & 255)) $(($1 >> 16 & 255)) $(($1 >> 24 & 255)))"; }
# A picture that takes a moment to write: headers, then sparse zeros.
width=8000 height=1600 size=$((54 + 24000 * 1600)); truncate -s $size "$dir/big.bmp"
{ printf BM; for v in $size 0 54 40 $width $height; do le32 $v; done; printf '\x01\0\x18\0'; } 1<> "$dir/big.bmp"
for signal in INT TERM HUP KILL; do
  echo old > "$dir/out.bmp"
  "$tool" "$dir/big.bmp" "$dir/out.bmp" flip & pid=$!
  for ((i = 0; i < 1000; i++)); do compgen -G "$dir/.out.bmp.*" > /dev/null && break; sleep 0.01; done
  kill -s $signal $pid 2> /dev/null
  wait $pid 2> /dev/null; status=$?
  [[ $(stat -c %s "$dir/out.bmp") =~ ^(4|$size)$ ]] || fail "$signal left a partial output"
  [ $signal = KILL ] && rm -f "$dir"/.out.bmp.* && continue
  [[ $status =~ ^(0|$((128 + $(kill -l $signal))))$ ]] || fail "$signal: exit status $status"
  compgen -G "$dir/.out.bmp.*" && fail "$signal left a temporary file"
done
# A batch cut short says so, on standard error and as its report's last line.
# Its list comes through a FIFO held open, so it is still running, waiting for
# the next name, when the signal comes, however fast the first file went.
mkfifo "$dir/list"
"$tool" batch -j 1 --files-from "$dir/list" --report "$dir/report" flip "$dir/many-out" 2> "$dir/err" & pid=$!
exec 3> "$dir/list"; echo "$dir/big.bmp" >&3
for ((i = 0; i < 1000; i++)); do grep -q '"status":"written"' "$dir/report" 2> /dev/null && break; sleep 0.01; done
kill -s TERM $pid; wait $pid; status=$?; exec 3>&-
[ $status = 143 ] && grep -q '^batch: interrupted by signal 15; so far' "$dir/err" || fail "batch on TERM: $status"
tail -n 1 "$dir/report" | grep -q '^{"summary":true,.*"interrupted":true,"signal":15}$' || fail "batch report on TERM"
# Over the file-size limit the write fails with its reason; in place, the input stays.
"$tool" demo "$dir/demo" > /dev/null && cp "$dir/demo/picture-24bit.bmp" "$dir/photo.bmp" || fail demo
message=$( (ulimit -f 8; "$tool" "$dir/photo.bmp" "$dir/photo.bmp" flip) 2>&1)
[ "$message" = "$dir/photo.bmp: cannot write the output file (File too large)" ] || fail "ulimit: $message"
cmp "$dir/demo/picture-24bit.bmp" "$dir/photo.bmp" || fail "the input written over in place changed"
# Eight tools writing one output leave one of their files, whole.
for code in {0..7}; do "$tool" "$dir/photo.bmp" "$dir/expected-$code.bmp" $code || fail "code $code"; done
for round in {1..5}; do
  for code in {0..7}; do "$tool" "$dir/photo.bmp" "$dir/shared.bmp" $code & done; wait
  for code in {0..7}; do cmp -s "$dir/shared.bmp" "$dir/expected-$code.bmp" && continue 2; done; fail "round $round"
done
compgen -G "$dir/.shared.bmp.*" && fail "a temporary file is left"
# Standard output redirected to a file is written where the shell left it: appended to, kept around,
# whether it is named -, /dev/stdout or /dev/fd/1.
{ echo before; "$tool" "$dir/photo.bmp" - flip; "$tool" "$dir/photo.bmp" /dev/stdout flip; } > "$dir/stream" &&
  "$tool" "$dir/photo.bmp" /dev/fd/1 flip >> "$dir/stream" && "$tool" "$dir/photo.bmp" - flip >> "$dir/stream"
echo after >> "$dir/stream"
cat <(echo before) "$dir"/expected-5.bmp{,,,} <(echo after) | cmp -s - "$dir/stream" ||
  fail "standard output redirected to a file lost what it held"
echo "every output whole"
