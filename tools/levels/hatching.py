# Generates the ground's diagonal hatching and the top-up stars that bring a level to its exact line count.
import math
import random

from shapely.geometry import LineString, MultiLineString, Point, Polygon
from shapely.ops import unary_union

# Distance between neighbouring hatch lines, world units (12 pixels at zoom 1).
HATCH_SPACING = 0.12
# Hatch direction: up and to the right on screen (y grows downward).
HATCH_DIRECTION = (math.sqrt(0.5), -math.sqrt(0.5))
# Clear margin around figures lying in the ground, world units.
BURIED_MARGIN = 0.07
# Shortest stroke worth drawing, world units.
MIN_STROKE = 0.03
# Stroke lengths tried when fitting the line count, world units: a geometric
# ladder so that neighbouring steps change the count by a line or two.
STROKE_LADDER = [0.2 * 1.004 ** k for k in range(900)]
# Most stars the fit may add to reach the exact count.
MAX_TOP_UP = 40
# Star dots: length of the dot's line, clearance from the ground and from each
# other and from the sky figures, world units.
STAR_DOT = 0.03
STAR_GROUND_CLEARANCE = 0.45
STAR_SPACING = 0.5
STAR_FIGURE_CLEARANCE = 0.3


class FitError(Exception):
    """The drawing leaves no way to reach the exact line count."""


def cave_area(rings):
    """The empty space: inside an odd number of enclosing rings."""
    area = Polygon()
    for ring in rings:
        if len(ring) >= 3:
            area = area.symmetric_difference(Polygon(ring).buffer(0))
    return area


def hatch_region(ground, rings, buried):
    region = Polygon(ground).difference(cave_area(rings))
    keep_clear = [LineString(fig).convex_hull.buffer(BURIED_MARGIN) for fig in buried if len(fig) > 1]
    if keep_clear:
        region = region.difference(unary_union(keep_clear))
    return region


def _pieces_of(geometry):
    if geometry.is_empty:
        return []
    if isinstance(geometry, LineString):
        return [geometry]
    if isinstance(geometry, MultiLineString):
        return list(geometry.geoms)
    return [g for g in getattr(geometry, 'geoms', []) if isinstance(g, LineString)]


def hatch_pieces(region):
    """The hatch lines clipped to the region: a list of (start, end, length), in a stable order."""
    dx, dy = HATCH_DIRECTION
    nx, ny = -dy, dx
    minx, miny, maxx, maxy = region.bounds
    corners = [(minx, miny), (minx, maxy), (maxx, miny), (maxx, maxy)]
    offsets = [x * nx + y * ny for x, y in corners]
    along = [x * dx + y * dy for x, y in corners]
    t0, t1 = min(along) - 1.0, max(along) + 1.0
    pieces = []
    k = math.floor(min(offsets) / HATCH_SPACING)
    while k * HATCH_SPACING <= max(offsets):
        c = k * HATCH_SPACING
        line = LineString([(c * nx + t0 * dx, c * ny + t0 * dy),
                           (c * nx + t1 * dx, c * ny + t1 * dy)])
        found = []
        for piece in _pieces_of(region.intersection(line)):
            a, b = piece.coords[0], piece.coords[-1]
            ta, tb = a[0] * dx + a[1] * dy, b[0] * dx + b[1] * dy
            if tb < ta:
                a, b, ta, tb = b, a, tb, ta
            if tb - ta >= MIN_STROKE:
                found.append((ta, a, b, tb - ta))
        pieces.extend((a, b, length) for _, a, b, length in sorted(found))
        k += 1
    return pieces


class StrokePattern:
    """Each piece's strokes and gaps as fixed fractions of a common stroke length,
    so the whole hatching scales with one number and stays the same from run to run."""

    def __init__(self, pieces, seed):
        rng = random.Random(seed)
        self.pieces = pieces
        self.steps = []
        for _, _, length in pieces:
            steps = []
            room = length / (STROKE_LADDER[0] * 0.55) + 2
            while len(steps) < room:
                steps.append((0.55 + 0.9 * rng.random(), 0.03 + 0.04 * rng.random()))
            self.steps.append(steps)

    def strokes(self, stroke):
        """The strokes for one stroke length, as ((x0, y0), (x1, y1)) in order."""
        result = []
        for (a, b, length), steps in zip(self.pieces, self.steps):
            ux, uy = (b[0] - a[0]) / length, (b[1] - a[1]) / length
            pos = 0.0
            for dash, gap in steps:
                end = min(length, pos + dash * stroke)
                if end - pos >= MIN_STROKE:
                    result.append(((a[0] + ux * pos, a[1] + uy * pos),
                                   (a[0] + ux * end, a[1] + uy * end)))
                pos = end + gap * stroke
                if pos >= length:
                    break
        return result

    def count(self, stroke):
        return len(self.strokes(stroke))


def fit_strokes(pattern, room):
    """The stroke length whose hatching comes closest to room lines without passing it.
    The count falls (almost always) as the strokes grow: find the first step at or
    under room by bisection, then look around it for the closest fit."""
    lo, hi = 0, len(STROKE_LADDER) - 1
    if pattern.count(STROKE_LADDER[hi]) > room:
        raise FitError(f'line count: even the coarsest hatching needs '
                       f'{pattern.count(STROKE_LADDER[hi])} lines and only {room} are left for it')
    while lo < hi:
        mid = (lo + hi) // 2
        if pattern.count(STROKE_LADDER[mid]) <= room:
            hi = mid
        else:
            lo = mid + 1
    best = None
    for index in range(max(0, lo - 40), min(len(STROKE_LADDER), lo + 80)):
        n = pattern.count(STROKE_LADDER[index])
        if n <= room and (best is None or n > best[1]):
            best = (STROKE_LADDER[index], n)
    if room - best[1] > MAX_TOP_UP:
        raise FitError(f'line count: the densest hatching gives {best[1]} lines, '
                       f'{room - best[1]} short of the count; enlarge the ground')
    return best[0]


def _surface_shadow(ground):
    """The ground and everything below its surface."""
    poly = Polygon(ground)
    minx, miny, maxx, maxy = poly.bounds
    top = []
    steps = max(2, int((maxx - minx) / 0.05))
    for i in range(steps + 1):
        x = minx + (maxx - minx) * i / steps
        cut = poly.intersection(LineString([(x, miny - 1), (x, maxy + 1)]))
        if not cut.is_empty:
            top.append((x, cut.bounds[1]))
    if len(top) < 2:
        return poly
    shadow = Polygon([(top[0][0], maxy + 1)] + top + [(top[-1][0], maxy + 1)]).buffer(0)
    return shadow.union(poly)


def top_up_stars(count, ground, figures, box, seed):
    """count star dots in the sky above the ground, inside box, clear of the figures."""
    if count == 0:
        return []
    minx, miny, maxx, maxy = box
    blocked = _surface_shadow(ground).buffer(STAR_GROUND_CLEARANCE)
    shapes = [LineString(f) if len(f) > 1 else Point(f[0]) for f in figures]
    if shapes:
        blocked = blocked.union(unary_union(shapes).buffer(STAR_FIGURE_CLEARANCE))
    rng = random.Random(seed)
    stars = []
    for _ in range(50000):
        x = minx + (maxx - minx) * rng.random()
        y = miny + (maxy - miny) * rng.random()
        if blocked.contains(Point(x, y)):
            continue
        if any(math.dist((x, y), s) < STAR_SPACING for s in stars):
            continue
        stars.append((x, y))
        if len(stars) == count:
            half = STAR_DOT / 2
            return [((sx - half, sy), (sx + half, sy)) for sx, sy in stars]
    raise FitError(f'line count: no room in the sky for {count} more stars')
