"""Drawing primitives for the skin pictures.

Shapes are drawn on a supersampled layer (SS times the final size) and reduced with
premultiplied alpha, so edges are smooth and transparent pixels carry no colour fringe.
Text is drawn afterwards at the final size, where the font's own hinting keeps it crisp.
"""

import math
import os

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

SS = 4
FONT_DIR = "/usr/share/fonts/truetype/dejavu"
FONT_FILES = {
    "sans": "DejaVuSans.ttf",
    "bold": "DejaVuSans-Bold.ttf",
    "cond": "DejaVuSansCondensed.ttf",
    "condbold": "DejaVuSansCondensed-Bold.ttf",
    "light": "DejaVuSans-ExtraLight.ttf",
    "mono": "DejaVuSansMono-Bold.ttf",
}
_font_cache = {}


def font(kind, px):
    key = (kind, px)
    if key not in _font_cache:
        _font_cache[key] = ImageFont.truetype(os.path.join(FONT_DIR, FONT_FILES[kind]), px)
    return _font_cache[key]


def rgba(c, a=None):
    """(r, g, b) or (r, g, b, a) -> 4-tuple, alpha optionally replaced."""
    if len(c) == 3:
        c = (c[0], c[1], c[2], 255)
    if a is not None:
        c = (c[0], c[1], c[2], int(a))
    return tuple(int(v) for v in c)


def mix(c1, c2, t):
    c1, c2 = rgba(c1), rgba(c2)
    return tuple(int(round(a + (b - a) * t)) for a, b in zip(c1, c2))


def lighten(c, t):
    return mix(c, (255, 255, 255, rgba(c)[3]), t)


def darken(c, t):
    return mix(c, (0, 0, 0, rgba(c)[3]), t)


class Layer:
    """A supersampled RGBA drawing surface of final size (w, h)."""

    def __init__(self, w, h):
        self.w, self.h = w, h
        self.img = Image.new("RGBA", (w * SS, h * SS), (0, 0, 0, 0))

    # --- masks -------------------------------------------------------------------------
    def mask(self):
        return Image.new("L", self.img.size, 0)

    @staticmethod
    def _box(box):
        return [round(v * SS) for v in box]

    def shape_mask(self, box, corner=0, kind="round", cut=None):
        """Mask of a rounded ("round") or corner-cut ("chamfer") rectangle. `cut` picks the
        chamfered corners as a string of tl/tr/br/bl (default all)."""
        m = self.mask()
        d = ImageDraw.Draw(m)
        l, t, r, b = self._box(box)
        c = round(corner * SS)
        if corner <= 0:
            d.rectangle([l, t, r - 1, b - 1], fill=255)
        elif kind == "round":
            d.rounded_rectangle([l, t, r - 1, b - 1], radius=c, fill=255)
        else:
            cuts = cut or "tl tr br bl"
            tl = c if "tl" in cuts else 0
            tr = c if "tr" in cuts else 0
            br = c if "br" in cuts else 0
            bl = c if "bl" in cuts else 0
            pts = [(l + tl, t), (r - tr, t), (r, t + tr), (r, b - br), (r - br, b), (l + bl, b),
                   (l, b - bl), (l, t + tl)]
            d.polygon(pts, fill=255)
        return m

    def ellipse_mask(self, box):
        m = self.mask()
        ImageDraw.Draw(m).ellipse(self._box(box), fill=255)
        return m

    def ring_mask(self, cx, cy, r_out, r_in):
        m = self.ellipse_mask((cx - r_out, cy - r_out, cx + r_out, cy + r_out))
        if r_in > 0:
            inner = self.ellipse_mask((cx - r_in, cy - r_in, cx + r_in, cy + r_in))
            m = ImageChops.subtract(m, inner)
        return m

    def polygon_mask(self, pts):
        m = self.mask()
        ImageDraw.Draw(m).polygon([(x * SS, y * SS) for x, y in pts], fill=255)
        return m

    def line_mask(self, pts, width):
        m = self.mask()
        d = ImageDraw.Draw(m)
        sp = [(x * SS, y * SS) for x, y in pts]
        d.line(sp, fill=255, width=max(1, round(width * SS)), joint="curve")
        rr = width * SS / 2
        for x, y in (sp[0], sp[-1]):
            d.ellipse([x - rr, y - rr, x + rr, y + rr], fill=255)
        return m

    def arc_mask(self, cx, cy, r, start, end, width):
        m = self.mask()
        d = ImageDraw.Draw(m)
        bb = [(cx - r) * SS, (cy - r) * SS, (cx + r) * SS, (cy + r) * SS]
        d.arc(bb, start, end, fill=255, width=max(1, round(width * SS)))
        return m

    @staticmethod
    def _rank(m, k, maximum):
        """Min or max filter of size k, run only over the mask's bounding box (most masks
        cover a small part of the layer, and rank filters are slow)."""
        bb = m.getbbox()
        if not bb:
            return m.copy()
        pad = k
        l, t = max(0, bb[0] - pad), max(0, bb[1] - pad)
        r, b = min(m.width, bb[2] + pad), min(m.height, bb[3] + pad)
        part = m.crop((l, t, r, b))
        part = part.filter(ImageFilter.MaxFilter(k) if maximum else ImageFilter.MinFilter(k))
        out = Image.new("L", m.size, 0)
        out.paste(part, (l, t))
        return out

    @staticmethod
    def outline_of(m, width):
        """Inner outline band of a mask, `width` final pixels wide."""
        k = int(round(width * SS)) * 2 + 1
        return ImageChops.subtract(m, Layer._rank(m, max(3, k), False))

    @staticmethod
    def shrink(m, px):
        k = int(round(px * SS)) * 2 + 1
        return Layer._rank(m, k, False) if k > 1 else m

    @staticmethod
    def grow(m, px):
        k = int(round(px * SS)) * 2 + 1
        return Layer._rank(m, k, True) if k > 1 else m

    # --- painting ----------------------------------------------------------------------
    # Painting works on the mask's bounding box only: most shapes cover a small part of the
    # layer, and whole-layer operations made a pack take minutes to draw.
    def _bbox(self, m, pad=0):
        bb = m.getbbox()
        if not bb:
            return None
        return (max(0, bb[0] - pad), max(0, bb[1] - pad), min(m.width, bb[2] + pad),
                min(m.height, bb[3] + pad))

    def paint(self, m, colour, opacity=1.0):
        """Source-over a solid colour through mask m."""
        bb = self._bbox(m)
        if not bb:
            return
        colour = rgba(colour)
        k = colour[3] / 255 * opacity
        a = m.crop(bb).point(lambda v: int(v * k))
        src = Image.new("RGBA", (bb[2] - bb[0], bb[3] - bb[1]), colour[:3] + (0,))
        src.putalpha(a)
        self.img.alpha_composite(src, (bb[0], bb[1]))

    def paint_image(self, m, src, opacity=1.0):
        """Source-over a full-size supersampled RGBA image through mask m."""
        bb = self._bbox(m)
        if not bb:
            return
        s = src.crop(bb)
        a = ImageChops.multiply(s.getchannel("A"), m.crop(bb))
        if opacity < 1.0:
            a = a.point(lambda v: int(v * opacity))
        s.putalpha(a)
        self.img.alpha_composite(s, (bb[0], bb[1]))

    def gradient(self, stops, vertical=True, box=None):
        """A supersampled image holding a linear gradient over `box` (final pixels);
        stops: [(position 0..1, colour), ...]."""
        l, t, r, b = box or (0, 0, self.w, self.h)
        n = (b - t) if vertical else (r - l)
        n = max(1, int(round(n * SS)))
        line = Image.new("RGBA", (1, n) if vertical else (n, 1))
        px = line.load()
        stops = [(p, rgba(c)) for p, c in stops]
        for i in range(n):
            f = i / max(1, n - 1)
            for j in range(len(stops) - 1):
                if stops[j][0] <= f <= stops[j + 1][0]:
                    p0, c0 = stops[j]
                    p1, c1 = stops[j + 1]
                    c = mix(c0, c1, 0 if p1 == p0 else (f - p0) / (p1 - p0))
                    break
            else:
                c = stops[-1][1] if f > stops[-1][0] else stops[0][1]
            px[(0, i) if vertical else (i, 0)] = c
        bw, bh = round((r - l) * SS), round((b - t) * SS)
        g = line.resize((bw, bh), Image.NEAREST if vertical else Image.NEAREST)
        full = Image.new("RGBA", self.img.size, (0, 0, 0, 0))
        full.paste(g, (round(l * SS), round(t * SS)))
        return full

    def radial(self, cx, cy, r, stops):
        """A supersampled image with a radial gradient centred at (cx, cy)."""
        size = max(2, int(r))  # smooth ramps: a coarse grid scaled up bilinearly suffices
        small = Image.new("RGBA", (size, size))
        px = small.load()
        stops = [(p, rgba(c)) for p, c in stops]
        for y in range(size):
            for x in range(size):
                f = math.hypot(x + 0.5 - size / 2, y + 0.5 - size / 2) / (size / 2)
                c = stops[-1][1]
                for j in range(len(stops) - 1):
                    if stops[j][0] <= f <= stops[j + 1][0]:
                        p0, c0 = stops[j]
                        p1, c1 = stops[j + 1]
                        c = mix(c0, c1, (f - p0) / max(1e-6, p1 - p0))
                        break
                if f < stops[0][0]:
                    c = stops[0][1]
                px[x, y] = c
        big = small.resize((round(r * 2 * SS), round(r * 2 * SS)), Image.BILINEAR)
        full = Image.new("RGBA", self.img.size, (0, 0, 0, 0))
        full.paste(big, (round((cx - r) * SS), round((cy - r) * SS)))
        return full

    def glow(self, m, colour, radius, strength=1.0):
        """A soft halo of `colour` around mask m (drawn under whatever comes next)."""
        bb = self._bbox(m, pad=int(radius * SS * 3) + 2)
        if not bb:
            return
        part = m.crop(bb).filter(ImageFilter.GaussianBlur(radius * SS))
        if strength != 1.0:
            part = part.point(lambda v: min(255, int(v * strength)))
        blurred = Image.new("L", m.size, 0)
        blurred.paste(part, (bb[0], bb[1]))
        self.paint(blurred, colour)

    def shadow(self, m, offset=(0, 3), radius=6, opacity=0.6):
        sh = ImageChops.offset(m, round(offset[0] * SS), round(offset[1] * SS))
        self.glow(sh, (0, 0, 0, int(255 * opacity)), radius)

    def texture(self, m, tex, opacity):
        """Source-over a supersampled texture image through mask m."""
        self.paint_image(m, tex, opacity)

    def final(self):
        """The layer at its final size (premultiplied reduction)."""
        small = self.img.convert("RGBa").resize((self.w, self.h), Image.LANCZOS)
        return small.convert("RGBA")


# --- text at final size ------------------------------------------------------------------
def text(img, xy, s, kind, px, colour, anchor="la", glow=None, shadow=True, spacing=0):
    """Draws text on a final-size image. anchor as Pillow's (e.g. "mm" centred)."""
    f = font(kind, px)
    if spacing:
        return _spaced_text(img, xy, s, f, colour, anchor, glow, shadow, spacing)
    if glow:
        g = Image.new("RGBA", img.size, (0, 0, 0, 0))
        ImageDraw.Draw(g).text(xy, s, font=f, fill=rgba(glow[0]), anchor=anchor)
        g = g.filter(ImageFilter.GaussianBlur(glow[1]))
        img.alpha_composite(g)
        img.alpha_composite(g)
    if shadow:
        sh = Image.new("RGBA", img.size, (0, 0, 0, 0))
        ImageDraw.Draw(sh).text((xy[0], xy[1] + 1), s, font=f, fill=(0, 0, 0, 170), anchor=anchor)
        img.alpha_composite(sh)
    t = Image.new("RGBA", img.size, (0, 0, 0, 0))
    ImageDraw.Draw(t).text(xy, s, font=f, fill=rgba(colour), anchor=anchor)
    img.alpha_composite(t)


def text_width(s, kind, px, spacing=0):
    f = font(kind, px)
    return f.getlength(s) + spacing * max(0, len(s) - 1)


def _spaced_text(img, xy, s, f, colour, anchor, glow, shadow, spacing):
    total = f.getlength(s) + spacing * (len(s) - 1)
    x, y = xy
    if anchor[0] == "m":
        x -= total / 2
    elif anchor[0] == "r":
        x -= total
    for ch in s:
        _char(img, (x, y), ch, f, colour, "l" + anchor[1], glow, shadow)
        x += f.getlength(ch) + spacing


def _char(img, xy, ch, f, colour, anchor, glow, shadow):
    if glow:
        g = Image.new("RGBA", img.size, (0, 0, 0, 0))
        ImageDraw.Draw(g).text(xy, ch, font=f, fill=rgba(glow[0]), anchor=anchor)
        g = g.filter(ImageFilter.GaussianBlur(glow[1]))
        img.alpha_composite(g)
    if shadow:
        sh = Image.new("RGBA", img.size, (0, 0, 0, 0))
        ImageDraw.Draw(sh).text((xy[0], xy[1] + 1), ch, font=f, fill=(0, 0, 0, 170),
                                anchor=anchor)
        img.alpha_composite(sh)
    t = Image.new("RGBA", img.size, (0, 0, 0, 0))
    ImageDraw.Draw(t).text(xy, ch, font=f, fill=rgba(colour), anchor=anchor)
    img.alpha_composite(t)


def strip(frames):
    """Frames side by side, each the control's size."""
    w, h = frames[0].size
    out = Image.new("RGBA", (w * len(frames), h), (0, 0, 0, 0))
    for i, f in enumerate(frames):
        assert f.size == (w, h)
        out.paste(f, (i * w, 0))
    return out


def clear_faint(img, below=4):
    """Makes nearly invisible pixels fully transparent: a layered window takes mouse input
    on every pixel whose alpha is not 0, so the last wisps of a shadow must not stay."""
    a = img.getchannel("A").point(lambda v: 0 if v < below else 255)
    out = img.copy()
    out.putalpha(ImageChops.multiply(img.getchannel("A"), a))
    return out
