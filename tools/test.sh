#!/usr/bin/env bash
# Installs what the tests need, builds the game and runs every test headless:
# the normal build, then the whole suite again with AddressSanitizer and
# UndefinedBehaviorSanitizer, then every stage in tools/stages/. Each step
# runs even when one before it failed; a summary line per step follows, and
# the exit status is 1 when any step failed.
#
# A stage is run as `bash STAGE BUILD_DIR`; exit 0 passes, 77 skips (its last
# line of output says why), anything else fails. Under CI (CI=true) a skip
# counts as a failure unless the README's table of expected skips lists that
# stage for this machine.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
if [ $# -ne 0 ]; then
  echo "usage: bash tools/test.sh   (no arguments; CI=true makes unexpected skips fail)" >&2
  exit 2
fi
bash "$root/tools/install_deps.sh" build test || exit 1
jobs=$(nproc)

names=()
results=()
failed=0
passed=0
skipped=0

# The machines this run is on, as the README's table of expected skips names
# them: "Debian 12", "Debian 13", and "stage root" inside a root made by the
# Debian-root stages.
machines=()
if [ -r /etc/os-release ]; then
  machines+=("$(. /etc/os-release && echo "${NAME%% *} ${VERSION_ID:-}")")
fi
[ -f /etc/grapnel-stage-root ] && machines+=("stage root")

skip_expected() {
  local stage=$1 machine
  for machine in "${machines[@]}"; do
    grep -qF "| \`$stage\` | $machine |" "$root/README.md" && return 0
  done
  return 1
}

record() {
  local name=$1 status=$2 reason=${3:-}
  names+=("$name")
  if [ "$status" -eq 0 ]; then
    results+=("passed")
    passed=$((passed + 1))
  elif [ "$status" -eq 77 ]; then
    if [ "${CI:-}" = true ] && ! skip_expected "$name"; then
      results+=("failed   (skipped, and the README lists no such skip on ${machines[*]:-this machine}: $reason)")
      failed=$((failed + 1))
    else
      results+=("skipped  ($reason)")
      skipped=$((skipped + 1))
    fi
  else
    results+=("failed   (exit status $status)")
    failed=$((failed + 1))
  fi
}

# Runs one step, showing its output and keeping it for the skip reason.
step() {
  local name=$1
  shift
  echo "== $name"
  local log status
  log=$(mktemp)
  "$@" 2>&1 | tee "$log"
  status=${PIPESTATUS[0]}
  record "$name" "$status" "$(grep -v '^[[:space:]]*$' "$log" | tail -n 1)"
  rm -f "$log"
}

# Configures, builds and runs ctest in DIR; test_env is set around ctest.
test_env=()
build_and_test() {
  local dir=$1
  shift
  cmake -S "$root" -B "$dir" -DBUILD_TESTING=ON -DGRAPNEL_WERROR=ON "$@" >/dev/null &&
    cmake --build "$dir" -j"$jobs" &&
    (cd "$dir" && env "${test_env[@]}" ctest --output-on-failure -j"$jobs")
}

build="$root/build"
step "test suite" build_and_test "$build"

# The suppressions path is quoted for the sanitizers' own option parser: the
# project folder may hold spaces.
test_env=(ASAN_OPTIONS=detect_leaks=1
  LSAN_OPTIONS="suppressions=\"$root/tests/lsan.supp\":print_suppressions=0"
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1)
step "test suite under ASan and UBSan" build_and_test "$root/build-asan" \
  -DGRAPNEL_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
test_env=()

shopt -s nullglob
for stage in "$root"/tools/stages/*.sh; do
  step "$(basename "$stage")" bash "$stage" "$build"
done

echo "== summary"
for i in "${!names[@]}"; do
  printf '%-32s %s\n' "${names[i]}" "${results[i]}"
done
echo "steps: $passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ]
