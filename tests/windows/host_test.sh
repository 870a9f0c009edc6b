#!/usr/bin/env bash
# The DLL as a host program loads it, under Wine: its outputs for every
# filter code must be the bytes the native build's tool writes for the same
# input. Arguments: the emulator command (as one string), the host program,
# the DLL, and the native tool (the build in build/).
set -euo pipefail
emulator=$1 host=$2 module=$3 native_tool=$4
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
