"""The choices that make one skin: colours, shapes, surface texture and the eye."""

from dataclasses import dataclass, field


@dataclass
class Style:
    name: str
    accent: tuple  # gauge bar colour; the skin's signature colour
    text_accent: tuple  # value texts the program draws in the tool windows
    accent_hi: tuple  # highlights, hover rims
    accent_lo: tuple  # pressed / checked fills
    base_top: tuple  # window body gradient
    base_bottom: tuple
    well: tuple  # recessed areas: tracks, graph panels, sheets
    rim: tuple  # neutral edges
    label: tuple  # baked-in labels
    label_dim: tuple
    corner_kind: str = "round"  # "round" or "chamfer"
    corner: int = 14  # window body corner size
    button_corner: int = 5
    button_kind: str = ""  # "round" or "chamfer"; empty: as the window body
    texture: str = "hex"  # "hex", "brushed" or "carbon"
    texture_opacity: float = 0.10
    title_font: str = "bold"
    label_font: str = "condbold"
    title_spacing: int = 3
    eye: dict = field(default_factory=dict)
