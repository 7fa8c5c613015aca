#!/usr/bin/env bash
# Installs what the tests need, builds the game and runs every test headless:
# the normal build, then the whole suite again with AddressSanitizer and
# UndefinedBehaviorSanitizer, then the extra stages in tools/stages/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/tools/install_deps.sh" build test
jobs=$(nproc)

build="$root/build"
cmake -S "$root" -B "$build" -DBUILD_TESTING=ON >/dev/null
cmake --build "$build" -j"$jobs"
(cd "$build" && ctest --output-on-failure -j"$jobs")

asan="$root/build-asan"
cmake -S "$root" -B "$asan" -DBUILD_TESTING=ON -DGRAPNEL_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$asan" -j"$jobs"
(cd "$asan" &&
  ASAN_OPTIONS=detect_leaks=1 \
  LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0" \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --output-on-failure -j"$jobs")

shopt -s nullglob
for stage in "$root"/tools/stages/*.sh; do
  echo "== stage $(basename "$stage")"
  # 77: the stage cannot run on this machine and has said why.
  status=0
  bash "$stage" "$build" || status=$?
  [ "$status" -eq 0 ] || [ "$status" -eq 77 ] || exit "$status"
done
