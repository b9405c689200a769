"""Writes and reads skin packs: named image files followed by a directory and a trailer.

Layout, all integers little-endian:
  image bytes ..., then the directory stored back to front (entry 0 last, right before the
  count), then the entry count (int32), then the trailer "tessarin" + NUL.
  An entry is 80 bytes: the name in UTF-16LE, zero-padded to 64 bytes (at most 31 units, so
  a terminating zero always fits), the offset of the bytes from the file start (int64) and
  their length (int64).
"""

import struct

TRAILER = b"tessarin\0"
ENTRY_BYTES = 80
NAME_BYTES = 64
MAX_NAME_UNITS = NAME_BYTES // 2 - 1


def encode_name(name):
    raw = name.encode("utf-16-le")
    if len(raw) // 2 > MAX_NAME_UNITS:
        raise ValueError("picture name too long for a pack entry: %r" % name)
    return raw.ljust(NAME_BYTES, b"\0")


def write(path, entries):
    """entries: list of (name, bytes) in directory order (entry 0 first)."""
    body = bytearray()
    directory = []
    for name, data in entries:
        directory.append((encode_name(name), len(body), len(data)))
        body += data
    # entry i lies 80 * (i + 1) bytes before the count: write the last entry first
    for raw, offset, size in reversed(directory):
        body += raw + struct.pack("<qq", offset, size)
    body += struct.pack("<i", len(directory)) + TRAILER
    with open(path, "wb") as f:
        f.write(bytes(body))


def read(path):
    """[(name, bytes)] in directory order; raises ValueError on a malformed pack."""
    with open(path, "rb") as f:
        data = f.read()
    if len(data) < 13 or data[-9:] != TRAILER:
        raise ValueError("not a skin pack: %s" % path)
    (count,) = struct.unpack_from("<i", data, len(data) - 13)
    if count < 0 or 13 + count * ENTRY_BYTES > len(data):
        raise ValueError("bad directory in %s" % path)
    out = []
    for i in range(count):
        pos = len(data) - 13 - ENTRY_BYTES * (i + 1)
        raw = data[pos:pos + NAME_BYTES]
        offset, size = struct.unpack_from("<qq", data, pos + NAME_BYTES)
        units = [raw[k:k + 2] for k in range(0, NAME_BYTES, 2)]
        end = units.index(b"\0\0") if b"\0\0" in units else len(units)
        name = b"".join(units[:end]).decode("utf-16-le")
        if offset < 0 or size < 0 or offset + size > len(data):
            raise ValueError("entry %r outside %s" % (name, path))
        out.append((name, data[offset:offset + size]))
    return out
