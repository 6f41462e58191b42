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


def lzw(indexes, min_size):
    """GIF's variable-length LZW, codes packed from the lowest bit, with a clear code first."""
    clear, end = 1 << min_size, (1 << min_size) + 1
    out, acc, nbits = bytearray(), 0, 0

    def put(code, size):
        nonlocal acc, nbits
        acc |= code << nbits
        nbits += size
        while nbits >= 8:
            out.append(acc & 0xFF)
            acc >>= 8
            nbits -= 8

    def fresh():
        return {(i,): i for i in range(clear)}, min_size + 1, end + 1

    table, size, next_code = fresh()
    put(clear, size)
    word = ()
    for k in indexes:
        longer = word + (k,)
        if longer in table:
            word = longer
            continue
        put(table[word], size)
        table[longer] = next_code
        next_code += 1
        if next_code > (1 << size) and size < 12:
            size += 1
        if next_code == 4096:
            put(clear, size)
            table, size, next_code = fresh()
        word = (k,)
    put(table[word], size)
    put(end, size)
    if nbits:
        out.append(acc & 0xFF)
    return bytes(out)


def gif(path, width, height, colours, frames):
    """Writes an animated GIF that loops forever; frames are (delay in 1/100 s, pixel(x, y))
    with palette index 0 transparent, each frame cleared to the background before the next."""
    data = b"GIF89a" + struct.pack("<HHBBB", width, height, 0xF0 | 3, 0, 0)
    table = b"".join(bytes(c) for c in colours) + bytes(3 * (16 - len(colours)))
    data += table
    data += b"\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00"
    for delay, pixel in frames:
        data += b"\x21\xF9\x04" + struct.pack("<BHB", (2 << 2) | 1, delay, 0) + b"\x00"
        data += b"\x2C" + struct.pack("<HHHHB", 0, 0, width, height, 0)
        codes = lzw([pixel(x, y) for y in range(height) for x in range(width)], 4)
        data += b"\x04"
        for i in range(0, len(codes), 255):
            block = codes[i:i + 255]
            data += bytes((len(block),)) + block
        data += b"\x00"
    data += b"\x3B"
    with open(path, "wb") as f:
        f.write(data)


# The spinner: eight dots on a ring, the lit one going round; it rests on the top dot.
SPINNER_COLOURS = [(0, 0, 0), (200, 210, 225), (120, 140, 180), (40, 90, 200)]
SPINNER_DELAYS = [40, 8, 8, 8, 8, 8, 8, 8]


def spinner(step):
    def pixel(x, y):
        for dot in range(8):
            a = 2 * math.pi * dot / 8
            cx, cy = 32 + 22 * math.sin(a), 32 - 22 * math.cos(a)
            if math.hypot(x - cx, y - cy) <= 7:
                age = (step - dot) % 8
                return 3 if age == 0 else 2 if age == 1 else 1
        return 0
    return pixel


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = os.path.join(here, "images")
    os.makedirs(out, exist_ok=True)
    png(os.path.join(out, "logo.png"), 96, 96, logo)
    png(os.path.join(out, "landscape.png"), 240, 160, landscape)
    png(os.path.join(out, "tile.png"), 32, 32, tile)
    gif(os.path.join(out, "spinner.gif"), 64, 64, SPINNER_COLOURS,
        [(SPINNER_DELAYS[i], spinner(i)) for i in range(8)])


if __name__ == "__main__":
    main()
