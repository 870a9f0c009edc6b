"""Finds libtamrovi and declares its functions for ctypes.

ctypes lets go of the interpreter's lock during each foreign call, so work
on several threads runs at once.
"""
import ctypes
import ctypes.util
import os
import sys

OK = 0


class ReadOptions(ctypes.Structure):
    _fields_ = [("max_rows", ctypes.c_int32), ("max_columns", ctypes.c_int32),
                ("max_pixels", ctypes.c_int64), ("strict", ctypes.c_int)]


def _candidates():
    """Where the library may be, first choice first."""
    chosen = os.environ.get("TAMROVI_LIBRARY")
    if chosen:
        # Set on purpose: nothing else is tried, so a wrong one is said.
        return [chosen]
    found = []
    try:
        from . import _installed  # written by `make install`
        found.append(_installed.LIBRARY)
    except ImportError:
        pass
    found.append("tamrovi.dll" if sys.platform == "win32" else "libtamrovi.so.1")
    by_search = ctypes.util.find_library("tamrovi")
    if by_search:
        found.append(by_search)
    return found


def _load():
    reasons = []
    for candidate in _candidates():
        try:
            return ctypes.CDLL(candidate)
        except OSError as error:
            reasons.append(str(error))
    raise ImportError("libtamrovi was not found (install it with `make install`, or name it in "
                      "TAMROVI_LIBRARY): " + "; ".join(reasons))


def _declare(lib):
    picture = ctypes.c_void_p
    size = ctypes.c_size_t
    status = ctypes.c_int
    table = {
        "tamrovi_status_text": (ctypes.c_char_p, [status]),
        "tamrovi_default_read_options": (None, [ctypes.POINTER(ReadOptions)]),
        "tamrovi_read_file": (status, [ctypes.c_char_p, ctypes.POINTER(ReadOptions), ctypes.POINTER(picture),
                                       ctypes.POINTER(ctypes.c_int)]),
        "tamrovi_read_memory": (status, [ctypes.c_void_p, size, ctypes.POINTER(ReadOptions),
                                         ctypes.POINTER(picture)]),
        "tamrovi_make_picture": (status, [ctypes.c_int32, ctypes.c_int32, ctypes.c_int, ctypes.c_void_p, size,
                                          ctypes.POINTER(picture)]),
        "tamrovi_free_picture": (None, [picture]),
        "tamrovi_width": (ctypes.c_int32, [picture]),
        "tamrovi_height": (ctypes.c_int32, [picture]),
        "tamrovi_channels": (ctypes.c_int, [picture]),
        "tamrovi_missing_rows": (ctypes.c_int32, [picture]),
        "tamrovi_get_pixels": (status, [picture, ctypes.c_void_p, size]),
        "tamrovi_filter_code": (ctypes.c_int32, [ctypes.c_char_p]),
        "tamrovi_filter": (status, [picture, ctypes.c_int32]),
        "tamrovi_histogram": (status, [picture, ctypes.c_void_p]),
        "tamrovi_smooth": (status, [picture, ctypes.c_double]),
        "tamrovi_write_file": (status, [picture, ctypes.c_char_p, ctypes.c_int, ctypes.POINTER(ctypes.c_int)]),
        "tamrovi_write_memory": (status, [picture, ctypes.c_int, ctypes.POINTER(ctypes.c_void_p),
                                          ctypes.POINTER(size)]),
        "tamrovi_free": (None, [ctypes.c_void_p]),
    }
    for name, (result, arguments) in table.items():
        function = getattr(lib, name)
        function.restype = result
        function.argtypes = arguments
    return lib


lib = _declare(_load())
