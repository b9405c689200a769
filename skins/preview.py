"""Composes each window of a built pack (background plus the controls' first frames at their
rectangles) on a desktop-grey backdrop, one PNG per window, for looking at the work.

  preview.py PACK.dll OUTDIR
"""

import importlib
import io
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from PIL import Image  # noqa: E402

from gen import compose, pack  # noqa: E402

WINDOWS = {
    "main": lambda p, s: compose.main_window(p, bars=(0.62, 0.38), bar_colour=s.accent,
                                             texts=True),
    "clock": lambda p, s: compose.clock_window(p, s.text_accent + (254,)),
    "voltage": lambda p, s: compose.voltage_window(p, s.text_accent + (254,)),
    "monitor": lambda p, s: compose.monitor_window(p),
    "led": lambda p, s: compose.led_window(p),
    "info": lambda p, s: compose.info_window(p),
}


def backdrop(img, colour=(58, 66, 74, 255), pad=12):
    out = Image.new("RGBA", (img.width + 2 * pad, img.height + 2 * pad), colour)
    out.alpha_composite(img, (pad, pad))
    return out


def main(argv):
    if len(argv) != 3:
        sys.exit(__doc__)
    pictures = {n: Image.open(io.BytesIO(d)).convert("RGBA") for n, d in pack.read(argv[1])}
    os.makedirs(argv[2], exist_ok=True)
    skin = os.path.splitext(os.path.basename(argv[1]))[0]
    style = importlib.import_module("styles." + skin.lower()).STYLE
    for name, fn in WINDOWS.items():
        backdrop(fn(pictures, style)).save(os.path.join(argv[2], "%s_%s.png" % (skin, name)))
    backdrop(pictures["Browse.png"]).save(os.path.join(argv[2], "%s_browse.png" % skin))
    eye = pictures["main_eye.png"]
    backdrop(eye, pad=4).save(os.path.join(argv[2], "%s_eye.png" % skin))


if __name__ == "__main__":
    main(sys.argv)
