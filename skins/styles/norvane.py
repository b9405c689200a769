"""Norvane: cold navy glass with electric-blue light, rounded corners, hexagon mesh."""

from gen.style import Style

STYLE = Style(
    name="Norvane",
    accent=(4, 155, 242),
    text_accent=(0, 184, 238),
    accent_hi=(120, 214, 255),
    accent_lo=(2, 70, 128),
    base_top=(20, 30, 46),
    base_bottom=(8, 12, 20),
    well=(4, 8, 14),
    rim=(58, 84, 112),
    label=(178, 214, 238),
    label_dim=(96, 128, 156),
    corner_kind="round",
    corner=16,
    button_corner=6,
    texture="hex",
    texture_opacity=0.10,
    title_font="bold",
    label_font="condbold",
    eye=dict(iris_outer=(0, 60, 140), iris_mid=(4, 155, 242), iris_inner=(150, 230, 255),
             sclera=(8, 16, 28), pupil=(0, 4, 10)),
)
