#!/usr/bin/env bash
# The ground's hatching is whole strokes: every stroke of every level runs from
# one edge of the hatched region to another (the outline, the cave or a figure
# in the ground), so no stroke is broken where nothing cuts it.
set -u
source_dir=$2
python=/usr/bin/python3
if ! "$python" -c 'import svgelements, shapely' 2>/dev/null; then
  echo "python3-svgelements or python3-shapely missing" >&2
  exit 77
fi
"$python" - "$source_dir/tools/levels" <<'PY'
import sys
sys.path.insert(0, sys.argv[1])
from shapely.geometry import Point
import convert_levels

# A stroke end farther than this from the region's edge (world units) lies
# inside the ground: the stroke was cut there by nothing.
ON_EDGE = 1e-6

def loose_ends(level):
    edge = level.region.boundary
    return [p for stroke in level.hatching for p in stroke if edge.distance(Point(p)) > ON_EDGE]

rules, clearances = convert_levels.load_rules(convert_levels.HERE + '/rules.json')
sources = convert_levels.ROOT + '/content/levels'
failures = 0
for rule in rules:
    level = convert_levels.build_level(rule, sources, clearances)
    ends = loose_ends(level)
    if ends:
        failures += 1
        print(f'{rule["name"]}: {len(ends)} stroke ends inside the ground, first at {ends[0]}')
    else:
        print(f'ok: {rule["name"]}: {len(level.hatching)} whole strokes')
# The check sees a stroke cut in two with a gap, as dashes would be.
(ax, ay), (bx, by) = level.hatching[0]
level.hatching[0:1] = [((ax, ay), (ax + (bx - ax) * 0.4, ay + (by - ay) * 0.4)),
                       ((ax + (bx - ax) * 0.6, ay + (by - ay) * 0.6), (bx, by))]
if len(loose_ends(level)) != 2:
    failures += 1
    print('the check does not see a stroke broken in two')
sys.exit(1 if failures else 0)
PY
