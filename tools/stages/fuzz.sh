#!/usr/bin/env bash
# Fuzzing stage: builds the libFuzzer targets in fuzz/ with clang, AddressSanitizer
# and UndefinedBehaviorSanitizer (compiling the few game sources they need
# directly) and runs each for a bounded time. Any crash, sanitizer report or
# broken rule fails the stage and leaves the input that caused it; inputs
# saved in fuzz/regressions/TARGET/ after a fault was found run first.
# Usage: fuzz.sh BUILD_DIR     (FUZZ_SECONDS sets the time per target, default 60)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:?usage: fuzz.sh BUILD_DIR}
seconds=${FUZZ_SECONDS:-60}
out="$build/fuzz"
mkdir -p "$out"

cxx=$(command -v clang++ || true)
if [ -z "$cxx" ]; then
    echo "fuzz.sh: clang++ not found (install clang and the libclang-rt-N-dev of its major version N)" >&2
    exit 1
fi
sdl_cflags=$(pkg-config --cflags sdl 2>/dev/null || sdl-config --cflags)
# The same arithmetic as the game: never fuse a multiply and an add.
flags=(-std=c++17 -O1 -g -ffp-contract=off -Wall -Wextra
       -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined
       -I"$root" $sdl_cflags)

# The physics sources go into an archive, so that the target pulls in the
# queries and whatever they are built on, and nothing else (the body would
# want the sound and the levels).
rm -rf "$out/physics" && mkdir -p "$out/physics"
for source in "$root"/physics/*.cpp; do
    "$cxx" "${flags[@]/-fsanitize=fuzzer,/-fsanitize=fuzzer-no-link,}" -c "$source" \
        -o "$out/physics/$(basename "$source" .cpp).o"
done
ar rcs "$out/physics.a" "$out"/physics/*.o

build_target() {
    local name=$1
    shift
    "$cxx" "${flags[@]}" "$root/fuzz/$name.cpp" "$@" -o "$out/$name"
}
build_target queries_fuzz "$out/physics.a"
build_target options_fuzz "$root/app/options.cpp"

status=0
for target in queries_fuzz options_fuzz; do
    corpus="$out/$target.corpus"
    mkdir -p "$corpus"
    # Inputs that once found a fault run first, every time.
    regressions=("$root/fuzz/regressions/$target"/*)
    if [ -e "${regressions[0]}" ]; then
        echo "== $target on ${#regressions[@]} saved inputs"
        if ! "$out/$target" "${regressions[@]}" >"$out/$target.regressions.log" 2>&1; then
            status=1
            echo "$target FAILS ON A SAVED INPUT:"
            grep -E "Running: |ERROR|runtime error|_fuzz:" "$out/$target.regressions.log" | head -20
        fi
    fi
    echo "== $target for ${seconds} s"
    if ! UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        "$out/$target" -max_total_time="$seconds" -max_len=512 -timeout=10 \
        -artifact_prefix="$out/$target-" -print_final_stats=1 "$corpus" \
        >"$out/$target.log" 2>&1; then
        status=1
        echo "$target FOUND A FAULT:"
        grep -E "ERROR|runtime error|_fuzz:|SUMMARY|Test unit written" "$out/$target.log" | head -20
    fi
    grep -E "stat::number_of_executed_units|stat::peak_rss_mb" "$out/$target.log" || true
    grep -E "^#[0-9]+ +DONE" "$out/$target.log" || true
done
exit "$status"
