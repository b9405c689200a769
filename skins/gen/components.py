"""Pieces every window shares: window bodies, wells, grooves, buttons and glyphs."""

import math

from PIL import Image, ImageChops, ImageDraw, ImageFilter

from gen import paint
from gen.paint import SS, Layer, darken, lighten, mix, rgba

# --- surface textures ----------------------------------------------------------------------


def texture(style, w, h):
    """A supersampled white-on-transparent texture of final size (w, h)."""
    img = Image.new("RGBA", (w * SS, h * SS), (255, 255, 255, 0))
    d = ImageDraw.Draw(img)
    if style.texture == "hex":
        r = 7 * SS
        dx, dy = r * math.sqrt(3), r * 1.5
        row = 0
        y = 0.0
        while y < h * SS + r:
            x = (dx / 2) if row % 2 else 0.0
            while x < w * SS + dx:
                pts = [(x + r * math.cos(math.radians(60 * k + 30)),
                        y + r * math.sin(math.radians(60 * k + 30))) for k in range(6)]
                d.line(pts + [pts[0]], fill=(255, 255, 255, 255), width=SS // 2 or 1)
                x += dx
            y += dy
            row += 1
    elif style.texture == "brushed":
        import random
        rnd = random.Random(7)
        for yy in range(0, h * SS, 2):
            a = rnd.randint(20, 255)
            d.line([(0, yy), (w * SS, yy)], fill=(255, 255, 255, a // 3), width=1)
        for _ in range(w * h // 90):
            x0 = rnd.uniform(-40, w) * SS
            yy = rnd.uniform(0, h) * SS
            ln = rnd.uniform(20, 120) * SS
            d.line([(x0, yy), (x0 + ln, yy)], fill=(255, 255, 255, rnd.randint(60, 160)),
                   width=1)
    else:  # carbon weave
        c = 4 * SS
        for yy in range(0, h * SS, c):
            for xx in range(0, w * SS, c):
                k = ((xx // c) + (yy // c)) % 2
                tile = [(xx, yy), (xx + c - 1, yy + c - 1)]
                if k:
                    for i in range(c):
                        a = int(255 * (0.35 + 0.65 * math.sin(math.pi * i / c)))
                        d.line([(xx, yy + i), (xx + c - 1, yy + i)], fill=(255, 255, 255, a))
                else:
                    for i in range(c):
                        a = int(255 * (0.15 + 0.45 * math.sin(math.pi * i / c)))
                        d.line([(xx + i, yy), (xx + i, yy + c - 1)], fill=(255, 255, 255, a))
    return img


# --- window bodies and wells ---------------------------------------------------------------


def body(layer, box, style, header=None):
    """A window body: drop shadow, gradient face, texture, bevel light and an accent rim.
    header: height of a darker title band at the top, or None."""
    m = layer.shape_mask(box, style.corner, style.corner_kind)
    l, t, r, b = box
    # the shadow stays inside the window's own rounded outline: its corners must stay fully
    # transparent, or the layered window would catch clicks there
    shade = Layer(layer.w, layer.h)
    shade.shadow(m, offset=(0, 3), radius=4, opacity=0.75)
    window = layer.shape_mask((0, 0, layer.w, layer.h), style.corner + 2, "round")
    layer.paint_image(window, shade.img)
    layer.paint_image(m, layer.gradient([(0, style.base_top), (1, style.base_bottom)],
                                        box=box))
    layer.texture(m, texture(style, layer.w, layer.h), style.texture_opacity)
    # a faint coloured wash from the top, as light falling on the glass
    layer.paint_image(m, layer.gradient([(0, rgba(style.accent, 34)), (0.35, rgba(style.accent, 0)),
                                         (1, rgba(style.accent, 0))], box=box))
    if header:
        hm = ImageChops.multiply(m, layer.shape_mask((l, t, r, t + header)))
        layer.paint_image(hm, layer.gradient([(0, (0, 0, 0, 90)), (1, (0, 0, 0, 150))],
                                             box=(l, t, r, t + header)))
        layer.paint(layer.shape_mask((l + 10, t + header - 1, r - 10, t + header + 1)),
                    rgba(style.accent, 110))
        layer.glow(layer.shape_mask((l + 40, t + header - 1, r - 40, t + header + 1)),
                   rgba(style.accent, 200), 3)
    # bevel: bright outer rim, dark inner line, then an accent hairline
    # (insets drawn as smaller shapes: a rank filter over a whole window is slow)
    def inset(d):
        return layer.shape_mask((l + d, t + d, r - d, b - d), max(0, style.corner - d * 0.6),
                                style.corner_kind)
    m1, m2, m3, m4 = inset(1.2), inset(2.2), inset(3.2), inset(3.8)
    layer.paint_image(ImageChops.subtract(m, m1),
                      layer.gradient([(0, lighten(style.rim, 0.5)), (0.5, style.rim),
                                      (1, darken(style.rim, 0.5))], box=box))
    layer.paint(ImageChops.subtract(m1, m2), (0, 0, 0, 150))
    layer.paint(ImageChops.subtract(m3, m4), rgba(style.accent, 60))
    return m


def well(layer, box, style, corner=4, rim_accent=0.35, depth=1.0, opacity=235):
    """A recessed dark area with an inner shadow and a lit lower edge."""
    m = layer.shape_mask(box, corner, "round" if style.corner_kind == "round" else "chamfer")
    layer.paint(m, rgba(style.well, opacity))
    # inner shadow from the top
    l, t, r, b = box
    sh = ImageChops.subtract(m, ImageChops.offset(m, 0, round(2 * SS)))
    layer.paint(sh.filter(ImageFilter.GaussianBlur(1.5 * SS)), (0, 0, 0, int(200 * depth)))
    kind = "round" if style.corner_kind == "round" else "chamfer"
    inner = layer.shape_mask((l + 0.8, t + 0.8, r - 0.8, b - 0.8), max(0, corner - 0.5), kind)
    rim = ImageChops.subtract(m, inner)
    layer.paint_image(rim, layer.gradient([(0, (0, 0, 0, 200)),
                                           (1, rgba(mix(style.rim, style.accent, rim_accent),
                                                    200))], box=box))
    return m


def groove(layer, box, style):
    """The slot a slider fill runs in (rounded at both ends)."""
    l, t, r, b = box
    m = layer.shape_mask(box, (b - t) / 2, "round")
    layer.paint(m, rgba(style.well, 255))
    layer.paint(ImageChops.subtract(m, ImageChops.offset(m, 0, SS)), (0, 0, 0, 220))
    rim = Layer.outline_of(m, 0.7)
    layer.paint_image(rim, layer.gradient([(0, (0, 0, 0, 220)), (1, rgba(style.rim, 230))],
                                          box=box))


def hairline(layer, x0, y0, x1, y1, colour, width=1.0, glow=0):
    m = layer.line_mask([(x0, y0), (x1, y1)], width)
    if glow:
        layer.glow(m, colour, glow)
    layer.paint(m, colour)


# --- buttons -------------------------------------------------------------------------------

IDLE, HOVER, ACTIVE = 0, 1, 2  # frame order of push and check buttons


def button_frame(style, w, h, state, label=None, glyph=None, font_px=None, corner=None,
                 kind=None, label_kind=None, flat=False):
    """One frame of a button: state IDLE, HOVER or ACTIVE (pressed / checked)."""
    L = Layer(w, h)
    c = style.button_corner if corner is None else corner
    kind = kind or style.button_kind or style.corner_kind
    box = (0.5, 0.5, w - 0.5, h - 0.5)
    m = L.shape_mask(box, min(c, h / 2 - 0.5, w / 2 - 0.5), kind,
                     cut="tl br" if kind == "chamfer" else None)
    if state == ACTIVE:
        top, bot = lighten(style.accent_lo, 0.25), darken(style.accent_lo, 0.35)
        rim_c = style.accent_hi
    elif state == HOVER:
        top, bot = mix(style.base_top, style.accent, 0.28), mix(style.base_bottom, style.accent,
                                                                 0.12)
        rim_c = style.accent
    else:
        top, bot = lighten(style.base_top, 0.10), darken(style.base_bottom, 0.1)
        rim_c = mix(style.rim, style.accent, 0.3)
    L.paint_image(m, L.gradient([(0, top), (0.5, mix(top, bot, 0.6)), (1, bot)], box=box))
    # glassy top sheen
    sheen = ImageChops.multiply(m, L.shape_mask((0, 0, w, h * 0.48)))
    L.paint_image(sheen, L.gradient([(0, (255, 255, 255, 40 if state != ACTIVE else 60)),
                                     (1, (255, 255, 255, 6))], box=(0, 0, w, h * 0.48)))
    if state == HOVER:
        inner = Layer.shrink(m, 1)
        edge = ImageChops.subtract(inner, Layer.shrink(inner, 3))
        L.paint(edge.filter(ImageFilter.GaussianBlur(1.5 * SS)), rgba(style.accent, 150))
    if state == ACTIVE:
        inner_shadow = ImageChops.subtract(m, ImageChops.offset(m, 0, round(1.5 * SS)))
        L.paint(inner_shadow.filter(ImageFilter.GaussianBlur(SS)), (0, 0, 0, 160))
    rim = Layer.outline_of(m, 1.0)
    L.paint(rim, rgba(rim_c, 255 if state else 200))
    if flat and state == IDLE:
        L = Layer(w, h)  # caption buttons show only their glyph until the pointer comes
    if glyph:
        glyph(L, w, h, state, style)
    img = L.final()
    if label:
        px = font_px or max(8, min(13, int(h * 0.46)))
        if state == ACTIVE:
            colour = (255, 255, 255)
        elif state == HOVER:
            colour = lighten(style.accent_hi, 0.3)
        else:
            colour = style.label
        glow = (rgba(style.accent, 200), 2.0) if state else None
        paint.text(img, (w / 2, h / 2 + 0.5), label, label_kind or style.label_font, px, colour,
                   anchor="mm", glow=glow)
    return img


def button_strip(style, w, h, label=None, glyph=None, **kw):
    return paint.strip([button_frame(style, w, h, s, label, glyph, **kw)
                        for s in (IDLE, HOVER, ACTIVE)])


def glyph_colour(style, state):
    return (255, 255, 255) if state == ACTIVE else (
        lighten(style.accent_hi, 0.2) if state == HOVER else style.label)


def glyph_close(L, w, h, state, style):
    c = glyph_colour(style, state)
    s = min(w, h) * 0.2
    cx, cy = w / 2, h / 2
    for a, b in (((cx - s, cy - s), (cx + s, cy + s)), ((cx - s, cy + s), (cx + s, cy - s))):
        m = L.line_mask([a, b], 2.0)
        if state:
            L.glow(m, rgba(style.accent, 220), 2)
        L.paint(m, c)


def glyph_min(L, w, h, state, style):
    c = glyph_colour(style, state)
    s = min(w, h) * 0.22
    m = L.line_mask([(w / 2 - s, h / 2 + s * 0.6), (w / 2 + s, h / 2 + s * 0.6)], 2.0)
    if state:
        L.glow(m, rgba(style.accent, 220), 2)
    L.paint(m, c)


def glyph_gear(L, w, h, state, style):
    c = glyph_colour(style, state)
    cx, cy = w / 2, h / 2
    ro, ri = min(w, h) * 0.27, min(w, h) * 0.19
    pts = []
    teeth = 8
    for k in range(teeth * 4):
        a = 2 * math.pi * k / (teeth * 4)
        r = ro if (k % 4) in (1, 2) else ri
        pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    m = L.polygon_mask(pts)
    hole = L.ellipse_mask((cx - ri * 0.45, cy - ri * 0.45, cx + ri * 0.45, cy + ri * 0.45))
    m = ImageChops.subtract(m, hole)
    if state:
        L.glow(m, rgba(style.accent, 220), 2)
    L.paint(m, c)


def glyph_arrow(direction):
    def draw(L, w, h, state, style):
        c = glyph_colour(style, state)
        cx, cy = w / 2, h / 2
        s = min(w, h) * 0.28
        if direction == "left":
            pts = [(cx - s * 0.8, cy), (cx + s * 0.6, cy - s), (cx + s * 0.6, cy + s)]
        elif direction == "right":
            pts = [(cx + s * 0.8, cy), (cx - s * 0.6, cy - s), (cx - s * 0.6, cy + s)]
        elif direction == "up":
            pts = [(cx, cy - s * 0.7), (cx - s * 1.1, cy + s * 0.6), (cx + s * 1.1, cy + s * 0.6)]
        else:
            pts = [(cx, cy + s * 0.7), (cx - s * 1.1, cy - s * 0.6), (cx + s * 1.1, cy - s * 0.6)]
        m = L.polygon_mask(pts)
        if state:
            L.glow(m, rgba(style.accent, 220), 1.5)
        L.paint(m, c)
    return draw


def glyph_link(L, w, h, state, style):
    """Two chain links stacked vertically."""
    c = style.accent_hi if state == ACTIVE else (style.accent if state == HOVER else
                                                 style.label_dim)
    cx = w / 2
    for y0, y1 in ((4, h / 2 + 2), (h / 2 - 2, h - 4)):
        box = (cx - 3.2, y0, cx + 3.2, y1)
        m = L.shape_mask(box, 3.2, "round")
        ring = Layer.outline_of(m, 1.4)
        if state == ACTIVE:
            L.glow(ring, rgba(style.accent, 230), 2)
        L.paint(ring, c)


def vertical_tab(style, w, h, state, label):
    """A tall narrow tab with a rotated caption (the voltage and LED buttons)."""
    img = button_frame(style, h, w, state, None, None)  # drawn lying down, then stood up
    px = max(8, int(w * 0.52))
    colour = (255, 255, 255) if state == ACTIVE else (
        lighten(style.accent_hi, 0.3) if state == HOVER else style.label)
    glow = (rgba(style.accent, 200), 2.0) if state else None
    paint.text(img, (h / 2, w / 2 + 0.5), label, style.label_font, px, colour, anchor="mm",
               glow=glow, spacing=1)
    return img.rotate(90, expand=True)
