#!/usr/bin/env bash
# The committed sound programs are what the keyframes generate today, and the
# generator refuses broken keyframes with a message, not a traceback.
set -u
source=$2
python=/usr/bin/python3
[ -x "$python" ] || { echo "no $python: skipped"; exit 77; }
gen="$source/tools/gen_sound_programs.py"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
status=0
"$python" "$gen" "$source/tools/sound_programs.keys" -o "$tmp/programs_gen.cpp" || { echo "FAIL: the generator failed"; exit 1; }
diff -u "$source/sound/programs_gen.cpp" "$tmp/programs_gen.cpp" ||
  { echo "FAIL: sound/programs_gen.cpp is stale; regenerate it from tools/sound_programs.keys"; status=1; }
refused() {  # name, expected message part, keyframe file (missing when empty)
  rm -f "$tmp/bad.keys"
  [ -z "$3" ] || printf '%s\n' "$3" > "$tmp/bad.keys"
  "$python" "$gen" "$tmp/bad.keys" > /dev/null 2> "$tmp/err"
  local code=$?
  if [ "$code" -ne 1 ] || ! grep -q -- "$2" "$tmp/err" || grep -q Traceback "$tmp/err"; then
    echo "FAIL: $1: status $code, stderr:"; cat "$tmp/err"; status=1
  fi
}
refused "unknown wave" "WAVE one of" "program snd_x Square"
refused "keyframe first" "before any 'program'" "1 0 69 1 0.5 0 1"
refused "short row" "expected: segment frame" $'program snd_x Pulse\n1 0 69 1 0.5'
refused "not a number" "not a number" $'program snd_x Pulse\n1 0 la 1 0.5 0 1'
refused "gap" "covered by no segment" $'program snd_x Pulse\n1 0 69 1 0.5 0 1\n2 3 69 1 0.5 0 1'
refused "shape too big" "shape" $'program snd_x Pulse\n1 0 69 1 1.5 0 1'
refused "pitch too high" "phase_step" $'program snd_x Pulse\n1 0 200 1 0.5 0 1'
refused "backwards" "go back" $'program snd_x Pulse\n1 5 69 1 0.5 0 1\n1 2 69 1 0.5 0 1'
refused "missing file" "No such file" ""
exit $status
