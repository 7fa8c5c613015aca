#!/usr/bin/env bash
# The mutation tool on a tiny tree of its own: each outcome (killed, survived,
# timed out, did not compile, gone) told apart, a mutant found again after its
# line moved to another file, the tree and the scratch copy left byte for byte
# as they were even by Ctrl-C mid-mutant, and bad arguments refused with the usage line.
set -u
source_dir=$2
tool="$source_dir/tools/mutate.py"
python=/usr/bin/python3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# A game of two functions and a checker standing in for the unit tests. The
# checker hangs when count_to is broken, announcing it in $TINY_HANG_MARK.
tree="$work/tree"
mkdir -p "$tree/app" "$tree/content" "$tree/tests"
printf 'cmake_minimum_required(VERSION 3.16)\nproject(tiny CXX)\nadd_subdirectory(tests)\n' >"$tree/CMakeLists.txt"
echo 'add_executable(unit_tests check.cpp ../app/calc.cpp ../content/count.cpp)' >"$tree/tests/CMakeLists.txt"
printf '%s\n' '// Sums for the checker.' 'int sum(int a, int b) { return a + b; }' \
  'int unchecked_scale(int a) { return a * 3; }' >"$tree/app/calc.cpp"
printf '%s\n' '// Counts for the checker.' 'int count_to(int n) { return n + 1; }' >"$tree/content/count.cpp"
cat >"$tree/tests/check.cpp" <<'EOF'
#include <cstdio>
#include <cstdlib>
#include <unistd.h>
int sum(int a, int b), count_to(int n);
int main() {
    if (count_to(4) != 5) std::fclose(std::fopen(std::getenv("TINY_HANG_MARK"), "w")), sleep(60);
    return sum(2, 3) == 5 ? 0 : 1;
}
EOF
tree_sums() { (cd "$tree" && find . -type f -print0 | sort -z | xargs -0 sha256sum); }
tree_sums >"$work/before.sums"

# Listed mutants: one per outcome, one whose line moved to another file and
# one whose line is gone.
tr '|' '\t' >"$work/mutants.tsv" <<'EOF'
id|file|line|column|operator|original|replacement|source_line
M1|app/calc.cpp|2|34|arith|+|-|int sum(int a, int b) { return a + b; }
M2|app/calc.cpp|3|41|const|3|4|int unchecked_scale(int a) { return a * 3; }
M3|app/count.cpp|9|32|arith|+|-|int count_to(int n) { return n + 1; }
M4|app/calc.cpp|3|39|arith|*|* no_such_name *|int unchecked_scale(int a) { return a * 3; }
M5|app/calc.cpp|4|1|drop|x = 1;||x = 1;
EOF
TINY_HANG_MARK="$work/unused" "$python" "$tool" --tree "$tree" --mutants "$work/mutants.tsv" \
  --timeout 5 --results "$work/results.tsv" >"$work/run.out" 2>&1 || fail "the run ended with status $?"
for want in M1:killed M2:survived M3:timeout M4:no-compile M5:gone; do
  got=$(awk -F'\t' -v id="${want%%:*}" '$1 == id { print $9 }' "$work/results.tsv")
  [ "$got" = "${want#*:}" ] || fail "${want%%:*} is '$got', not ${want#*:}"
done
grep -q $'^M3\t.*\tcontent/count.cpp\t2$' "$work/results.tsv" ||
  fail "M3 was not found again at content/count.cpp line 2"
grep -q "^summary: 5 mutants: 1 killed, 1 survived, 1 timed out, 1 did not compile, 1 gone" "$work/run.out" ||
  fail "no summary line with the five outcomes"
grep -q "M2 line 3: const '3' -> '4'" "$work/run.out" || fail "the survivor is not reported with its line and change"
"$python" "$tool" --compare "$work/results.tsv" "$work/results.tsv" >"$work/compare.out" ||
  fail "comparing a run with itself reports a loss"
tree_sums | cmp -s - "$work/before.sums" || fail "the run changed the tree"
[ $failures -eq 0 ] || sed 's/^/    /' "$work/run.out"

# Ctrl-C while the hanging mutant runs: the tool stops with status 130 and
# the tree and the scratch copy hold the unmutated source again.
scratch="$work/scratch"
TINY_HANG_MARK="$work/hanging" "$python" "$tool" --tree "$tree" --mutants "$work/mutants.tsv" \
  --timeout 60 --scratch "$scratch" >"$work/int.out" 2>&1 &
pid=$!
for _ in $(seq 1 300); do [ -e "$work/hanging" ] && break; sleep 0.1; done
[ -e "$work/hanging" ] || { fail "the hanging mutant never ran"; sed 's/^/    /' "$work/int.out"; }
grep -q "n - 1" "$scratch/content/count.cpp" || fail "the scratch copy did not hold the mutant while it ran"
kill -INT $pid
wait $pid
status=$?
[ $status -eq 130 ] || fail "after SIGINT the tool ended with status $status, not 130"
grep -q "^interrupted (SIGINT)" "$work/int.out" || fail "the interruption was not reported"
tree_sums | cmp -s - "$work/before.sums" || fail "the interrupted run changed the tree"
cmp -s "$tree/content/count.cpp" "$scratch/content/count.cpp" || fail "the scratch copy was left mutated"

# Bad arguments: the usage line and status 2, and nothing is run.
while read -r args; do
  eval "set -- $args"
  "$python" "$tool" "$@" >"$work/bad.out" 2>&1 </dev/null
  status=$?
  [ $status -eq 2 ] && grep -q "^usage: mutate.py" "$work/bad.out" ||
    fail "'$*' was not refused with the usage line (status $status)"
done <<'EOF'
--tree "$tree" --seed x --count 2
--tree "$tree" --seed -1 --count 2
--tree "$tree" --seed 1 --count 0
--tree "$tree" --seed 1
--tree "$work/nowhere" --seed 1 --count 2
--tree "$tree" --seed 1 --count 2 --scratch "$tree/app"
--tree "$tree" --seed 1 --count 2 --scratch "$work"
--tree "$tree" --mutants "$work/missing.tsv"
--compare "$work/results.tsv"
EOF
tree_sums | cmp -s - "$work/before.sums" || fail "a refused run changed the tree"

if [ $failures -ne 0 ]; then
  echo "$failures check(s) of the mutation tool failed"
  exit 1
fi
echo "the mutation tool told every outcome apart, survived Ctrl-C cleanly and refused bad arguments"
