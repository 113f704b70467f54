#!/usr/bin/env python3
"""Writes the batch manifest of the game view's fixture pack (for testbed/srf/make_srf.py).

Usage: python3 testbed/view/view_pack.py OUT.json

The pack holds, under the names the resource catalogue gives them:
  Palette    "pal " 2000: index 0 black, index i > 0 is (i, 255 - i, 7 i mod 256)
  LanguageFilter "Text" 1000: darn, heck*, *gosh, *dang*
  Intrfce    "off4" 1200: 1 the 32x32 tile (index 20), 5 the 640x480 background (index 30),
             10 the list's opening, 40 the list rows (text items 142-161),
             45 the control-panel button, 50-65 the chat box's scroll bar,
             70 the chat lines (text items 132-141), 75 the chat edit line (text item 131)
  Chance     "off4" 1500: 2104 the name board (index 40), 2109 the score panel (index 41)
  CPanel     "off4" 2000: 1 the panel (200x300 at 220,90, index 50), buttons 5-45 (index 51 + n/5,
             40x20 in a column), volume levels 50-80 (index 60 + level, 100x10 at 270,360)
An animation runs from its number to the next missing cel.
"""

import json
import sys


def fill(width, height, index):
    return {"width": width, "height": height, "fill": index}


class Strip:
    def __init__(self):
        self.images = []
        self.cels = {}

    def cel(self, number, rect, index, texts=()):
        """texts: (style id, rect inside the cel) per text item, drawn over the fill after
        making the item's colour 0 current."""
        l, t, r, b = rect
        self.images.append(fill(r - l, b - t, index))
        slot = len(self.images)
        parts = [{"flags": 256, "rect": [0, 0, r - l, b - t], "number": slot}]
        for style, part in texts:
            parts.append({"flags": 288, "rect": list(part), "number": style + 6})
            parts.append({"flags": 288, "rect": list(part), "number": style})
        self.cels[number] = {"rect": list(rect), "parts": parts}

    def manifest(self, type_id):
        # The strip's cel n is the list's entry n - 1.
        last = max(self.cels) + 1
        cels = [self.cels.get(i) for i in range(1, last + 1)]
        return {"type": "off4", "id": type_id,
                "strip": {"images": self.images, "cels": cels, "lz": False}}


def intrfce():
    s = Strip()
    s.cel(1, (0, 0, 32, 32), 20)
    s.cel(5, (0, 0, 640, 480), 30)
    s.cel(10, (8, 8, 152, 230), 31)
    # Player rows: text items 142-161 (styles 12010-12200), two columns of ten
    # rows 20 pixels tall, names 8-112, scores 112-152.
    rows = [(12010 + 10 * k, (0, 20 * k, 104, 20 * k + 20)) for k in range(10)]
    rows += [(12110 + 10 * k, (104, 20 * k, 144, 20 * k + 20)) for k in range(10)]
    s.cel(40, (8, 24, 152, 224), 32, rows)
    s.cel(45, (580, 440, 630, 470), 33)
    s.cel(46, (580, 440, 630, 470), 34)
    for n in range(50, 66):
        s.cel(n, (604, 230, 620, 246), 35 + (n - 50) % 4)
    # Chat lines: text items 132-141 (styles 12310-12400), ten lines 20 pixels
    # tall from (160, 230) to (600, 430).
    lines = [(12310 + 10 * k, (0, 20 * k, 440, 20 * k + 20)) for k in range(10)]
    s.cel(70, (160, 230, 600, 430), 39, lines)
    # The chat entry: text item 131 (style 12220).
    s.cel(75, (160, 450, 560, 470), 40, [(12220, (0, 0, 400, 20))])
    return s.manifest(1200)


def chance():
    s = Strip()
    s.cel(2104, (500, 10, 620, 50), 40)
    s.cel(2109, (500, 60, 620, 100), 41)
    return s.manifest(1500)


def cpanel():
    s = Strip()
    s.cel(1, (220, 90, 420, 390), 50)
    for n in range(5, 50, 5):
        top = 100 + (n // 5) * 25
        s.cel(n, (240, top, 280, top + 20), 51 + n // 5)
    for level, n in enumerate(range(50, 85, 5)):
        s.cel(n, (270, 360, 370, 370), 60 + level)
    return s.manifest(2000)


def main():
    palette = [[0, 0, 0]] + [[i, 255 - i, (7 * i) % 256] for i in range(1, 256)]
    batch = {
        "Palette": {"version": 2, "entries": [{"type": "pal ", "id": 2000, "palette": palette}]},
        "LanguageFilter": {"version": 2, "entries": [
            {"type": "Text", "id": 1000, "coded_text": ["darn", "heck*", "*gosh", "*dang*"]}]},
        "Intrfce": {"version": 2, "entries": [intrfce()]},
        "Chance": {"version": 2, "entries": [chance()]},
        "CPanel": {"version": 2, "entries": [cpanel()]},
    }
    with open(sys.argv[1], "w") as out:
        json.dump(batch, out)


if __name__ == "__main__":
    main()
