"""The main window's eye: a strip of frames the program cycles at a fixed rate.

The pupil breathes, the iris fibres and the ring of marks around it turn slowly, the gaze
drifts a little and the lids blink once per cycle, so the loop reads as a living eye.
"""

import math

from PIL import Image, ImageChops, ImageDraw, ImageFilter

from gen import paint
from gen.paint import SS, Layer, darken, lighten, mix, rgba

FRAME_W, FRAME_H = 174, 148
FRAMES = 13
# Lid opening per frame: open, then one blink across frames 6-8.
OPENING = [1.0, 1.0, 1.0, 1.0, 1.0, 0.92, 0.5, 0.08, 0.45, 0.9, 1.0, 1.0, 1.0]
GAZE = [(0, 0), (1, 0), (2, -1), (3, -1), (3, 0), (2, 0), (1, 0), (0, 0), (-1, 0), (-2, 1),
        (-3, 1), (-2, 0), (-1, 0)]


def _almond(L, cx, cy, a, top, bottom, opening):
    pts = []
    n = 64
    for i in range(n + 1):
        x = -a + 2 * a * i / n
        f = max(0.0, 1 - (x / a) ** 2) ** 0.75
        pts.append((cx + x, cy - top * f * opening - 0.3))
    for i in range(n, -1, -1):
        x = -a + 2 * a * i / n
        f = max(0.0, 1 - (x / a) ** 2) ** 0.75
        pts.append((cx + x, cy + bottom * f * max(opening, 0.15) + 0.3))
    return L.polygon_mask(pts), pts


def frame(style, k):
    e = style.eye
    L = Layer(FRAME_W, FRAME_H)
    cx, cy = FRAME_W / 2, FRAME_H / 2
    t = k / FRAMES
    opening = OPENING[k]
    almond, pts = _almond(L, cx, cy, 84, 60, 54, opening)
    # halo around the whole eye
    L.glow(almond, rgba(style.accent, 120), 6)
    L.paint(almond, rgba(e["sclera"], 255))
    L.paint_image(almond, L.radial(cx, cy, 84, [(0, rgba(lighten(e["sclera"], 0.12))),
                                                (1, rgba(darken(e["sclera"], 0.6)))]))
    gx, gy = GAZE[k]
    ix, iy = cx + gx, cy + gy
    ri = 47
    iris = ImageChops.multiply(L.ellipse_mask((ix - ri, iy - ri, ix + ri, iy + ri)), almond)
    L.glow(iris, rgba(style.accent, 160), 4)
    L.paint_image(iris, L.radial(ix, iy, ri, [(0, rgba(e["iris_inner"])), (0.38,
                                                                           rgba(e["iris_mid"])),
                                              (0.82, rgba(mix(e["iris_mid"], e["iris_outer"],
                                                              0.7))),
                                              (1.0, rgba(darken(e["iris_outer"], 0.4)))]))
    # iris fibres, turning slowly
    fib = L.mask()
    d = ImageDraw.Draw(fib)
    rot = t * 2 * math.pi / 6
    for j in range(72):
        a = rot + j * 2 * math.pi / 72
        wob = 0.5 + 0.5 * math.sin(j * 1.7)
        r0, r1 = ri * 0.36, ri * (0.78 + 0.2 * wob)
        d.line([((ix + r0 * math.cos(a)) * SS, (iy + r0 * math.sin(a)) * SS),
                ((ix + r1 * math.cos(a + 0.08)) * SS, (iy + r1 * math.sin(a + 0.08)) * SS)],
               fill=int(120 + 120 * wob), width=max(1, SS // 2))
    L.paint(ImageChops.multiply(fib, iris), rgba(lighten(e["iris_inner"], 0.3), 120))
    # ring of marks at the iris edge, turning the other way
    marks = L.mask()
    d = ImageDraw.Draw(marks)
    for j in range(24):
        a0 = -rot * 1.5 + j * 2 * math.pi / 24
        if j % 6 == 0:
            continue
        rr = (ri - 3) * SS
        bb = [(ix * SS - rr), (iy * SS - rr), (ix * SS + rr), (iy * SS + rr)]
        d.arc(bb, math.degrees(a0), math.degrees(a0) + 9, fill=255, width=round(1.6 * SS))
    L.paint(ImageChops.multiply(marks, iris), rgba(e["iris_inner"], 200))
    # dark limbal ring
    limb = ImageChops.multiply(L.ring_mask(ix, iy, ri, ri - 2.5), almond)
    L.paint(limb, (0, 0, 0, 170))
    # pupil, breathing
    rp = 15 + 4 * math.sin(2 * math.pi * t)
    if e.get("pupil_shape") == "slit":
        # a tall slit that widens and narrows instead of a round pupil
        pw, ph = rp * 0.42, ri * 0.86
        pupil = ImageChops.multiply(L.ellipse_mask((ix - pw, iy - ph, ix + pw, iy + ph)), almond)
    else:
        pupil = ImageChops.multiply(L.ellipse_mask((ix - rp, iy - rp, ix + rp, iy + rp)),
                                    almond)
    L.glow(pupil, rgba(e["iris_inner"], 130), 3)
    L.paint(pupil, rgba(e["pupil"], 255))
    core = ImageChops.multiply(L.ellipse_mask((ix - rp * 0.35, iy - rp * 0.35, ix + rp * 0.35,
                                               iy + rp * 0.35)), almond)
    L.paint(core.filter(ImageFilter.GaussianBlur(2 * SS)), rgba(style.accent, 90))
    # glints
    for (ox, oy, rr, a) in ((-15, -16, 6.5, 235), (12, 12, 2.5, 150)):
        g = ImageChops.multiply(L.ellipse_mask((ix + ox - rr, iy + oy - rr * 0.8, ix + ox + rr,
                                                iy + oy + rr * 0.8)), almond)
        L.paint(g.filter(ImageFilter.GaussianBlur(0.6 * SS)), (255, 255, 255, a))
    # lid shadow on the eyeball and lit lid rims
    shade = ImageChops.subtract(almond, ImageChops.offset(almond, 0, round(7 * SS)))
    L.paint(shade.filter(ImageFilter.GaussianBlur(3 * SS)), (0, 0, 0, 200))
    rim = Layer.outline_of(almond, 1.8)
    L.glow(rim, rgba(style.accent, 230), 2.5)
    L.paint(rim, rgba(lighten(style.accent, 0.35), 255))
    # corner accents: small marks at both canthi
    for sx in (-1, 1):
        x0 = cx + sx * 86
        hm = L.line_mask([(x0, cy), (x0 + sx * 4, cy)], 1.6)
        L.paint(hm, rgba(style.accent_hi, 230))
    return L.final()


def strip(style):
    return paint.strip([frame(style, k) for k in range(FRAMES)])
