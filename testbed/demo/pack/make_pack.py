#!/usr/bin/env python3
"""Generates the demo resource pack from manifest.json into a folder of the build tree.

    make_pack.py --out DIR [--force]

DIR receives a program folder's resources:
    Resources/{Animation,Music,Voice,Sfx,Palette,Pictures}/..., Resources/LanguageFilter.srf,
    Ads/ (the sponsor ads), pictures/ (the round pictures p1-p8.jpg and big.jpg),
    pack.txt (one line per file: path, size), animations.txt (per animation: file, strip id,
    number, cels, H/E/P, the palette index and RGB of its 8x8 block, its text items) and
    .stamp (the input hash).
Nothing is taken from elsewhere: art is drawn here (labels by ImageMagick in Liberation
Sans), voices are spoken by espeak-ng and coded by ffmpeg (G.723.1 6.3 kbit/s), music is
synthesised here and coded by ffmpeg (Layer II, 22050 Hz mono, 32 kbit/s), effects are
synthesised here (WAVE) or coded by ffmpeg (adpcm_ima_qt). Every .srf is written by
testbed/srf/make_srf.py and holds "Ver " 1 with the pack's version.

The output is kept while the hash of the inputs (this script, the manifest, the .srf
writer and the versions of the outside tools) is unchanged.
"""
import argparse
import concurrent.futures
import fcntl
import hashlib
import json
import math
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile

sys.dont_write_bytecode = True  # nothing is written beside the sources
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "srf"))
import make_srf  # noqa: E402

FONT = "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf"
TOOLS = ("ffmpeg", "espeak-ng", "convert")

# ---- palette ----
# Entries 0-15 grays, 16-255 colours; every entry is exact in RGB565 (red and blue
# multiples of 8, green of 4) so that a screenshot names the colour of a block exactly.


def palette(brand=False):
    colours = []
    for i in range(16):
        v = (i * 17) & 0xF8
        colours.append([v, (i * 17) & 0xFC, v])
    # The 240 colours: distinct RGB565 values (an odd step over the 16-bit values), so that
    # no two signature colours are alike.
    for i in range(240):
        v = (i * 4099 + 12345) % 65536
        colours.append([(v >> 11) * 8, ((v >> 5) & 63) * 4, (v & 31) * 8])
    colours[15] = [248, 252, 248]
    assert len({tuple(c) for c in colours}) == 256, "the palette's colours are not all distinct"
    if brand:
        # The brand palette changes one signature colour: that of the opening's art.
        colours[signature(BRAND_ORDINAL * 31)] = [248, 0, 248]
    return colours


WHITE, BLACK = 15, 0
BACKDROP = 10  # a grey (0-9 are the display's own colours)
PLATE = 13  # a light grey under texts that must show on any backdrop
BRAND_ORDINAL = 10  # Quonza.srf's place in the manifest: its animation 1 is the opening
ADS_ORDINAL = 99  # the sponsor ads' signature colour is that of this ordinal's first animation


def signature(k):
    """The palette index of the k-th signature colour (16..245: the display keeps 0-9 and
    246-255 for its own static colours, whatever a palette says there)."""
    return 16 + (k * 97) % 230


# ---- text strip style ids, by item index (the client's style table order) ----

def style_ids():
    ids = [0]
    ids += list(range(11010, 11601, 10)) + list(range(21010, 21601, 10)) + [11680]
    ids += list(range(11610, 11671, 10)) + [31010, 31020, 12220] + list(range(12310, 12401, 10))
    ids += list(range(12010, 12211, 10)) + [17200, 17210, 17220, 17230]
    ids += [30030, 30060, 30070, 30010, 30040, 30050, 30020] + list(range(16000, 16191, 10))
    ids += list(range(10000, 10491, 10)) + [15000, 15010]
    assert len(ids) == 246
    return ids


STYLE = style_ids()

# ---- glyphs (ImageMagick, once per run) ----

CHARS = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789.-_ "


def load_glyphs(work):
    cmd = ["convert", "-background", "white", "-fill", "black", "-font", FONT, "-pointsize", "13"]
    for c in CHARS:
        cmd += ["label:" + (c if c != " " else "\\ ")]
    cmd += ["+adjoin", "-depth", "8", os.path.join(work, "g-%03d.pgm")]
    subprocess.run(cmd, check=True)
    glyphs = {}
    for i, c in enumerate(CHARS):
        with open(os.path.join(work, "g-%03d.pgm" % i), "rb") as f:
            data = f.read()
        m = re.match(rb"P5\s+(\d+)\s+(\d+)\s+(\d+)\s", data)
        w, h = int(m.group(1)), int(m.group(2))
        px = data[m.end():]
        glyphs[c] = (w, h, [[px[y * w + x] < 128 for x in range(w)] for y in range(h)])
    return glyphs


def label_image(glyphs, text, colour, width=None, height=20):
    """A cel image: white ground, an 8x8 block in its signature colour, the label in black."""
    w = 12 + sum(glyphs[c][0] for c in text) + 2
    w = max(w, width or 0)
    rows = [[WHITE] * w for _ in range(height)]
    for y in range(2, 10):
        for x in range(2, 10):
            rows[y][x] = colour
    x0 = 12
    for c in text:
        gw, gh, bits = glyphs[c]
        for y in range(min(gh, height)):
            for x in range(gw):
                if bits[y][x] and x0 + x < w:
                    rows[y][x0 + x] = BLACK
        x0 += gw
    return {"width": w, "height": height, "rows": rows}


# ---- animations ----

def parse_anims(entries, special):
    """[(number, words)] sorted by number."""
    out = []
    for entry in entries:
        words = entry.split()
        head = words[0]
        if head in special:
            out += special[head]()
            continue
        m = re.fullmatch(r"(\d+)-(\d+)/(\d+)", head)
        if m:
            for n in range(int(m.group(1)), int(m.group(2)) + 1, int(m.group(3))):
                out.append((n, words[1:]))
        else:
            out.append((int(head), words[1:]))
    out.sort(key=lambda a: a[0])
    numbers = [a[0] for a in out]
    if len(set(numbers)) != len(numbers):
        raise SystemExit("an animation number is listed twice: %r" % numbers)
    return out


def text_items(words):
    items = []
    for word in words:
        m = re.fullmatch(r"T(\d+)(?:-(\d+))?", word)
        if m:
            a = int(m.group(1))
            items += list(range(a, int(m.group(2) or a) + 1))
    return items


def swatch_anims():
    tables = {
        "faceUp": [18, 228, 439, 649, 859, 1069, 1279, 1489, 1699, 1909],
        "highlight": [33, 242, 452, 661, 870, 1079, 1288, 1497, 1706, 1915],
        "faceDown": [47, 256, 466, 675, 884, 1093, 1302, 1511, 1720, 1929],
        "arrival": [223, 433, 642, 851, 1060, 1269, 1478, 1687, 1896],
        "picked": [52, 261, 471, 680, 889, 1098, 1307, 1516, 1725, 1934],
    }
    # A swatch's arrival ends (its face and highlight follow it in series), and its highlight
    # plays over and over while the board waits for a pick (the board takes a click only
    # while the last one plays): neither has a hold mark.
    words = {"faceUp": ["H"], "faceDown": ["H"], "highlight": ["E"], "arrival": ["E"]}
    out = []
    for name, numbers in tables.items():
        out += [(n, words.get(name, [])) for n in numbers]
    for first in [61, 270, 480, 689, 898, 1107, 1316, 1525, 1734, 1943]:
        out += [(first + 13 * k, []) for k in range(9)]
    for first in [178, 387, 597, 806, 1015, 1224, 1433, 1642, 1851, 2060]:
        out += [(first + 5 * k, []) for k in range(9)]
    return out


# Where the one-line vote lists' captions go: right of the picture, on a plate, where a driver
# can tell them apart by their ink.
CAPTIONS_AT = "at470,100"


# The captions control's panels (Vot.srf) by caption count: one-line and two-line lists and
# the results; the vote rows' buttons (one-line, two-line): row r's is the first plus 3r.
ONE_LINE_LISTS = (1, 4, 11, 19, 28, 38, 49, 61, 74, 89)
TWO_LINE_LISTS = (366, 369, 376, 384, 393, 403, 414, 426, 439, 454)
RESULTS_LISTS = (106, 117, 129, 143, 159, 180, 197, 219, 243, 269)
VOTE_BUTTONS = (300, 472)


def caption_anims():
    out = []
    for n, a in enumerate(ONE_LINE_LISTS, 1):
        out.append((a, ["P", "T214-%d" % (214 + n - 1), CAPTIONS_AT, "plate"]))
    for n, a in enumerate(TWO_LINE_LISTS, 1):
        out.append((a, ["P", "T224-%d" % (224 + 2 * n - 1)]))
    for n, a in enumerate(RESULTS_LISTS, 1):
        out.append((a, ["P", "T194-%d" % (194 + n - 1), "T204-%d" % (204 + n - 1)]))
    return out


def button_anims():
    out = []
    for start in VOTE_BUTTONS + (333, 505):
        for r in range(10):
            out.append((start + 3 * r, ["row%d" % r]))
    return out


def board_anims():
    winner = [319, 307, 281, 253, 223, 191, 157, 121, 83, 43, 1]
    tie = [319, 294, 294, 267, 238, 207, 174, 139, 102, 63, 22]
    entries = {}
    for table in (winner, tie):
        for n, a in enumerate(table):
            entries[a] = max(entries.get(a, 0), n)
    out = []
    for a, n in entries.items():
        words = []
        if n:
            words = ["T174-%d" % (174 + n - 1), "T184-%d" % (184 + n - 1)]
        out.append((a, words))
    return out


SPECIAL = {"swatches": swatch_anims, "captions": caption_anims, "buttons": button_anims,
           "boards": board_anims}

def label_place(k, words):
    """The screen place (left, top) of the label of the pack's k-th animation (counted over
    the manifest's files in order, see first_numbers): no two animations share a place, so
    that the labels of two files shown together do not cover each other. A vote row's button
    ("rowN") lies in row N of the vote list; "labelX,Y" places the label there (clear of the
    picture frame and the text items)."""
    x = 8 + (k * 150) % 480
    y = 8 + (k * 26) % 430
    for word in words:
        m = re.fullmatch(r"label(\d+),(\d+)", word)
        if m:
            return int(m.group(1)), int(m.group(2))
    row = [w for w in words if w.startswith("row")]
    if row:
        y = 60 + 36 * int(row[0][3:])
    return x, y


TEXT_SIZE = (140, 24)  # a text item's rectangle


def text_place(x, y, k, words=()):
    """The place of an animation's k-th text item: in columns of twelve under its label at
    (x, y), so that an animation's bounds (which a button, an edit or a list takes as its hit
    area) hold its label and texts and little else; "atX,Y" puts the first at (X, Y) instead."""
    at = [w for w in words if re.fullmatch(r"at\d+,\d+", w)]
    if at:
        x, y = (int(v) for v in at[0][2:].split(","))
        y -= 22
    return x + (k // 12) * 150, y + 22 + (k % 12) * 30


def first_numbers(manifest):
    """{file: the pack-wide number of its first animation}, and the number after the last
    (the sponsor ads')."""
    first = {}
    k = 0
    for animation in manifest["animations"]:
        first[animation["file"]] = k
        k += len(parse_anims(animation["anims"], SPECIAL))
    return first, k


HOLD_FLAGS = (4 << 2) | (48 << 8) | 0x8000   # kind 4 (hold), layer 48, hidden
PAUSE_FLAGS = (2 << 2) | (48 << 8) | 0x8000  # kind 2 (pause), layer 48, hidden
TEXT_FLAGS = 0x20 | (2 << 8)                 # drawn by the text strip, layer 2
PICTURE_FLAGS = 0x20 | (1 << 8)              # drawn by the picture strip, layer 1
OWN_FLAGS = 3 << 8                           # own image, layer 3
# Where a "pic" cel shows the round's picture (400 x 300) in the game area.
PICTURE_RECT = (120, 90, 520, 390)


def strip_for(stem, anims, glyphs, ordinal, first, lenient=False):
    """The "off4" strip and the checker's table lines for one animation file; first: the
    pack-wide number of its first animation."""
    images = [{"width": 4, "height": 4, "fill": BLACK}]  # image 1: the moving dot
    cels = []
    lines = []
    for idx, (number, words) in enumerate(anims):
        nxt = anims[idx + 1][0] if idx + 1 < len(anims) else number + 5
        count = None
        for word in words:
            if re.fullmatch(r"c\d+", word):
                count = int(word[1:])
        if count is None:
            count = max(1, min(4, nxt - number - 1))
        if number + count >= nxt and idx + 1 < len(anims) and not lenient:
            raise SystemExit("%s %d: %d cels run into %d" % (stem, number, count, nxt))
        colour = signature(ordinal * 31 + idx)
        items = text_items(words)
        x, y = label_place(first + idx, words)
        mark = None
        if "E" not in words and "H" not in words:
            mark = PAUSE_FLAGS if "P" in words else HOLD_FLAGS
        # One label image per animation (per cel for the number animation).
        digits = "digits" in words
        base_image = len(images) + 1
        if digits:
            for c in range(count):
                images.append(label_image(glyphs, "%s %d %d" % (stem, number, count - 1 - c), colour))
        else:
            images.append(label_image(glyphs, "%s %d" % (stem, number), colour))
        tile = "tile" in words
        if tile:
            images.append({"width": 64, "height": 64, "fill": colour})
        # A backdrop covers the game area in grey under its label.
        full = "full" in words
        if full:
            images.append({"width": 640, "height": 480, "fill": BACKDROP})
        # A plate in a light grey under the texts, so that they show on whatever is under them.
        plate = None
        if "plate" in words and items:
            places = [text_place(x, y, k, words) for k in range(len(items))]
            plate = [min(p[0] for p in places), min(p[1] for p in places),
                     max(p[0] for p in places) + TEXT_SIZE[0], max(p[1] for p in places) + TEXT_SIZE[1]]
            images.append({"width": plate[2] - plate[0], "height": plate[3] - plate[1], "fill": PLATE})
            plate_image = len(images)
        rows = 0
        for word in words:
            if re.fullmatch(r"r\d+", word):
                rows = int(word[1:])
        while len(cels) < number - 1:
            cels.append(None)
        for c in range(count):
            image = base_image + (c if digits else 0)
            iw, ih = images[image - 1]["width"], images[image - 1]["height"]
            parts = []
            if full:
                parts.append({"flags": OWN_FLAGS, "rect": [0, 0, 640, 480], "number": base_image + 1})
            if tile:
                parts.append({"flags": OWN_FLAGS, "rect": [0, 0, 64, 64], "number": base_image + 1})
            if len(items) + 2 <= 48:
                parts.append({"flags": OWN_FLAGS, "rect": [x, y, x + iw, y + ih], "number": image})
                dx = x + 12 + (c * 4) % max(4, iw - 16)
                parts.append({"flags": OWN_FLAGS | 1 << 8, "rect": [dx, y + 14, dx + 4, y + 18], "number": 1})
            for r in range(rows):
                parts.append({"flags": OWN_FLAGS, "rect": [x, y + 22 + 12 * r, x + 4, y + 26 + 12 * r],
                              "number": 1})
            if plate is not None:
                parts.append({"flags": OWN_FLAGS, "rect": plate, "number": plate_image})
            for k, item in enumerate(items):
                tx, ty = text_place(x, y, k, words)
                parts.append({"flags": TEXT_FLAGS, "rect": [tx, ty, tx + TEXT_SIZE[0], ty + TEXT_SIZE[1]],
                              "number": STYLE[item]})
            if "pic" in words:
                # The picture strip's commands: this rectangle as the destination, the
                # picture fitted to it (1); then the whole picture drawn (5).
                for command in (1, 5):
                    parts.append({"flags": PICTURE_FLAGS, "rect": list(PICTURE_RECT), "number": command})
            if c == count - 1 and mark is not None and len(parts) < 48:
                parts.append({"flags": mark, "rect": [x, y, x + 1, y + 1], "number": 1})
            if len(parts) > 48:
                raise SystemExit("%s %d: %d parts" % (stem, number, len(parts)))
            left = min(p["rect"][0] for p in parts)
            top = min(p["rect"][1] for p in parts)
            right = max(p["rect"][2] for p in parts)
            bottom = max(p["rect"][3] for p in parts)
            # A part's rectangle is in cel coordinates: the strip draws it moved by the cel
            # rectangle's top left. The places above are the screen's.
            for p in parts:
                p["rect"] = [p["rect"][0] - left, p["rect"][1] - top, p["rect"][2] - left, p["rect"][3] - top]
            cels.append({"rect": [left, top, right, bottom], "parts": parts})
        cels.append(None)
        kind = "E" if "E" in words else "H" if "H" in words else "P" if "P" in words else "-"
        r, g, b = palette()[colour]
        lines.append("%d cels=%d %s colour=%d #%02x%02x%02x texts=%s" % (number, count, kind, colour, r, g, b,
                                                                         ",".join(str(i) for i in items) or "-"))
    return {"images": images, "cels": cels, "lz": False}, lines


# ---- sounds ----

def run(cmd):
    done = subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    if done.returncode != 0:
        raise SystemExit("make_pack: %s failed: %s" % (" ".join(cmd), done.stderr.decode(errors="replace")))


def spoken(name):
    stem = name[:-4]
    words = re.sub(r"([a-z])([A-Z0-9])", r"\1 \2", stem)
    words = re.sub(r"([A-Z])([A-Z][a-z])", r"\1 \2", words)
    return words


def make_voice(work, name):
    wav = os.path.join(work, name + ".wav")
    tco = os.path.join(work, name + ".tco")
    run(["espeak-ng", "-v", "en", "-s", "190", "-w", wav, spoken(name)])
    run(["ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error", "-y", "-i", wav, "-t", "2",
         "-ar", "8000", "-ac", "1", "-c:a", "g723_1", "-b:a", "6300", "-f", "g723_1", tco])
    return tco


def synth_music(seed, seconds):
    """A short tune: a melody over a bass, from a small wavetable."""
    rate = 22050
    table = [math.sin(2 * math.pi * i / 256) for i in range(256)]
    scale = [262, 294, 330, 392, 440, 523, 587, 659]
    n = int(rate * seconds)
    out = bytearray()
    note_len = rate // 4
    for start in range(0, n, note_len):
        k = start // note_len
        f1 = scale[(seed * 3 + k * (seed % 5 + 1)) % len(scale)]
        f2 = scale[(seed + k // 4) % 4] / 2
        s1 = f1 * 256 / rate
        s2 = f2 * 256 / rate
        length = min(note_len, n - start)
        samples = []
        p1 = p2 = 0.0
        for i in range(length):
            env = 1.0 - i / note_len * 0.7
            v = 0.35 * env * table[int(p1) & 255] + 0.25 * table[int(p2) & 255]
            p1 += s1
            p2 += s2
            samples.append(int(v * 32767))
        out += struct.pack("<%dh" % len(samples), *samples)
    return bytes(out), n


def make_music(work, name, seed, seconds):
    raw, total = synth_music(seed, seconds)
    src = os.path.join(work, name + ".s16")
    mp2 = os.path.join(work, name + ".mp2")
    with open(src, "wb") as f:
        f.write(raw)
    run(["ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error", "-y", "-f", "s16le", "-ar", "22050",
         "-ac", "1", "-i", src, "-c:a", "mp2", "-b:a", "32k", "-f", "mp2", mp2])
    return mp2, total


def effect_samples(seed, ms):
    n = 22050 * ms // 1000
    hz = 300 + (seed * 137) % 1200
    return [int(9000 * (1 - i / n) * math.sin(2 * math.pi * (hz + 400 * i / n) * i / 22050)) for i in range(n)]


def make_ima(work, name, samples):
    src = os.path.join(work, name + ".s16")
    raw = os.path.join(work, name + ".ima")
    with open(src, "wb") as f:
        f.write(struct.pack("<%dh" % len(samples), *samples))
    run(["ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error", "-y", "-f", "s16le", "-ar", "22050",
         "-ac", "1", "-i", src, "-map", "0:a", "-c:a", "adpcm_ima_qt", "-f", "data", raw])
    data = open(raw, "rb").read()
    blocks = len(data) // 34
    out = os.path.join(work, name + ".xima")
    with open(out, "wb") as f:
        f.write(b"XIMA" + blocks.to_bytes(4, "big") + data[:blocks * 34])
    return out


# ---- pictures ----

def make_pictures(out, names):
    pictures = os.path.join(out, "pictures")
    os.makedirs(pictures, exist_ok=True)
    pal = palette()
    jobs = []
    for i, name in enumerate(names):
        r, g, b = pal[signature(200 + i)]
        jobs.append(["convert", "-size", "400x300", "gradient:#%02x%02x%02x-#203040" % (r, g, b),
                     "-fill", "#%02x%02x%02x" % (r, g, b), "-draw", "rectangle 20,20,99,99",
                     "-fill", "white", "-font", FONT, "-pointsize", "36", "-annotate", "+130+170", "Picture %d" % (i + 1),
                     "-interlace", "none", "-quality", "80", os.path.join(pictures, name + ".jpg")])
    jobs.append(["convert", "-size", "640x480", "plasma:fractal", "-seed", "5", "-quality", "95",
                 "-interlace", "none", os.path.join(pictures, "big.jpg")])
    resources = os.path.join(out, "Resources", "Pictures")
    os.makedirs(resources, exist_ok=True)
    jobs.append(["convert", "-size", "400x300", "xc:#304050", "-fill", "white", "-font", FONT,
                 "-pointsize", "30", "-annotate", "+90+160", "Downloading...", "-interlace", "none",
                 os.path.join(resources, "StillDownload.jpg")])
    return jobs


# ---- the pack ----

def inputs_hash():
    h = hashlib.sha256()
    for path in (__file__, os.path.join(HERE, "manifest.json"), make_srf.__file__):
        with open(path, "rb") as f:
            h.update(f.read())
    for tool in TOOLS:
        exe = shutil.which(tool)
        h.update((tool + "=" + (exe or "-")).encode())
        if exe:
            h.update(str(os.stat(exe).st_mtime_ns).encode())
    return h.hexdigest()


def write_srf(path, entries, version):
    host, _ = make_srf.build({"version": 2, "entries": [{"type": "Ver ", "id": 1, "text": version}] + entries},
                             "/")
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(host)


def generate(out):
    with open(os.path.join(HERE, "manifest.json")) as f:
        manifest = json.load(f)
    version = manifest["version"]
    missing = [t for t in TOOLS if not shutil.which(t)]
    if missing:
        raise SystemExit("make_pack: missing tools %s (bash tools/deps.sh installs them)" % " ".join(missing))
    res = os.path.join(out, "Resources")
    work = tempfile.mkdtemp(prefix="pack-")
    check = []  # the generator's own listing (the checker keeps its own table)
    try:
        pool = concurrent.futures.ThreadPoolExecutor(max_workers=max(2, min(6, os.cpu_count() or 2)))
        voice_jobs = {name: pool.submit(make_voice, work, name) for name, _ in manifest["voices"]}
        secs = manifest["music"]["seconds"]
        music_jobs = {}
        for seed, (name, _) in enumerate(manifest["music"]["files"]):
            stem = name[:-4]
            key = "FatChanceB" if stem == "FatChanceB" else "Comp" if re.fullmatch(r"Comp[A-M]", stem) else \
                "Voting" if stem.startswith("Voting") else "default"
            music_jobs[name] = pool.submit(make_music, work, name, seed, secs[key])
        ima_jobs = {}
        for seed, (name, _, form) in enumerate(manifest["effects"]):
            if form == "ima":
                ima_jobs[name] = pool.submit(make_ima, work, name, effect_samples(seed, 400))
        picture_jobs = [pool.submit(run, cmd) for cmd in make_pictures(out, manifest["pictures"])]

        # Palette and language filter.
        write_srf(os.path.join(res, "Palette", "Palette.srf"),
                  [{"type": "pal ", "id": 1000, "palette": palette(brand=True)},
                   {"type": "pal ", "id": 2000, "palette": palette()}], version)
        write_srf(os.path.join(res, "LanguageFilter.srf"),
                  [{"type": "Text", "id": 1000, "coded_text": manifest["filter"]}], version)

        # Animations.
        glyphs = load_glyphs(work)
        if manifest["animations"][BRAND_ORDINAL]["file"] != "Quonza.srf":
            raise SystemExit("make_pack: BRAND_ORDINAL does not name Quonza.srf")
        first, ads_first = first_numbers(manifest)
        for ordinal, animation in enumerate(manifest["animations"]):
            stem = animation["file"][:-4]
            strip, lines = strip_for(stem, parse_anims(animation["anims"], SPECIAL), glyphs, ordinal,
                                     first[animation["file"]])
            write_srf(os.path.join(res, "Animation", animation["file"]),
                      [{"type": "off4", "id": animation["id"], "strip": strip}], version)
            check += ["off4 %s %d %s" % (animation["file"], animation["id"], line) for line in lines]

        # Ads: an animation 200 of strip 30000 and a generic sound 1.
        for ad in manifest["ads"]:
            stem = ad["file"][:-4]
            strip, _ = strip_for(stem, [(200, ["E", "c%d" % ad["cels"]])], glyphs, ADS_ORDINAL, ads_first)
            write_srf(os.path.join(out, "Ads", ad["file"]),
                      [{"type": "off4", "id": 30000, "strip": strip},
                       {"type": "snd ", "id": 1, "sound": {"form": "pcm", "samples": effect_samples(
                           len(ad["file"]) + 50, ad["seconds"] * 1000)}}], version)

        for seed, (name, rid, form) in enumerate(manifest["effects"]):
            if form == "ima":
                entry = {"type": "Sfx ", "id": rid, "file": ima_jobs[name].result()}
            else:
                entry = {"type": "Sfx ", "id": rid, "sound": {"form": "pcm", "samples": effect_samples(seed, 300)}}
            write_srf(os.path.join(res, "Sfx", name), [entry], version)
        for name, rid in manifest["music"]["files"]:
            mp2, total = music_jobs[name].result()
            write_srf(os.path.join(res, "Music", name),
                      [{"type": "Musi", "id": rid, "sound": {"form": "music", "mp2": mp2, "samples_total": total}}],
                      version)
        for name, rid in manifest["voices"]:
            write_srf(os.path.join(res, "Voice", name),
                      [{"type": "Voic", "id": rid, "sound": {"form": "speech", "frames": voice_jobs[name].result()}}],
                      version)
        for job in picture_jobs:
            job.result()
        pool.shutdown()
    finally:
        shutil.rmtree(work, ignore_errors=True)

    listing = []
    for root, _, files in os.walk(out):
        for name in files:
            path = os.path.join(root, name)
            rel = os.path.relpath(path, out)
            if not rel.startswith("."):
                listing.append("%s %d" % (rel, os.path.getsize(path)))
    with open(os.path.join(out, "pack.txt"), "w") as f:
        f.write("\n".join(sorted(listing)) + "\n")
    with open(os.path.join(out, "animations.txt"), "w") as f:
        f.write("\n".join(check) + "\n")


# Damaged packs for the checker's own tests: a good pack with one file made wrong.
DAMAGES = {
    "missing-number": ("Intrfce.srf", lambda a: [x for x in a if x != "45"]),
    "run-into-next": ("Comp.srf", lambda a: [x.replace("405 T166", "405 c6 T166") for x in a]),
    "hold-on-end": ("Final.srf", lambda a: ["1 c30"]),
    "unequal-timer": ("Intrfce.srf", lambda a: [x.replace("199 c61", "199 c60") for x in a]),
    "missing-text": ("Intrfce.srf", lambda a: [x.replace("75 T131", "75") for x in a]),
    "palette-255": None,
    "long-voice": None,
}


def damage(good, out, name):
    with open(os.path.join(HERE, "manifest.json")) as f:
        manifest = json.load(f)
    version = manifest["version"]
    if os.path.isdir(out):
        shutil.rmtree(out)
    shutil.copytree(good, out)
    res = os.path.join(out, "Resources")
    if name == "palette-255":
        write_srf(os.path.join(res, "Palette", "Palette.srf"),
                  [{"type": "pal ", "id": 1000, "palette": palette(brand=True)},
                   {"type": "pal ", "id": 2000, "palette": palette()[:255]}], version)
        return
    if name == "long-voice":  # 3 s of (silent) frames
        write_srf(os.path.join(res, "Voice", "Go.srf"),
                  [{"type": "Voic", "id": 2050, "sound": {"form": "speech", "zero_frames": 100}}], version)
        return
    file, change = DAMAGES[name]
    work = tempfile.mkdtemp(prefix="pack-")
    try:
        glyphs = load_glyphs(work)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    for ordinal, animation in enumerate(manifest["animations"]):
        if animation["file"] == file:
            strip, _ = strip_for(file[:-4], parse_anims(change(animation["anims"]), SPECIAL), glyphs, ordinal,
                                 first_numbers(manifest)[0][file],
                                 lenient=True)
            write_srf(os.path.join(res, "Animation", file), [{"type": "off4", "id": animation["id"], "strip": strip}],
                      version)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--out", required=True)
    parser.add_argument("--force", action="store_true")
    parser.add_argument("--damage", choices=sorted(DAMAGES), help="copy the pack of --from, one file made wrong")
    parser.add_argument("--from", dest="good")
    args = parser.parse_args()
    out = os.path.abspath(args.out)
    if args.damage:
        damage(os.path.abspath(args.good), out, args.damage)
        return 0
    # One maker at a time (a test and the build may ask at once); the later one finds
    # the pack made.
    os.makedirs(os.path.dirname(out), exist_ok=True)
    lock = open(out + ".lock", "w")
    fcntl.flock(lock, fcntl.LOCK_EX)
    stamp = os.path.join(out, ".stamp")
    digest = inputs_hash()
    if not args.force and os.path.exists(stamp) and open(stamp).read().strip() == digest:
        return 0
    if os.path.isdir(out):
        shutil.rmtree(out)
    os.makedirs(out)
    generate(out)
    with open(stamp, "w") as f:
        f.write(digest + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
