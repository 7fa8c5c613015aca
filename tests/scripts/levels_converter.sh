#!/usr/bin/env bash
# The level converter: the committed tables are what the drawings convert to
# today, every level's hatching is whole strokes, and small broken drawings are
# each refused by name and rule, never with a traceback.
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

# Every stroke of the hatching runs from one edge of the hatched region to
# another (the outline, the cave or a figure in the ground): none is broken
# where nothing cuts it.
"$python" - "$source_dir/tools/levels" <<'PY' || failures=$((failures + 1))
import sys
sys.path.insert(0, sys.argv[1])
from shapely.geometry import Point
import convert_levels

def loose_ends(level):  # stroke ends off the region's edge (world units): cut there by nothing
    edge = level.region.boundary
    return [p for stroke in level.hatching for p in stroke if edge.distance(Point(p)) > 1e-6]

rules, clearances = convert_levels.load_rules(convert_levels.HERE + '/rules.json')
bad = 0
for rule in rules:
    level = convert_levels.build_level(rule, convert_levels.ROOT + '/content/levels', clearances)
    ends = loose_ends(level)
    bad += bool(ends)
    print(f'{rule["name"]}: {len(ends)} stroke ends inside the ground, first at {ends[0]}' if ends
          else f'ok: {rule["name"]}: {len(level.hatching)} whole strokes')
# The check sees a stroke cut in two with a gap, as dashes would be.
(ax, ay), (bx, by) = level.hatching[0]
cut = lambda t: (ax + (bx - ax) * t, ay + (by - ay) * t)
level.hatching[0:1] = [((ax, ay), cut(0.4)), (cut(0.6), (bx, by))]
if len(loose_ends(level)) != 2:
    bad += 1
    print('the check does not see a stroke broken in two')
sys.exit(1 if bad else 0)
PY

# Two tiny levels: a title jar open by a slot narrower than the body, and a
# square cave with one gem. Each case below breaks one rule in the cave.
cat >"$work/rules.good" <<'EOF'
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

# drawing FILE WALLS START GEMS GROUND: WALLS and GROUND are path data, START
# and GEMS lists of x,y markers.
markers() { for p in $1; do printf '<circle cx="%s" cy="%s" r="0.1"/>' "${p%,*}" "${p#*,}"; done; }
drawing() {
  cat >"$1" <<EOF
<svg xmlns="http://www.w3.org/2000/svg" xmlns:inkscape="http://www.inkscape.org/namespaces/inkscape" width="700" height="700" viewBox="-3 -4 9 9">
  <g inkscape:groupmode="layer" inkscape:label="decoration">
    <g inkscape:groupmode="layer" inkscape:label="ground"><path d="$5"/></g>
    <g inkscape:groupmode="layer" inkscape:label="sky"><path d="M 1.485,-3 L 1.515,-3"/></g>
  </g>
  <g inkscape:groupmode="layer" inkscape:label="walls"><path d="$2"/></g>
  <g inkscape:groupmode="layer" inkscape:label="start">$(markers "$3")</g>
  <g inkscape:groupmode="layer" inkscape:label="gems">$(markers "$4")</g>
</svg>
EOF
}

# run ARGUMENTS...: the converter given them; then expect NAME EXIT_STATUS
# TEXT...: it ended so, said every TEXT, and when refusing wrote no tables.
run() {
  rm -f "$work/out.cpp"
  "$python" "$converter" "$@" >/dev/null 2>"$work/stderr"
  status=$?
}
expect() {
  local name=$1 want=$2 bad=''
  shift 2
  [ "$status" -eq "$want" ] || bad+=" exit status $status, wanted $want;"
  for text in "$@"; do grep -qF -- "$text" "$work/stderr" || bad+=" no \"$text\" in the message;"; done
  ! grep -q Traceback "$work/stderr" || bad+=" a traceback;"
  [ "$want" -eq 0 ] || [ ! -e "$work/out.cpp" ] || bad+=" wrote tables anyway;"
  if [ -z "$bad" ]; then echo "ok: $name"; else
    echo "FAIL: $name:$bad"; sed 's/^/    /' "$work/stderr"; failures=$((failures + 1))
  fi
}

# convert NAME RULE [walls=PATH] [start=MARKERS] [gems=MARKERS] [ground=PATH]
#   [rules=SED] [svg=SED]: the good pair with the cave drawn from the given
# parts (the good ones by default) and the sed scripts applied to the rules and
# the cave's file; RULE empty means it must convert, else be refused so.
convert() {
  local name=$1 rule=$2 walls='M 0,0 L 3,0 L 3,2 L 0,2 Z' start='0.8,0.8' gems='2,1.2'
  local ground='M -2,-1 L 5,-1 L 4,4 L -1,4 Z' rules='' svg=''
  shift 2
  (($#)) && local "$@"
  local dir="$work/$name"
  mkdir -p "$dir"
  drawing "$dir/title.svg" 'M 1.6,0 L 3,0 L 3,2 L 0,2 L 0,0 L 1.4,0' '1.5,0.5' '' 'M -2,-1 L 5,-1 L 4,4 L -1,4 Z'
  drawing "$dir/cave.svg" "$walls" "$start" "$gems" "$ground"
  sed -i -e "$svg" "$dir/cave.svg"
  sed -e "$rules" "$work/rules.good" >"$work/rules.json"
  run --rules "$work/rules.json" --sources "$dir" --out "$work/out.cpp" --no-preview
  if [ -z "$rule" ]; then
    expect "$name" 0
  else
    expect "$name" 1 "convert_levels: tinycave (cave.svg)" "$rule" "nothing written"
  fi
}

# The good pair converts: the refusals below are caused by the one broken rule.
convert good ''
grep -q 'const Vec2 title_lines\[300\]' "$work/out.cpp" && grep -q 'const LevelData level_table\[\] = {' "$work/out.cpp" ||
  { echo "FAIL: good: the tables lack the records"; failures=$((failures + 1)); }

convert no_walls_layer 'no layer labelled "walls"' svg='s/label="walls"/label="rocks"/'
convert wrong_count 'runs: run 1 has 5 walls, the level needs 4' walls='M 0,0 L 3,0 L 3,2 L 1.5,2.0 L 0,2 Z'
convert open_run 'runs: run 1 must be closed' walls='M 0,0 L 3,0 L 3,2 L 0,2 L 0,0.1'
convert start_near_wall 'clearance: start lies 0.2000 from the nearest wall' start='0.2,0.8' \
  rules='s/"start": \[0.8, 0.8\]/"start": [0.2, 0.8]/'
convert gem_outside 'inside the cave: gem 1 lies outside' gems='3.5,1.2' rules='s/\[\[2, 1.2\]\]/[[3.5, 1.2]]/'
convert broken_run 'breaks into several pieces' walls='M 0,0 L 3,0 M 3,2 L 0,2 Z'
convert curved_wall 'walls must be straight lines' walls='M 0,0 C 1,-0.2 2,-0.2 3,0 L 3,2 L 0,2 Z'
convert not_svg 'is not a readable SVG drawing' svg='1!d;s/.*/this is not a drawing <svg/'
convert moved_start 'start: the marker is at' start='0.9,0.8'
convert wide_walls 'walls span: x 0.0000 to 3.2000' walls='M 0,0 L 3.2,0 L 3.2,2 L 0,2 Z'
convert cave_out_of_ground 'ground: enclosing run 1 of walls reaches out of the ground' ground='M -2,1 L 5,1 L 4,4 L -1,4 Z'
convert tiny_ground 'line count:' ground='M -2,-1 L 5,-1 L 5,2.2 L 4,4 L 3.9,2.1 L -1,2.2 L -2,2.2 Z' \
  rules='s/"lines": 150, "segments": 4/"lines": 900, "segments": 4/'
convert two_starts 'exactly one marker, not 2' start='0.8,0.8 1,1'
convert ground_on_after_close 'the ground layer must hold exactly one closed outline' ground='M -2,-1 L 5,-1 L 4,4 L -1,4 Z L 0,-3'
convert wall_on_after_close 'walls: run 1 goes on after it is closed' walls='M 0,0 L 3,0 L 3,2 L 0,2 Z l 1,1'

# The real drawings convert to the committed tables.
run --no-preview --out "$work/out.cpp"
expect "the real drawings convert" 0
if ! cmp -s "$source_dir/content/levels_gen.cpp" "$work/out.cpp"; then
  diff -u "$source_dir/content/levels_gen.cpp" "$work/out.cpp" | head -40
  echo "FAIL: content/levels_gen.cpp is stale: run /usr/bin/python3 tools/levels/convert_levels.py"; failures=$((failures + 1))
fi

# A wrong option gets the usage line and status 2; rules that cannot be read get a message.
run --bogus
expect "unknown option" 2 "usage: convert_levels.py"
run --rules "$work/nothing.json" --sources "$work/good" --out "$work/out.cpp"
expect "missing rules" 1 "cannot read the rules"

if [ $failures -ne 0 ]; then
  echo "$failures converter check(s) failed"
  exit 1
fi
echo "the hatching is whole strokes and every broken drawing was refused"
