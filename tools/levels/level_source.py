# Reads one level drawing (an Inkscape SVG) into walls, start, gems, ground and decoration.
"""Layers of a level drawing, by their inkscape:label:

  walls       one path per run of walls, in play order; each path is one
              unbroken run of straight lines, closed with Z when the run is
              closed.  The order and direction of the nodes are kept.
  start       one circle: its centre is where the body starts.
  gems        one circle per gem, in order.
  decoration  sub-layers drawn as lines and never collided with:
                ground  one closed path, the outline of the solid ground
                        (wavy surface, slanted outer edges); its inside is
                        hatched, except the cave.
                buried  figures lying in the ground (bones, pebbles, a
                        snail); the hatching keeps clear of each of them.
                name    a word lying in the ground (the title's name); the
                        hatching keeps clear of the word's whole box, so it
                        reads on a dark plaque.
                any other sub-layer (plants, sky, name, ...) is drawn as is.

One SVG user unit is one world unit, y downward.  Curves are flattened
into short lines; walls must be straight.
"""

import math
import xml.etree.ElementTree as ElementTree

import svgelements as se

INKSCAPE = '{http://www.inkscape.org/namespaces/inkscape}'
LABEL = INKSCAPE + 'label'
GROUPMODE = INKSCAPE + 'groupmode'

# Longest piece of a flattened curve, world units: short enough that the
# planet and plant stems look round at the closest zoom.
CURVE_PIECE = 0.12


class LevelError(Exception):
    """A rule the level breaks; the message names the rule."""


class LevelSource:
    """What one drawing holds, in world units, before any rule is checked."""

    def __init__(self):
        self.runs = []          # list of (points, closed); points as (x, y)
        self.start = None       # (x, y)
        self.gems = []          # list of (x, y)
        self.ground = None      # closed outline as a list of (x, y), no repeat
        self.drawn = []         # decoration lines ((x0, y0), (x1, y1)) in order
        self.buried = []        # polylines of figures the hatching avoids
        self.name = []          # polylines of a word the hatching avoids as a whole
        self.sky = []           # polylines of sky figures (stars keep clear)


def _own(element, key):
    return element.values.get('attributes', {}).get(key)


def _layers(group):
    """The direct sub-layers of a group, by label, in document order."""
    found = {}
    for child in group:
        if isinstance(child, se.Group) and _own(child, GROUPMODE) == 'layer':
            label = _own(child, LABEL) or _own(child, 'id') or ''
            found.setdefault(label, child)
    return found


def _shapes(group):
    """Every drawable shape under a group, in document order."""
    for child in group:
        if isinstance(child, se.Group):
            yield from _shapes(child)
        elif isinstance(child, se.Shape) and not isinstance(child, se.SVG):
            yield child


# Undoing the drawing's viewBox leaves rounding noise around 1e-16; drawings
# hold far fewer digits than this, so rounding here brings back 0 as 0.
COORDINATE_DIGITS = 10


def _point(p, inverse):
    q = inverse.point_in_matrix_space(p)
    return (round(float(q.x), COORDINATE_DIGITS) + 0.0, round(float(q.y), COORDINATE_DIGITS) + 0.0)


def _subpaths(shape, inverse):
    """A shape as a list of (points, closed) polylines, curves flattened."""
    result = []
    points = None
    for seg in se.Path(shape):
        if isinstance(seg, se.Move):
            if points:
                result.append((points, False))
            points = [_point(seg.end, inverse)]
            continue
        if isinstance(seg, se.Close):
            if points:
                if len(points) > 1 and points[-1] == points[0]:
                    points.pop()
                result.append((points, True))
            points = None
            continue
        if points is None:
            # Drawing on after a close without a move starts a new piece
            # where the closed one began, as SVG has it.
            points = [_point(seg.start, inverse)]
        if isinstance(seg, se.Line):
            points.append(_point(seg.end, inverse))
        else:
            pieces = max(2, math.ceil(seg.length(error=1e-4) / CURVE_PIECE))
            for k in range(1, pieces + 1):
                points.append(_point(seg.point(k / pieces), inverse))
    if points:
        result.append((points, False))
    return result


def _wall_run(shape, inverse, index):
    """One wall path as (points, closed), keeping every node in order."""
    points = None
    closed = False
    for seg in se.Path(shape):
        if isinstance(seg, se.Move):
            if points is not None:
                raise LevelError(f'walls: run {index} breaks into several pieces; '
                                 'each wall path must be one unbroken run')
            points = [_point(seg.end, inverse)]
        elif closed:
            raise LevelError(f'walls: run {index} goes on after it is closed')
        elif isinstance(seg, se.Close):
            closed = True
        elif isinstance(seg, se.Line):
            points.append(_point(seg.end, inverse))
        else:
            raise LevelError(f'walls: run {index} has a curve; walls must be straight lines')
    if points is None or len(points) < 2 and not closed:
        raise LevelError(f'walls: run {index} has no wall in it')
    return points, closed


def _centre(shape, inverse, what):
    if not isinstance(shape, (se.Circle, se.Ellipse)):
        raise LevelError(f'{what} must be marked with a circle')
    return _point(se.Point(shape.cx, shape.cy), inverse)


def read_level(path):
    """Reads a drawing; raises LevelError for a missing layer or a bad shape."""
    try:
        svg = se.SVG.parse(path, reify=True)
    except FileNotFoundError:
        raise LevelError(f'source {path} does not exist') from None
    except (ElementTree.ParseError, ValueError, OSError) as error:
        raise LevelError(f'source {path} is not a readable SVG drawing ({error})') from None
    inverse = ~se.Matrix(svg.viewbox_transform) if svg.viewbox_transform else se.Matrix()
    layers = _layers(svg)
    for name in ('walls', 'start', 'gems', 'decoration'):
        if name not in layers:
            raise LevelError(f'the drawing has no layer labelled "{name}"')
    source = LevelSource()

    for index, shape in enumerate(_shapes(layers['walls']), 1):
        source.runs.append(_wall_run(shape, inverse, index))

    starts = list(_shapes(layers['start']))
    if len(starts) != 1:
        raise LevelError(f'the start layer must hold exactly one marker, not {len(starts)}')
    source.start = _centre(starts[0], inverse, 'the start')
    source.gems = [_centre(shape, inverse, 'a gem') for shape in _shapes(layers['gems'])]

    decoration = _layers(layers['decoration'])
    if 'ground' not in decoration:
        raise LevelError('the decoration layer has no sub-layer labelled "ground"')
    outlines = [piece for shape in _shapes(decoration['ground'])
                for piece in _subpaths(shape, inverse)]
    if len(outlines) != 1 or not outlines[0][1] or len(outlines[0][0]) < 3:
        raise LevelError('the ground layer must hold exactly one closed outline')
    source.ground = outlines[0][0]

    for label, layer in decoration.items():
        if label == 'ground':
            continue
        for shape in _shapes(layer):
            for points, closed in _subpaths(shape, inverse):
                ring = points + [points[0]] if closed else points
                if label == 'buried':
                    source.buried.append(ring)
                elif label == 'name':
                    source.name.append(ring)
                elif label == 'sky':
                    source.sky.append(ring)
                for a, b in zip(ring, ring[1:]):
                    if a != b:
                        source.drawn.append((a, b))
    return source
