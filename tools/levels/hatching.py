# Generates the ground's diagonal hatching and the top-up stars that bring a level to its exact line count.
import math
import random

from shapely.geometry import LineString, MultiLineString, MultiPoint, Point, Polygon
from shapely.ops import unary_union

# Distance between neighbouring hatch lines, world units: the fit starts from
# the preferred spacing (10 pixels at zoom 1) and looks within the range for
# one that, with at most MAX_TOP_UP stars, meets the level's exact line count.
PREFERRED_SPACING = 0.10
SPACING_RANGE = (0.08, 0.125)
# Hatch direction: up and to the right on screen (y grows downward).
HATCH_DIRECTION = (math.sqrt(0.5), -math.sqrt(0.5))
# Clear margin around figures lying in the ground, and around a whole word
# lying there, world units.
BURIED_MARGIN = 0.07
NAME_MARGIN = 0.12
# Shortest stroke worth drawing, world units.
MIN_STROKE = 0.03
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


def hatch_region(ground, rings, buried, name=()):
    region = Polygon(ground).difference(cave_area(rings))
    keep_clear = [LineString(fig).convex_hull.buffer(BURIED_MARGIN) for fig in buried if len(fig) > 1]
    if name:
        keep_clear.append(MultiPoint([p for fig in name for p in fig]).envelope.buffer(NAME_MARGIN))
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


def hatch_strokes(region, spacing):
    """One unbroken stroke per piece of each hatch line inside the region, as
    ((x0, y0), (x1, y1)) in a stable order: lines by offset, pieces along each."""
    dx, dy = HATCH_DIRECTION
    nx, ny = -dy, dx
    minx, miny, maxx, maxy = region.bounds
    corners = [(minx, miny), (minx, maxy), (maxx, miny), (maxx, maxy)]
    offsets = [x * nx + y * ny for x, y in corners]
    along = [x * dx + y * dy for x, y in corners]
    t0, t1 = min(along) - 1.0, max(along) + 1.0
    strokes = []
    k = math.floor(min(offsets) / spacing)
    while k * spacing <= max(offsets):
        c = k * spacing
        line = LineString([(c * nx + t0 * dx, c * ny + t0 * dy),
                           (c * nx + t1 * dx, c * ny + t1 * dy)])
        found = []
        for piece in _pieces_of(region.intersection(line)):
            a, b = piece.coords[0], piece.coords[-1]
            ta, tb = a[0] * dx + a[1] * dy, b[0] * dx + b[1] * dy
            if tb < ta:
                a, b, ta, tb = b, a, tb, ta
            if tb - ta >= MIN_STROKE:
                found.append((ta, (a[0], a[1]), (b[0], b[1])))
        strokes.extend((a, b) for _, a, b in sorted(found))
        k += 1
    return strokes


def fit_hatching(region, room):
    """Hatching that leaves between 0 and MAX_TOP_UP of the room lines for stars.
    The stroke count falls as the spacing grows, so the spacing is bisected
    within its range, starting from the preferred one."""
    low, high = SPACING_RANGE
    spacing = PREFERRED_SPACING
    for _ in range(40):
        strokes = hatch_strokes(region, spacing)
        if len(strokes) > room:
            low = spacing
        elif room - len(strokes) > MAX_TOP_UP:
            high = spacing
        else:
            return strokes
        if high - low < 1e-6:
            break
        spacing = (low + high) / 2
    widest = len(hatch_strokes(region, SPACING_RANGE[1]))
    if widest > room:
        raise FitError(f'line count: even the widest hatching needs {widest} lines and only '
                       f'{room} are left for it; take out decoration or shrink the ground')
    densest = len(hatch_strokes(region, SPACING_RANGE[0]))
    raise FitError(f'line count: the densest hatching gives {densest} lines, {room - densest} '
                   f'short of the count with at most {MAX_TOP_UP} stars; add decoration '
                   'or enlarge the ground')


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
