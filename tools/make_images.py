#!/usr/bin/env python3
"""Draws the game's images (splash screens, player sprite, window icon) and writes them as PNG.

Standard library only: the pictures are computed pixel by pixel and written with zlib.
Run from anywhere: python3 tools/make_images.py
"""
import math
import os
import struct
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# 5x7 block letters for the few words the pictures spell.
GLYPHS = {
    "Q": ["01110", "10001", "10001", "10001", "10101", "10010", "01101"],
    "U": ["10001", "10001", "10001", "10001", "10001", "10001", "01110"],
    "O": ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
    "L": ["10000", "10000", "10000", "10000", "10000", "10000", "11111"],
    "V": ["10001", "10001", "10001", "10001", "10001", "01010", "00100"],
    "E": ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
    "M": ["10001", "11011", "10101", "10101", "10001", "10001", "10001"],
    "A": ["01110", "10001", "10001", "11111", "10001", "10001", "10001"],
    "R": ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    "C": ["01110", "10001", "10000", "10000", "10000", "10001", "01110"],
    "H": ["10001", "10001", "10001", "11111", "10001", "10001", "10001"],
    "N": ["10001", "11001", "10101", "10011", "10001", "10001", "10001"],
    "G": ["01110", "10001", "10000", "10111", "10001", "10001", "01111"],
    "I": ["01110", "00100", "00100", "00100", "00100", "00100", "01110"],
    " ": ["00000"] * 7,
}


def write_png(path, width, height, pixels):
    """pixels: list of rows, each a list of (r, g, b, a) tuples."""
    raw = bytearray()
    for row in pixels:
        raw.append(0)  # no filter
        for r, g, b, a in row:
            raw += bytes((r, g, b, a))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(raw), 9))
    png += chunk(b"IEND", b"")
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(png)


def mix(a, b, t):
    t = max(0.0, min(1.0, t))
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(len(a)))


def canvas(width, height, colour):
    return [[colour for _ in range(width)] for _ in range(height)]


def text_mask(text, scale):
    """Set of (x, y) pixels of the text in block letters, origin top-left."""
    points = set()
    for n, ch in enumerate(text):
        for gy, line in enumerate(GLYPHS[ch]):
            for gx, bit in enumerate(line):
                if bit == "1":
                    for dy in range(scale):
                        for dx in range(scale):
                            points.add((n * 6 * scale + gx * scale + dx, gy * scale + dy))
    return points


def stamp_text(pixels, text, scale, centre_x, top, colour, shadow=None):
    width = (len(text) * 6 - 1) * scale
    left = centre_x - width // 2
    mask = text_mask(text, scale)
    if shadow:
        offset = max(1, scale // 2)
        for x, y in mask:
            pixels[top + y + offset][left + x + offset] = shadow
    for x, y in mask:
        pixels[top + y][left + x] = colour


def splash_sunset(width=800, height=450):
    """A sun setting over a calm sea, with the game's name."""
    sky_top, sky_low = (24, 28, 72, 255), (238, 120, 76, 255)
    sea_top, sea_low = (30, 54, 96, 255), (10, 20, 44, 255)
    horizon = int(height * 0.62)
    sun_x, sun_y, sun_r = width // 2, horizon, 95
    pixels = canvas(width, height, sky_top)
    for y in range(height):
        for x in range(width):
            if y < horizon:
                colour = mix(sky_top, sky_low, (y / horizon) ** 1.6)
                d = math.hypot(x - sun_x, y - sun_y)
                if d < sun_r:
                    # Bands cut through the lower half of the sun.
                    band = y > sun_y - sun_r * 0.45 and (sun_y - y) % 18 < 18 * (1 - (sun_y - y) / sun_r) * 0.6
                    if not band:
                        colour = mix((255, 214, 102, 255), (255, 120, 90, 255), (y - (sun_y - sun_r)) / sun_r)
                elif d < sun_r + 40:
                    colour = mix(colour, (255, 190, 120, 255), (1 - (d - sun_r) / 40) * 0.35)
            else:
                t = (y - horizon) / (height - horizon)
                colour = mix(sea_top, sea_low, t)
                # The sun's reflection: broken horizontal strokes that narrow toward the viewer.
                half = sun_r * (1 - 0.6 * t)
                if abs(x - sun_x) < half and (y + int(6 * math.sin(x / 23.0))) % 9 < 3:
                    colour = mix(colour, (255, 200, 110, 255), 0.75 - 0.5 * t)
            pixels[y][x] = colour
    stamp_text(pixels, "QUOL", 14, width // 2, 48, (255, 244, 230, 255), shadow=(60, 30, 60, 255))
    return pixels


def splash_engine(width=800, height=450):
    """The engine's mark: a compass rose on deep teal, with its name."""
    bg_centre, bg_edge = (18, 92, 96, 255), (6, 30, 40, 255)
    cx, cy = width // 2, height // 2 - 30
    pixels = canvas(width, height, bg_edge)
    for y in range(height):
        for x in range(width):
            d = math.hypot(x - cx, y - cy)
            colour = mix(bg_centre, bg_edge, d / 420)
            angle = math.atan2(y - cy, x - cx)
            # Ring and an eight-pointed star.
            if 118 <= d <= 126:
                colour = (236, 226, 200, 255)
            spike = 110 * (0.25 + 0.75 * abs(math.cos(angle * 2)) ** 6)
            if d <= spike:
                light = (math.sin(angle * 8) > 0)
                colour = (244, 180, 70, 255) if light else (206, 122, 44, 255)
            if d <= 12:
                colour = (236, 226, 200, 255)
            pixels[y][x] = colour
    stamp_text(pixels, "VELLMARCH", 6, width // 2, height - 110, (236, 226, 200, 255), shadow=(4, 20, 26, 255))
    stamp_text(pixels, "ENGINE", 4, width // 2, height - 52, (244, 180, 70, 255))
    return pixels


def rounded_tile(size, fill_top, fill_low, border, radius, border_width):
    pixels = canvas(size, size, (0, 0, 0, 0))
    for y in range(size):
        for x in range(size):
            # Distance outside the rounded square (negative inside).
            qx = max(abs(x + 0.5 - size / 2) - (size / 2 - radius), 0)
            qy = max(abs(y + 0.5 - size / 2) - (size / 2 - radius), 0)
            outside = math.hypot(qx, qy) - radius
            if outside > 0.5:
                continue
            alpha = int(255 * min(1.0, 0.5 - outside)) if outside > -0.5 else 255
            if outside > -border_width:
                colour = border
            else:
                colour = mix(fill_top, fill_low, y / size)
            pixels[y][x] = colour[:3] + (alpha,)
    return pixels


def sprite_square(size=64):
    """The player: a warm rounded tile with a light rim and a bright centre dot."""
    pixels = rounded_tile(size, (250, 170, 60, 255), (226, 104, 46, 255), (255, 236, 200, 255), 12, 4)
    c = size / 2
    for y in range(size):
        for x in range(size):
            if math.hypot(x + 0.5 - c, y + 0.5 - c) < size * 0.14:
                pixels[y][x] = (255, 248, 232, 255)
    return pixels


def icon(size=64):
    """The window icon: the sunset's colours on a rounded tile, with a Q."""
    pixels = rounded_tile(size, (40, 44, 96, 255), (238, 120, 76, 255), (255, 214, 102, 255), 14, 3)
    mask = text_mask("Q", 6)
    left, top = (size - 30) // 2, (size - 42) // 2
    for x, y in mask:
        pixels[top + y][left + x] = (255, 244, 230, 255)
    return pixels


def main():
    outputs = [
        ("assets/splash_screens/splash1.png", splash_sunset()),
        ("assets/splash_screens/splash2.png", splash_engine()),
        ("assets/sprites/square.png", sprite_square()),
        ("icon.png", icon()),
    ]
    for relative, pixels in outputs:
        write_png(os.path.join(ROOT, relative), len(pixels[0]), len(pixels), pixels)
        print("wrote", relative)


if __name__ == "__main__":
    main()
