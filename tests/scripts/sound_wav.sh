#!/usr/bin/env bash
# The WAV tool: every effect at 44100 Hz, mono, 16 bits, its frames and a
# quarter second long, audible and then still; a loud bounce saturates; bad
# requests are refused with a message naming the problem.
set -u
tool="$1/sound_wav"
[ -x "$tool" ] || { echo "sound_wav not built: skipped"; exit 77; }
command -v sox > /dev/null || { echo "sox missing: skipped"; exit 77; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
status=0
fail() { echo "FAIL: $*"; status=1; }
if ! "$tool" all "$tmp" > "$tmp/log" 2>&1; then
  grep -q "without libsndfile" "$tmp/log" && { echo "no libsndfile: skipped"; exit 77; }
  cat "$tmp/log"; fail "sound_wav all"
fi
stat_of() { sox "$@" -n stat 2>&1 | awk -F: '/Maximum amplitude/ {hi=$2} /Minimum amplitude/ {lo=$2} END {print hi+0, lo+0}'; }
for entry in snd_rope_fire:13 snd_bounce:6 snd_level_start:121 snd_gem:20 snd_time_up:141 snd_rope_catch:7; do
  name=${entry%%:*}
  wav="$tmp/$name.wav"
  want=$((${entry##*:} * 735 + 11025))
  got=$(soxi -r "$wav" 2>&1; soxi -c "$wav"; soxi -b "$wav"; soxi -s "$wav")
  [ "$(echo $got)" = "44100 1 16 $want" ] || fail "$name: rate, channels, bits, samples: $(echo $got), not 44100 1 16 $want"
  # Audible, and after End (filter 0) the level holds still.
  read -r hi lo <<< "$(stat_of "$wav")"
  [ "$hi" != "$lo" ] || fail "$name: not audible"
  read -r hi lo <<< "$(stat_of "$wav" trim "$((want - 11015))s")"
  [ "$hi" = "$lo" ] || fail "$name: the tail moves between $lo and $hi"
done
# A full-volume bounce goes past full scale and saturates; at half volume it
# stays inside.
[ "$(stat_of "$tmp/snd_bounce.wav")" = "0.999969 -1" ] || fail "bounce extremes: $(stat_of "$tmp/snd_bounce.wav")"
"$tool" snd_bounce "$tmp/half.wav" 0.5 > /dev/null || fail "volume 0.5 refused"
read -r hi lo <<< "$(stat_of "$tmp/half.wav")"
awk -v p="$lo" 'BEGIN { exit !(p > -0.9 && p < -0.3) }' || fail "half-volume bounce minimum $lo"
refuse() {  # expected status, expected message part, arguments...
  local code=$1 text=$2
  shift 2
  "$tool" "$@" > /dev/null 2> "$tmp/err"
  local got=$?
  [ "$got" -eq "$code" ] && grep -q -- "$text" "$tmp/err" || fail "sound_wav $*: status $got (want $code): $(cat "$tmp/err")"
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
