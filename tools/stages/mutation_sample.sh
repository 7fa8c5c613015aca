#!/usr/bin/env bash
# Mutation sample: about thirty faults that the full mutation run caught
# (tests/mutation/killed_sample.tsv) are put into a scratch copy of the tree
# one at a time; the stage fails when the tests let one of them through.
# Regenerate the sample from a full run's results with
#   /usr/bin/python3 tools/mutate.py --pick-killed RESULTS.tsv --seed 2026 --count 30 \
#       --list-out tests/mutation/killed_sample.tsv
# Usage: mutation_sample.sh BUILD_DIR
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:?usage: mutation_sample.sh BUILD_DIR}
# The scratch copy builds in a folder of its own beside the given build.
scratch="$(cd "$build" && pwd)-mutation"
/usr/bin/python3 "$root/tools/mutate.py" --tree "$root" \
  --mutants "$root/tests/mutation/killed_sample.tsv" \
  --scratch "$scratch" --results "$build/mutation_sample.tsv" --fail-on-survivor
