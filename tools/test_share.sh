#!/usr/bin/env bash
# Counts the non-blank lines of the tests (tests/ and fuzz/) against the
# hand-written code (the game, the web build, tools, benchmarks, CMake;
# generated tables left out) and fails when the tests pass the share the
# project allows.
# usage: tools/test_share.sh [SOURCE_DIR] [MAX_PERCENT]
set -euo pipefail
root=${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
max=${2:-35}
if ! git -C "$root" rev-parse --git-dir >/dev/null 2>&1 || ! [[ "$max" =~ ^[0-9]+$ ]]; then
  echo "usage: tools/test_share.sh [SOURCE_DIR] [MAX_PERCENT]  (SOURCE_DIR must be a git checkout)" >&2
  exit 2
fi
source_files='\.(cpp|h|c|py|sh|js|mjs|html|cmake)$|(^|/)CMakeLists\.txt$'
count() {  # non-blank lines of the committed source files under the given paths
  git -C "$root" ls-files -z -- "$@" | grep -zE "$source_files" | grep -zvE '_gen\.' |
    (cd "$root" && xargs -0 -r cat) | grep -cv '^[[:space:]]*$' || true
}
tests=$(count tests fuzz)
game=$(count app physics content sound web)
tools=$(count tools)
bench=$(count bench)
cmake=$(count CMakeLists.txt cmake)
code=$((game + tools + bench + cmake))
pct=$((100 * tests / code))
printf 'tests %d lines against %d lines of code (game %d, tools %d, benchmarks %d, CMake %d): %d%%, at most %d%% allowed\n' \
  "$tests" "$code" "$game" "$tools" "$bench" "$cmake" "$pct" "$max"
[ $((100 * tests)) -le $((max * code)) ]
