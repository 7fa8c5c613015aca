#!/usr/bin/env bash
# Regenerates the figures in bench/README.md: builds what it needs in its own
# build folder (build-bench), counts instructions with callgrind, times the
# physics and the frame with Google Benchmark, runs the real game and a bare
# window under a private Xvfb, and rewrites the table between the markers.
# Needs valgrind, Xvfb and, for the physics peer, libbox2d-dev.
#   bash bench/run.sh [seconds per windowed run, default 10]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-10}
case $seconds in '' | *[!0-9]*) echo "run.sh: seconds must be a whole number" >&2; exit 2 ;; esac
for tool in valgrind Xvfb /usr/bin/python3; do
  command -v "$tool" >/dev/null || { echo "run.sh: $tool is needed" >&2; exit 1; }
done
build="$root/build-bench"
out="$build/bench-results"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target grapnel physics_steps voice_steps physics_bench \
  frame_bench bare_window frame_probe
rm -rf "$out"
mkdir -p "$out"
export SDL_AUDIODRIVER=dummy

echo "== instructions: physics steps"
valgrind --tool=callgrind --collect-atstart=no --callgrind-out-file="$out/steps.grapnel.%p" \
  "$build/physics_steps" grapnel 200 2>"$out/valgrind.log"
if valgrind --tool=callgrind --collect-atstart=no --callgrind-out-file="$out/steps.box2d.%p" \
  "$build/physics_steps" box2d 200 >"$out/box2d_walls.txt" 2>>"$out/valgrind.log"; then :; else
  echo "run.sh: no Box2D peer (build with libbox2d-dev for it)"
fi
echo "== instructions: voice"
valgrind --tool=callgrind --collect-atstart=no --callgrind-out-file="$out/voice.%p" \
  "$build/voice_steps" >"$out/voice.txt" 2>>"$out/valgrind.log"

echo "== times: physics steps"
"$build/physics_bench" --benchmark_repetitions=7 --benchmark_min_time=0.05 \
  --benchmark_report_aggregates_only=true --benchmark_format=json >"$out/physics_times.json"

echo "== the frame under Xvfb at 1024x768"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$out/display" 2>"$out/xvfb.log" &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -s "$out/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$out/display")"
"$build/frame_bench" --benchmark_repetitions=5 --benchmark_min_time=0.2 \
  --benchmark_report_aggregates_only=true --benchmark_format=json >"$out/frame_times.json"
# The real game on its title screen and the bare window, one after the
# other, each for the given seconds under the frame probe.
probe() {
  local name=$1; shift
  FRAME_PROBE_OUT="$out/probe_$name.txt" LD_PRELOAD="$build/libframe_probe.so" "$@" &
  local pid=$!
  sleep "$seconds"
  kill -TERM "$pid" 2>/dev/null || true
  wait "$pid" || true
}
probe game "$build/grapnel"
probe bare "$build/bare_window"

/usr/bin/python3 "$root/bench/write_table.py" "$out" "$root/bench/README.md"
echo "bench/README.md rewritten from $out"
