#!/usr/bin/env bash
# The test suites under valgrind's memcheck (`make valgrind`): any error, and
# any block definitely or indirectly lost, fails the run. The command-line tool
# the suites start is checked too; valgrind follows it into its own log.
#
#   tests/valgrind.sh BUILD_DIR
set -euo pipefail
build=${1:?usage: tests/valgrind.sh BUILD_DIR}
logs=$build/valgrind
rm -rf "$logs"
mkdir -p "$logs"

# Left out, and why:
# - BoundedCostTest: it runs every operation on pictures of hundreds of
#   megabytes, which under valgrind takes the better part of an hour, and
#   bounds an address space valgrind shares; the release build runs it.
# - ImageMagickTest: most of its work is ImageMagick's own converter, another
#   program whose memory is not ours to check.
# - The small-thread export test: it reads a finished thread's stack, a dead stack to memcheck.
# The install test and the manual-page test are shell scripts that drive
# CMake, compilers and man; they are not suites and are not run here.
exclude='BoundedCostTest.*:ImageMagickTest.*:ExportTest.EveryCodeRunsOnASmallHostThread'

status=0
for suite in "$build"/tests/*_tests; do
  echo "== $(basename "$suite")"
  # Programs from the system (nm, objdump, convert) are not followed.
  valgrind --tool=memcheck --quiet --error-exitcode=1 --leak-check=full \
    --errors-for-leak-kinds=definite,indirect --trace-children=yes \
    --trace-children-skip='/usr/bin/*,/bin/*' --log-file="$logs/%p.log" \
    "$suite" --gtest_filter="-$exclude" --gtest_brief=1 || status=1
done

# Each process wrote its own log; a quiet one is empty.
for log in "$logs"/*.log; do
  if [ -s "$log" ]; then
    echo "== valgrind found something: $log"
    cat "$log"
    status=1
  fi
done
[ "$status" -eq 0 ] && echo "valgrind: no errors, no leaks"
exit "$status"
