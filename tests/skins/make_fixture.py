"""Writes a small pack with the generator's packer for the reader round-trip test.

Entries, in directory order: "first.png" (bytes A), "First.png" (bytes C), "first.png"
again (bytes B, shadowed by entry 0), "empty.png" with no bytes, and a name of the longest
length an entry holds (31 units, non-ASCII).
"""

import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "skins"))

from gen import pack  # noqa: E402

LONG_NAME = "\u00e9" * 27 + ".png"

pack.write(sys.argv[1], [("first.png", b"AAAA"), ("First.png", b"CC"), ("first.png", b"BBBBBB"),
                         ("empty.png", b""), (LONG_NAME, b"long")])
