"""Window backgrounds. Each carries the body, the wells and grooves under the controls and
the captions the program does not draw itself; the places where the program writes its own
text (gauge values and titles, slider titles and values, graph labels) are left plain."""

import math

from PIL import ImageChops, ImageDraw

from gen import components as C
from gen import layout as Y
from gen import paint
from gen.paint import SS, Layer, darken, lighten, mix, rgba


def _title(img, style, xy, s, px=15, anchor="lm"):
    paint.text(img, xy, s, style.title_font, px, lighten(style.label, 0.2), anchor=anchor,
               glow=(rgba(style.accent, 170), 3), spacing=style.title_spacing)


def _caption(img, style, xy, s, px=10, anchor="lm", colour=None):
    paint.text(img, xy, s, style.label_font, px, colour or style.label_dim, anchor=anchor,
               spacing=1)


def _slider_bed(L, style, origin, stepping):
    """Groove under a slider's fill and the seats of its arrow buttons."""
    x, y = origin
    C.groove(L, (x + 12, y + 14, x + 264, y + 25), style)
    for bx in (x + 3, x + 262):
        C.well(L, (bx - 1, y + 12, bx + 13, y + 26), style, corner=3, rim_accent=0.2)
    if stepping:
        for l, r in ((13, 32), (38, 61), (218, 242), (243, 262)):
            C.well(L, (x + l - 1, y + 28, x + r + 1, y + 49), style, corner=3, rim_accent=0.15)


def _section(L, style, box):
    C.well(L, box, style, corner=6, rim_accent=0.25, depth=0.5, opacity=130)


# --- main window ---------------------------------------------------------------------------


def main(style):
    w, h = Y.MAIN_SIZE
    L = Layer(w, h)
    C.body(L, Y.MAIN_BODY, style, header=Y.MAIN_HEADER)
    # gauge tracks: a recessed slot with a lit rim and a scale of ticks toward the labels
    for (gl, gt, gr, gb), side in ((Y.MAIN_GAUGE_LEFT, 1), (Y.MAIN_GAUGE_RIGHT, -1)):
        slot = (gl - 4, gt - 4, gr + 4, gb + 4)
        m = C.well(L, slot, style, corner=5, rim_accent=0.6)
        L.glow(Layer.outline_of(m, 1), rgba(style.accent, 90), 3)
        for i, ly in enumerate(Y.MAIN_LABEL_Y):
            ty = ly + 5
            x0 = gr + 6 if side > 0 else gl - 6
            x1 = x0 + side * (9 if i in (0, 4) else 6)
            C.hairline(L, x0, ty, x1, ty, rgba(style.accent, 220), 1.2, glow=1.5)
        # minor ticks between the labelled ones
        for i in range(4):
            y0 = Y.MAIN_LABEL_Y[i] + 5
            y1 = Y.MAIN_LABEL_Y[i + 1] + 5
            for j in (1, 2, 3):
                ty = y0 + (y1 - y0) * j / 4
                x0 = gr + 6 if side > 0 else gl - 6
                C.hairline(L, x0, ty, x0 + side * 3, ty, rgba(style.label_dim, 160), 0.8)
    # the eye's stage: rings and arcs around it
    ex = (Y.MAIN_EYE[0] + Y.MAIN_EYE[2]) / 2
    ey = (Y.MAIN_EYE[1] + Y.MAIN_EYE[3]) / 2
    disc = L.ellipse_mask((ex - 104, ey - 104, ex + 104, ey + 104))
    L.paint_image(disc, L.radial(ex, ey, 104, [(0, rgba(style.well, 250)), (0.75,
                                                                           rgba(style.well,
                                                                                200)),
                                               (1, rgba(style.well, 0))]))
    L.paint(L.ring_mask(ex, ey, 102, 100.8), rgba(style.rim, 200))
    L.paint(L.ring_mask(ex, ey, 96, 95), rgba(style.accent, 90))
    for a0, a1 in ((200, 250), (290, 340), (20, 70), (110, 160)):
        arc = L.arc_mask(ex, ey, 99, a0, a1, 2.6)
        L.glow(arc, rgba(style.accent, 200), 3)
        L.paint(arc, rgba(lighten(style.accent, 0.2), 255))
    ticks = L.mask()
    d = ImageDraw.Draw(ticks)
    for k in range(60):
        a = math.radians(k * 6)
        r0, r1 = (104, 110) if k % 5 == 0 else (105, 107.5)
        d.line([((ex + r0 * math.cos(a)) * SS, (ey + r0 * math.sin(a)) * SS),
                ((ex + r1 * math.cos(a)) * SS, (ey + r1 * math.sin(a)) * SS)], fill=255,
               width=SS)
    L.paint(ticks, rgba(style.label_dim, 200))
    # footer plate under the four big buttons
    _section(L, style, (24, 349, 452, 431))
    C.hairline(L, 238, 360, 238, 420, rgba(style.rim, 120), 1)
    img = L.final()
    _title(img, style, (30, 19), "VELMORA", px=16)
    paint.text(img, (30 + paint.text_width("VELMORA", style.title_font, 16, style.title_spacing)
                     + 10, 20), "GPU TUNER", style.label_font, 9, style.label_dim, anchor="lm",
               spacing=2)
    return img


# --- clock settings ------------------------------------------------------------------------


def clock(style):
    w, h = Y.CLOCK_SIZE
    L = Layer(w, h)
    C.body(L, Y.CLOCK_BODY, style, header=32)
    _section(L, style, (40, 33, 358, 214))
    _section(L, style, (40, 241, 358, 360))
    _section(L, style, (40, 373, 358, 588))
    for key, origin in Y.CLOCK_SLIDERS.items():
        _slider_bed(L, style, origin, key in Y.CLOCK_STEPPING)
    # bracket joining the power and temperature tracks through the link button
    lx = (Y.CLOCK_LINK[0] + Y.CLOCK_LINK[2]) / 2
    py = Y.CLOCK_SLIDERS["power"][1] + 19
    ty = Y.CLOCK_SLIDERS["temperature"][1] + 19
    for pts in (((333, py), (lx, py), (lx, Y.CLOCK_LINK[1] - 2)),
                ((lx, Y.CLOCK_LINK[3] + 2), (lx, ty), (333, ty))):
        m = L.line_mask(list(pts), 1.2)
        L.paint(m, rgba(mix(style.rim, style.accent, 0.5), 200))
    C.well(L, (Y.CLOCK_LINK[0] - 2, Y.CLOCK_LINK[1] - 2, Y.CLOCK_LINK[2] + 2,
               Y.CLOCK_LINK[3] + 2), style, corner=3)
    # fan mode and priority seats
    C.well(L, (44, 320, 337, 355), style, corner=5, rim_accent=0.15)
    C.well(L, (205, 549, 334, 584), style, corner=5, rim_accent=0.15)
    # the tab seat for the voltage button on the left edge
    C.well(L, (19, 172, 42, 271), style, corner=4, rim_accent=0.3)
    # footer: apply row and profile row
    C.hairline(L, 50, 592, 328, 592, rgba(style.rim, 110), 1)
    C.well(L, (110, 632, 332, 656), style, corner=4, rim_accent=0.15)
    img = L.final()
    _title(img, style, (210, 16), "OVERCLOCK", px=14, anchor="mm")
    _caption(img, style, (56, 567), "PRIORITY", px=10)
    _caption(img, style, (104, 644), "PROFILE", px=10, anchor="rm")
    return img


def voltage(style):
    w, h = Y.VOLTAGE_SIZE
    L = Layer(w, h)
    C.body(L, Y.VOLTAGE_BODY, style)
    _section(L, style, (38, 18, 350, 132))
    _section(L, style, (38, 164, 350, 256))
    for origin in Y.VOLTAGE_SLIDERS.values():
        _slider_bed(L, style, origin, False)
    sl, st, sr, sb = Y.VOLTAGE_SWITCH
    C.well(L, (sl - 4, st - 4, sr + 4, sb + 4), style, corner=5, rim_accent=0.15)
    img = L.final()
    _caption(img, style, (58, 110), "OVER VOLTAGE", px=10)
    _title(img, style, (196, 270), "VOLTAGE", px=12, anchor="mm")
    return img


# --- monitoring ----------------------------------------------------------------------------


def monitor(style):
    w, h = Y.MONITOR_SIZE
    L = Layer(w, h)
    C.body(L, Y.MONITOR_BODY, style, header=32)
    for (l, t, r, b) in Y.MONITOR_GRAPHS:
        _section(L, style, (l - 40, t - 26, r + 50 if r + 50 < 332 else 332, b + 12))
        m = C.well(L, (l - 1, t - 1, r + 1, b + 1), style, corner=2, rim_accent=0.5)
        L.glow(Layer.outline_of(m, 1), rgba(style.accent, 60), 2)
    C.well(L, (Y.MONITOR_LED[0] - 2, Y.MONITOR_LED[1] - 3, Y.MONITOR_LED[2] + 2,
               Y.MONITOR_LED[3] + 3), style, corner=4, rim_accent=0.3)
    C.hairline(L, 40, 620, 330, 620, rgba(style.rim, 110), 1)
    img = L.final()
    _title(img, style, (28, 16), "MONITOR", px=14)
    paint.text(img, (185, 644), "VELMORA", style.title_font, 11, style.label_dim, anchor="mm",
               spacing=4, shadow=True)
    return img


# --- LED lighting --------------------------------------------------------------------------


def led(style):
    w, h = Y.LED_SIZE
    L = Layer(w, h)
    C.body(L, Y.LED_BODY, style, header=34)
    _section(L, style, (28, 52, 336, 86))
    _section(L, style, (28, 100, 336, 172))
    _section(L, style, (28, 180, 336, 248))
    _section(L, style, (28, 256, 336, 324))
    for (ox, oy), (tl, tt, tr, tb) in Y.LED_SLIDERS:
        C.groove(L, (ox + tl - 1, oy + tt - 1, ox + tr + 1, oy + tb + 1), style)
        # spin value box and arrow seat
        sx, sy = ox + 212, oy + 20
        C.well(L, (sx - 2, sy - 1, sx + 34, sy + 16), style, corner=3, rim_accent=0.4)
    for (origin, n) in Y.LED_PALETTES:
        for i, (l, t, r, b) in enumerate(Y.swatches(origin, n)):
            if n == 8 and i == 7:
                # the custom colour: a colour wheel the user fills with the colour dialog
                cx, cy, rr = (l + r) / 2, (t + b) / 2, (r - l) / 2
                for k in range(36):
                    a0 = k * 10
                    hue = k / 36
                    import colorsys
                    rgb = tuple(int(v * 255) for v in colorsys.hsv_to_rgb(hue, 1, 1))
                    seg = L.polygon_mask([(cx, cy), (cx + rr * math.cos(math.radians(a0)),
                                                     cy + rr * math.sin(math.radians(a0))),
                                          (cx + rr * math.cos(math.radians(a0 + 11)),
                                           cy + rr * math.sin(math.radians(a0 + 11)))])
                    L.paint(ImageChops.multiply(seg, L.ellipse_mask((l, t, r, b))), rgb)
                L.paint(L.ring_mask(cx, cy, rr, rr - 1), (0, 0, 0, 180))
            else:
                C.well(L, (l - 1, t - 1, r + 1, b + 1), style, corner=2, rim_accent=0.2)
    C.hairline(L, 30, 332, 334, 332, rgba(style.rim, 110), 1)
    img = L.final()
    _title(img, style, (183, 18), "LED LIGHTING", px=13, anchor="mm")
    _caption(img, style, (46, 119), "BRIGHTNESS", px=9)
    _caption(img, style, (46, 195), "BREATHING SPEED", px=9)
    _caption(img, style, (46, 271), "CYCLE SPEED", px=9)
    return img


# --- GPU information -----------------------------------------------------------------------

INFO_LEFT_ROWS = ("Memory Size", "Memory Type", "GPU Clock", "Base Clock", "Driver")
INFO_RIGHT_ROWS = ("Bus Width", "Bandwidth", "Mem Clock", "Mem Base", "BIOS")


def info(style):
    w, h = Y.INFO_SIZE
    L = Layer(w, h)
    C.body(L, Y.INFO_BODY, style)
    _section(L, style, (14, 64, 350, 184))
    ys = Y.INFO_ROWS_Y
    for y in ys[1:-1]:
        C.hairline(L, 20, y, 344, y, rgba(style.rim, 70), 0.8)
    C.hairline(L, 162, 70, 162, 178, rgba(style.rim, 70), 0.8)
    # a chip emblem on the right
    cx, cy = 398, 118
    chip = L.shape_mask((cx - 30, cy - 30, cx + 30, cy + 30), 6, "round")
    L.glow(chip, rgba(style.accent, 120), 6)
    L.paint_image(chip, L.gradient([(0, lighten(style.base_top, 0.2)), (1, style.well)],
                                   box=(cx - 30, cy - 30, cx + 30, cy + 30)))
    L.paint(Layer.outline_of(chip, 1.2), rgba(style.accent, 230))
    die = L.shape_mask((cx - 15, cy - 15, cx + 15, cy + 15), 3, "round")
    L.paint_image(die, L.gradient([(0, style.accent_hi), (1, style.accent_lo)],
                                  box=(cx - 15, cy - 15, cx + 15, cy + 15)))
    for k in range(6):
        off = -25 + k * 10
        for (x0, y0, x1, y1) in ((cx + off, cy - 36, cx + off, cy - 31),
                                 (cx + off, cy + 31, cx + off, cy + 36),
                                 (cx - 36, cy + off, cx - 31, cy + off),
                                 (cx + 31, cy + off, cx + 36, cy + off)):
            C.hairline(L, x0, y0, x1, y1, rgba(style.accent, 200), 1.6)
    img = L.final()
    _caption(img, style, (104, 29), "GPU", px=11, anchor="rm", colour=style.label)
    for i, s in enumerate(INFO_LEFT_ROWS):
        _caption(img, style, (86, (ys[i] + ys[i + 1]) / 2), s, px=9, anchor="rm")
    for i, s in enumerate(INFO_RIGHT_ROWS):
        _caption(img, style, (230, (ys[i] + ys[i + 1]) / 2), s, px=9, anchor="rm")
    paint.text(img, (cx, cy + 50), style.name.upper(), style.label_font, 9, style.label_dim,
               anchor="mm", spacing=2)
    return img
