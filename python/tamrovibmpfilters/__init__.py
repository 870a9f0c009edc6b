"""Exact BMP filters on numpy arrays: read, filter, smooth, count, write.

Pictures are ``uint8`` arrays: ``(height, width)`` of gray levels, or
``(height, width, 3)`` of red, green, blue, the top row first. Every result is
the one the ``bmpfilters`` tool gives on the same file.

>>> import tamrovibmpfilters as t
>>> picture = t.read("photo.bmp")
>>> t.write("edges.bmp", t.filter(picture, "roberts"))
"""
import ctypes
import os

import numpy as np

from ._library import OK, ReadOptions, lib

__all__ = ["Error", "FileError", "read", "write", "filter", "histogram", "smooth", "filter_file", "FILTERS"]

# The filter names and their codes, as the tool lists them.
FILTERS = {"none": 0, "outline": 1, "roberts": 2, "laplace": 3, "whiten-dark": 4, "flip": 5, "window": 7}

_INVALID_ARGUMENT, _UNKNOWN_FILTER, _INVALID_SIGMA = 1, 2, 3
_FORMAT_24BIT, _FORMAT_KEEP = 0, 1


class Error(Exception):
    """A picture could not be read, filtered or written.

    ``status`` is the library's status number, ``reason`` its words and
    ``filename`` the file concerned (None for pictures in memory)."""

    def __init__(self, status, reason, filename=None):
        self.status = status
        self.reason = reason
        self.filename = filename
        super().__init__(f"{filename}: {reason}" if filename is not None else reason)

    def __str__(self):
        return self.args[0]


class FileError(Error, OSError):
    """An Error whose reason the system gave: ``errno`` and ``strerror`` say it."""

    def __init__(self, status, reason, filename, number):
        Error.__init__(self, status, f"{reason} ({os.strerror(number)})", filename)
        self.errno = number
        self.strerror = os.strerror(number)


def _status_text(status):
    return lib.tamrovi_status_text(status).decode()


def _check(status, filename=None, system_error=0):
    if status == OK:
        return
    reason = _status_text(status)
    if status in (_INVALID_ARGUMENT, _UNKNOWN_FILTER, _INVALID_SIGMA):
        raise ValueError(reason)
    if system_error:
        raise FileError(status, reason, filename, system_error)
    raise Error(status, reason, filename)


def _path_bytes(path):
    encoded = os.fsencode(path)
    if b"\0" in encoded:
        raise ValueError("a path cannot hold a NUL character")
    return encoded


class _Picture:
    """One picture of the library, released when the block ends."""

    def __init__(self):
        self.handle = ctypes.c_void_p()

    def __enter__(self):
        return self

    def __exit__(self, *exception):
        lib.tamrovi_free_picture(self.handle)
        self.handle = ctypes.c_void_p()

    @classmethod
    def from_array(cls, array):
        pixels = _checked_array(array)
        picture = cls()
        height, width = pixels.shape[:2]
        channels = 1 if pixels.ndim == 2 else 3
        _check(lib.tamrovi_make_picture(width, height, channels, pixels.ctypes.data, pixels.strides[0],
                                        ctypes.byref(picture.handle)))
        return picture

    def to_array(self):
        height = lib.tamrovi_height(self.handle)
        width = lib.tamrovi_width(self.handle)
        channels = lib.tamrovi_channels(self.handle)
        shape = (height, width) if channels == 1 else (height, width, 3)
        pixels = np.empty(shape, dtype=np.uint8)
        _check(lib.tamrovi_get_pixels(self.handle, pixels.ctypes.data, pixels.strides[0]))
        return pixels


def _checked_array(array):
    """The array as rows of whole pixels, or TypeError / ValueError."""
    if not isinstance(array, np.ndarray):
        raise TypeError(f"expected a numpy array of uint8, got {type(array).__name__}")
    if array.dtype != np.uint8:
        raise TypeError(f"expected an array of uint8, got {array.dtype}")
    if array.ndim not in (2, 3) or (array.ndim == 3 and array.shape[2] != 3):
        raise ValueError(f"expected an array of shape (height, width) or (height, width, 3), got {array.shape}")
    if array.shape[0] == 0 or array.shape[1] == 0:
        raise ValueError(f"a picture needs at least one pixel, got shape {array.shape}")
    if array.shape[0] * array.shape[1] > 2**31 - 1:
        raise ValueError(f"a picture holds at most 2147483647 pixels, got shape {array.shape}")
    return np.ascontiguousarray(array)


def _filter_code(choice):
    if isinstance(choice, str):
        code = lib.tamrovi_filter_code(choice.encode())
        if code < 0:
            raise ValueError(f"unknown filter {choice!r} (one of {', '.join(FILTERS)}, or a code 0 to 7)")
        return code
    if isinstance(choice, (int, np.integer)) and not isinstance(choice, bool):
        if not 0 <= choice <= 7:
            raise ValueError(f"unknown filter code {choice} (0 to 7)")
        return int(choice)
    raise TypeError(f"a filter is a name or a code, not {type(choice).__name__}")


def _read_options(max_pixels, strict):
    options = ReadOptions()
    lib.tamrovi_default_read_options(ctypes.byref(options))
    if max_pixels is not None:
        if not 1 <= max_pixels <= 2**31 - 1:
            raise ValueError(f"max_pixels must be from 1 to 2147483647, got {max_pixels}")
        options.max_pixels = max_pixels
    options.strict = 1 if strict else 0
    return options


def _read_picture(source, max_pixels=None, strict=False):
    options = _read_options(max_pixels, strict)
    picture = _Picture()
    if isinstance(source, (bytes, bytearray, memoryview)):
        held = bytes(source)
        _check(lib.tamrovi_read_memory(held, len(held), ctypes.byref(options), ctypes.byref(picture.handle)))
        return picture
    system_error = ctypes.c_int()
    status = lib.tamrovi_read_file(_path_bytes(source), ctypes.byref(options), ctypes.byref(picture.handle),
                                   ctypes.byref(system_error))
    _check(status, os.fspath(source), system_error.value)
    return picture


def _write_picture(picture, path, keep_format):
    system_error = ctypes.c_int()
    status = lib.tamrovi_write_file(picture.handle, _path_bytes(path), _FORMAT_KEEP if keep_format else _FORMAT_24BIT,
                                    ctypes.byref(system_error))
    _check(status, os.fspath(path), system_error.value)


def read(source, *, max_pixels=None, strict=False):
    """The picture of a BMP file: ``source`` is a path, or the file's bytes.

    A gray-ramp 8-bit file gives ``(h, w)``, any other ``(h, w, 3)`` in RGB
    order. A file that ends before its last row is read with its missing rows
    black, unless ``strict``, which refuses it. ``max_pixels`` (default 2**30)
    bounds the picture a file may bring."""
    with _read_picture(source, max_pixels, strict) as picture:
        return picture.to_array()


def write(path, array, keep_format=False):
    """Writes ``array`` as a BMP file: 24-bit, or with ``keep_format`` a gray
    array as an 8-bit file with the gray ramp. The file is replaced whole or
    not at all."""
    with _Picture.from_array(array) as picture:
        _write_picture(picture, path, keep_format)


def encode(array, keep_format=False):
    """The bytes of the BMP file ``write`` would write."""
    with _Picture.from_array(array) as picture:
        data = ctypes.c_void_p()
        length = ctypes.c_size_t()
        _check(lib.tamrovi_write_memory(picture.handle, _FORMAT_KEEP if keep_format else _FORMAT_24BIT,
                                        ctypes.byref(data), ctypes.byref(length)))
        try:
            return ctypes.string_at(data, length.value)
        finally:
            lib.tamrovi_free(data)


def filter(array, filter):  # noqa: A001 - the name users look for
    """A new array: ``array`` through the filter ``filter`` (a name or a code)."""
    code = _filter_code(filter)
    with _Picture.from_array(array) as picture:
        _check(lib.tamrovi_filter(picture.handle, code))
        return picture.to_array()


def histogram(array):
    """How many pixels have each gray level 0 to 255 (a colour pixel's level
    is the mean of red, green and blue, rounded down): 256 counts."""
    counts = np.zeros(256, dtype=np.uint32)
    with _Picture.from_array(array) as picture:
        _check(lib.tamrovi_histogram(picture.handle, counts.ctypes.data))
    return counts


def smooth(array, sigma):
    """A new array: ``array`` smoothed with a Gaussian of standard deviation
    ``sigma`` pixels (1e-150 to 100000), each channel on its own."""
    with _Picture.from_array(array) as picture:
        _check(lib.tamrovi_smooth(picture.handle, float(sigma)))
        return picture.to_array()


def filter_file(src, dst, filter, keep_format=False):  # noqa: A002
    """Reads ``src``, applies ``filter`` and writes ``dst``, as
    ``bmpfilters SRC DST FILTER [--keep-format]`` does. Returns the rows the
    input ended before (read as black), 0 for a whole file."""
    code = _filter_code(filter)
    with _read_picture(src) as picture:
        _check(lib.tamrovi_filter(picture.handle, code), os.fspath(src))
        _write_picture(picture, dst, keep_format)
        return lib.tamrovi_missing_rows(picture.handle)
