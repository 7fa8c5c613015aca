#!/usr/bin/env bash
# Memory stage for the display-free tests: the whole unit-test binary under
# valgrind memcheck must report no error, so that a field read before it is
# set (which the sanitizers cannot see) fails CI.
# Usage: valgrind_unit.sh BUILD_DIR
set -euo pipefail
build=${1:?usage: valgrind_unit.sh BUILD_DIR}
tests="$build/tests/unit_tests"
command -v valgrind >/dev/null || { echo "valgrind_unit.sh: valgrind is not installed" >&2; exit 1; }
[ -x "$tests" ] || { echo "valgrind_unit.sh: no unit-test binary at $tests" >&2; exit 1; }
start=$SECONDS
SDL_AUDIODRIVER=dummy valgrind --tool=memcheck --error-exitcode=42 --track-origins=yes \
  --leak-check=no --num-callers=30 "$tests" --gtest_brief=1
echo "valgrind_unit.sh: no memcheck error in the unit tests ($((SECONDS - start)) s)"
