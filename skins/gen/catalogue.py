"""Every picture of a skin pack, by the name the windows ask for."""

import math

from PIL import Image, ImageChops

from gen import components as C
from gen import eye, layout as Y, paint, windows
from gen.paint import SS, Layer, darken, lighten, mix, rgba


def _size(rect):
    return rect[2] - rect[0], rect[3] - rect[1]


def _buttons(style, w, h, label, **kw):
    return C.button_strip(style, w, h, label, **kw)


def slider_fill(style):
    """Fill of every slider track: the left columns up to the value are shown. Wide enough
    for the LED window's 250-pixel tracks; 9 rows, the clock sliders' track height."""
    w, h = 260, 9
    L = Layer(w, h)
    m = L.shape_mask((0, 0.5, w, h - 0.5), 4, "round")
    L.paint_image(m, L.gradient([(0, style.accent_lo), (0.6, style.accent), (1,
                                                                             style.accent_hi)],
                                vertical=False))
    L.paint_image(m, L.gradient([(0, (255, 255, 255, 110)), (0.45, (255, 255, 255, 10)),
                                 (0.55, (0, 0, 0, 0)), (1, (0, 0, 0, 90))]))
    return L.final()


def slider_thumb(style):
    """Clock and voltage slider thumb: a 9 x 15 blade."""
    w, h = 9, 15
    L = Layer(w, h)
    m = L.shape_mask((0.5, 0.5, w - 0.5, h - 0.5), 2.5, "round")
    L.paint_image(m, L.gradient([(0, lighten(style.accent_hi, 0.5)), (0.5, style.accent_hi),
                                 (1, style.accent)], vertical=False))
    L.paint(Layer.outline_of(m, 0.8), rgba(darken(style.accent_lo, 0.4), 255))
    L.paint(L.shape_mask((3.8, 4, 5.2, 11)), rgba(darken(style.accent_lo, 0.2), 200))
    return L.final()


def led_thumb(style):
    """LED slider thumb: three 9 x 7 frames (idle, hover, pressed), an upward pointer."""
    frames = []
    for state in range(3):
        L = Layer(9, 7)
        m = L.polygon_mask([(4.5, 0.3), (8.7, 6.7), (0.3, 6.7)])
        c = style.accent if state == 0 else style.accent_hi
        if state:
            L.glow(m, rgba(style.accent_hi, 200), 1)
        L.paint_image(m, L.gradient([(0, lighten(c, 0.4)), (1, c)]))
        L.paint(Layer.outline_of(m, 0.7), rgba(darken(style.accent_lo, 0.3), 230))
        frames.append(L.final())
    return paint.strip(frames)


def radio(style):
    """Six 16 x 14 frames: idle, hover, pressed unchecked; then checked idle, hover, pressed."""
    frames = []
    for checked in (False, True):
        for state in range(3):
            L = Layer(16, 14)
            cx, cy, r = 8, 7, 6.2
            m = L.ellipse_mask((cx - r, cy - r, cx + r, cy + r))
            L.paint(m, rgba(style.well, 255))
            rim_c = style.accent if state == 1 else mix(style.rim, style.accent, 0.3)
            if state == 1:
                L.glow(Layer.outline_of(m, 1), rgba(style.accent, 200), 1.2)
            L.paint(Layer.outline_of(m, 1.1), rgba(rim_c, 255))
            if checked:
                rr = 3.3 if state != 2 else 2.8
                dot = L.ellipse_mask((cx - rr, cy - rr, cx + rr, cy + rr))
                L.glow(dot, rgba(style.accent, 230), 1.5)
                L.paint_image(dot, L.gradient([(0, style.accent_hi), (1, style.accent)],
                                              box=(cx - rr, cy - rr, cx + rr, cy + rr)))
            elif state == 2:
                dot = L.ellipse_mask((cx - 2.5, cy - 2.5, cx + 2.5, cy + 2.5))
                L.paint(dot, rgba(style.accent, 110))
            frames.append(L.final())
    return paint.strip(frames)


def selection_frame(style):
    """The ring drawn around a selected colour swatch (scaled to the swatch + 1 px)."""
    L = Layer(14, 14)
    m = L.shape_mask((0, 0, 14, 14), 2, "round")
    ring = Layer.outline_of(m, 1.6)
    L.paint(ring, (255, 255, 255, 255))
    L.paint(Layer.outline_of(Layer.shrink(m, 1.6), 0.6), (0, 0, 0, 200))
    return L.final()


def spin_arrow(style, direction):
    return C.button_strip(style, 14, 7, None, glyph=C.glyph_arrow(direction), corner=2)


def menu_header(style):
    """GPU picker header: a field with a drop arrow in its right 17 pixels."""
    w, h = _size(Y.INFO_PICKER)
    frames = []
    for state in range(3):
        img = C.button_frame(style, w, h, state, None, None)
        L = Layer(w, h)
        ax, ay = w - 9, h / 2
        m = L.polygon_mask([(ax - 4, ay - 2), (ax + 4, ay - 2), (ax, ay + 3)])
        c = style.accent_hi if state else style.accent
        L.glow(m, rgba(style.accent, 180), 1.5)
        L.paint(m, c)
        L.paint(L.shape_mask((w - 18, 4, w - 17, h - 4)), rgba(style.rim, 160))
        img.alpha_composite(L.final())
        frames.append(img)
    return paint.strip(frames)


def gauge_track(style):
    """Named by the gauges, which draw no picture; a plain track of the gauge's size."""
    w, h = _size(Y.MAIN_GAUGE_LEFT)
    L = Layer(w, h)
    L.paint(L.shape_mask((0, 0, w, h), 3, "round"), rgba(style.well, 255))
    return L.final()


def tab(style, rect, label):
    w, h = _size(rect)
    return paint.strip([C.vertical_tab(style, w, h, s, label) for s in range(3)])


def browse(style, pictures):
    """The skin's preview: its main window with controls in place, scaled to the page."""
    from gen import compose
    shot = compose.main_window(pictures, bars=(0.62, 0.38), texts=True)
    bw, bh = Y.BROWSE_SIZE
    k = min(bw / shot.width, bh / shot.height)
    sw, sh = round(shot.width * k), round(shot.height * k)
    small = shot.convert("RGBa").resize((sw, sh), Image.LANCZOS).convert("RGBA")
    out = Image.new("RGBA", (bw, bh), (0, 0, 0, 0))
    out.alpha_composite(small, ((bw - sw) // 2, (bh - sh) // 2))
    return out


def build(style):
    """name -> picture, for one skin."""
    s = style
    p = {}
    # main window
    p["main.png"] = windows.main(s)
    p["main_eye.png"] = eye.strip(s)
    p["main_close.png"] = _buttons(s, *_size(Y.MAIN_CLOSE), None, glyph=C.glyph_close, flat=True)
    p["main_min.png"] = _buttons(s, *_size(Y.MAIN_MIN), None, glyph=C.glyph_min, flat=True)
    p["main_set.png"] = _buttons(s, *_size(Y.MAIN_SET), None, glyph=C.glyph_gear, flat=True)
    p["main_clock.png"] = _buttons(s, *_size(Y.MAIN_LOCK), "LOCK", font_px=12)
    p["main_gpu.png"] = _buttons(s, *_size(Y.MAIN_GPU), "GPU INFO", font_px=12)
    p["main_custmize.png"] = _buttons(s, *_size(Y.MAIN_CUSTOMISE), "OVERCLOCK", font_px=12)
    p["main_monitor.png"] = _buttons(s, *_size(Y.MAIN_MONITOR), "MONITOR", font_px=12)
    p["main_probarleft.png"] = gauge_track(s)
    p["main_probargight.png"] = gauge_track(s)
    # clock settings and voltage windows
    p["lockset_main.png"] = windows.clock(s)
    p["voltagesetdlg_main.png"] = windows.voltage(s)
    p["lockset_close.png"] = _buttons(s, 30, 30, None, glyph=C.glyph_close, flat=True)
    for name, label in (("apply", "APPLY"), ("default", "DEFAULT"), ("cancel", "CANCEL")):
        p["lockset_%s.png" % name] = _buttons(s, 80, 27, label, font_px=11)
    for name, label in (("one", "1"), ("two", "2"), ("three", "3")):
        p["lockset_%s.png" % name] = _buttons(s, 17, 16, label, font_px=10, corner=3)
    p["lockset_save.png"] = _buttons(s, 50, 16, "SAVE", font_px=9, corner=3)
    p["lockset_auto.png"] = _buttons(s, 78, 27, "AUTO", font_px=11)
    p["lockset_manual.png"] = _buttons(s, 77, 27, "MANUAL", font_px=11)
    p["lockset_userdefine.png"] = _buttons(s, 78, 27, "CURVE", font_px=11)
    p["lockset_no.png"] = _buttons(s, 52, 27, "ON", font_px=11)
    p["lockset_off.png"] = _buttons(s, 52, 27, "OFF", font_px=11)
    p["lockset_link.png"] = _buttons(s, 13, 27, None, glyph=C.glyph_link, corner=3)
    p["lockset_voltage.png"] = tab(s, Y.CLOCK_VOLTAGE, "VOLTAGE")
    p["lockset_arrowleft.png"] = _buttons(s, 12, 12, None, glyph=C.glyph_arrow("left"),
                                          corner=3)
    p["lockset_arrowright.png"] = _buttons(s, 12, 12, None, glyph=C.glyph_arrow("right"),
                                           corner=3)
    p["lockset_subfive.png"] = _buttons(s, 19, 19, "-5", font_px=9, corner=3,
                                        label_kind="cond")
    p["lockset_subten.png"] = _buttons(s, 23, 19, "-10", font_px=9, corner=3,
                                       label_kind="cond")
    p["lockset_addfive.png"] = _buttons(s, 19, 19, "+5", font_px=9, corner=3,
                                        label_kind="cond")
    p["lockset_addten.png"] = _buttons(s, 24, 19, "+10", font_px=9, corner=3,
                                       label_kind="cond")
    p["lockset_sliderfill.png"] = slider_fill(s)
    p["lockset_slider.png"] = slider_thumb(s)
    # monitoring and LED windows
    p["monitor_main.png"] = windows.monitor(s)
    p["Led-zone.png"] = tab(s, Y.MONITOR_LED, "LED")
    p["main_BreathingLamp.png"] = windows.led(s)
    p["select_BreathingLamp.png"] = radio(s)
    p["sliders_BreathingLamp.png"] = led_thumb(s)
    p["borders_BreathingLamp.png"] = selection_frame(s)
    p["button1_BreathingLamp.png"] = spin_arrow(s, "up")
    p["button_BreathingLamp.png"] = spin_arrow(s, "down")
    # GPU information
    p["gpuinfo_main.png"] = windows.info(s)
    p["gpuinfo_tessarin.png"] = menu_header(s)
    p["gpuinfo_back.png"] = _buttons(s, *_size(Y.INFO_BACK), "BACK", font_px=11)
    for name in BACKGROUNDS:
        p[name] = paint.clear_faint(p[name])
    # preview for the settings window, made from the pictures above
    p["Browse.png"] = browse(s, p)
    return p


BACKGROUNDS = ("main.png", "lockset_main.png", "voltagesetdlg_main.png", "monitor_main.png",
               "main_BreathingLamp.png", "gpuinfo_main.png")
