"""Puts a window together from its pictures as the program would: the background, then each
control's first frame at its rectangle. Used for the pack's preview and for looking at work."""

from PIL import Image, ImageDraw

from gen import layout as Y
from gen import paint

# What the program writes over the pictures, approximated with the build's own font so the
# previews show whether the pictures leave room for it (points at 96 DPI).
TEXT_FACE = "sans"


def _pt(points):
    return round(points * 96 / 72)


def program_text(canvas, box, s, colour, points, align="m"):
    """Text laid out in box (left, top, width, height), vertically centred."""
    l, t, w, h = box
    x = {"l": l, "m": l + w / 2, "r": l + w}[align]
    img_text(canvas, (x, t + h / 2), s, colour, points, align + "m")


def img_text(canvas, xy, s, colour, points, anchor):
    d = ImageDraw.Draw(canvas)
    d.text(xy, s, font=paint.font(TEXT_FACE, _pt(points)), fill=colour, anchor=anchor)


def _gauge_text(c, rect, left, title, top, frac):
    l, t, r, b = rect
    w, h = r - l, b - t
    white = (255, 255, 255, 204)
    hgt = int(h * frac)
    program_text(c, (l - 10, b - hgt - 10, w + 20, 10), "%.0f" % (top * frac), white, 7)
    program_text(c, ((l - 25) if left else (l - 70), t - 30, w + 100, 20), title, white, 7)
    x = Y.MAIN_LABEL_X_LEFT if left else Y.MAIN_LABEL_X_RIGHT
    labels = ["0", "%d" % (top * 0.25), "%d" % (top * 0.5), "%d" % (top * 0.75), "%d" % top]
    for y, s in zip(Y.MAIN_LABEL_Y, labels):
        program_text(c, (x, y, 30, 10), s, white, 7)


def _slider_text(c, origin, right, title, value, value_colour):
    x, y = origin
    program_text(c, (x - 8, y - 20, 208, 18), title, (180, 180, 180, 255), 10, "l")
    program_text(c, (right - 35, y - 24, 35, 18), value, value_colour, 10)


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


def main_window(p, bars=(0.0, 0.0), bar_colour=None, eye_frame=0, texts=False):
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
    if texts:
        _gauge_text(c, Y.MAIN_GAUGE_LEFT, True, "GPU Clock,MHz", 2500, bars[0])
        _gauge_text(c, Y.MAIN_GAUGE_RIGHT, False, "Memory Clock,MHz", 6500, bars[1])
    return c


CLOCK_TITLES = {"gpu": "GPU Clock Offset,MHz", "memory": "Memory Clock Offset,MHz",
                "fan": "Fan Speed,%", "power": "Power Target,%", "temperature": "GPU Temp Target,C"}
CLOCK_RIGHT = {"gpu": 330, "memory": 330, "fan": 330, "power": 330, "temperature": 330}


def clock_window(p, value_colour=(255, 0, 0, 254)):
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
        _slider_text(c, origin, CLOCK_RIGHT[key], CLOCK_TITLES[key], "100", value_colour)
    return c


def voltage_window(p, value_colour=(255, 0, 0, 254)):
    c = p["voltagesetdlg_main.png"].copy()
    for key, origin in Y.VOLTAGE_SLIDERS.items():
        _slider(c, p, origin, 0.3, False)
        title = "Voltage Minimum,mV" if key == "minimum" else "GPU Max Voltage,mV"
        _slider_text(c, origin, 328, title, "850", value_colour)
    place(c, p["lockset_no.png"], (214, 97, 266, 124))
    place(c, p["lockset_off.png"], (276, 97, 328, 124), 2)
    return c


def monitor_window(p):
    c = p["monitor_main.png"].copy()
    place(c, p["lockset_close.png"], Y.MONITOR_CLOSE)
    place(c, p["Led-zone.png"], Y.MONITOR_LED)
    grey = (180, 180, 180, 255)
    titles = ("GPU Clock,MHz", "GPU Temperature,C", "GPU Usage,%", "Fan Speed,%")
    for (l, t, r, b), title in zip(Y.MONITOR_GRAPHS, titles):
        h = b - t
        program_text(c, (l - 5, t - 20, 155, 20), title, grey, 8, "l")
        program_text(c, (l - 30, b - 20, 30, 20), "0", grey, 8, "r")
        program_text(c, (l - 30, t, 30, 20), "100", grey, 8, "r")
        program_text(c, (r - 45, t - 20, 50, 20), "Min:35", (0, 120, 250, 255), 8, "r")
        program_text(c, (r - 115, t - 20, 70, 20), "Max:64", (200, 0, 0, 204), 8, "l")
        program_text(c, (r, t + h // 2, 50, 20), "48", grey, 8, "l")
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
    for rect, s in zip(Y.LED_RADIOS, ("State display", "Bright", "Breath", "Cycle")):
        img_text(c, (rect[2] + 4, (rect[1] + rect[3]) / 2 - 1), s, (180, 180, 180, 254),
                 8 if s == "State display" else 6, "lm")
    for (ox, oy), _ in Y.LED_SLIDERS:
        img_text(c, (ox + 212, oy + 20), "50", (255, 0, 0, 254), 8, "la")
    return c


def info_window(p):
    c = p["gpuinfo_main.png"].copy()
    place(c, p["gpuinfo_tessarin.png"], Y.INFO_PICKER)
    place(c, p["gpuinfo_back.png"], Y.INFO_BACK)
    program_text(c, (Y.INFO_PICKER[0], Y.INFO_PICKER[1], Y.INFO_PICKER[2] - Y.INFO_PICKER[0],
                     22), "GeForce GTX 1080", (180, 180, 180, 254), 10)
    ys = Y.INFO_ROWS_Y
    left = ("8192MB", "GDDR5X", "1733MHz", "1607MHz", "411.42")
    right = ("256Bit", "320.3GB/s", "5005MHz", "5005MHz", "86.04.17.00.01")
    for i in range(5):
        for x, x2, v in ((Y.INFO_LEFT_VALUES_X, 216, left[i]), (Y.INFO_RIGHT_VALUES_X, 340,
                                                                right[i])):
            program_text(c, (x, ys[i], x2 - x, ys[i + 1] - ys[i]), v, (180, 180, 180, 255), 8,
                         "l")
    return c
