#!/usr/bin/env python3
"""Counts a screenshot's lit pixels and those that are no colour of a ramp, in every other
row and column (a quarter of them: fast, and a fault of colour shows all the same).

usage: pixels.py IMAGE.ppm RAMP [WxH+X+Y]   (RAMP: 768 bytes, red, green, blue per entry)
prints: lit N offramp M offhue K onramp L, where onramp counts lit pixels of the ramp and
offhue pixels not of the ramp's hue (its
red and blue the same, green the largest: for a green ramp blended by a compositor's
filtering). Given a part of the image, it counts in that part only and adds
"bright WxH+X+Y", the box, within the part, around its pixels of 80 % brightness or more
(where the text is, the smoke being brightest at its outline), and "crc N" of its pixels.
"""
import collections
import sys
import zlib


def read_ppm(path):
    data = open(path, "rb").read()
    fields, at = [], 0
    while len(fields) < 4:  # magic, width, height, maximum; comments skipped
        while data[at:at + 1].isspace():
            at += 1
        if data[at:at + 1] == b"#":
            at = data.index(b"\n", at) + 1
            continue
        end = at
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[at:end])
        at = end
    if fields[0] != b"P6" or int(fields[3]) != 255:
        sys.exit(f"{path}: not an 8-bit P6 PPM")
    width, height = int(fields[1]), int(fields[2])
    return data[at + 1:at + 1 + width * height * 3], width, height


def crop(pixels, width, part):
    w, rest = part.split("x")
    h, x, y = (int(v) for v in rest.split("+"))
    w = int(w)
    rows = [pixels[((y + i) * width + x) * 3:((y + i) * width + x + w) * 3] for i in range(h)]
    return b"".join(rows), w, h


def bright_box(pixels, width, height):
    mask = bytes(1 if v >= 204 else 0 for v in range(256))
    row = width * 3
    left, right, top, bottom = width, -1, height, -1
    for y in range(height):
        lit = pixels[y * row:(y + 1) * row].translate(mask)
        first = lit.find(1)
        if first >= 0:
            left, right = min(left, first // 3), max(right, lit.rfind(1) // 3)
            top, bottom = min(top, y), y
    return f"{right - left + 1}x{bottom - top + 1}+{left}+{top}" if right >= 0 else "none"


def main():
    pixels, width, height = read_ppm(sys.argv[1])
    if len(sys.argv) > 3:
        pixels, width, height = crop(pixels, width, sys.argv[3])
    ramp_bytes = open(sys.argv[2], "rb").read()
    ramp = {ramp_bytes[i:i + 3] for i in range(0, 768, 3)}
    row = width * 3
    sample = b"".join(pixels[y * row:(y + 1) * row] for y in range(0, height, 2))
    counts = collections.Counter(zip(sample[0::6], sample[1::6], sample[2::6]))
    lit = sum(counts.values()) - counts[(0, 0, 0)]
    off = offhue = onramp = 0
    for (r, g, b), n in counts.items():
        if bytes((r, g, b)) in ramp:
            onramp += n if (r, g, b) != (0, 0, 0) else 0
        else:
            off += n
            if abs(r - b) > 1 or g < max(r, b):
                offhue += n
    box = ""
    if len(sys.argv) > 3:
        box = f" bright {bright_box(pixels, width, height)} crc {zlib.crc32(pixels)}"
    print(f"lit {lit} offramp {off} offhue {offhue} onramp {onramp}{box}")


main()
