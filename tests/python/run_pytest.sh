#!/usr/bin/env bash
# Runs the Python module's tests against the build's libtamrovi and tool,
# with the first python3 that has numpy and pytest (Debian's, at
# /usr/bin/python3, before one on the path). Without one, says so and exits
# with 77, which CTest reports as skipped.
set -euo pipefail
if [ $# -ne 3 ]; then
  echo "usage: $0 LIBTAMROVI BMPFILTERS PYTHON-SOURCE-DIR" >&2
  exit 2
fi
for python in /usr/bin/python3 "$(command -v python3 || true)"; do
  if [ -x "$python" ] && "$python" -c "import numpy, pytest" 2>/dev/null; then
    export TAMROVI_LIBRARY=$1 TAMROVI_CLI=$2 PYTHONPATH=$3 PYTHONDONTWRITEBYTECODE=1
    exec "$python" -m pytest -q -p no:cacheprovider "$3/tests"
  fi
done
echo "SKIPPED: the Python module's tests need python3 with numpy and pytest (Debian: python3-numpy python3-pytest)"
exit 77
