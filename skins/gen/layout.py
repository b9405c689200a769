"""Where the windows put their controls: the rectangles the pictures must fit.

Rectangles are (left, top, right, bottom) in window client pixels.
"""

MAIN_SIZE = (475, 440)
MAIN_BODY = (14, 2, 461, 434)
MAIN_HEADER = 36
MAIN_EYE = (149, 132, 323, 280)
MAIN_CLOSE = (420, 2, 450, 32)
MAIN_MIN = (390, 2, 420, 32)
MAIN_SET = (360, 2, 390, 32)
MAIN_LOCK = (33, 357, 227, 385)
MAIN_GPU = (249, 357, 443, 385)
MAIN_CUSTOMISE = (33, 395, 227, 423)
MAIN_MONITOR = (249, 395, 443, 423)
MAIN_GAUGE_LEFT = (51, 73, 61, 329)
MAIN_GAUGE_RIGHT = (415, 73, 425, 329)
# Scale labels, 30 x 10 each, lowest first.
MAIN_LABEL_Y = (319, 255, 192, 132, 69)
MAIN_LABEL_X_LEFT = 74
MAIN_LABEL_X_RIGHT = 372

CLOCK_SIZE = (379, 671)
CLOCK_BODY = (16, 2, 362, 668)
# Slider origins (x, y); the track runs from (x + 13, y + 15) to (x + 254, y + 24).
CLOCK_SLIDERS = {"gpu": (54, 55), "memory": (54, 160), "fan": (54, 266), "power": (54, 399),
                 "temperature": (54, 506)}
CLOCK_STEPPING = ("gpu", "memory")
CLOCK_FAN_MODES = (48, 324, 333, 351)
CLOCK_PRIORITY = (209, 553, 330, 580)
CLOCK_LINK = (342, 456, 355, 483)
CLOCK_VOLTAGE = (21, 175, 40, 268)
CLOCK_PROFILE_ROW = (115, 636, 327, 652)

VOLTAGE_SIZE = (366, 288)
VOLTAGE_BODY = (8, 2, 356, 284)
VOLTAGE_SLIDERS = {"minimum": (54, 190), "over": (54, 42)}
VOLTAGE_SWITCH = (214, 97, 328, 124)

MONITOR_SIZE = (379, 672)
MONITOR_BODY = (8, 2, 362, 668)
MONITOR_GRAPHS = ((55, 73, 303, 154), (55, 213, 303, 294), (55, 363, 303, 444),
                  (55, 503, 303, 584))
MONITOR_LED = (337, 175, 356, 268)
MONITOR_CLOSE = (321, 0, 351, 30)

LED_SIZE = (366, 413)
LED_BODY = (6, 2, 360, 410)
LED_RADIOS = ((45, 62, 61, 76), (45, 148, 61, 162), (45, 225, 61, 239), (45, 302, 61, 316))
# Slider origins and their track rectangles relative to them.
LED_SLIDERS = (((46, 128), (0, 0, 260, 10)), ((46, 204), (5, 0, 255, 10)),
               ((46, 280), (5, 0, 255, 10)))
LED_PALETTES = (((105, 148), 8), ((105, 225), 7), ((105, 300), 7))
LED_BUTTONS = ((20, 340, 100, 367), (132, 340, 212, 367), (244, 340, 324, 367))

INFO_SIZE = (475, 238)
INFO_BODY = (2, 2, 444, 232)
INFO_PICKER = (113, 18, 330, 40)
INFO_ROWS_Y = (76, 95, 114, 133, 152, 172)
INFO_LEFT_VALUES_X = 90
INFO_RIGHT_VALUES_X = 234
INFO_BACK = (168, 205, 270, 226)

BROWSE_SIZE = (344, 326)


def swatches(origin, layout):
    """Swatch rectangles of a colour palette control at `origin`."""
    x, y = origin
    if layout == 7:
        return [(x + 8 + 19 * i, y + 1, x + 20 + 19 * i, y + 13) for i in range(7)]
    xs = (4, 20, 38, 55, 71, 87, 105)
    out = [(x + v, y + 2, x + v + 10, y + 12) for v in xs]
    out.append((x + 122, y + 1, x + 134, y + 13))
    return out
