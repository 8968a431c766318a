#!/usr/bin/env python3
"""Draws Zerrow's icon (a white arrowed Z on a blue tile) into a multi-size .ico."""
import math
import struct
import sys
import zlib

SIZES = (16, 32, 48, 64, 256)
SUPERSAMPLE = 4


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def inside_tile(x, y):
    inset, radius = 0.04, 0.22
    cx = min(max(x, inset + radius), 1 - inset - radius)
    cy = min(max(y, inset + radius), 1 - inset - radius)
    return math.hypot(x - cx, y - cy) <= radius


def inside_mark(x, y):
    half = 0.055
    strokes = ((0.27, 0.29, 0.71, 0.29), (0.71, 0.29, 0.31, 0.71), (0.31, 0.71, 0.64, 0.71))
    if any(segment_distance(x, y, *s) <= half for s in strokes):
        return True
    # arrow head at the end of the lower stroke
    if 0.60 <= x <= 0.82:
        spread = 0.14 * (0.82 - x) / 0.22
        return abs(y - 0.71) <= spread
    return False


def pixel(x, y):
    """Premultiplied-free RGBA of one point in the unit square."""
    if not inside_tile(x, y):
        return (0, 0, 0, 0)
    if inside_mark(x, y):
        return (255, 255, 255, 255)
    t = (x + y) / 2
    top, bottom = (0x4C, 0xC2, 0xFF), (0x0F, 0x5C, 0xB0)
    return tuple(round(top[i] + (bottom[i] - top[i]) * t) for i in range(3)) + (255,)


def render(size):
    rows = []
    n = SUPERSAMPLE
    for j in range(size):
        row = []
        for i in range(size):
            acc = [0, 0, 0, 0]
            for sj in range(n):
                for si in range(n):
                    r, g, b, a = pixel((i + (si + 0.5) / n) / size, (j + (sj + 0.5) / n) / size)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            alpha = acc[3] / (n * n)
            if acc[3] == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append(tuple(round(c / acc[3]) for c in acc[:3]) + (round(alpha),))
        rows.append(row)
    return rows


def png_bytes(rows):
    size = len(rows)
    raw = b"".join(b"\0" + bytes(v for px in row for v in px) for row in rows)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def dib_bytes(rows):
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for i, px in enumerate(row):
            if px[3] == 0:
                bits[i // 8] |= 0x80 >> (i % 8)
        mask += bits
    return header + pixels + bytes(mask)


def main(out_path):
    images = []
    for size in SIZES:
        rows = render(size)
        images.append((size, png_bytes(rows) if size == 256 else dib_bytes(rows)))
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries, blobs = b"", b""
    for size, data in images:
        side = 0 if size == 256 else size
        entries += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
        blobs += data
    with open(out_path, "wb") as f:
        f.write(directory + entries + blobs)


if __name__ == "__main__":
    main(sys.argv[1])
