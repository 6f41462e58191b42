#!/usr/bin/env python3
"""Draws the demo's pictures and writes them as PNG files into images/.

Only the standard library is used (zlib and struct), so the pictures can be made again on any
machine: python3 make_images.py
"""
import math
import os
import struct
import zlib


def png(path, width, height, pixel):
    """Writes an 8-bit RGB PNG; pixel(x, y) returns (r, g, b)."""
    rows = bytearray()
    for y in range(height):
        rows.append(0)  # filter: none
        for x in range(width):
            rows.extend(bytes(pixel(x, y)))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    data = b"\x89PNG\r\n\x1a\n"
    data += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
    data += chunk(b"IDAT", zlib.compress(bytes(rows), 9))
    data += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(data)


def clamp(v):
    return max(0, min(255, int(v)))


def logo(x, y):
    # A disc with a radial gradient on the pages' background colour.
    cx, cy, r = 48, 48, 44
    d = math.hypot(x - cx, y - cy)
    if d > r:
        return (244, 247, 252)
    t = d / r
    ring = 1.0 if abs(d - 30) < 3 else 0.0
    return (clamp(40 + 180 * (1 - t) + 35 * ring), clamp(90 + 120 * (1 - t)), clamp(200 - 60 * t))


def landscape(x, y):
    # Sky, sun, hills and a lake: something with detail to look at.
    w, h = 240, 160
    sun = math.hypot(x - 180, y - 40)
    hill = h * 0.55 + 18 * math.sin(x / 23.0) + 10 * math.sin(x / 9.0 + 1.0)
    if y > h * 0.8:
        wave = 8 * math.sin(x / 6.0 + y / 2.0)
        return (clamp(30 + wave), clamp(90 + wave), clamp(160 + wave))
    if y > hill:
        shade = (y - hill) / (h * 0.8 - hill + 1)
        return (clamp(40 + 30 * shade), clamp(130 - 50 * shade), clamp(40))
    if sun < 18:
        return (255, 230, 90)
    glow = max(0.0, 1 - sun / 70.0)
    return (clamp(110 + 120 * glow), clamp(170 + 60 * glow - y / 4), clamp(235 - 80 * glow))


def tile(x, y):
    # A quiet 32 x 32 pattern for tiled page backgrounds.
    on = ((x // 8) + (y // 8)) % 2 == 0
    return (236, 240, 248) if on else (224, 230, 242)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = os.path.join(here, "images")
    os.makedirs(out, exist_ok=True)
    png(os.path.join(out, "logo.png"), 96, 96, logo)
    png(os.path.join(out, "landscape.png"), 240, 160, landscape)
    png(os.path.join(out, "tile.png"), 32, 32, tile)


if __name__ == "__main__":
    main()
