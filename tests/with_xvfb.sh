#!/usr/bin/env bash
# Runs a command inside a private Xvfb (1024x768x24), whatever DISPLAY says.
# Xvfb chooses a free display itself (-displayfd); -noreset keeps it steady
# while clients come and go.
set -u
dir=$(mktemp -d)
trap 'kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; rm -rf "$dir"' EXIT
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$dir/display" 2>"$dir/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 1 100); do [ -s "$dir/display" ] && break; sleep 0.05; done
[ -s "$dir/display" ] || { echo "with_xvfb.sh: Xvfb did not start" >&2; cat "$dir/xvfb.log" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$dir/display")"
"$@"
