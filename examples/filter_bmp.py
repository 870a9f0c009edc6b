#!/usr/bin/env python3
"""One BMPFilters call from Python, through ctypes.

    python3 filter_bmp.py [--library PATH] INPUT OUTPUT FILTER

FILTER is a code or a name, as bmpfilters takes it: none 0, outline 1,
roberts 2, laplace 3, whiten-dark 4, flip 5, window 7 (bmpfilters --list).

The library takes zero-terminated UTF-16 paths. ctypes.c_wchar is 32 bits
wide on Linux, so c_wchar_p would pass UTF-32: the paths are encoded to
UTF-16 here and passed as plain byte buffers. The call returns 999 whatever
happens; success shows only in the output file, so its size is reported too
(54 bytes: the input was missing or refused).
"""
import argparse
import ctypes
import difflib
import os
import sys

DONE = 999  # what every BMPFilters call returns
HEADERS_ONLY = 54  # the size of an output written for a missing or refused input
# The names bmpfilters --list prints; code 6 is whiten-dark again.
FILTER_CODES = {"none": 0, "outline": 1, "roberts": 2, "laplace": 3,
                "whiten-dark": 4, "flip": 5, "window": 7}
LISTED_CODES = set(FILTER_CODES.values()) | {6}


def load_library(path):
    """Opens the shared library and declares BMPFilters' signature."""
    library = ctypes.CDLL(path)
    library.BMPFilters.argtypes = [ctypes.c_void_p, ctypes.c_void_p, ctypes.c_int32]
    library.BMPFilters.restype = ctypes.c_int32
    return library


def utf16_path(path):
    """The path as zero-terminated UTF-16 in the machine's byte order, in a
    buffer that lives as long as the returned object."""
    codec = "utf-16-le" if sys.byteorder == "little" else "utf-16-be"
    encoded = path.encode(codec) + b"\0\0"
    return ctypes.create_string_buffer(encoded, len(encoded))


def filter_code(text):
    """A listed code, or the code of a filter's name; like bmpfilters, other
    codes are refused (the library itself would write the picture as read)."""
    if text in FILTER_CODES:
        return FILTER_CODES[text]
    try:
        code = int(text, 10)
    except ValueError:
        near = difflib.get_close_matches(text.lower(), FILTER_CODES, n=2, cutoff=0.5)
        hint = f"did you mean {' or '.join(near)}?" if near else f"the filters are {', '.join(FILTER_CODES)}"
        raise argparse.ArgumentTypeError(f"unknown filter '{text}' ({hint})") from None
    if code not in LISTED_CODES:
        raise argparse.ArgumentTypeError(f"no filter has code {code} (the codes are 0 to 7)")
    return code


def main():
    parser = argparse.ArgumentParser(description="Run one BMPFilters call.")
    parser.add_argument("--library", default="libtamrovibmpfilters.so.1",
                        help="the shared library to load (default: found by the dynamic loader)")
    parser.add_argument("input", metavar="INPUT")
    parser.add_argument("output", metavar="OUTPUT")
    parser.add_argument("code", type=filter_code, metavar="FILTER")
    args = parser.parse_args()

    try:
        paths = [utf16_path(args.input), utf16_path(args.output)]
    except UnicodeEncodeError:
        # Bytes that were not valid text in the file-system encoding arrive as
        # lone surrogates, which UTF-16 cannot carry.
        parser.error("a path is not valid text and cannot be passed as UTF-16")
    try:
        library = load_library(args.library)
    except (OSError, AttributeError) as error:
        print(f"filter_bmp.py: cannot use the library: {error}\n"
              "(give the path of libtamrovibmpfilters.so.1 with --library)", file=sys.stderr)
        return 1

    result = library.BMPFilters(paths[0], paths[1], args.code)
    print(f"BMPFilters returned {result}")
    try:
        size = os.path.getsize(args.output)
    except OSError:
        print(f"{args.output} was not written")
    else:
        note = " (headers only: the input was missing or refused)" if size == HEADERS_ONLY else ""
        print(f"{args.output}: {size} bytes{note}")
    return 0 if result == DONE else 1


if __name__ == "__main__":
    sys.exit(main())
