# Checks a level drawing against the figures its record must meet; every broken rule becomes one message.
import math
import struct

from shapely.geometry import LineString, Point, Polygon


def f32(value):
    """The nearest single-precision value, as the game stores it."""
    return struct.unpack('<f', struct.pack('<f', value))[0]


def f32_point(p):
    return (f32(p[0]), f32(p[1]))


def wall_segments(runs):
    """The walls in play order: every run's lines, closed runs with their closing line."""
    segments = []
    for points, closed in runs:
        pts = [f32_point(p) for p in points]
        segments.extend(zip(pts, pts[1:]))
        if closed:
            segments.append((pts[-1], pts[0]))
    return segments


# A run whose ends lie closer than this encloses space: the body (radius
# 0.125) cannot pass between them.
BODY_DIAMETER = 0.25


def cave_rings(runs, rule_runs):
    """The runs that enclose space: closed runs, and runs whose ends the body cannot pass between."""
    rings = []
    for (points, closed), want in zip(runs, rule_runs):
        ends = math.dist(points[0], points[-1])
        if closed or (want['kind'] != 'single' and len(points) > 3 and ends < BODY_DIAMETER):
            rings.append([f32_point(p) for p in points])
    return rings


def point_segment_distance(p, seg):
    (ax, ay), (bx, by) = seg
    dx, dy = bx - ax, by - ay
    dd = dx * dx + dy * dy
    t = 0.0 if dd == 0.0 else max(0.0, min(1.0, ((p[0] - ax) * dx + (p[1] - ay) * dy) / dd))
    return math.hypot(p[0] - ax - dx * t, p[1] - ay - dy * t)


def inside_cave(p, rings):
    """Odd number of enclosing rings: inside the cave, outside any island in it."""
    return sum(Polygon(ring).contains(Point(p)) for ring in rings) % 2 == 1


def span_matches(values, low, high):
    """The span, rounded to two decimals, equals the wanted one."""
    return (round(min(values) * 100) == round(low * 100)
            and round(max(values) * 100) == round(high * 100))


def span_text(xs, ys):
    return f'x {min(xs):.4f} to {max(xs):.4f}, y {min(ys):.4f} to {max(ys):.4f}'


def _same_f32(p, want):
    return f32_point(p) == f32_point(want)


def _seg_length(seg):
    return math.dist(seg[0], seg[1])


def _check_runs(source, rule, errors):
    want_runs = rule['runs']
    if len(source.runs) != len(want_runs):
        errors.append(f'runs: the walls layer holds {len(source.runs)} runs, '
                      f'the level needs {len(want_runs)}')
        return
    for index, ((points, closed), want) in enumerate(zip(source.runs, want_runs), 1):
        count = len(points) - (0 if closed else 1)
        kind = want['kind']
        wanted_count = want.get('segments', 1)
        if kind == 'closed' and not closed:
            errors.append(f'runs: run {index} must be closed (end the path with Z)')
        elif kind != 'closed' and closed:
            errors.append(f'runs: run {index} must not be closed ({kind} run)')
        if count != wanted_count:
            errors.append(f'runs: run {index} has {count} walls, the level needs {wanted_count}')
        ends = math.dist(f32_point(points[0]), f32_point(points[-1]))
        if kind == 'gap' and not closed and abs(ends - want['gap']) > 1e-5:
            errors.append(f'runs: the ends of run {index} lie {ends:.6f} apart, '
                          f'the level needs {want["gap"]}')
        if kind == 'single' and count == 1:
            length = _seg_length((f32_point(points[0]), f32_point(points[1])))
            if abs(length - want['length']) > 1e-5:
                errors.append(f'runs: single wall {index} is {length:.6f} long, '
                              f'the level needs {want["length"]}')


def _cross(s, t):
    return LineString(s).crosses(LineString(t))


def check_level(source, rule, clearances):
    """Every rule the drawing breaks, as messages; empty when the walls, start and gems are right."""
    errors = []
    _check_runs(source, rule, errors)
    segments = wall_segments(source.runs)
    if len(segments) != rule['segments']:
        errors.append(f'segment count: {len(segments)} walls, the level needs {rule["segments"]}')
    if not segments:
        return errors

    for i, j in rule.get('crossing', []):
        if j >= len(segments) or not _cross(segments[i], segments[j]):
            errors.append(f'crossing walls: walls {i} and {j} must cross each other')

    zero = sum(1 for s in segments if s[0] == s[1])
    if zero != rule.get('zero_length_segments', 0):
        errors.append(f'zero-length walls: {zero}, the level needs '
                      f'{rule.get("zero_length_segments", 0)}')
    if 'shortest_segment_below' in rule:
        shortest = min((_seg_length(s) for s in segments if s[0] != s[1]), default=0.0)
        if not 0.0 < shortest < rule['shortest_segment_below']:
            errors.append(f'very short walls: the shortest wall is {shortest:.9f} long, '
                          f'the level needs one shorter than {rule["shortest_segment_below"]}')

    xs = [p[0] for s in segments for p in s]
    ys = [p[1] for s in segments for p in s]
    lx, hx, ly, hy = rule['segments_span']
    if not (span_matches(xs, lx, hx) and span_matches(ys, ly, hy)):
        errors.append(f'walls span: {span_text(xs, ys)}, the level needs '
                      f'x {lx:.2f} to {hx:.2f}, y {ly:.2f} to {hy:.2f} to two decimals')

    if not _same_f32(source.start, rule['start']):
        errors.append(f'start: the marker is at {source.start}, the level needs {tuple(rule["start"])}')
    if len(source.gems) != len(rule['gems']):
        errors.append(f'gem count: {len(source.gems)} gems, the level needs {len(rule["gems"])}')
    else:
        for index, (gem, want) in enumerate(zip(source.gems, rule['gems']), 1):
            if not _same_f32(gem, want):
                errors.append(f'gem {index}: the marker is at {gem}, the level needs {tuple(want)}')

    places = [('start', f32_point(source.start), clearances['start'])]
    places += [(f'gem {i}', f32_point(g), clearances['gem']) for i, g in enumerate(source.gems, 1)]
    for what, p, need in places:
        near = min(point_segment_distance(p, s) for s in segments)
        if near < need:
            errors.append(f'clearance: {what} lies {near:.4f} from the nearest wall, '
                          f'at least {need} is needed')

    rings = cave_rings(source.runs, rule['runs'])
    if rule.get('inside_cave'):
        for what, p, _ in places:
            if not inside_cave(p, rings):
                errors.append(f'inside the cave: {what} lies outside the closed runs of walls')
    ground = Polygon(source.ground)
    if not ground.is_valid:
        errors.append('ground: the ground outline crosses itself')
    else:
        for index, ring in enumerate(rings, 1):
            if len(ring) >= 3 and not ground.contains(Polygon(ring)):
                errors.append(f'ground: enclosing run {index} of walls reaches out of the ground')
    return errors
