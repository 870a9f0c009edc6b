#!/usr/bin/env python3
"""A filter applied through the tamrovibmpfilters module.

    python3 tamrovi_filter.py INPUT OUTPUT FILTER

FILTER is a name (outline, roberts, laplace, whiten-dark, flip, window, none)
or a code 0 to 7. The picture is read into a numpy array, filtered and
written; a failure is said on standard error with its reason, and the
program exits with 1.
"""
import sys

import tamrovibmpfilters as t


def main(arguments):
    if len(arguments) != 3:
        print("usage: tamrovi_filter.py INPUT OUTPUT FILTER", file=sys.stderr)
        return 2
    source, target, choice = arguments
    try:
        picture = t.read(source)
        t.write(target, t.filter(picture, int(choice) if choice.isdigit() else choice))
    except (t.Error, ValueError) as error:
        print(error, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
