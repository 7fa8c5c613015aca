#!/usr/bin/env bash
# The WAV tool: renders every effect at 44100 Hz mono with the right length and
# a steady level after the program ends, and refuses bad requests clearly.
set -u
build=$1
tool="$build/sound_wav"
[ -x "$tool" ] || { echo "sound_wav not built: skipped"; exit 77; }
command -v sox > /dev/null || { echo "sox missing: skipped"; exit 77; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
status=0
fail() { echo "FAIL: $*"; status=1; }

if ! "$tool" all "$tmp" > "$tmp/log" 2>&1; then
  if grep -q "without libsndfile" "$tmp/log"; then echo "no libsndfile: skipped"; exit 77; fi
  cat "$tmp/log"; fail "sound_wav all"
fi

tick=735
tail=11025
# program, frames before End
for entry in snd_rope_fire:13 snd_bounce:6 snd_level_start:121 snd_gem:20 snd_time_up:141 snd_rope_catch:7; do
  name=${entry%%:*}
  frames=${entry##*:}
  wav="$tmp/$name.wav"
  [ -f "$wav" ] || { fail "$name.wav not written"; continue; }
  [ "$(soxi -r "$wav")" = 44100 ] || fail "$name: rate $(soxi -r "$wav")"
  [ "$(soxi -c "$wav")" = 1 ] || fail "$name: $(soxi -c "$wav") channels"
  [ "$(soxi -b "$wav")" = 16 ] || fail "$name: $(soxi -b "$wav") bits"
  want=$((frames * tick + tail))
  [ "$(soxi -s "$wav")" = "$want" ] || fail "$name: $(soxi -s "$wav") samples, expected $want"
  # The effect is audible, and once it has ended (End frames freeze the
  # filter) the level holds perfectly still.
  peak=$(sox "$wav" -n stat 2>&1 | awk '/Maximum amplitude/ {print $3}')
  awk -v p="$peak" 'BEGIN { exit !(p > 0.01) }' || fail "$name: peak $peak, effect not audible"
  tail_stats=$(sox "$wav" -n trim "$((want - tail + 10))s" stat 2>&1)
  hi=$(awk '/Maximum amplitude/ {print $3}' <<< "$tail_stats")
  lo=$(awk '/Minimum amplitude/ {print $3}' <<< "$tail_stats")
  [ "$hi" = "$lo" ] || fail "$name: tail moves between $lo and $hi"
done

# A full-volume bounce goes past full scale and must saturate, not wrap.
bounce_stats=$(sox "$tmp/snd_bounce.wav" -n stat 2>&1)
grep -q "Minimum amplitude: *-1.000000" <<< "$bounce_stats" || fail "bounce does not reach -1: $bounce_stats"
grep -q "Maximum amplitude: *0.999969" <<< "$bounce_stats" || fail "bounce does not reach 32767: $bounce_stats"
# At half volume it stays inside and is quieter.
"$tool" snd_bounce "$tmp/half.wav" 0.5 > /dev/null || fail "volume 0.5 refused"
half_peak=$(sox "$tmp/half.wav" -n stat 2>&1 | awk '/Minimum amplitude/ {print $3}')
awk -v p="$half_peak" 'BEGIN { exit !(p > -0.9 && p < -0.3) }' || fail "half-volume bounce minimum $half_peak"

# Refusals: status and a message that names the problem; never a crash.
refuse() {  # expected status, expected message part, arguments...
  local code=$1 text=$2
  shift 2
  "$tool" "$@" > "$tmp/out" 2> "$tmp/err"
  local got=$?
  if [ "$got" -ne "$code" ] || ! grep -q -- "$text" "$tmp/err"; then
    fail "sound_wav $*: status $got (want $code), stderr: $(cat "$tmp/err")"
  fi
}
refuse 2 "unknown program 'snd_nope'" snd_nope "$tmp/x.wav"
refuse 1 "cannot write '$tmp/missing/x.wav'" snd_gem "$tmp/missing/x.wav"
refuse 1 "cannot write" all "$tmp/missing"
refuse 2 "volume 'loud'" snd_gem "$tmp/x.wav" loud
refuse 2 "volume '-1'" snd_gem "$tmp/x.wav" -1
refuse 2 "usage:" snd_gem
refuse 2 "usage:"
"$tool" --help | grep -q "usage:" || fail "--help prints no usage"
exit $status
