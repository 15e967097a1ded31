#!/usr/bin/python3
"""Text in several scripts drawn by vapryx-sim --text-raster as its writers write it.

For each text a property no wrong layout has (joining, order, conjuncts, a filled emoji),
and the raster against HarfBuzz's own rendering (hb-view) of the same text and face: both
thresholded, each scaled onto its ink box, they must cover nearly the same pixels.

usage: layout_test.py WORKDIR SIM
"""
import os
import subprocess
import sys

DEJAVU_BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
LOHIT = "/usr/share/fonts/truetype/lohit-devanagari/Lohit-Devanagari.ttf"


def read_pgm(path):  # as vapryx-sim and ImageMagick write them: "P5\nW H\n255\n"
    _, size, _, pixels = open(path, "rb").read().split(b"\n", 3)
    width, height = map(int, size.split())
    return [[p >= 128 for p in pixels[y * width:(y + 1) * width]] for y in range(height)]


def ink_box(ink):
    rows = [y for y, row in enumerate(ink) if any(row)]
    columns = [x for x in range(len(ink[0])) if any(row[x] for row in ink)]
    return columns[0], rows[0], columns[-1] + 1, rows[-1] + 1


def pieces(ink, smallest):
    """Ink pieces (8 neighbours) of at least `smallest` pixels, left to right: (size, box)."""
    seen, found = set(), []
    for y0, row in enumerate(ink):
        for x0, on in enumerate(row):
            if not on or (x0, y0) in seen:
                continue
            seen.add((x0, y0))
            stack, size, box = [(x0, y0)], 0, [x0, y0, x0 + 1, y0 + 1]
            while stack:
                x, y = stack.pop()
                size += 1
                box = [min(box[0], x), min(box[1], y), max(box[2], x + 1), max(box[3], y + 1)]
                for nx, ny in ((x + dx, y + dy) for dx in (-1, 0, 1) for dy in (-1, 0, 1)):
                    if 0 <= ny < len(ink) and 0 <= nx < len(row) and ink[ny][nx] and (nx, ny) not in seen:
                        seen.add((nx, ny))
                        stack.append((nx, ny))
            if size >= smallest:
                found.append((size, box))
    return sorted(found, key=lambda p: p[1][0])


def overlap(a, b, w=160, h=64):
    """Each ink box scaled to w x h by nearest pixel: the share of pixels ink in both of those
    ink in either."""
    def onto_box(ink):
        x0, y0, x1, y1 = ink_box(ink)
        return [ink[y0 + (y1 - y0) * j // h][x0 + (x1 - x0) * i // w] for j in range(h) for i in range(w)]
    pairs = list(zip(onto_box(a), onto_box(b)))
    return sum(p and q for p, q in pairs) / sum(p or q for p, q in pairs)


# What a right layout has and a wrong one has not (measured on right and wrong layouts).
def arabic(ink):
    # Joined: مر and حبا are two pieces (five unjoined), the dot of ب aside; the alef, the
    # last letter, stands at the left end and is the tallest.
    big = pieces(ink, 1000)
    if len(big) != 2:
        return False, f"{len(big)} pieces"
    top = ink_box(ink)[1]
    return len(big) == 2 and big[0][1][1] == top, f"{len(big)} pieces, left one {big[0][1]}"


def hebrew(ink):
    # Right to left: the lamed, the only letter rising above the others, is second from the
    # right (second from the left when reversed).
    big = pieces(ink, 200)
    if len(big) != 4:
        return False, f"{len(big)} pieces"
    tallest = min(range(len(big)), key=lambda i: big[i][1][1])
    return len(big) == 4 and tallest == 2, f"{len(big)} pieces, the tallest {tallest}"


def devanagari(ink):
    # Shaped, the conjunct sta is formed: no virama hangs below the line the letters stand
    # on (the bottom of the first letter, na), and the headline makes the word one piece.
    x0, _, x1, y1 = ink_box(ink)
    first = max(y for y, row in enumerate(ink) if any(row[x0:x0 + (x1 - x0) // 5]))
    big = pieces(ink, 30)
    return y1 - 1 - first <= 5 and len(big) <= 2, f"ink {y1 - 1 - first} px below the line, {len(big)} pieces"


def emoji(ink):
    # A filled silhouette in one piece, not a missing glyph's box (a third of its box) nor
    # the pieces of a sequence that did not form.
    x0, y0, x1, y1 = ink_box(ink)
    share = sum(sum(row[x0:x1]) for row in ink[y0:y1]) / ((x1 - x0) * (y1 - y0))
    count = len(pieces(ink, 100))
    return share > 0.5 and count == 1, f"fills {share:.2f} of its box, {count} pieces"


CASES = [  # name, text, font, face file for hb-view or None, property or None
    ("Latin", "Vapryx", "DejaVu Sans:bold", DEJAVU_BOLD, None),
    ("Arabic", "مرحبا", "DejaVu Sans:bold", DEJAVU_BOLD, arabic),
    ("Hebrew", "שלום", "DejaVu Sans:bold", DEJAVU_BOLD, hebrew),
    ("Devanagari", "नमस्ते", "Lohit Devanagari", LOHIT, devanagari),
    ("Devanagari in a fallback face", "नमस्ते", "DejaVu Sans", LOHIT, devanagari),
    ("emoji", "\U0001F525", "DejaVu Sans", None, emoji),
    ("emoji and variation selector", "\u2764\ufe0f", "DejaVu Sans", None, emoji),
    ("emoji joined", "\U0001F468\u200d\U0001F469\u200d\U0001F467", "DejaVu Sans", None, emoji),
]


def main():
    work, sim = sys.argv[1], sys.argv[2]
    os.makedirs(work, exist_ok=True)
    # The faces the table names, and only those: a machine with more (fonts-noto-core, for
    # one) gives other fallbacks.
    env = dict(os.environ, FONTCONFIG_FILE=os.path.join(os.path.dirname(__file__), "fonts.conf"))
    failures = passed = 0
    for name, text, font, face, rule in CASES:
        ours = os.path.join(work, "ours.pgm")
        run = subprocess.run([sim, "--size", "800x600", "--volume", "5", "--seed", "1",
                              "--frames", "0", "--text", text, "--font", font,
                              "--text-raster", ours], capture_output=True, text=True, env=env)
        problems = []
        if run.returncode != 0 or run.stderr:
            problems.append(f"exit {run.returncode}, {run.stderr.strip()}")
        else:
            ink = read_pgm(ours)
            if not any(any(row) for row in ink):
                problems.append("no ink")
            elif rule is not None:
                ok, said = rule(ink)
                if not ok:
                    problems.append(said)
            if face is not None and not problems:
                png, pgm = os.path.join(work, "hb.png"), os.path.join(work, "hb.pgm")
                subprocess.run(["hb-view", "--font-size=140", "--margin=20", "--foreground=FFFFFF",
                                "--background=000000", "-O", "png", "-o", png, face, text], check=True)
                subprocess.run(["convert", png, "-colorspace", "Gray", pgm], check=True)
                share = overlap(ink, read_pgm(pgm))
                if share < 0.85:
                    problems.append(f"overlaps HarfBuzz's rendering {share:.2f}")
        if problems:
            failures += 1
            print(f"FAIL: {name} ({text}): {'; '.join(problems)}")
        else:
            passed += 1
    print(f"text layout: {passed} passed, {failures} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
