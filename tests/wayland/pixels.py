#!/usr/bin/env python3
"""Counts a screenshot's lit pixels and those that are no colour of a ramp, in every other
row and column (a quarter of them: fast, and a fault of colour shows all the same).

usage: pixels.py IMAGE.ppm RAMP   (RAMP: 768 bytes, red, green, blue per entry)
prints: lit N offramp M offhue K onramp L, where onramp counts lit pixels of the ramp and
offhue pixels not of the ramp's hue (its
red and blue the same, green the largest: for a green ramp blended by a compositor's
filtering)
"""
import collections
import sys


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


def main():
    pixels, width, height = read_ppm(sys.argv[1])
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
    print(f"lit {lit} offramp {off} offhue {offhue} onramp {onramp}")


main()
