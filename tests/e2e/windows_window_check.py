#!/usr/bin/env python3
"""Checks a screenshot of the Windows program's main window, by its pixels.

    windows_window_check.py SHOT.ppm X Y WIDTH HEIGHT [--boxes empty|filled:INDEX,...]

X Y WIDTH HEIGHT is the window's outer rectangle on the screen. The text
boxes are found as the white fields of their edit controls; from the first one
the client area's origin follows, and the labels are looked for where the
form's layout puts them. Sizes are at 96 dpi, wine's default: 15 twips to a
pixel.
"""
import sys

# The form's controls in twips: left, top, width, height.
LABELS = {"Round:": (120, 180, 930, 360), "Score:": (2820, 180, 825, 360), "Agility:": (5475, 180, 810, 360)}
BOXES = [(1140, 120, 1575, 480), (3720, 120, 1575, 480), (6360, 120, 1575, 480)]
CLIENT = (8100, 705)
EDGE = 2  # the sunken client edge of an edit control, in pixels


def px(twips):
    return twips * 96 // 1440


def read_ppm(path):
    data = open(path, "rb").read()
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos) + 1
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    assert fields[0] == b"P6" and fields[3] == b"255", "not an 8-bit P6 image"
    width, height = int(fields[1]), int(fields[2])
    return width, height, data[pos + 1:]


class Image:
    def __init__(self, path):
        self.width, self.height, self.pixels = read_ppm(path)

    def at(self, x, y):
        i = 3 * (y * self.width + x)
        return tuple(self.pixels[i:i + 3])


def white_fields(image, x0, y0, w, h, field_width):
    """Rectangles of pure white exactly field_width wide (top-left, height)."""
    runs = {}
    for y in range(y0, y0 + h):
        x = x0
        while x < x0 + w:
            if image.at(x, y) == (255, 255, 255):
                start = x
                while x < x0 + w and image.at(x, y) == (255, 255, 255):
                    x += 1
                if abs((x - start) - field_width) <= 1:
                    runs.setdefault(start, []).append(y)
            else:
                x += 1
    fields = []
    for start, rows in sorted(runs.items()):
        # The longest stretch of consecutive rows.
        best, first, previous = (0, 0), rows[0], rows[0]
        for y in rows[1:] + [None]:
            if y is None or y != previous + 1:
                if previous - first + 1 > best[1]:
                    best = (first, previous - first + 1)
                if y is not None:
                    first = y
            if y is not None:
                previous = y
        fields.append((start, best[0], best[1]))
    return fields


def dark_pixels(image, x0, y0, w, h):
    count = 0
    for y in range(y0, y0 + h):
        for x in range(x0, x0 + w):
            r, g, b = image.at(x, y)
            if r + g + b < 3 * 110:
                count += 1
    return count


def main():
    path, x, y, w, h = sys.argv[1], *map(int, sys.argv[2:6])
    filled = set()
    if len(sys.argv) > 7 and sys.argv[6] == "--boxes" and sys.argv[7].startswith("filled:"):
        filled = {int(i) for i in sys.argv[7][len("filled:"):].split(",")}
    image = Image(path)
    problems = []

    # The boxes are found by their white fields inside the sunken edge (a box
    # that shows text still has white rows above and below it); an empty box
    # fixes the client area's origin, and every box is then checked where
    # the layout puts it.
    field_w = px(BOXES[0][2]) - 2 * EDGE
    field_h = px(BOXES[0][3]) - 2 * EDGE
    fields = [f for f in white_fields(image, x, y, w, h, field_w) if f[2] >= 4]
    if len(fields) != 3:
        print(f"expected three white text boxes {field_w} pixels wide, found {fields}")
        return 1
    empty = [i for i in range(3) if i not in filled]
    if not empty:
        print("at least one box must be empty to place the client area")
        return 1
    anchor = empty[0]
    client_x = fields[anchor][0] - px(BOXES[anchor][0]) - EDGE
    client_y = fields[anchor][1] - px(BOXES[anchor][1]) - EDGE
    for i, ((left, top, _, _), (fx, _, _)) in enumerate(zip(BOXES, fields)):
        bx, by = client_x + px(left) + EDGE, client_y + px(top) + EDGE
        if fx != bx:
            problems.append(f"text box {i} at x {fx - client_x} in the client area, not {px(left) + EDGE}")
        dark = dark_pixels(image, bx, by, field_w, field_h)
        white = sum(image.at(bx + dx, by + dy) == (255, 255, 255) for dy in range(field_h) for dx in range(field_w))
        if i in filled:
            if dark < 10:
                problems.append(f"text box {i} shows no text")
        elif white != field_w * field_h:
            problems.append(f"text box {i} is not empty: {field_w * field_h - white} pixels are not white")

    # The client area lies inside the window, with the frame round it.
    if not (x < client_x and client_x + px(CLIENT[0]) < x + w and y < client_y and client_y + px(CLIENT[1]) < y + h):
        problems.append(f"client area at {(client_x, client_y)} does not fit in the window {(x, y, w, h)}")

    for text, (left, top, width, height) in LABELS.items():
        lx, ly = client_x + px(left), client_y + px(top)
        dark = dark_pixels(image, lx, ly, px(width), px(height))
        if dark < 30:
            problems.append(f"label {text!r} has {dark} dark pixels at {(lx, ly)}")
    # Between the controls lies the form's grey face, without text.
    gap = image.at(client_x + 2, client_y + 2)
    if gap == (255, 255, 255) or max(gap) - min(gap) > 8:
        problems.append(f"the form's face at its corner is {gap}, not a grey")
    for gx in (px(2715) + 2, px(5295) + 2):  # right of the first and second boxes
        if dark_pixels(image, client_x + gx, client_y + px(120), 2, px(480)) != 0:
            problems.append(f"text drawn in the gap at {gx}")

    for problem in problems:
        print(problem)
    if not problems:
        print(f"window looks right: client area at {(client_x, client_y)}, boxes {fields}")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
