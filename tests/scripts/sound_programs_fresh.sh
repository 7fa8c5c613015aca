#!/usr/bin/env bash
# The committed sound programs must be what the keyframes generate today, and
# the generator must refuse broken keyframes with a message, not a traceback.
set -u
build=$1
source=$2
python=/usr/bin/python3
[ -x "$python" ] || { echo "no $python: skipped"; exit 77; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
status=0

if ! "$python" "$source/tools/gen_sound_programs.py" "$source/tools/sound_programs.keys" -o "$tmp/programs_gen.cpp"; then
  echo "FAIL: the generator failed on the committed keyframes"
  exit 1
fi
if ! diff -u "$source/sound/programs_gen.cpp" "$tmp/programs_gen.cpp"; then
  echo "FAIL: sound/programs_gen.cpp is stale; regenerate it from tools/sound_programs.keys"
  status=1
fi

# Broken keyframe files: each must be refused with status 1 and a message
# naming the problem.
expect_refusal() {  # name, expected message part, file text
  printf '%s\n' "$3" > "$tmp/bad.keys"
  "$python" "$source/tools/gen_sound_programs.py" "$tmp/bad.keys" > "$tmp/out" 2> "$tmp/err"
  local code=$?
  if [ "$code" -ne 1 ] || ! grep -q -- "$2" "$tmp/err" || grep -q Traceback "$tmp/err"; then
    echo "FAIL: $1: status $code, stderr:"; cat "$tmp/err"
    status=1
  fi
}
expect_refusal "unknown wave" "WAVE one of" "program snd_x Square"
expect_refusal "keyframe first" "before any 'program'" "1 0 69 1 0.5 0 1"
expect_refusal "short row" "expected: segment frame" $'program snd_x Pulse\n1 0 69 1 0.5'
expect_refusal "not a number" "not a number" $'program snd_x Pulse\n1 0 la 1 0.5 0 1'
expect_refusal "gap" "covered by no segment" $'program snd_x Pulse\n1 0 69 1 0.5 0 1\n2 3 69 1 0.5 0 1'
expect_refusal "shape too big" "shape" $'program snd_x Pulse\n1 0 69 1 1.5 0 1'
expect_refusal "pitch too high" "phase_step" $'program snd_x Pulse\n1 0 200 1 0.5 0 1'
expect_refusal "backwards" "go back" $'program snd_x Pulse\n1 5 69 1 0.5 0 1\n1 2 69 1 0.5 0 1'
rm -f "$tmp/bad.keys"
"$python" "$source/tools/gen_sound_programs.py" "$tmp/bad.keys" > /dev/null 2> "$tmp/err"
if [ $? -ne 1 ] || ! grep -q "No such file" "$tmp/err"; then
  echo "FAIL: a missing keyframe file is not refused clearly"; cat "$tmp/err"; status=1
fi
exit $status
