"""The module against the bmpfilters tool: same files, same bytes."""
import errno
import os
import subprocess
import sys
import threading

import numpy as np
import pytest

import tamrovibmpfilters as t

TOOL = os.environ.get("TAMROVI_CLI", "bmpfilters")


def tool(*arguments):
    run = subprocess.run([TOOL, *map(str, arguments)], capture_output=True)
    assert run.returncode == 0, run.stderr
    return run.stdout


@pytest.fixture(scope="module")
def pictures(tmp_path_factory):
    """The tool's demo pictures and a few generated ones, gray and colour."""
    folder = tmp_path_factory.mktemp("pictures")
    tool("demo", folder / "demo")
    paths = [folder / "demo" / "picture-24bit.bmp", folder / "demo" / "picture-8bit.bmp"]
    generator = np.random.default_rng(5)
    for shape in [(1, 1), (3, 17), (31, 2, 3), (8, 9, 3)]:
        path = folder / f"generated-{'x'.join(map(str, shape))}.bmp"
        t.write(path, generator.integers(0, 256, shape, dtype=np.uint8), keep_format=True)
        paths.append(path)
    return paths


@pytest.mark.parametrize("code", range(8))
def test_filters_agree_with_the_tool(pictures, tmp_path, code):
    for path in pictures:
        expected = tool(path, "-", code)
        t.filter_file(path, tmp_path / "file.bmp", code)
        assert (tmp_path / "file.bmp").read_bytes() == expected, path
        t.write(tmp_path / "array.bmp", t.filter(t.read(path), code))
        assert (tmp_path / "array.bmp").read_bytes() == expected, path
        t.filter_file(path, tmp_path / "kept.bmp", code, keep_format=True)
        assert (tmp_path / "kept.bmp").read_bytes() == tool("--keep-format", path, "-", code), path


def test_analysis_agrees_with_the_tool(pictures):
    for path in pictures:
        picture = t.read(path)
        assert picture.dtype == np.uint8 and picture.ndim in (2, 3)
        assert np.array_equal(picture, t.read(path.read_bytes()))
        lines = tool("histogram", path).decode().split()[1:]
        assert [int(line.split(",")[1]) for line in lines] == list(t.histogram(picture))
        assert t.encode(t.smooth(picture, 2.5)) == tool("smooth", path, "-", 2.5), path


def test_names_codes_and_layouts():
    gray = np.arange(12, dtype=np.uint8).reshape(3, 4)
    assert np.array_equal(t.filter(gray, "flip"), gray[::-1])
    colour = np.dstack([gray, gray + 100, gray + 200])
    assert np.array_equal(t.filter(colour[:, ::-1], 5), colour[::-1, ::-1])  # any strides
    assert np.array_equal(t.read(t.encode(colour)), colour)  # red, green, blue in order


def test_failures_raise_with_the_file_and_the_reason(tmp_path):
    missing = tmp_path / "missing.bmp"
    with pytest.raises(t.FileError) as raised:
        t.read(missing)
    assert isinstance(raised.value, OSError) and raised.value.errno == errno.ENOENT
    assert str(missing) in str(raised.value) and "cannot open" in str(raised.value)
    (tmp_path / "photo.bmp").write_bytes(b"\x89PNG\r\n\x1a\n" + bytes(40))
    with pytest.raises(t.Error, match="a PNG file") as raised:
        t.filter_file(tmp_path / "photo.bmp", tmp_path / "out.bmp", "flip")
    assert not isinstance(raised.value, OSError) and not (tmp_path / "out.bmp").exists()
    with pytest.raises(t.Error, match="too large"):
        t.read(t.encode(np.zeros((4, 4), np.uint8)), max_pixels=15)
    with pytest.raises(t.FileError):
        t.write(tmp_path / "no" / "out.bmp", np.zeros((2, 2), np.uint8))


@pytest.mark.parametrize("bad, error", [
    (np.zeros((2, 2), np.float32), TypeError), ([[1, 2]], TypeError), (np.zeros((2, 2, 4), np.uint8), ValueError),
    (np.zeros((0, 3), np.uint8), ValueError), (np.zeros(5, np.uint8), ValueError),
])
def test_arrays_of_the_wrong_kind_are_refused(bad, error):
    for call in (lambda: t.filter(bad, 1), lambda: t.histogram(bad), lambda: t.smooth(bad, 1.0)):
        with pytest.raises(error):
            call()


@pytest.mark.parametrize("choice", ["blur", 8, -1, True, 2.0])
def test_unknown_filters_and_sigmas_are_refused(choice):
    with pytest.raises((ValueError, TypeError)):
        t.filter(np.zeros((2, 2), np.uint8), choice)
    with pytest.raises(ValueError):
        t.smooth(np.zeros((2, 2), np.uint8), float("nan"))
    with pytest.raises(ValueError):
        t.read("bad\0name.bmp")


def test_work_runs_without_the_interpreter_lock():
    # With a long switch interval a thread keeps the lock it holds: the main
    # thread sees the worker inside the library only if the call let it go.
    picture = np.random.default_rng(1).integers(0, 256, (600, 600, 3), dtype=np.uint8)
    inside, done, seen = threading.Event(), threading.Event(), []

    def work():
        for _ in range(20):
            inside.set()
            t.smooth(picture, 8.0)
            inside.clear()
            if seen:
                break
        done.set()

    interval = sys.getswitchinterval()
    sys.setswitchinterval(100.0)
    try:
        threading.Thread(target=work).start()
        while not done.wait(0.001):
            seen += [True] if inside.is_set() else []
    finally:
        sys.setswitchinterval(interval)
    assert seen
