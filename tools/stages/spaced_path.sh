#!/usr/bin/env bash
# Path stage: the project must work from a folder whose path holds spaces and
# from any current folder. Clones the committed project into such a folder,
# builds it from another current folder, runs the fast tests there (unit
# tests, script checks, the start-up window tests through tests/with_xvfb.sh)
# and the ThreadSanitizer sound stage from the clone.
# Usage: spaced_path.sh BUILD_DIR   (the build folder is not used: the clone builds its own)
set -euo pipefail
if [ $# -ne 1 ]; then
  echo "usage: spaced_path.sh BUILD_DIR" >&2
  exit 2
fi
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/grapnel spaced path.XXXXXX")
trap 'rm -rf "$work"' EXIT
clone="$work/a project's folder/grapnel game"
mkdir -p "$(dirname "$clone")" "$work/elsewhere"
git -c safe.directory="*" clone --quiet "$root" "$clone"
echo "spaced_path.sh: cloned $(git -c safe.directory="*" -C "$root" rev-parse --short HEAD) into '$clone'"

# Everything from a current folder that is neither the clone nor its build.
cd "$work/elsewhere"
jobs=$(nproc)
cmake -S "$clone" -B "$clone/build" -DBUILD_TESTING=ON >/dev/null
cmake --build "$clone/build" -j"$jobs" >"$work/build.log" 2>&1 || {
  tail -n 30 "$work/build.log" >&2
  echo "spaced_path.sh: the build failed in a path with spaces" >&2
  exit 1
}
# The fast tests: unit tests and script checks, and the start-up window
# tests for the Xvfb wrapper (the longer window tests add nothing about paths).
{ ctest --test-dir "$clone/build" --output-on-failure -j"$jobs" -E '^window\.' &&
  ctest --test-dir "$clone/build" --output-on-failure -j"$jobs" -R '^window\.Startup\.'; } >"$work/ctest.log" 2>&1 || {
  grep -E "Failed|\*\*\*|tests passed" "$work/ctest.log" >&2
  echo "spaced_path.sh: tests failed in a path with spaces (see the failures above)" >&2
  exit 1
}
grep "tests passed" "$work/ctest.log"
tsan_status=0
bash "$clone/tools/stages/tsan_sound.sh" "$clone/build" >"$work/tsan.log" 2>&1 || tsan_status=$?
if [ "$tsan_status" -ne 0 ] && [ "$tsan_status" -ne 77 ]; then
  tail -n 30 "$work/tsan.log" >&2
  echo "spaced_path.sh: tsan_sound.sh failed in a path with spaces" >&2
  exit 1
fi
tail -n 1 "$work/tsan.log"
echo "spaced_path.sh: build, test suite and tsan_sound.sh pass in a path with spaces"
