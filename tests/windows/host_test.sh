#!/usr/bin/env bash
# The DLL as a host program loads it, under Wine: its outputs for every
# filter code must be the bytes the native build's tool writes for the same
# input. Arguments: the emulator command (as one string), the host program,
# the DLL, the native tool (the build in build/) and the Windows tool.
set -euo pipefail
emulator=$1 host=$2 module=$3 native_tool=$4 tool=$5
if [ ! -x "$native_tool" ]; then
  echo "no native tool at $native_tool: build it first (make build)" >&2
  exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A colour picture with dark and light regions, so that every filter has work.
"$native_tool" demo "$work/demo" >/dev/null
name='bild-ä-日本-😀'
cp "$work/demo/24bit-0-none.bmp" "$work/$name.bmp"
$emulator "$host" "$module" "$work"
for code in 0 1 2 3 4 5 6 7; do
  "$native_tool" "$work/$name.bmp" "$work/native-$code.bmp" "$code" >/dev/null
  cmp "$work/$name-$code.bmp" "$work/native-$code.bmp"
done
# The tool takes no unlisted code; the export writes the picture as read.
cmp "$work/$name-8.bmp" "$work/native-0.bmp"
echo "9 codes: the DLL's outputs are the native build's bytes"

# Names that differ only in case name one file here: batch writes the first
# and refuses the second, never one output over the other.
mkdir "$work/A" "$work/B"
cp "$work/$name.bmp" "$work/A/Photo.bmp"
cp "$work/demo/24bit-3-laplace.bmp" "$work/B/photo.bmp"
if $emulator "$tool" batch flip "$work/out" "$work/A/Photo.bmp" "$work/B/photo.bmp" >/dev/null 2>"$work/batch.err"; then
  echo "batch took two inputs whose outputs differ only in case" >&2
  exit 1
fi
grep -q "same file name" "$work/batch.err"
cmp "$work/out/Photo.bmp" "$work/native-5.bmp"
echo "batch: names that differ only in case are one output"
