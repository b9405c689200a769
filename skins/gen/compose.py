"""Puts a window together from its pictures as the program would: the background, then each
control's first frame at its rectangle. Used for the pack's preview and for looking at work."""

from PIL import Image, ImageDraw

from gen import layout as Y


def frame_of(picture, rect, k=0):
    w, h = rect[2] - rect[0], rect[3] - rect[1]
    return picture.crop((k * w, 0, k * w + w, h))


def place(canvas, picture, rect, k=0):
    canvas.alpha_composite(frame_of(picture, rect, k), (rect[0], rect[1]))


def _slider(canvas, p, origin, frac, stepping):
    x, y = origin
    fill_w = int(241 * frac)
    if fill_w:
        canvas.alpha_composite(p["lockset_sliderfill.png"].crop((0, 0, fill_w, 9)),
                               (x + 13, y + 15))
    canvas.alpha_composite(p["lockset_slider.png"].crop((0, 0, 9, 15)), (x + 13 + fill_w, y + 11))
    place(canvas, p["lockset_arrowleft.png"], (x + 3, y + 13, x + 15, y + 25))
    place(canvas, p["lockset_arrowright.png"], (x + 262, y + 13, x + 274, y + 25))
    if stepping:
        for name, (l, r) in (("subfive", (13, 32)), ("subten", (38, 61)), ("addten", (218, 242)),
                             ("addfive", (243, 262))):
            place(canvas, p["lockset_%s.png" % name], (x + l, y + 29, x + r, y + 48))


def main_window(p, bars=(0.0, 0.0), bar_colour=None, eye_frame=0):
    c = p["main.png"].copy()
    place(c, p["main_eye.png"], Y.MAIN_EYE, eye_frame)
    for name, rect in (("main_close", Y.MAIN_CLOSE), ("main_min", Y.MAIN_MIN),
                       ("main_set", Y.MAIN_SET), ("main_clock", Y.MAIN_LOCK),
                       ("main_gpu", Y.MAIN_GPU), ("main_custmize", Y.MAIN_CUSTOMISE),
                       ("main_monitor", Y.MAIN_MONITOR)):
        place(c, p[name + ".png"], rect)
    if bar_colour is None:
        # the fill's brightest column stands in for the program's bar colour
        bar_colour = p["lockset_sliderfill.png"].getpixel((150, 4))
    d = ImageDraw.Draw(c)
    for (l, t, r, b), f in zip((Y.MAIN_GAUGE_LEFT, Y.MAIN_GAUGE_RIGHT), bars):
        hgt = int((b - t) * f)
        if hgt:
            d.rectangle([l, b - hgt, r - 1, b - 1], fill=tuple(bar_colour[:3]) + (254,))
    return c


def clock_window(p):
    c = p["lockset_main.png"].copy()
    place(c, p["lockset_close.png"], (27, 0, 57, 30))
    for name, rect in (("apply", (45, 597, 125, 624)), ("default", (157, 597, 237, 624)),
                       ("cancel", (269, 597, 349, 624)), ("one", (115, 636, 132, 652)),
                       ("two", (142, 636, 159, 652)), ("three", (169, 636, 186, 652)),
                       ("auto", (48, 324, 126, 351)), ("manual", (152, 324, 229, 351)),
                       ("userdefine", (255, 324, 333, 351)), ("no", (209, 553, 261, 580)),
                       ("link", (342, 456, 355, 483)), ("voltage", Y.CLOCK_VOLTAGE)):
        place(c, p["lockset_%s.png" % name], rect)
    place(c, p["lockset_off.png"], (278, 553, 330, 580), 2)
    place(c, p["lockset_manual.png"], (152, 324, 229, 351), 2)
    for key, origin in Y.CLOCK_SLIDERS.items():
        _slider(c, p, origin, 0.4, key in Y.CLOCK_STEPPING)
    return c


def voltage_window(p):
    c = p["voltagesetdlg_main.png"].copy()
    for origin in Y.VOLTAGE_SLIDERS.values():
        _slider(c, p, origin, 0.3, False)
    place(c, p["lockset_no.png"], (214, 97, 266, 124))
    place(c, p["lockset_off.png"], (276, 97, 328, 124), 2)
    return c


def monitor_window(p):
    c = p["monitor_main.png"].copy()
    place(c, p["lockset_close.png"], Y.MONITOR_CLOSE)
    place(c, p["Led-zone.png"], Y.MONITOR_LED)
    return c


def led_window(p):
    c = p["main_BreathingLamp.png"].copy()
    for i, rect in enumerate(Y.LED_RADIOS):
        place(c, p["select_BreathingLamp.png"], rect, 3 if i == 0 else 0)
    for (ox, oy), (tl, tt, tr, tb) in Y.LED_SLIDERS:
        fill_w = (tr - tl) // 2
        c.alpha_composite(p["lockset_sliderfill.png"].crop((0, 0, fill_w, 9)), (ox + tl, oy + tt))
        place(c, p["sliders_BreathingLamp.png"],
              (ox + tl - 3 + fill_w, oy + tt + 10, ox + tl + 6 + fill_w, oy + tt + 17))
        sx, sy = ox + 212, oy + 20
        place(c, p["button1_BreathingLamp.png"], (sx + 35, sy, sx + 49, sy + 7))
        place(c, p["button_BreathingLamp.png"], (sx + 35, sy + 8, sx + 49, sy + 15))
    d = ImageDraw.Draw(c)
    colours = [(255, 0, 0), (255, 127, 0), (255, 255, 0), (0, 255, 0), (0, 255, 255),
               (0, 0, 255), (139, 0, 255)]
    for origin, n in Y.LED_PALETTES:
        for i, (l, t, r, b) in enumerate(Y.swatches(origin, n)[:7]):
            d.rectangle([l, t, r - 1, b - 1], fill=colours[i] + (254,))
        l, t, r, b = Y.swatches(origin, n)[3]
        sel = p["borders_BreathingLamp.png"].resize((r - l + 2, b - t + 2), Image.LANCZOS)
        c.alpha_composite(sel, (l - 1, t - 1))
    for name, rect in zip(("apply", "default", "cancel"), Y.LED_BUTTONS):
        place(c, p["lockset_%s.png" % name], rect)
    return c


def info_window(p):
    c = p["gpuinfo_main.png"].copy()
    place(c, p["gpuinfo_tessarin.png"], Y.INFO_PICKER)
    place(c, p["gpuinfo_back.png"], Y.INFO_BACK)
    return c
