#!/usr/bin/env bash
# Every level can be finished before its 60 s clock runs out: the solver finds
# inputs for all five, each found sequence played back in fresh processes
# ends in the same state to the last bit, a sequence cut short does not
# finish, and bad arguments and broken input files are refused.
# Usage: solver_levels.sh BUILD_DIR SOURCE_DIR
set -u
build=$1
solver="$build/solver"
[ -x "$solver" ] || { echo "no solver in $build"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0
bad() { echo "FAIL: $*"; fail=1; }

# Sanitizer builds run some fifteen times slower; a narrower search still
# finishes every level there and keeps the run short.
beam=64
if grep -q '^GRAPNEL_SANITIZE:BOOL=ON' "$build/CMakeCache.txt" 2>/dev/null; then beam=8; fi

"$solver" --beam "$beam" --write "$work" >"$work/search.txt" 2>&1
status=$?
cat "$work/search.txt"
[ "$status" -eq 0 ] || bad "solver exit status $status: some level was not finished"

for n in 1 2 3 4 5; do
    line=$(grep "^level $n: finished in " "$work/search.txt")
    if [ -z "$line" ]; then
        bad "level $n not finished"
        continue
    fi
    seconds=$(sed -n 's/.*finished in \([0-9.]*\) s.*/\1/p' <<<"$line")
    awk -v s="$seconds" 'BEGIN { exit !(s < 60) }' || bad "level $n took $seconds s, not under 60"
    found_hash=$(sed -n 's/.*hash \([0-9a-f]*\),.*/\1/p' <<<"$line")
    grep -q "REPLAY DIFFERS" <<<"$line" && bad "level $n: the search's own replay differs"
    inputs="$work/level$n.inputs"
    [ -s "$inputs" ] || { bad "level $n: no inputs written"; continue; }
    for run in 1 2; do
        out=$("$solver" --replay "$inputs" --level "$n")
        [ $? -eq 0 ] || bad "level $n replay run $run did not finish: $out"
        replay_hash=$(sed -n 's/.*hash \([0-9a-f]*\)$/\1/p' <<<"$out")
        [ "$replay_hash" = "$found_hash" ] ||
            bad "level $n replay run $run ends in state $replay_hash, the search in $found_hash"
    done
    # Without its last frame the sequence stops one frame short of the last gem.
    grep -v '^#' "$inputs" | sed '$d' >"$work/short.inputs"
    "$solver" --replay "$work/short.inputs" --level "$n" >"$work/short.txt"
    [ $? -eq 1 ] || bad "level $n finished without its last frame: $(cat "$work/short.txt")"
done

# Refusals: exit status 2 and a message naming the problem.
refuse() {
    local expect=$1
    shift
    "$@" >"$work/out.txt" 2>"$work/err.txt"
    local status=$?
    [ "$status" -eq 2 ] || bad "'$*' exit status $status, expected 2"
    grep -q -- "$expect" "$work/err.txt" || bad "'$*' did not say '$expect': $(cat "$work/err.txt")"
}
refuse "unknown argument '--fast'" "$solver" --fast
refuse "level number from 1 to 5, not '0'" "$solver" --level 0
refuse "level number from 1 to 5, not '6'" "$solver" --level 6
refuse "not '2x'" "$solver" --level 2x
refuse "--beam takes a width" "$solver" --beam 0
refuse "--level needs a value" "$solver" --level
refuse "--replay needs --level" "$solver" --replay "$work/level1.inputs"
refuse "cannot read" "$solver" --replay "$work/missing.inputs" --level 1
printf '0.5 0.5 1\n' >"$work/three.inputs"
refuse "three.inputs:1: expected 4 fields" "$solver" --replay "$work/three.inputs" --level 1
printf '# header\n0 0 0 0\nnan 1 1 1\n' >"$work/nan.inputs"
refuse "nan.inputs:3: aim is not a finite number" "$solver" --replay "$work/nan.inputs" --level 1
printf '1 0 2 1\n' >"$work/flag.inputs"
refuse "pressed and held must be 0 or 1" "$solver" --replay "$work/flag.inputs" --level 1
refuse "cannot write" "$solver" --level 1 --beam 8 --write "$work/no/such/folder"

[ "$fail" -eq 0 ] && echo "solver_levels: all checks passed"
exit "$fail"
