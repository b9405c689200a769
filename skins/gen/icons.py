"""Window icons: an eye emblem on a dark tile, in a skin's colours, at 16, 32, 48 and 256 px.

The .ico holds 32-bit DIB images for the small sizes (read by every loader) and a PNG for
256 px, as Windows expects for large icons.
"""

import io
import struct

from PIL import Image, ImageChops, ImageFilter

from gen.paint import SS, Layer, darken, lighten, rgba

SIZES = (16, 32, 48, 256)


def emblem(style, n):
    L = Layer(n, n)
    pad = max(0.5, n * 0.03)
    tile = L.shape_mask((pad, pad, n - pad, n - pad), n * 0.2, "round")
    L.paint_image(tile, L.gradient([(0, lighten(style.base_top, 0.15)),
                                    (1, darken(style.base_bottom, 0.3))]))
    L.paint(Layer.outline_of(tile, max(0.6, n / 100)), rgba(style.accent, 230))
    cx, cy = n / 2, n / 2
    a, hgt = n * 0.40, n * 0.24
    pts = []
    for i in range(33):
        x = -a + 2 * a * i / 32
        pts.append((cx + x, cy - hgt * max(0, 1 - (x / a) ** 2) ** 0.75))
    for i in range(32, -1, -1):
        x = -a + 2 * a * i / 32
        pts.append((cx + x, cy + hgt * max(0, 1 - (x / a) ** 2) ** 0.75))
    almond = L.polygon_mask(pts)
    if n >= 32:
        L.glow(almond, rgba(style.accent, 160), n / 24)
    L.paint(almond, rgba(darken(style.accent_lo, 0.6), 255))
    ri = n * 0.19
    iris = ImageChops.multiply(L.ellipse_mask((cx - ri, cy - ri, cx + ri, cy + ri)), almond)
    L.paint_image(iris, L.radial(cx, cy, ri, [(0, rgba(style.accent_hi)), (0.6,
                                                                          rgba(style.accent)),
                                              (1, rgba(style.accent_lo))]))
    rp = ri * 0.42
    L.paint(L.ellipse_mask((cx - rp, cy - rp, cx + rp, cy + rp)), (0, 0, 0, 255))
    if n >= 32:
        g = n * 0.05
        L.paint(L.ellipse_mask((cx - ri * 0.45 - g, cy - ri * 0.45 - g, cx - ri * 0.45 + g,
                                cy - ri * 0.45 + g)), (255, 255, 255, 230))
    L.paint(Layer.outline_of(almond, max(0.7, n / 64)), rgba(lighten(style.accent, 0.3), 255))
    return L.final()


def _dib(img):
    w, h = img.size
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    px = img.load()
    rows = bytearray()
    for y in range(h - 1, -1, -1):
        for x in range(w):
            r, g, b, a = px[x, y]
            rows += bytes((b, g, r, a))
    mask_stride = ((w + 31) // 32) * 4
    mask = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray(mask_stride)
        for x in range(w):
            if px[x, y][3] == 0:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    return header + bytes(rows) + bytes(mask)


def write_ico(path, images):
    blobs = []
    for img in images:
        if img.size[0] >= 256:
            buf = io.BytesIO()
            img.save(buf, "PNG", optimize=True)
            blobs.append(buf.getvalue())
        else:
            blobs.append(_dib(img))
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for img, blob in zip(images, blobs):
        w, h = img.size
        out += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    for blob in blobs:
        out += blob
    with open(path, "wb") as f:
        f.write(bytes(out))


def build_icon(style, path):
    write_ico(path, [emblem(style, n) for n in SIZES])
