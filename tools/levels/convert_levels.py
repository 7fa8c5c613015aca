#!/usr/bin/python3
# Turns the level drawings into the C++ level tables and preview pictures, refusing drawings that break a rule.
"""Reads content/levels/*.svg, checks each drawing against the figures of its
record (tools/levels/rules.json), hatches the ground, meets the exact line
count, and writes content/levels/../levels_gen.cpp plus one PNG preview per
level.  Nothing is written when any level is refused.  Run with Debian's
/usr/bin/python3 (python3-svgelements, python3-shapely, python3-pil)."""

import argparse
import json
import os
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, HERE)

USAGE = ('usage: convert_levels.py [--rules FILE] [--sources DIR] [--out FILE] '
         '[--preview DIR | --no-preview]')

try:
    from hatching import FitError, fit_hatching, hatch_region, top_up_stars
    from level_rules import (cave_rings, check_level, f32_point, span_matches,
                             span_text, wall_segments)
    from level_source import LevelError, read_level
    import emit_cpp
except ImportError as missing:
    sys.stderr.write(f'convert_levels: {missing}; install python3-svgelements, python3-shapely '
                     'and python3-pil and run with /usr/bin/python3\n')
    sys.exit(1)


class Level:
    """One finished record: walls, all lines (walls first), start and gems, in f32;
    with the hatched region and its strokes as made, for the checks."""

    def __init__(self, name, start, gems, walls, lines, region=None, hatching=()):
        self.name = name
        self.start = start
        self.gems = gems
        self.walls = walls
        self.lines = lines
        self.region = region
        self.hatching = hatching


class Refused(Exception):
    def __init__(self, messages):
        super().__init__('; '.join(messages))
        self.messages = messages



# Below this a coordinate (world units) is the geometry library's rounding noise.
NOISE = 1e-9


def snap(p):
    return tuple(0.0 if abs(v) < NOISE else v for v in p)


def _outline_lines(ground, walls):
    """The ground outline as lines, leaving out edges a wall already draws."""
    drawn_walls = {frozenset(w) for w in walls}
    points = [f32_point(p) for p in ground]
    edges = zip(points, points[1:] + points[:1])
    return [(a, b) for a, b in edges if a != b and frozenset((a, b)) not in drawn_walls]


def build_level(rule, sources, clearances):
    path = os.path.join(sources, rule['source'])
    try:
        source = read_level(path)
    except LevelError as error:
        raise Refused([str(error)]) from None
    errors = check_level(source, rule, clearances)
    if errors:
        raise Refused(errors)

    walls = wall_segments(source.runs)
    fixed = list(walls) + _outline_lines(source.ground, walls)
    fixed += [(f32_point(a), f32_point(b)) for a, b in source.drawn]
    room = rule['lines'] - len(fixed)
    if room < 0:
        raise Refused([f'line count: walls and drawn decoration already make {len(fixed)} lines, '
                       f'the level has {rule["lines"]}'])
    try:
        region = hatch_region(source.ground, cave_rings(source.runs, rule['runs']), source.buried,
                              source.name)
        hatching = fit_hatching(region, room)
        lx, hx, ly, hy = rule['lines_span']
        box = (lx + 0.1, ly + 0.1, hx - 0.1, hy - 0.1)
        figures = [[a, b] for a, b in source.drawn]
        stars = top_up_stars(room - len(hatching), source.ground, figures, box,
                             f'{rule["name"]} stars')
    except FitError as error:
        raise Refused([str(error)]) from None
    # Strokes come out of the geometry library with rounding noise near zero
    # that differs between its releases (a stroke ending at x = 4e-16 on one,
    # at 0 on another); no drawing holds such a coordinate, so it is written
    # as 0 and the tables stay the same wherever they are generated.
    lines = fixed + [(f32_point(snap(a)), f32_point(snap(b))) for a, b in hatching + stars]

    xs = [p[0] for line in lines for p in line]
    ys = [p[1] for line in lines for p in line]
    lx, hx, ly, hy = rule['lines_span']
    if not (span_matches(xs, lx, hx) and span_matches(ys, ly, hy)):
        raise Refused([f'lines span: {span_text(xs, ys)}, the level needs '
                       f'x {lx:.2f} to {hx:.2f}, y {ly:.2f} to {hy:.2f} to two decimals'])
    if len(lines) != rule['lines']:
        raise Refused([f'line count: {len(lines)} lines made, the level has {rule["lines"]}'])
    return Level(rule['name'], f32_point(source.start), [f32_point(g) for g in source.gems],
                 walls, lines, region, hatching)


def load_rules(path):
    try:
        with open(path, encoding='utf-8') as stream:
            rules = json.load(stream)
        clearances = {'start': float(rules['start_clearance']),
                      'gem': float(rules['gem_clearance'])}
        levels = [rules['title']] + list(rules['table'])
        for rule in levels:
            for key in ('name', 'source', 'start', 'gems', 'lines', 'segments',
                        'lines_span', 'segments_span', 'runs'):
                if key not in rule:
                    raise KeyError(f'{key} of {rule.get("name", "a level")}')
        return levels, clearances
    except (OSError, ValueError, KeyError, TypeError) as error:
        sys.stderr.write(f'convert_levels: cannot read the rules {path}: {error}\n')
        sys.exit(1)


def write_atomically(path, text):
    folder = os.path.dirname(os.path.abspath(path))
    os.makedirs(folder, exist_ok=True)
    fd, temp = tempfile.mkstemp(dir=folder, prefix='.levels_gen.')
    with os.fdopen(fd, 'w', encoding='utf-8', newline='\n') as stream:
        stream.write(text)
    os.replace(temp, path)


class _Parser(argparse.ArgumentParser):
    def error(self, message):
        sys.stderr.write(f'{USAGE}\nconvert_levels: {message}\n')
        sys.exit(2)


def main(argv):
    parser = _Parser(usage=USAGE, add_help=True)
    parser.add_argument('--rules', default=os.path.join(HERE, 'rules.json'))
    parser.add_argument('--sources', default=os.path.join(ROOT, 'content', 'levels'))
    parser.add_argument('--out', default=os.path.join(ROOT, 'content', 'levels_gen.cpp'))
    parser.add_argument('--preview', default=os.path.join(ROOT, 'content', 'levels', 'preview'))
    parser.add_argument('--no-preview', action='store_true')
    args = parser.parse_args(argv)

    rules, clearances = load_rules(args.rules)
    built, refused = [], 0
    for rule in rules:
        try:
            built.append(build_level(rule, args.sources, clearances))
        except Refused as refusal:
            refused += 1
            for message in refusal.messages:
                sys.stderr.write(f'convert_levels: {rule["name"]} ({rule["source"]}): {message}\n')
    if refused:
        sys.stderr.write(f'convert_levels: {refused} level(s) refused; nothing written\n')
        return 1
    write_atomically(args.out, emit_cpp.render(built[0], built[1:], [r['source'] for r in rules]))
    if not args.no_preview:
        from preview import write_preview
        os.makedirs(args.preview, exist_ok=True)
        for level in built:
            write_preview(level, os.path.join(args.preview, level.name + '.png'))
    return 0


if __name__ == '__main__':
    try:
        sys.exit(main(sys.argv[1:]))
    except KeyboardInterrupt:
        sys.exit(130)
    except Exception as error:  # a tool never answers bad input with a traceback
        sys.stderr.write(f'convert_levels: unexpected failure: {type(error).__name__}: {error}\n')
        sys.exit(1)
