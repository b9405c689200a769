"""The installer's side picture (welcome and finish pages): 164 x 314, 24-bit BMP, in the
colours of the program icon's skin, with the eye, the name and the tag line."""

from PIL import Image

from gen import components, eye, paint
from gen.paint import Layer, darken, lighten, rgba

WIZARD_W, WIZARD_H = 164, 314


def wizard(style):
    L = Layer(WIZARD_W, WIZARD_H)
    face = L.shape_mask((0, 0, WIZARD_W, WIZARD_H))
    L.paint_image(face, L.gradient([(0, lighten(style.base_top, 0.05)),
                                    (1, darken(style.base_bottom, 0.2))]))
    L.texture(face, components.texture(style, WIZARD_W, WIZARD_H), style.texture_opacity)
    L.paint_image(face, L.gradient([(0, rgba(style.accent, 40)), (0.4, rgba(style.accent, 0)),
                                    (1, rgba(style.accent, 0))]))
    # the eye's stage, as on the main window
    cx, cy = WIZARD_W / 2, 112
    L.paint_image(L.ellipse_mask((cx - 70, cy - 70, cx + 70, cy + 70)),
                  L.radial(cx, cy, 70, [(0, rgba(style.well, 250)), (0.8, rgba(style.well, 200)),
                                        (1, rgba(style.well, 0))]))
    L.paint(L.ring_mask(cx, cy, 68, 67), rgba(style.rim, 200))
    L.paint(L.ring_mask(cx, cy, 63, 62.2), rgba(style.accent, 110))
    L.paint(L.shape_mask((18, 252, WIZARD_W - 18, 253.2)), rgba(style.accent, 120))
    L.glow(L.shape_mask((40, 252, WIZARD_W - 40, 253.2)), rgba(style.accent, 200), 3)
    img = L.final()
    look = eye.frame(style, 0)
    look = look.resize((int(look.width * 0.7), int(look.height * 0.7)), Image.LANCZOS)
    img.alpha_composite(look, (int(cx - look.width / 2), int(cy - look.height / 2)))
    paint.text(img, (cx, 212), "VELMORA", style.title_font, 22, lighten(style.label, 0.2),
               anchor="mm", glow=(rgba(style.accent, 170), 3), spacing=3)
    paint.text(img, (cx, 236), "GPU TUNER", style.label_font, 10, style.label_dim, anchor="mm",
               spacing=3)
    return img


def build_wizard(style, path):
    # The wizard page wants an opaque 24-bit bitmap.
    picture = wizard(style)
    flat = Image.new("RGB", picture.size, (0, 0, 0))
    flat.paste(picture, mask=picture.split()[3])
    flat.save(path, "BMP")
