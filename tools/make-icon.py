#!/usr/bin/env python3
"""Draws Skyloom's icon: a wind generator against a sky with a sounding balloon.

Writes packaging/skyloom.svg and packaging/skyloom-256.png from the same shapes
(the PNG by 4x4 supersampling, with nothing but the standard library).
Usage: make-icon.py OUTPUT-FOLDER
"""
import math
import os
import struct
import sys
import zlib

SIZE = 256
SKY_TOP, SKY_BOTTOM = (38, 110, 190), (140, 200, 240)
WHITE, GROUND, BALLOON = (250, 250, 250), (70, 140, 80), (235, 90, 60)
HUB = (128, 150)
BLADE_LEN, BLADE_WIDTH = 92, 15
ANGLES = (-90, 30, 150)


def blade(angle):
    """The blade as a triangle from the hub: wide at the root, a point at the tip."""
    a = math.radians(angle)
    ux, uy = math.cos(a), math.sin(a)
    px, py = -uy, ux
    root = (HUB[0] + ux * 10, HUB[1] + uy * 10)
    return [(root[0] + px * BLADE_WIDTH / 2, root[1] + py * BLADE_WIDTH / 2),
            (HUB[0] + ux * BLADE_LEN, HUB[1] + uy * BLADE_LEN),
            (root[0] - px * BLADE_WIDTH / 2, root[1] - py * BLADE_WIDTH / 2)]


TOWER = [(122, 150), (134, 150), (140, 236), (116, 236)]
BLADES = [blade(a) for a in ANGLES]


def inside(poly, x, y):
    n, c = len(poly), False
    for i in range(n):
        (x1, y1), (x2, y2) = poly[i], poly[(i + 1) % n]
        if (y1 > y) != (y2 > y) and x < x1 + (y - y1) * (x2 - x1) / (y2 - y1):
            c = not c
    return c


def rounded(x, y, r=40):
    cx, cy = min(max(x, r), SIZE - r), min(max(y, r), SIZE - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def colour(x, y):
    if not rounded(x, y):
        return None
    if (x - 200) ** 2 + (y - 62) ** 2 <= 17 ** 2:
        return BALLOON
    if 199.2 <= x <= 200.8 and 79 <= y <= 112:
        return WHITE
    if (x - HUB[0]) ** 2 + (y - HUB[1]) ** 2 <= 11 ** 2 or inside(TOWER, x, y) or any(inside(b, x, y) for b in BLADES):
        return WHITE
    if y >= 228:
        return GROUND
    t = y / SIZE
    return tuple(round(a + (b - a) * t) for a, b in zip(SKY_TOP, SKY_BOTTOM))


def png(path):
    rows = []
    for py in range(SIZE):
        row = bytearray([0])
        for px in range(SIZE):
            acc, hits = [0, 0, 0], 0
            for sy in range(4):
                for sx in range(4):
                    c = colour(px + (sx + 0.5) / 4, py + (sy + 0.5) / 4)
                    if c:
                        hits += 1
                        for i in range(3):
                            acc[i] += c[i]
            row += bytes([acc[0] // hits, acc[1] // hits, acc[2] // hits, hits * 255 // 16] if hits else [0, 0, 0, 0])
        rows.append(bytes(row))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0)) +
                chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) + chunk(b"IEND", b""))


def svg(path):
    pts = lambda poly: " ".join(f"{x:.1f},{y:.1f}" for x, y in poly)
    rgb = lambda c: "#%02x%02x%02x" % c
    shapes = [f'<polygon points="{pts(p)}" fill="{rgb(WHITE)}"/>' for p in [TOWER] + BLADES]
    with open(path, "w") as f:
        f.write(f'''<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" width="{SIZE}" height="{SIZE}" viewBox="0 0 {SIZE} {SIZE}">
  <defs>
    <linearGradient id="sky" x1="0" y1="0" x2="0" y2="1">
      <stop offset="0" stop-color="{rgb(SKY_TOP)}"/>
      <stop offset="1" stop-color="{rgb(SKY_BOTTOM)}"/>
    </linearGradient>
    <clipPath id="tile"><rect width="{SIZE}" height="{SIZE}" rx="40"/></clipPath>
  </defs>
  <g clip-path="url(#tile)">
    <rect width="{SIZE}" height="{SIZE}" fill="url(#sky)"/>
    <rect y="228" width="{SIZE}" height="{SIZE - 228}" fill="{rgb(GROUND)}"/>
  </g>
  <line x1="200" y1="79" x2="200" y2="112" stroke="{rgb(WHITE)}" stroke-width="1.6"/>
  <circle cx="200" cy="62" r="17" fill="{rgb(BALLOON)}"/>
  {chr(10).join("  " + s for s in shapes).strip()}
  <circle cx="{HUB[0]}" cy="{HUB[1]}" r="11" fill="{rgb(WHITE)}"/>
</svg>
''')


out = sys.argv[1] if len(sys.argv) > 1 else "packaging"
svg(os.path.join(out, "skyloom.svg"))
png(os.path.join(out, "skyloom-256.png"))
