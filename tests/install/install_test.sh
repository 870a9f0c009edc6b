#!/usr/bin/env bash
# Installs the build into a temporary prefix and uses it from outside the
# source tree, the way another program would: the C example is built once
# through pkg-config and once through the CMake package (with the C++ example
# beside it), and the Python example runs through ctypes. Each must call
# BMPFilters, get 999 and write the very bytes the installed bmpfilters tool
# writes; a missing input must give the 54-byte file of headers only. The
# examples of libtamrovi (C through pkg-config and CMake, Python through the
# installed module) must write the same bytes, through memory too, and exit
# non-zero with the reason on a missing input.
set -euo pipefail

if [ $# -ne 8 ]; then
  echo "usage: $0 BUILD-DIR SOURCE-DIR LIBDIR VERSION GENERATOR C-COMPILER C++-COMPILER EXTRA-FLAGS" >&2
  exit 2
fi
build_dir=$1
source_dir=$2
libdir=$3
version=$4
generator=$5
c_compiler=$6
cxx_compiler=$7
# Flags every example is built with on top of the warnings: the sanitizers,
# when the library was built with them.
extra_flags=$8

work=$(mktemp -d "${TMPDIR:-/tmp}/bmpfilters-install-test-XXXXXX")
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
lib=$prefix/$libdir
warnings="-Wall -Wextra -Wpedantic -Werror"
filter_code=5

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

bytes_in() {
  wc -c <"$1" | tr -d ' '
}

command -v pkg-config >/dev/null 2>&1 || fail "pkg-config is needed to build the C example against the install"

echo "-- installing into $prefix"
cmake --install "$build_dir" --prefix "$prefix" >"$work/install.log" || {
  cat "$work/install.log" >&2
  fail "cmake --install failed"
}
[ -f "$lib/libtamrovibmpfilters.so.$version" ] || fail "the shared library is not in $lib"
[ "$(readlink "$lib/libtamrovibmpfilters.so.1")" = "libtamrovibmpfilters.so.$version" ] ||
  fail "libtamrovibmpfilters.so.1 does not link to libtamrovibmpfilters.so.$version"
[ "$(readlink "$lib/libtamrovibmpfilters.so")" = libtamrovibmpfilters.so.1 ] ||
  fail "libtamrovibmpfilters.so does not link to libtamrovibmpfilters.so.1"
if command -v readelf >/dev/null 2>&1; then
  readelf -d "$lib/libtamrovibmpfilters.so.$version" | grep -q 'SONAME.*\[libtamrovibmpfilters\.so\.1\]' ||
    fail "the shared library's SONAME is not libtamrovibmpfilters.so.1"
fi
for name in tamrovi.h tamrovi.pc TamroviConfig.cmake libtamrovi.so.1 tamrovibmpfilters.h bmpfilters bmpfilters.1 tamrovibmpfilters.pc TamroviBMPFiltersConfig.cmake \
  TamroviBMPFiltersConfigVersion.cmake; do
  [ -n "$(find "$prefix" -name "$name" -print -quit)" ] || fail "$name was not installed"
done

# The picture: the installed tool's own demo picture, under a name beyond
# ASCII, since the examples hand their paths to the library as UTF-16.
"$prefix/bin/bmpfilters" demo "$work/demo" >/dev/null || fail "the installed bmpfilters cannot make its demo pictures"
input="$work/picture é 日本.bmp"
cp "$work/demo/picture-24bit.bmp" "$input"
expected=$work/expected.bmp
"$prefix/bin/bmpfilters" "$input" "$expected" "$filter_code" || fail "the installed bmpfilters cannot filter $input"
[ "$(bytes_in "$expected")" = "$(bytes_in "$input")" ] ||
  fail "bmpfilters wrote $(bytes_in "$expected") bytes for a 24-bit input of $(bytes_in "$input")"

# Runs one example (the command in "$@", given INPUT OUTPUT FILTER-CODE) on the
# picture and on a missing file, and checks what it printed and wrote.
check_example() {
  local name=$1
  shift
  local output="$work/$name ü.bmp"
  local status=0
  "$@" "$input" "$output" "$filter_code" >"$work/$name.log" 2>&1 || status=$?
  if [ "$status" != 0 ]; then
    cat "$work/$name.log" >&2
    fail "$name exited with status $status"
  fi
  grep -qx "BMPFilters returned 999" "$work/$name.log" || fail "$name did not get 999: $(cat "$work/$name.log")"
  cmp -s "$output" "$expected" || fail "$name wrote other bytes than bmpfilters does"
  "$@" "$work/missing.bmp" "$work/$name-missing.bmp" "$filter_code" >"$work/$name-missing.log" 2>&1 || status=$?
  [ "$status" = 0 ] || fail "$name exited with status $status on a missing input: $(cat "$work/$name-missing.log")"
  [ "$(bytes_in "$work/$name-missing.bmp")" = 54 ] || fail "$name: a missing input did not give the 54-byte headers"
  echo "-- $name: 999 and the same bytes as bmpfilters"
}

# Runs one libtamrovi example (the command in "$@", given INPUT OUTPUT FILTER)
# on the picture, through memory ("-" for both files), and on a missing file.
check_library_example() {
  local name=$1
  shift
  local output="$work/$name ü.bmp"
  "$@" "$input" "$output" flip >"$work/$name.log" 2>&1 || fail "$name failed: $(cat "$work/$name.log")"
  cmp -s "$output" "$expected" || fail "$name wrote other bytes than bmpfilters does"
  case $name in
    *.py*) ;;  # the Python example takes files only
    *)
      "$@" - - 5 <"$input" >"$work/$name-memory.bmp" || fail "$name failed through memory"
      cmp -s "$work/$name-memory.bmp" "$expected" || fail "$name wrote other bytes through memory"
      ;;
  esac
  if "$@" "$work/missing.bmp" "$work/$name-missing.bmp" flip 2>"$work/$name-missing.log"; then
    fail "$name exited with 0 on a missing input"
  fi
  grep -q "missing.bmp: cannot open the file (No such file or directory)" "$work/$name-missing.log" ||
    fail "$name did not say why the input failed: $(cat "$work/$name-missing.log")"
  echo "-- $name: the same bytes as bmpfilters, and a missing input refused with its reason"
}

echo "-- building the libtamrovi example through pkg-config"
export PKG_CONFIG_PATH="$lib/pkgconfig"
# shellcheck disable=SC2046,SC2086
"$c_compiler" -std=c99 $warnings $extra_flags -o "$work/tamrovi_filter-pkg-config" "$source_dir/examples/tamrovi_filter.c" \
  $(pkg-config --cflags --libs tamrovi) -Wl,-rpath,"$(pkg-config --variable=libdir tamrovi)"
check_library_example tamrovi_filter-pkg-config "$work/tamrovi_filter-pkg-config"

echo "-- building the C example through pkg-config"
export PKG_CONFIG_PATH="$lib/pkgconfig"
[ "$(pkg-config --variable=prefix tamrovibmpfilters)" = "$prefix" ] || fail "pkg-config found another tamrovibmpfilters"
[ "$(pkg-config --modversion tamrovibmpfilters)" = "$version" ] || fail "tamrovibmpfilters.pc does not give version $version"
# shellcheck disable=SC2046,SC2086  # the flags are lists of words
"$c_compiler" -std=c11 $warnings $extra_flags -o "$work/filter_bmp-pkg-config" "$source_dir/examples/filter_bmp.c" \
  $(pkg-config --cflags --libs tamrovibmpfilters) -Wl,-rpath,"$(pkg-config --variable=libdir tamrovibmpfilters)"
check_example filter_bmp-pkg-config "$work/filter_bmp-pkg-config"

if [ -f "$lib/pkgconfig/tamrovibmpfilters-core.pc" ]; then
  echo "-- building the C++ example through pkg-config"
  # shellcheck disable=SC2046,SC2086
  "$cxx_compiler" -std=c++20 $warnings $extra_flags -o "$work/describe_bmp-pkg-config" \
    "$source_dir/examples/describe_bmp.cpp" $(pkg-config --cflags --libs tamrovibmpfilters-core)
  "$work/describe_bmp-pkg-config" "$input" | grep -qE ': [0-9]+ x [0-9]+ pixels, 24 bits per pixel' ||
    fail "describe_bmp (pkg-config) did not describe the 24-bit picture"
fi

echo "-- building the examples through the CMake package"
cmake -S "$source_dir/examples" -B "$work/examples-build" -G "$generator" -DCMAKE_PREFIX_PATH="$prefix" \
  -DCMAKE_C_COMPILER="$c_compiler" -DCMAKE_CXX_COMPILER="$cxx_compiler" \
  -DCMAKE_C_FLAGS="$warnings $extra_flags" -DCMAKE_CXX_FLAGS="$warnings $extra_flags" \
  -DCMAKE_EXE_LINKER_FLAGS="$extra_flags" >"$work/examples-configure.log" 2>&1 || {
  cat "$work/examples-configure.log" >&2
  fail "the examples' CMake project did not configure against the install"
}
grep -qx "TamroviBMPFilters_DIR:PATH=$lib/cmake/TamroviBMPFilters" "$work/examples-build/CMakeCache.txt" ||
  fail "find_package found another TamroviBMPFilters: $(grep TamroviBMPFilters_DIR "$work/examples-build/CMakeCache.txt")"
cmake --build "$work/examples-build" >"$work/examples-build.log" 2>&1 || {
  cat "$work/examples-build.log" >&2
  fail "the examples did not build against the install"
}
check_example filter_bmp-cmake "$work/examples-build/filter_bmp"
check_library_example tamrovi_filter-cmake "$work/examples-build/tamrovi_filter"
if [ -x "$work/examples-build/describe_bmp" ]; then
  description=$("$work/examples-build/describe_bmp" "$input" "$work/demo/picture-8bit.bmp")
  grep -qE ': [0-9]+ x [0-9]+ pixels, 24 bits per pixel' <<<"$description" ||
    fail "describe_bmp did not describe the 24-bit picture: $description"
  grep -qE ': [0-9]+ x [0-9]+ pixels, 8 bits per pixel, held as a byte plane' <<<"$description" ||
    fail "describe_bmp did not describe the 8-bit picture: $description"
  if "$work/examples-build/describe_bmp" "$work/missing.bmp" 2>/dev/null; then
    fail "describe_bmp accepted a missing file"
  fi
  echo "-- describe_bmp: both pictures described, a missing file refused"
fi

if [ -n "$extra_flags" ]; then
  # The interpreter is not built with the sanitizers, so it cannot load a
  # library that is.
  echo "-- the Python example is not run against a sanitizer build"
elif ! command -v python3 >/dev/null 2>&1; then
  echo "-- python3 not found: the Python example is not run"
else
  check_example filter_bmp.py python3 "$source_dir/examples/filter_bmp.py" --library "$lib/libtamrovibmpfilters.so.1"
  # The installed module finds the installed library by itself.
  module_dir=$(dirname "$(find "$prefix" -name __init__.py -path '*tamrovibmpfilters*' -print -quit)")
  if /usr/bin/python3 -c "import numpy" 2>/dev/null; then
    PYTHONPATH=$(dirname "$module_dir") check_library_example tamrovi_filter.py /usr/bin/python3 \
      "$source_dir/examples/tamrovi_filter.py"
    # pip from the source tree into a virtual environment, offline.
    if /usr/bin/python3 -m venv --system-site-packages "$work/venv" >/dev/null 2>&1; then
      cp -r "$source_dir/python" "$work/python-source"
      "$work/venv/bin/pip" install --no-index "$work/python-source" >"$work/pip.log" 2>&1 ||
        fail "pip install ./python failed offline: $(tail -5 "$work/pip.log")"
      TAMROVI_LIBRARY="$lib/libtamrovi.so.1" check_library_example tamrovi_filter.py-venv "$work/venv/bin/python" \
        "$source_dir/examples/tamrovi_filter.py"
    fi
  else
    echo "-- /usr/bin/python3 has no numpy: the module's example is not run"
  fi
fi
echo "installed into a temporary prefix and used from C, C++ and Python: all passed"
