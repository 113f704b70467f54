"""What the end-to-end driver reads off the screen and the client's standard error.

Screenshots are the client's window as 8-bit RGB. The pack's animation cels each carry an 8x8
block in their animation's own signature colour (testbed/demo/pack/make_pack.py); an
animation counts as shown when 48 or more of its block's 64 pixels have that exact colour.
Dialogs are painted in the game window: a navy title bar over a grey face, centred.
"""
import os
import subprocess
import sys

import numpy

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "demo", "pack"))
sys.dont_write_bytecode = True

# An animation's block counts as shown from this many of its 64 pixels.
BLOCK_PIXELS_NEEDED = 48

# The ground of the pack's label images (palette entry 15).
LABEL_GROUND = (248, 252, 248)
# The painted dialogs' colours (RGB) and title bar height, as the platform layer paints them.
DIALOG_TITLE = (0x0A, 0x24, 0x6A)
DIALOG_FACE = (0xD4, 0xD0, 0xC8)
DIALOG_TITLE_HEIGHT = 20

# Dialog layouts the driver clicks on: size of the client area, and control rectangles
# (left, top, width, height) in client-area pixels.
DIALOGS = {
    "progress": {"size": (376, 212), "controls": {
        "title": (14, 14, 348, 16), "status": (14, 40, 348, 16), "bar": (14, 72, 348, 18),
        "time left": (14, 104, 170, 16), "rate": (190, 104, 172, 16), "bytes": (124, 132, 238, 16),
        "cancel": (138, 168, 100, 28)}},
    "logon": {"size": (360, 222), "controls": {
        "user name": (100, 12, 150, 22), "password": (100, 42, 150, 22), "enter": (100, 184, 80, 26),
        "exit": (190, 184, 80, 26)}},
}


class Shot:
    def __init__(self, raw, width, height):
        if len(raw) != width * height * 3:
            raise ValueError("a screenshot of %d bytes for %dx%d" % (len(raw), width, height))
        self.pixels = numpy.frombuffer(raw, dtype=numpy.uint8).reshape(height, width, 3)
        self.width = width
        self.height = height

    def save(self, path):
        subprocess.run(["convert", "-size", "%dx%d" % (self.width, self.height), "-depth", "8", "rgb:-", path],
                       input=self.pixels.tobytes(), check=True)

    def count(self, left, top, width, height, rgb):
        area = self.pixels[max(0, top):max(0, top + height), max(0, left):max(0, left + width)]
        return int(numpy.all(area == numpy.array(rgb, dtype=numpy.uint8), axis=2).sum())

    def block_shown(self, left, top, rgb):
        return self.count(left, top, 8, 8, rgb) >= BLOCK_PIXELS_NEEDED

    def block_anywhere(self, rgb):
        """Where an animation's 8 x 8 block in that colour shows (its top left), or None: a square
        with BLOCK_PIXELS_NEEDED pixels of the colour or more, on its label's white ground (the
        two columns right of it mostly white). Screens move their animations, so a block is looked
        for everywhere; the ground tells a block from a tile of the same colour."""
        mask = numpy.all(self.pixels == numpy.array(rgb, dtype=numpy.uint8), axis=2).astype(numpy.int32)
        if mask.sum() < BLOCK_PIXELS_NEEDED:
            return None
        white = numpy.all(self.pixels == numpy.array(LABEL_GROUND, dtype=numpy.uint8), axis=2).astype(numpy.int32)

        def box_sums(values, w, h):
            sums = numpy.zeros((self.height + 1, self.width + 1), dtype=numpy.int32)
            sums[1:, 1:] = values.cumsum(axis=0).cumsum(axis=1)
            return sums[h:, w:] - sums[:-h, w:] - sums[h:, :-w] + sums[:-h, :-w]
        blocks = box_sums(mask, 8, 8)  # [y, x] for a square at (x, y)
        ground = box_sums(white, 2, 8)
        # The ground right of a block at (x, y) is the 2 x 8 strip at (x + 8, y).
        h, w = blocks.shape
        right = numpy.zeros_like(blocks)
        right[:, :w - 8] = ground[:h, 8:w]
        candidates = numpy.where((blocks >= BLOCK_PIXELS_NEEDED) & (right >= 12), blocks, 0)
        y, x = numpy.unravel_index(int(candidates.argmax()), candidates.shape)
        return (int(x), int(y)) if candidates[y, x] else None

    def ink(self, left, top, width, height):
        """How many black pixels (a text's) the rectangle holds, leaving out those of the labels
        (black letters on the labels' white ground: a pixel within two of that ground)."""
        top, left = max(0, top), max(0, left)
        bottom, right = max(top, min(self.height, top + height)), max(left, min(self.width, left + width))
        black = numpy.all(self.pixels[top:bottom, left:right] == 0, axis=2)
        # The ground around the rectangle too (two pixels each side), padded where it ends.
        t, l = max(0, top - 2), max(0, left - 2)
        ground = numpy.all(self.pixels[t:bottom + 2, l:right + 2] == numpy.array(LABEL_GROUND, dtype=numpy.uint8),
                           axis=2)
        ground = numpy.pad(ground, ((2 - (top - t), 2 - (min(self.height, bottom + 2) - bottom)),
                                    (2 - (left - l), 2 - (min(self.width, right + 2) - right))))
        near = numpy.zeros_like(black)
        for dy in range(5):
            for dx in range(5):
                near |= ground[dy:dy + black.shape[0], dx:dx + black.shape[1]]
        return int((black & ~near).sum())

    def animation_shown(self, file_name, number):
        """The animation's signature block is somewhere on the screen."""
        return self.block_anywhere(animation_block(file_name, number)[2]) is not None

    # ---- dialogs ----
    def dialog_place(self, name):
        width, height = DIALOGS[name]["size"]
        full = height + DIALOG_TITLE_HEIGHT
        return (self.width - width) // 2, (self.height - full) // 2

    def dialog_shown(self, name):
        """The dialog's title bar begins and ends at the edges of its centred place: its first
        and last pixels are navy, the pixels just outside are not."""
        width, _ = DIALOGS[name]["size"]
        left, top = self.dialog_place(name)
        row = top + DIALOG_TITLE_HEIGHT // 2
        ends = self.count(left + 1, row, 4, 1, DIALOG_TITLE) + self.count(left + width - 5, row, 4, 1, DIALOG_TITLE)
        outside = self.count(left - 2, row, 2, 1, DIALOG_TITLE) + self.count(left + width, row, 2, 1, DIALOG_TITLE)
        return ends == 8 and outside == 0

    def control_centre(self, dialog, control):
        left, top = self.dialog_place(dialog)
        x, y, w, h = DIALOGS[dialog]["controls"][control]
        return left + x + w // 2, top + DIALOG_TITLE_HEIGHT + y + h // 2

    def control_has_text(self, dialog, control):
        """Some pixels of the control's rectangle are dark: it shows a text."""
        left, top = self.dialog_place(dialog)
        x, y, w, h = DIALOGS[dialog]["controls"][control]
        area = self.pixels[top + DIALOG_TITLE_HEIGHT + y:top + DIALOG_TITLE_HEIGHT + y + h, left + x:left + x + w]
        return int((area.astype(int).sum(axis=2) < 200).sum()) >= 6

    def control_pixels(self, dialog, control):
        left, top = self.dialog_place(dialog)
        x, y, w, h = DIALOGS[dialog]["controls"][control]
        return self.pixels[top + DIALOG_TITLE_HEIGHT + y:top + DIALOG_TITLE_HEIGHT + y + h,
                           left + x:left + x + w].tobytes()


# ---- the pack's animations: where each one's signature block sits ----

_layout = None


def _label(file_name, number):
    """(ordinal, index in its file, left, top, words) of the label of animation number of the
    pack's file, from the pack generator's own layout."""
    global _layout
    if _layout is None:
        import json
        import make_pack
        with open(os.path.join(HERE, "..", "demo", "pack", "manifest.json")) as f:
            manifest = json.load(f)
        _layout = {"make_pack": make_pack, "files": {}}
        first, _ = make_pack.first_numbers(manifest)
        for ordinal, animation in enumerate(manifest["animations"]):
            anims = make_pack.parse_anims(animation["anims"], make_pack.SPECIAL)
            _layout["files"][animation["file"]] = (ordinal, first[animation["file"]], anims)
    ordinal, first, anims = _layout["files"][file_name]
    for idx, (n, words) in enumerate(anims):
        if n == number:
            return (ordinal, idx) + _layout["make_pack"].label_place(first + idx, words) + (words,)
    raise KeyError("%s has no animation %d" % (file_name, number))


def animation_block(file_name, number):
    """(left, top, rgb) of the signature block of animation number of the pack's file."""
    ordinal, idx, x, y, _ = _label(file_name, number)
    make_pack = _layout["make_pack"]
    colour = make_pack.signature(ordinal * 31 + idx)
    palette = make_pack.palette(brand=file_name == "Quonza.srf")
    return x + 2, y + 2, tuple(palette[colour])


def text_rect(file_name, number, k):
    """(left, top, width, height) of the k-th text item (0-based) of the animation."""
    _, _, x, y, words = _label(file_name, number)
    make_pack = _layout["make_pack"]
    return make_pack.text_place(x, y, k, words) + make_pack.TEXT_SIZE


# The round pictures (pictures/round1/pN.jpg) each hold a flat 80 x 80 block in their own
# colour at (20, 20) of the 400 x 300 picture, which the picture frame shows at this place.
PICTURE_FRAME = (120, 90)
PICTURE_BLOCK = (20, 20, 80, 80)


def picture_colour(number):
    import make_pack
    return tuple(make_pack.palette()[make_pack.signature(200 + number - 1)])


def picture_block_shown(shot, number, tolerance=40):
    """The picture's flat block inside the frame: the middle of the block is flat and near the
    block's colour (the picture is a JPEG, drawn through the game's palette)."""
    x, y, w, h = PICTURE_BLOCK
    left, top = PICTURE_FRAME[0] + x + w // 4, PICTURE_FRAME[1] + y + h // 4
    area = shot.pixels[top:top + h // 2, left:left + w // 2].reshape(-1, 3).astype(int)
    mean = area.mean(axis=0)
    flat = float(area.std(axis=0).max()) < 12.0
    near = all(abs(m - c) <= tolerance for m, c in zip(mean, picture_colour(number)))
    return flat and near


def ad_shown(shot):
    """A sponsor ad's animation (the pack's ads share one layout and colour) is on the screen,
    in the game's palette or the brand's."""
    import make_pack
    colour = make_pack.signature(make_pack.ADS_ORDINAL * 31)
    return any(shot.block_anywhere(tuple(make_pack.palette(brand=brand)[colour])) for brand in (False, True))


def ad_place(shot):
    """The top left of the ad's block, or None."""
    import make_pack
    colour = make_pack.signature(make_pack.ADS_ORDINAL * 31)
    for brand in (False, True):
        found = shot.block_anywhere(tuple(make_pack.palette(brand=brand)[colour]))
        if found:
            return found
    return None


def animation_place(shot, file_name, number):
    """Where the animation's block shows (its top left), or None."""
    return shot.block_anywhere(animation_block(file_name, number)[2])


# ---- a text item's words ----
# The client draws the texts of the pack's items in Liberation Sans (its "Arial"), black and
# not smoothed. A text reads as the one expected when its ink, laid beside that text drawn by
# ImageMagick in the same face at a size of the same height, has about its width and the same
# run of letters and gaps across it: hinting moves single columns, so the inks are compared
# column by column, smoothed, not pixel by pixel. It tells "No winner." from "Well done,
# Ada!", not one letter from another.
TEXT_FONT = "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf"
TEXT_WIDTH_RATIO = (0.85, 1.18)  # the ink's width over the reference's
TEXT_PROFILE_NEEDED = 0.6        # correlation of the columns' smoothed ink
_references = {}


def _trimmed(mask):
    ys, xs = numpy.where(mask)
    if len(ys) == 0:
        return None
    return mask[ys.min():ys.max() + 1, xs.min():xs.max() + 1]


def _reference(text, size):
    key = (text, size)
    if key not in _references:
        pgm = subprocess.run(["convert", "-background", "white", "-fill", "black", "-font", TEXT_FONT,
                              "-pointsize", str(size), "+antialias", "label:" + text, "-depth", "8", "pgm:-"],
                             capture_output=True, check=True).stdout
        header = pgm.split(b"\n", 3)
        width, height = (int(v) for v in header[1].split())
        grey = numpy.frombuffer(header[3], dtype=numpy.uint8)[:width * height].reshape(height, width)
        _references[key] = _trimmed(grey < 128)
    return _references[key]


def _columns(mask, width):
    """The mask's ink per column, stretched to width columns and smoothed over a few."""
    ink = mask.sum(axis=0).astype(float)
    stretched = numpy.interp(numpy.linspace(0, len(ink) - 1, width), numpy.arange(len(ink)), ink)
    k = numpy.arange(-4, 5)
    kernel = numpy.exp(-k * k / 4.5)
    return numpy.convolve(stretched, kernel / kernel.sum(), mode="same")


def text_reads(shot, rect, text):
    """(whether the text item's rectangle (left, top, width, height) reads as text, how well:
    the best correlation, or None without ink)."""
    left, top, width, height = rect
    area = shot.pixels[max(0, top):max(0, top + height), max(0, left):max(0, left + width)]
    ink = _trimmed(numpy.all(area == 0, axis=2))
    if ink is None:
        return False, None
    best = -1.0
    for size in range(7, 17):
        reference = _reference(text, size)
        if reference is None or abs(reference.shape[0] - ink.shape[0]) > 1:
            continue
        if not TEXT_WIDTH_RATIO[0] <= ink.shape[1] / reference.shape[1] <= TEXT_WIDTH_RATIO[1]:
            continue
        a, b = _columns(ink, ink.shape[1]), _columns(reference, ink.shape[1])
        a, b = a - a.mean(), b - b.mean()
        norm = float(numpy.sqrt((a * a).sum() * (b * b).sum()))
        if norm > 0:
            best = max(best, float((a * b).sum()) / norm)
    return best >= TEXT_PROFILE_NEEDED, best


# ---- message boxes on standard error ----

def box_line(title, text):
    """How a box shows on the client's standard error."""
    return "%s: %s\n" % (title, text)


def box_shown(errors, title, text):
    return box_line(title, text) in errors


def any_box(errors, title):
    return any(line.startswith(title + ": ") for line in errors.split("\n"))
