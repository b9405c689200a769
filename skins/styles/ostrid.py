"""Ostrid: carbon black with hot red, sharp cut corners, woven carbon fibre."""

from gen.style import Style

STYLE = Style(
    name="Ostrid",
    accent=(255, 0, 0),
    text_accent=(255, 0, 0),
    accent_hi=(255, 110, 90),
    accent_lo=(120, 0, 0),
    base_top=(30, 28, 30),
    base_bottom=(10, 9, 10),
    well=(6, 5, 6),
    rim=(92, 80, 84),
    label=(228, 214, 214),
    label_dim=(140, 120, 122),
    corner_kind="chamfer",
    corner=20,
    button_corner=4,
    texture="carbon",
    texture_opacity=0.12,
    title_font="bold",
    label_font="condbold",
    eye=dict(iris_outer=(110, 0, 0), iris_mid=(255, 20, 10), iris_inner=(255, 180, 120),
             sclera=(22, 6, 6), pupil=(6, 0, 0), pupil_shape="slit"),
)
