#!/usr/bin/env bash
# Feeds the level converter small broken drawings and checks that each is refused by name and rule, never with a traceback.
set -u
source_dir=$2
python=/usr/bin/python3
converter="$source_dir/tools/levels/convert_levels.py"
if ! "$python" -c 'import svgelements, shapely' 2>/dev/null; then
  echo "python3-svgelements or python3-shapely missing" >&2
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# Two tiny levels: a title jar open by a slot narrower than the body, and a
# square cave with one gem. Each case below breaks one rule in one of them.
cat >"$work/rules.json" <<'EOF'
{
  "start_clearance": 0.28, "gem_clearance": 0.32,
  "title": {"name": "tinytitle", "source": "title.svg", "start": [1.5, 0.5], "gems": [],
            "lines": 150, "segments": 5, "lines_span": [-2, 5, -3, 4], "segments_span": [0, 3, 0, 2],
            "runs": [{"kind": "open", "segments": 5}], "inside_cave": false},
  "table": [
    {"name": "tinycave", "source": "cave.svg", "start": [0.8, 0.8], "gems": [[2, 1.2]],
     "lines": 150, "segments": 4, "lines_span": [-2, 5, -3, 4], "segments_span": [0, 3, 0, 2],
     "runs": [{"kind": "closed", "segments": 4}], "inside_cave": true}
  ]
}
EOF

# drawing FILE WALLS START GEMS [GROUND]
drawing() {
  local ground=${5:-'M -2,-1 L 5,-1 L 4,4 L -1,4 Z'}
  cat >"$1" <<EOF
<svg xmlns="http://www.w3.org/2000/svg" xmlns:inkscape="http://www.inkscape.org/namespaces/inkscape" width="700" height="700" viewBox="-3 -4 9 9">
  <g inkscape:groupmode="layer" inkscape:label="decoration">
    <g inkscape:groupmode="layer" inkscape:label="ground"><path d="$ground"/></g>
    <g inkscape:groupmode="layer" inkscape:label="sky"><path d="M 1.485,-3 L 1.515,-3"/></g>
  </g>
  <g inkscape:groupmode="layer" inkscape:label="walls">$2</g>
  <g inkscape:groupmode="layer" inkscape:label="start">$3</g>
  <g inkscape:groupmode="layer" inkscape:label="gems">$4</g>
</svg>
EOF
}

good_title() {
  drawing "$1/title.svg" '<path d="M 1.6,0 L 3,0 L 3,2 L 0,2 L 0,0 L 1.4,0"/>' '<circle cx="1.5" cy="0.5" r="0.1"/>' ''
}
good_cave() {
  drawing "$1/cave.svg" '<path d="M 0,0 L 3,0 L 3,2 L 0,2 Z"/>' '<circle cx="0.8" cy="0.8" r="0.1"/>' '<circle cx="2" cy="1.2" r="0.1"/>'
}

# expect NAME EXIT_STATUS TEXT...: the last run ended so and said every TEXT.
run_converter() {
  rm -f "$work/out.cpp"
  "$python" "$converter" --rules "$work/rules.json" --sources "$1" --out "$work/out.cpp" --no-preview \
    >"$work/stdout" 2>"$work/stderr"
  status=$?
}
expect() {
  local name=$1 want_status=$2
  shift 2
  local ok=1
  [ "$status" -eq "$want_status" ] || { echo "$name: exit status $status, wanted $want_status"; ok=0; }
  for text in "$@"; do
    grep -qF -- "$text" "$work/stderr" || { echo "$name: no \"$text\" in the message"; ok=0; }
  done
  if grep -q Traceback "$work/stderr"; then echo "$name: traceback"; ok=0; fi
  if [ "$want_status" -ne 0 ] && [ -e "$work/out.cpp" ]; then echo "$name: wrote tables anyway"; ok=0; fi
  if [ $ok -eq 0 ]; then
    sed 's/^/    /' "$work/stderr"
    failures=$((failures + 1))
  else
    echo "ok: $name"
  fi
}

# The good pair converts: the refusals below are caused by the one broken rule.
mkdir "$work/good"
good_title "$work/good"
good_cave "$work/good"
run_converter "$work/good"
expect "good drawings convert" 0
if ! grep -q 'const Vec2 title_lines\[300\]' "$work/out.cpp" 2>/dev/null ||
   ! grep -q 'const LevelData level_table\[\] = {' "$work/out.cpp"; then
  echo "good drawings: the tables lack the records"; failures=$((failures + 1))
fi

# case NAME, then the body of a function that breaks the cave drawing in DIR.
broken_case() {
  local name=$1 breaker=$2
  shift 2
  local dir="$work/$name"
  mkdir -p "$dir"
  good_title "$dir"
  good_cave "$dir"
  "$breaker" "$dir"
  run_converter "$dir"
  expect "$name" 1 "$@"
}

no_walls_layer() { sed -i 's/inkscape:label="walls"/inkscape:label="rocks"/' "$1/cave.svg"; }
wrong_count() { drawing "$1/cave.svg" '<path d="M 0,0 L 3,0 L 3,2 L 1.5,2.0 L 0,2 Z"/>' '<circle cx="0.8" cy="0.8" r="0.1"/>' '<circle cx="2" cy="1.2" r="0.1"/>'; }
open_run() { drawing "$1/cave.svg" '<path d="M 0,0 L 3,0 L 3,2 L 0,2 L 0,0.1"/>' '<circle cx="0.8" cy="0.8" r="0.1"/>' '<circle cx="2" cy="1.2" r="0.1"/>'; }
start_near_wall() { drawing "$1/cave.svg" '<path d="M 0,0 L 3,0 L 3,2 L 0,2 Z"/>' '<circle cx="0.8" cy="0.8" r="0.1"/>' '<circle cx="2" cy="1.2" r="0.1"/>';
                    sed -i 's/"start": \[0.8, 0.8\]/"start": [0.2, 0.8]/' "$work/rules.json"; sed -i 's/cx="0.8" cy="0.8"/cx="0.2" cy="0.8"/' "$1/cave.svg"; }
gem_outside() { drawing "$1/cave.svg" '<path d="M 0,0 L 3,0 L 3,2 L 0,2 Z"/>' '<circle cx="0.8" cy="0.8" r="0.1"/>' '<circle cx="3.5" cy="1.2" r="0.1"/>';
                sed -i 's/"gems": \[\[2, 1.2\]\]/"gems": [[3.5, 1.2]]/' "$work/rules.json"; }
broken_run() { drawing "$1/cave.svg" '<path d="M 0,0 L 3,0 M 3,2 L 0,2 Z"/>' '<circle cx="0.8" cy="0.8" r="0.1"/>' '<circle cx="2" cy="1.2" r="0.1"/>'; }
curved_wall() { drawing "$1/cave.svg" '<path d="M 0,0 C 1,-0.2 2,-0.2 3,0 L 3,2 L 0,2 Z"/>' '<circle cx="0.8" cy="0.8" r="0.1"/>' '<circle cx="2" cy="1.2" r="0.1"/>'; }
not_svg() { printf 'this is not a drawing <svg' >"$1/cave.svg"; }
moved_start() { sed -i 's/cx="0.8" cy="0.8"/cx="0.9" cy="0.8"/' "$1/cave.svg"; }
wide_walls() { drawing "$1/cave.svg" '<path d="M 0,0 L 3.2,0 L 3.2,2 L 0,2 Z"/>' '<circle cx="0.8" cy="0.8" r="0.1"/>' '<circle cx="2" cy="1.2" r="0.1"/>'; }
cave_out_of_ground() { drawing "$1/cave.svg" '<path d="M 0,0 L 3,0 L 3,2 L 0,2 Z"/>' '<circle cx="0.8" cy="0.8" r="0.1"/>' '<circle cx="2" cy="1.2" r="0.1"/>' 'M -2,1 L 5,1 L 4,4 L -1,4 Z'; }
tiny_ground() { drawing "$1/cave.svg" '<path d="M 0,0 L 3,0 L 3,2 L 0,2 Z"/>' '<circle cx="0.8" cy="0.8" r="0.1"/>' '<circle cx="2" cy="1.2" r="0.1"/>' 'M -2,-1 L 5,-1 L 5,2.2 L 4,4 L 3.9,2.1 L -1,2.2 L -2,2.2 Z';
                sed -i 's/"lines": 150, "segments": 4/"lines": 900, "segments": 4/' "$work/rules.json"; }
two_starts() { sed -i 's|<circle cx="0.8" cy="0.8" r="0.1"/>|<circle cx="0.8" cy="0.8" r="0.1"/><circle cx="1" cy="1" r="0.1"/>|' "$1/cave.svg"; }
ground_on_after_close() { drawing "$1/cave.svg" '<path d="M 0,0 L 3,0 L 3,2 L 0,2 Z"/>' '<circle cx="0.8" cy="0.8" r="0.1"/>' '<circle cx="2" cy="1.2" r="0.1"/>' 'M -2,-1 L 5,-1 L 4,4 L -1,4 Z L 0,-3'; }
wall_on_after_close() { drawing "$1/cave.svg" '<path d="M 0,0 L 3,0 L 3,2 L 0,2 Z l 1,1"/>' '<circle cx="0.8" cy="0.8" r="0.1"/>' '<circle cx="2" cy="1.2" r="0.1"/>'; }

cp "$work/rules.json" "$work/rules.good"
for entry in \
  "no_walls_layer|tinycave (cave.svg)|no layer labelled \"walls\"" \
  "wrong_count|tinycave (cave.svg)|runs: run 1 has 5 walls, the level needs 4" \
  "open_run|tinycave (cave.svg)|runs: run 1 must be closed" \
  "start_near_wall|tinycave (cave.svg)|clearance: start lies 0.2000 from the nearest wall" \
  "gem_outside|tinycave (cave.svg)|inside the cave: gem 1 lies outside" \
  "broken_run|tinycave (cave.svg)|breaks into several pieces" \
  "curved_wall|tinycave (cave.svg)|walls must be straight lines" \
  "not_svg|tinycave (cave.svg)|is not a readable SVG drawing" \
  "moved_start|tinycave (cave.svg)|start: the marker is at" \
  "wide_walls|tinycave (cave.svg)|walls span: x 0.0000 to 3.2000" \
  "cave_out_of_ground|tinycave (cave.svg)|ground: enclosing run 1 of walls reaches out of the ground" \
  "tiny_ground|tinycave (cave.svg)|line count:" \
  "two_starts|tinycave (cave.svg)|exactly one marker, not 2" \
  "ground_on_after_close|tinycave (cave.svg)|the ground layer must hold exactly one closed outline" \
  "wall_on_after_close|tinycave (cave.svg)|walls: run 1 goes on after it is closed"; do
  IFS='|' read -r name who rule <<<"$entry"
  cp "$work/rules.good" "$work/rules.json"
  broken_case "$name" "$name" "convert_levels: $who" "$rule" "nothing written"
done
cp "$work/rules.good" "$work/rules.json"

# A wrong option gets the usage line and status 2; rules that cannot be read get a message.
"$python" "$converter" --bogus >"$work/stdout" 2>"$work/stderr"
status=$?
expect "unknown option" 2 "usage: convert_levels.py"
"$python" "$converter" --rules "$work/nothing.json" --sources "$work/good" --out "$work/out.cpp" \
  >"$work/stdout" 2>"$work/stderr"
status=$?
expect "missing rules" 1 "cannot read the rules"

if [ $failures -ne 0 ]; then
  echo "$failures converter case(s) failed"
  exit 1
fi
echo "every broken drawing was refused"
