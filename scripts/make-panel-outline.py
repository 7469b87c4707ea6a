#!/usr/bin/env python3
"""Writes the capture panel's outline: src/capture/resources/PanelOutline.mask2.

The outline is the shape of the camera back drawn as the panel's skin, stored as
a list of rectangles in row bands (the Win32 RGNDATA layout) behind a 4-byte
little-endian byte count. Run it again only when the shape changes; the skin is
painted inside this outline, so the picture follows by itself.
"""
import os
import struct

LEFT, RIGHT, TOP, BOTTOM = 7, 190, 5, 253  # the body without grip and lugs
GRIP_RIGHT, GRIP_TOP, GRIP_BOTTOM, GRIP_RAMP = 195, 30, 160, 5
TOP_RADIUS, BOTTOM_RADIUS = 10, 26
DISPLAY = (33, 140, 133, 218)  # see-through where the camera's display sits


def right_edge(y):
    """The hand grip bulges out on the right, ramping in and out a pixel a row."""
    step = GRIP_RIGHT - RIGHT
    if GRIP_TOP <= y < GRIP_BOTTOM:
        return GRIP_RIGHT
    if GRIP_TOP - GRIP_RAMP <= y < GRIP_TOP:
        return RIGHT + (y - (GRIP_TOP - GRIP_RAMP) + 1) * step // (GRIP_RAMP + 1)
    if GRIP_BOTTOM <= y < GRIP_BOTTOM + GRIP_RAMP:
        return GRIP_RIGHT - (y - GRIP_BOTTOM + 1) * step // (GRIP_RAMP + 1)
    return RIGHT


def left_edge(y):
    """Two strap lugs stand out on the left."""
    return 5 if (24 <= y < 40 or 196 <= y < 212) else LEFT


def inside(x, y):
    if y < 1 or y >= BOTTOM:
        return False
    if y < TOP:  # the shutter release plate on top, rounded
        x0, x1, r = 96, 132, 4
        if not x0 <= x < x1:
            return False
        cx, cy = min(max(x, x0 + r), x1 - 1 - r), 1 + r
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r + r
    if not left_edge(y) <= x < right_edge(y):
        return False
    for cy, radius, upper in ((TOP + TOP_RADIUS, TOP_RADIUS, True),
                              (BOTTOM - 1 - BOTTOM_RADIUS, BOTTOM_RADIUS, False)):
        if (upper and y < cy) or (not upper and y > cy):
            left_cx, right_cx = LEFT + radius, RIGHT - 1 - radius
            cx = left_cx if x < left_cx else right_cx if x > right_cx else None
            if cx is not None and (x - cx) ** 2 + (y - cy) ** 2 > radius * radius + radius:
                return False
    if DISPLAY[0] <= x < DISPLAY[2] and DISPLAY[1] <= y < DISPLAY[3]:
        return False
    if x == 80 and 12 <= y < 40:  # the slit between viewfinder and flash
        return False
    if x == 170 and (104 <= y < 112 or 226 <= y < 234):  # battery door notches
        return False
    return True


def rectangles():
    """Row bands: consecutive rows with the same spans share one band."""
    bands, previous, start = [], None, 0
    for y in range(0, 256):
        spans, x = [], 0
        while x < 200:
            if inside(x, y):
                begin = x
                while x < 200 and inside(x, y):
                    x += 1
                spans.append((begin, x))
            else:
                x += 1
        if spans != previous:
            if previous:
                bands.append((start, y, previous))
            previous, start = spans, y
    if previous:
        bands.append((start, 256, previous))
    return [(l, top, r, bottom) for top, bottom, spans in bands for l, r in spans]


def main():
    rects = rectangles()
    bound = (min(r[0] for r in rects), min(r[1] for r in rects),
             max(r[2] for r in rects), max(r[3] for r in rects))
    data = struct.pack("<IIII4i", 32, 1, len(rects), 16 * len(rects), *bound)
    for rect in rects:
        data += struct.pack("<4i", *rect)
    out = os.path.join(os.path.dirname(__file__), "..", "src", "capture", "resources",
                       "PanelOutline.mask2")
    with open(out, "wb") as f:
        f.write(struct.pack("<I", len(data)) + data)
    print(f"{len(rects)} rectangles, bounds {bound}, {len(data)} bytes")


if __name__ == "__main__":
    main()
