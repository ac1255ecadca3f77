#!/usr/bin/env python3
"""Draws the program's icons and toolbar strip and writes them as .ico and .bmp files.

Run from anywhere: python3 res/make_images.py. The outputs are committed beside this script, so
a normal build never runs it; run it again after changing a drawing. Only the standard library is
used. Every picture is drawn in a 32 by 32 unit space, rasterised with 4 by 4 supersampling and
scaled to the sizes wanted (16, 32 and 48 pixels for icons, 32 pixels for toolbar images).
"""
import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
SUPER = 4
MASK = (212, 208, 200)  # toolbar transparency colour, RGB(212, 208, 200)


class Canvas:
    """RGBA canvas in straight alpha, drawn at SUPER times the final resolution."""

    def __init__(self, size):
        self.size = size
        self.n = size * SUPER
        self.scale = self.n / 32.0
        self.px = [[0.0, 0.0, 0.0, 0.0] for _ in range(self.n * self.n)]

    def _blend(self, i, colour):
        r, g, b = colour[0] / 255.0, colour[1] / 255.0, colour[2] / 255.0
        a = (colour[3] if len(colour) > 3 else 255) / 255.0
        p = self.px[i]
        out_a = a + p[3] * (1 - a)
        if out_a <= 0:
            return
        for k, c in enumerate((r, g, b)):
            p[k] = (c * a + p[k] * p[3] * (1 - a)) / out_a
        p[3] = out_a

    def shape(self, inside, bbox, colour):
        """Fills every subpixel whose centre satisfies inside(x, y) in unit coordinates."""
        x0, y0, x1, y1 = bbox
        s = self.scale
        for sy in range(max(0, int(y0 * s) - 1), min(self.n, int(y1 * s) + 2)):
            y = (sy + 0.5) / s
            for sx in range(max(0, int(x0 * s) - 1), min(self.n, int(x1 * s) + 2)):
                x = (sx + 0.5) / s
                if inside(x, y):
                    self._blend(sy * self.n + sx, colour)

    def rect(self, x0, y0, x1, y1, colour):
        self.shape(lambda x, y: x0 <= x < x1 and y0 <= y < y1, (x0, y0, x1, y1), colour)

    def frame(self, x0, y0, x1, y1, width, colour):
        self.shape(lambda x, y: x0 <= x < x1 and y0 <= y < y1 and not (
            x0 + width <= x < x1 - width and y0 + width <= y < y1 - width), (x0, y0, x1, y1), colour)

    def circle(self, cx, cy, r, colour):
        self.shape(lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r, (cx - r, cy - r, cx + r, cy + r), colour)

    def ring(self, cx, cy, r0, r1, colour, start=0.0, end=360.0):
        """Annulus between radii r0 and r1 over the angles start..end (degrees, clockwise from east)."""
        def inside(x, y):
            d = (x - cx) ** 2 + (y - cy) ** 2
            if not (r0 * r0 <= d <= r1 * r1):
                return False
            ang = math.degrees(math.atan2(y - cy, x - cx)) % 360
            return (start <= ang <= end) if start <= end else (ang >= start or ang <= end)
        self.shape(inside, (cx - r1, cy - r1, cx + r1, cy + r1), colour)

    def polygon(self, points, colour):
        xs = [p[0] for p in points]
        ys = [p[1] for p in points]

        def inside(x, y):
            hit = False
            j = len(points) - 1
            for i in range(len(points)):
                xi, yi = points[i]
                xj, yj = points[j]
                if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                    hit = not hit
                j = i
            return hit
        self.shape(inside, (min(xs), min(ys), max(xs), max(ys)), colour)

    def line(self, x0, y0, x1, y1, width, colour):
        dx, dy = x1 - x0, y1 - y0
        length = math.hypot(dx, dy) or 1.0
        nx, ny = -dy / length * width / 2, dx / length * width / 2
        self.polygon([(x0 + nx, y0 + ny), (x1 + nx, y1 + ny), (x1 - nx, y1 - ny), (x0 - nx, y0 - ny)], colour)

    def pixels(self):
        """Downsampled RGBA rows (top first), premultiplied average of each SUPER x SUPER block."""
        rows = []
        for y in range(self.size):
            row = []
            for x in range(self.size):
                acc = [0.0, 0.0, 0.0, 0.0]
                for sy in range(SUPER):
                    for sx in range(SUPER):
                        p = self.px[(y * SUPER + sy) * self.n + x * SUPER + sx]
                        acc[0] += p[0] * p[3]
                        acc[1] += p[1] * p[3]
                        acc[2] += p[2] * p[3]
                        acc[3] += p[3]
                a = acc[3] / (SUPER * SUPER)
                if a > 0:
                    rgb = [int(round(255 * c / acc[3])) for c in acc[:3]]
                else:
                    rgb = [0, 0, 0]
                row.append((rgb[0], rgb[1], rgb[2], int(round(255 * a))))
            rows.append(row)
        return rows


# Shared pieces ---------------------------------------------------------------------------------

def window_shape(c, x0, y0, x1, y1, title=(40, 90, 180), body=(255, 255, 255)):
    """A small application window: dark outline, coloured title bar, light body."""
    c.rect(x0, y0, x1, y1, (50, 50, 60))
    c.rect(x0 + 1, y0 + 1, x1 - 1, y0 + 4, title)
    c.rect(x0 + 1, y0 + 4, x1 - 1, y1 - 1, body)


def console(c, x0, y0, x1, y1):
    """A console window with a green prompt, the program's own picture."""
    c.rect(x0, y0, x1, y1, (40, 44, 52))
    c.rect(x0 + 1, y0 + 1, x1 - 1, y0 + 5, (60, 120, 210))
    c.rect(x1 - 4, y0 + 2, x1 - 2, y0 + 4, (230, 230, 230))
    c.rect(x0 + 1, y0 + 5, x1 - 1, y1 - 1, (15, 18, 24))
    w = x1 - x0
    h = y1 - y0
    px, py = x0 + w * 0.18, y0 + 5 + (h - 6) * 0.25
    c.line(px, py, px + w * 0.2, py + (h - 6) * 0.22, 2.2, (90, 230, 110))
    c.line(px + w * 0.2, py + (h - 6) * 0.22, px, py + (h - 6) * 0.44, 2.2, (90, 230, 110))
    c.rect(px + w * 0.3, py + (h - 6) * 0.42, px + w * 0.62, py + (h - 6) * 0.42 + 2.2, (90, 230, 110))


def arrow_arc(c, cx, cy, r, width, colour, start, end, head_at_end=True):
    c.ring(cx, cy, r - width / 2, r + width / 2, colour, start, end)
    ang = math.radians(end if head_at_end else start)
    tx, ty = cx + r * math.cos(ang), cy + r * math.sin(ang)
    # tangent direction (clockwise)
    dx, dy = -math.sin(ang), math.cos(ang)
    if not head_at_end:
        dx, dy = -dx, -dy
    nx, ny = math.cos(ang), math.sin(ang)
    size = width * 1.9
    c.polygon([(tx + nx * size, ty + ny * size), (tx - nx * size, ty - ny * size),
               (tx + dx * size * 1.3, ty + dy * size * 1.3)], colour)


# Icons -----------------------------------------------------------------------------------------

def icon_application(c):
    console(c, 2, 4, 30, 28)


def icon_running(c):
    c.circle(16, 16, 14.5, (20, 110, 30))
    c.circle(16, 16, 13, (50, 170, 60))
    c.polygon([(12, 8.5), (12, 23.5), (24, 16)], (255, 255, 255))


def icon_stopped(c):
    c.circle(16, 16, 14.5, (130, 20, 20))
    c.circle(16, 16, 13, (205, 45, 40))
    c.rect(10, 10, 22, 22, (255, 255, 255))


def icon_stopping(c):
    # Amber with the stop square left hollow: asked to stop, not ended yet.
    c.circle(16, 16, 14.5, (150, 95, 10))
    c.circle(16, 16, 13, (230, 160, 30))
    c.frame(10, 10, 22, 22, 2.5, (255, 255, 255))


def icon_failed(c):
    # The stopped red with an exclamation mark: ended by itself with an exit code other than 0.
    c.circle(16, 16, 14.5, (130, 20, 20))
    c.circle(16, 16, 13, (205, 45, 40))
    c.rect(14.25, 7, 17.75, 19, (255, 255, 255))
    c.circle(16, 23.5, 2, (255, 255, 255))


def icon_tree_item(c):
    console(c, 3, 6, 29, 26)


# Toolbar images (index in the strip) -----------------------------------------------------------

def tb_open(c):
    c.polygon([(3, 9), (12, 9), (14, 11), (27, 11), (27, 26), (3, 26)], (190, 140, 30))
    c.polygon([(6, 14), (30, 14), (26, 26), (3, 26)], (250, 205, 80))


def tb_reload(c):
    arrow_arc(c, 16, 16, 9.5, 3.5, (30, 110, 200), 200, 140)


def tb_save(c):
    c.rect(4, 4, 28, 28, (30, 60, 140))
    c.rect(5, 5, 27, 27, (60, 100, 190))
    c.rect(9, 5, 23, 14, (245, 245, 245))
    c.rect(19, 6, 22, 12, (60, 100, 190))
    c.rect(8, 18, 24, 27, (200, 200, 205))
    c.rect(10, 20, 22, 21, (130, 130, 140))
    c.rect(10, 23, 22, 24, (130, 130, 140))


def tb_start(c):
    c.polygon([(8, 4), (8, 28), (27, 16)], (20, 120, 35))
    c.polygon([(10, 8), (10, 24), (23.5, 16)], (60, 190, 75))


def tb_stop(c):
    c.rect(6, 6, 26, 26, (140, 20, 20))
    c.rect(8, 8, 24, 24, (215, 50, 45))


def tb_restart(c):
    arrow_arc(c, 16, 16, 10, 4, (40, 160, 60), 300, 220)
    c.polygon([(13, 11), (13, 21), (21, 16)], (40, 160, 60))


def tb_clear(c):
    c.polygon([(7, 3), (21, 3), (26, 8), (26, 29), (7, 29)], (110, 110, 120))
    c.polygon([(8, 4), (20.5, 4), (25, 8.5), (25, 28), (8, 28)], (255, 255, 255))
    for y in (10, 14, 18, 22):
        c.rect(11, y, 22, y + 1.2, (170, 170, 180))
    c.line(10, 12, 27, 29, 3.4, (210, 30, 30))
    c.line(27, 12, 10, 29, 3.4, (210, 30, 30))


def tb_edit(c):
    c.polygon([(5, 3), (19, 3), (24, 8), (24, 29), (5, 29)], (110, 110, 120))
    c.polygon([(6, 4), (18.5, 4), (23, 8.5), (23, 28), (6, 28)], (255, 255, 255))
    c.line(12, 25, 27, 10, 4, (230, 170, 30))
    c.polygon([(10, 27), (11, 22.5), (14.5, 26)], (60, 60, 60))


def tb_exit(c):
    c.rect(6, 3, 20, 29, (90, 60, 30))
    c.polygon([(7, 4), (16, 7), (16, 30), (7, 28)], (160, 110, 60))
    c.circle(14, 17, 1.2, (240, 210, 80))
    c.rect(17, 14, 25, 19, (30, 150, 50))
    c.polygon([(24, 10), (31, 16.5), (24, 23)], (30, 150, 50))


def tb_cascade(c):
    window_shape(c, 2, 3, 20, 17)
    window_shape(c, 7, 9, 25, 23)
    window_shape(c, 12, 15, 30, 29)


def tb_tile_vertically(c):
    window_shape(c, 2, 4, 16, 28)
    window_shape(c, 16, 4, 30, 28)


def tb_tile_horizontally(c):
    window_shape(c, 3, 2, 29, 16)
    window_shape(c, 3, 16, 29, 30)


def tb_settings(c):
    teeth = []
    for i in range(16):
        ang = math.radians(i * 22.5)
        r = 13 if i % 2 == 0 else 10
        teeth.append((16 + r * math.cos(ang), 16 + r * math.sin(ang)))
    c.polygon(teeth, (100, 105, 120))
    c.circle(16, 16, 8.5, (150, 155, 170))
    c.circle(16, 16, 4, MASK)


def tb_about(c):
    c.circle(16, 16, 13, (30, 90, 180))
    c.circle(16, 9.5, 2.2, (255, 255, 255))
    c.rect(14, 13.5, 18, 24, (255, 255, 255))


def tb_screen(c):
    c.rect(3, 4, 29, 23, (60, 60, 70))
    c.rect(5, 6, 27, 21, (20, 25, 35))
    c.rect(7, 9, 20, 10.5, (90, 230, 110))
    c.rect(7, 13, 24, 14.5, (90, 230, 110))
    c.rect(7, 17, 15, 18.5, (90, 230, 110))
    c.rect(13, 23, 19, 26, (90, 90, 100))
    c.rect(9, 26, 23, 28, (90, 90, 100))


TOOLBAR = [tb_open, tb_reload, tb_save, tb_start, tb_stop, tb_restart, tb_clear, tb_edit, tb_exit, tb_cascade,
           tb_tile_vertically, tb_tile_horizontally, tb_settings, tb_about, tb_screen]

ICONS = {
    'application.ico': icon_application,
    'running.ico': icon_running,
    'stopped.ico': icon_stopped,
    'stopping.ico': icon_stopping,
    'failed.ico': icon_failed,
    'treeitem.ico': icon_tree_item,
}


# Writers ---------------------------------------------------------------------------------------

def write_ico(path, draw):
    images = []
    for size in (16, 32, 48):
        c = Canvas(size)
        draw(c)
        rows = c.pixels()
        header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
        xor = bytearray()
        for row in reversed(rows):
            for r, g, b, a in row:
                xor += bytes((b, g, r, a))
        stride = ((size + 31) // 32) * 4
        mask = bytearray()
        for row in reversed(rows):
            bits = bytearray(stride)
            for x, (_, _, _, a) in enumerate(row):
                if a < 128:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask += bits
        images.append((size, header + xor + mask))
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack('<BBBBHHII', size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, data in images:
        out += data
    with open(path, 'wb') as f:
        f.write(out)


def write_toolbar(path):
    width, height = 500, 32  # 15 whole images of 32 pixels; the last 20 columns stay transparent
    strip = [[MASK for _ in range(width)] for _ in range(height)]
    for index, draw in enumerate(TOOLBAR):
        c = Canvas(32)
        draw(c)
        for y, row in enumerate(c.pixels()):
            for x, (r, g, b, a) in enumerate(row):
                if a == 0:
                    continue
                k = a / 255.0
                pixel = tuple(int(round(v * k + m * (1 - k))) for v, m in zip((r, g, b), MASK))
                if pixel == MASK:
                    pixel = (MASK[0], MASK[1], MASK[2] - 1)  # drawn pixels never vanish in the mask
                strip[y][index * 32 + x] = pixel
    stride = (width * 3 + 3) // 4 * 4
    data = bytearray()
    for row in reversed(strip):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += bytes(stride - len(line))
        data += line
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    header = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(data), 0, 0, 14 + len(info))
    with open(path, 'wb') as f:
        f.write(header + info + data)


def main():
    for name, draw in ICONS.items():
        write_ico(os.path.join(HERE, name), draw)
    write_toolbar(os.path.join(HERE, 'toolbar.bmp'))


if __name__ == '__main__':
    main()
