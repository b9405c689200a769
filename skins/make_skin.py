"""Build-time entry point.

  make_skin.py pack STYLE OUT.dll     draws every picture of a skin and packs them
  make_skin.py icon STYLE OUT.ico     writes a window icon in a skin's colours
  make_skin.py wizard STYLE OUT.bmp   writes the installer's side picture in a skin's colours
  make_skin.py dump PACK.dll DIR      unpacks a pack's pictures (for looking at them)
"""

import importlib
import io
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from gen import catalogue, icons, installer, pack  # noqa: E402


def load_style(name):
    return importlib.import_module("styles." + name.lower()).STYLE


def png_bytes(img):
    buf = io.BytesIO()
    img.save(buf, "PNG", optimize=True)
    return buf.getvalue()


def build_pack(style_name, out):
    pictures = catalogue.build(load_style(style_name))
    entries = [(name, png_bytes(img)) for name, img in sorted(pictures.items())]
    tmp = out + ".tmp"
    pack.write(tmp, entries)
    # read back before replacing the old pack, so a broken writer never ships a pack
    names = [n for n, _ in pack.read(tmp)]
    if names != [n for n, _ in entries]:
        os.remove(tmp)
        sys.exit("pack read-back mismatch for %s" % out)
    os.replace(tmp, out)


def main(argv):
    if len(argv) != 4 or argv[1] not in ("pack", "icon", "wizard", "dump"):
        sys.exit(__doc__)
    cmd, a, b = argv[1:]
    if cmd == "pack":
        build_pack(a, b)
    elif cmd == "icon":
        icons.build_icon(load_style(a), b)
    elif cmd == "wizard":
        installer.build_wizard(load_style(a), b)
    else:
        os.makedirs(b, exist_ok=True)
        for name, data in pack.read(a):
            with open(os.path.join(b, name), "wb") as f:
                f.write(data)


if __name__ == "__main__":
    main(sys.argv)
