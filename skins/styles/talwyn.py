"""Talwyn: warm black bronze with molten gold, softly rounded body, cut-corner buttons,
brushed metal."""

from gen.style import Style

STYLE = Style(
    name="Talwyn",
    accent=(255, 191, 0),
    text_accent=(218, 186, 90),
    accent_hi=(255, 226, 140),
    accent_lo=(120, 82, 8),
    base_top=(36, 30, 22),
    base_bottom=(12, 10, 8),
    well=(8, 6, 4),
    rim=(110, 92, 58),
    label=(232, 210, 150),
    label_dim=(150, 128, 86),
    corner_kind="round",
    corner=9,
    button_corner=6,
    button_kind="chamfer",
    texture="brushed",
    texture_opacity=0.14,
    title_font="bold",
    label_font="condbold",
    eye=dict(iris_outer=(110, 60, 0), iris_mid=(255, 191, 0), iris_inner=(255, 236, 170),
             sclera=(20, 14, 6), pupil=(8, 4, 0)),
)
