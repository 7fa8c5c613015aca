# Draws a preview picture of one level: decoration dim, walls bright, the start and the gems marked.
from PIL import Image, ImageDraw

# Pixels per world unit in the preview, and the border around the drawing.
SCALE = 40
BORDER = 20
BACKGROUND = (0, 20, 0)
DECORATION = (60, 150, 60)
WALL = (200, 255, 200)
START = (255, 220, 60)
GEM = (90, 200, 255)
BODY_RADIUS = 0.125
PICKUP_RADIUS = 0.3


def write_preview(level, path):
    xs = [p[0] for line in level.lines for p in line]
    ys = [p[1] for line in level.lines for p in line]
    minx, miny = min(xs), min(ys)
    width = int((max(xs) - minx) * SCALE) + 2 * BORDER
    height = int((max(ys) - miny) * SCALE) + 2 * BORDER + 20
    image = Image.new('RGB', (width, height), BACKGROUND)
    draw = ImageDraw.Draw(image)

    def px(p):
        return (BORDER + (p[0] - minx) * SCALE, BORDER + 20 + (p[1] - miny) * SCALE)

    def circle(centre, radius, colour, width=2):
        x, y = px(centre)
        r = radius * SCALE
        draw.ellipse((x - r, y - r, x + r, y + r), outline=colour, width=width)

    for line in level.lines[len(level.walls):]:
        draw.line([px(line[0]), px(line[1])], fill=DECORATION, width=1)
    for a, b in level.walls:
        draw.line([px(a), px(b)], fill=WALL, width=3)
    circle(level.start, BODY_RADIUS, START, 3)
    circle(level.start, 0.28, START, 1)
    for index, gem in enumerate(level.gems, 1):
        circle(gem, PICKUP_RADIUS, GEM, 2)
        x, y = px(gem)
        draw.text((x + 14, y - 6), str(index), fill=GEM)
    draw.text((6, 4), f'{level.name}: {len(level.lines)} lines, {len(level.walls)} walls, '
                      f'{len(level.gems)} gems  (yellow: start, blue: gems with pickup radius)',
              fill=WALL)
    image.save(path, optimize=True)
