#!/usr/bin/env python3
"""Writes the demo's video clip, media/bounce.avi: a ball bouncing over a landscape with a
blip at every bounce.

The clip is stored the way discs of the time stored theirs: an AVI file with 8-bit run-length
coded pictures (Microsoft RLE) and 8-bit PCM sound, so it stays small (about 100 KB) and plays
with any decoder of such files. Only the standard library is used: python3 make_clip.py
"""
import math
import os
import struct

WIDTH, HEIGHT = 192, 144
FPS = 25
FRAMES = 50  # two seconds; the demo loops it
RATE = 11025  # sound samples per second, 8-bit mono
BOUNCE = 25  # frames from one bounce to the next

# The palette: 0..63 the sky from top to horizon, 64..95 the ground, 96..111 the ball's
# shades, 112 the shadow, 113 the frame counter's marks.
SKY, GROUND, BALL, SHADOW, MARK = 0, 64, 96, 112, 113
HORIZON = 100


def palette():
    colours = []
    for i in range(64):
        t = i / 63
        colours.append((int(90 + 120 * t), int(150 + 80 * t), int(235 - 20 * t)))
    for i in range(32):
        t = i / 31
        colours.append((int(70 - 30 * t), int(150 - 60 * t), int(60 - 30 * t)))
    for i in range(16):
        t = i / 15
        colours.append((int(250 - 90 * t), int(120 - 80 * t), int(40 - 30 * t)))
    colours.append((40, 80, 40))
    colours.append((255, 255, 255))
    while len(colours) < 256:
        colours.append((0, 0, 0))
    return colours


def ball_position(frame):
    # A bounce is half a parabola each way; the ball lands on the horizon line at frame 0.
    phase = (frame % BOUNCE) / BOUNCE
    height = 4 * phase * (1 - phase)  # 0 at the bounce, 1 at the top
    x = 20 + (WIDTH - 40) * (0.5 - 0.5 * math.cos(2 * math.pi * frame / FRAMES))
    y = HORIZON + 10 - 80 * height
    return x, y


def picture(frame):
    """The frame as rows of palette indexes, top row first."""
    bx, by = ball_position(frame)
    radius = 12
    rows = []
    for y in range(HEIGHT):
        if y < HORIZON:
            row = [SKY + min(63, y * 64 // HORIZON)] * WIDTH
        else:
            row = [GROUND + min(31, (y - HORIZON) * 32 // (HEIGHT - HORIZON))] * WIDTH
        # The shadow under the ball, smaller the higher the ball is.
        sy = HORIZON + 22
        if abs(y - sy) <= 2:
            half = int(radius * (1.2 - (HORIZON + 10 - by) / 120))
            for x in range(max(0, int(bx) - half), min(WIDTH, int(bx) + half + 1)):
                row[x] = SHADOW
        dy = y - by
        if abs(dy) <= radius:
            half = math.sqrt(radius * radius - dy * dy)
            for x in range(max(0, int(bx - half)), min(WIDTH, int(bx + half) + 1)):
                # Lit from the top left: the shade follows the distance from that point.
                light = math.hypot(x - (bx - 5), y - (by - 5)) / (2 * radius)
                row[x] = BALL + min(15, int(light * 16))
        # The frame number as six marks along the bottom, so a picture tells its frame.
        if y >= HEIGHT - 4:
            for bit in range(6):
                if frame >> bit & 1:
                    for x in range(4 + bit * 8, 10 + bit * 8):
                        row[x] = MARK
        rows.append(row)
    return rows


def rle8(rows):
    """Microsoft RLE8: runs of one index per row, bottom row first, each row ends with 0 0."""
    out = bytearray()
    for row in reversed(rows):
        x = 0
        while x < len(row):
            run = 1
            while x + run < len(row) and run < 255 and row[x + run] == row[x]:
                run += 1
            out += bytes((run, row[x]))
            x += run
        out += b"\x00\x00"
    out[-2:] = b"\x00\x01"  # the last row's end is the end of the picture
    return bytes(out)


def sound(frame):
    """The frame's share of the sound: a blip when the ball lands, quiet otherwise."""
    per = RATE // FPS
    out = bytearray()
    for i in range(per):
        n = frame * per + i
        since = (frame % BOUNCE) * per + i  # samples since the last bounce
        v = 0.0
        if since < RATE // 8:
            fade = 1 - since / (RATE / 8)
            v = 0.6 * fade * math.sin(2 * math.pi * (660 - 2000 * since / RATE) * since / RATE)
        v += 0.05 * math.sin(2 * math.pi * 110 * n / RATE)
        out.append(max(0, min(255, int(128 + 127 * v))))
    return bytes(out)


def chunk(fourcc, data):
    pad = b"\x00" if len(data) % 2 else b""
    return fourcc + struct.pack("<I", len(data)) + data + pad


def riff_list(kind, fourcc, body):
    return kind + struct.pack("<I", len(body) + 4) + fourcc + body


def avi(frames, sounds):
    largest = max(len(f) for f in frames)
    per = RATE // FPS
    avih = struct.pack("<14I", 1000000 // FPS, largest * FPS + RATE, 0, 0x10, FRAMES, 0, 2,
                       largest, WIDTH, HEIGHT, 0, 0, 0, 0)
    vstrh = b"vids" + b"mrle" + struct.pack("<IHHIIIIIIIIhhhh", 0, 0, 0, 0, 1, FPS, 0, FRAMES,
                                             largest, 0xFFFFFFFF, 0, 0, 0, WIDTH, HEIGHT)
    bih = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 8, 1, largest, 0, 0, 256, 0)
    bih += b"".join(bytes((b, g, r, 0)) for r, g, b in palette())
    astrh = b"auds" + struct.pack("<IIHHIIIIIIIIhhhh", 0, 0, 0, 0, 0, 1, RATE, 0, FRAMES * per,
                                  per, 0xFFFFFFFF, 1, 0, 0, 0, 0)
    wfx = struct.pack("<HHIIHHH", 1, 1, RATE, RATE, 1, 8, 0)
    hdrl = riff_list(b"LIST", b"hdrl",
                     chunk(b"avih", avih) +
                     riff_list(b"LIST", b"strl", chunk(b"strh", vstrh) + chunk(b"strf", bih)) +
                     riff_list(b"LIST", b"strl", chunk(b"strh", astrh) + chunk(b"strf", wfx)))
    movi = bytearray()
    index = bytearray()
    for picture_data, sound_data in zip(frames, sounds):
        for fourcc, data in ((b"00dc", picture_data), (b"01wb", sound_data)):
            index += fourcc + struct.pack("<III", 0x10, len(movi) + 4, len(data))
            movi += chunk(fourcc, data)
    body = hdrl + riff_list(b"LIST", b"movi", bytes(movi)) + chunk(b"idx1", bytes(index))
    return b"RIFF" + struct.pack("<I", len(body) + 4) + b"AVI " + body


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = os.path.join(here, "media")
    os.makedirs(out, exist_ok=True)
    frames = [rle8(picture(f)) for f in range(FRAMES)]
    sounds = [sound(f) for f in range(FRAMES)]
    with open(os.path.join(out, "bounce.avi"), "wb") as f:
        f.write(avi(frames, sounds))


if __name__ == "__main__":
    main()
