#!/usr/bin/env python3
"""The end-to-end driver's own checks, on known input: the .srf reader, sound-decode's WAVE
and "XIMA" output, the sounds found in a recording in order, a signature block and a dialog
in a screenshot, and the demo pack's labels and picture frame where the driver looks for them.

    test_checks.py BUILD
        BUILD holds tools/sound-decode/sound-decode and the demo pack (demo/pack).
"""
import os
import random
import struct
import sys
import tempfile
import unittest

sys.dont_write_bytecode = True
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "..", "srf"))
import make_srf  # noqa: E402
import numpy  # noqa: E402
import screen  # noqa: E402
import sound  # noqa: E402

BUILD = None


def sound_decode():
    return os.path.join(BUILD, "tools", "sound-decode", "sound-decode")


def pack():
    return os.path.join(BUILD, "demo", "pack")


class SrfAndDecoding(unittest.TestCase):
    def write_srf(self, entries):
        host, _ = make_srf.build({"version": 2, "entries": entries})
        f = tempfile.NamedTemporaryFile(suffix=".srf", delete=False)
        f.write(host)
        f.close()
        self.addCleanup(os.unlink, f.name)
        return f.name

    def test_the_reader_finds_each_entry_by_kind_and_id(self):
        path = self.write_srf([{"type": "Ver ", "id": 1, "text": "1.0.0.0"},
                               {"type": "Text", "id": 5, "text": "five"}, {"type": "Text", "id": -2, "text": "minus"}])
        self.assertEqual(sound.srf_resource(path, "Ver ", 1), b"1.0.0.0")
        self.assertEqual(sound.srf_resource(path, "Text", -2), b"minus")
        self.assertIsNone(sound.srf_resource(path, "Text", 6))

    def test_wave_and_ima_decode_to_the_written_samples(self):
        rng = random.Random(7)
        samples = [rng.randint(-12000, 12000) for _ in range(640)]
        wave = make_srf.sound_data({"form": "pcm", "samples": samples}, ".")
        self.assertEqual(wave[:4], b"RIFF")
        self.assertEqual(sound.decode(sound_decode(), wave).tolist(), samples)
        tone = make_srf.sound_data({"form": "ima", "tone": {"hz": 500, "ms": 100}}, ".")
        self.assertEqual(tone[:4], b"XIMA")
        decoded = sound.decode(sound_decode(), tone)
        expected = numpy.array(make_srf.tone_samples({"hz": 500, "ms": 100}), dtype=numpy.float64)
        self.assertEqual(len(decoded), 64 * (len(expected) // 64 + (len(expected) % 64 > 0)))
        # ADPCM: close to the tone it coded, not equal.
        error = numpy.abs(decoded[:len(expected)] - expected).mean()
        self.assertLess(error, 600.0)


class SoundsInOrder(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.voice = sound.pack_sound(sound_decode(), pack(), "Resources/Voice/FinalExtro1.srf", "Voic", 2005)
        cls.other_voice = sound.pack_sound(sound_decode(), pack(), "Resources/Voice/VoteTie.srf", "Voic", 2442)
        cls.applause = sound.pack_sound(sound_decode(), pack(), "Resources/Sfx/Applause.srf", "Sfx ", 1000)
        cls.click = sound.pack_sound(sound_decode(), pack(), "Resources/Sfx/AdClkSfx.srf", "Sfx ", 1400)
        cls.music = sound.pack_sound(sound_decode(), pack(), "Resources/Music/AdBreakA.srf", "Musi", 3000)

    def recording(self, placed, music_gain=0.2, seconds=12.0):
        """Quiet noise, music under everything (as loud as the voice), and the sounds at their
        places (seconds)."""
        rng = numpy.random.default_rng(3)
        out = rng.normal(0, 40, int(seconds * sound.RATE))
        music = numpy.tile(self.music.astype(numpy.float64), int(len(out) / len(self.music)) + 1)[:len(out)]
        out += music_gain * music
        for at, samples, gain in placed:
            i = int(at * sound.RATE)
            out[i:i + len(samples)] += gain * samples[:len(out) - i]
        return numpy.clip(out, -32768, 32767).astype(numpy.int16)

    def test_every_decoded_sound_is_a_real_sound(self):
        for samples in (self.voice, self.applause, self.click, self.music):
            self.assertGreater(len(samples), sound.RATE // 10)
            self.assertGreater(int(numpy.abs(samples).max()), 1000)

    def test_sounds_are_found_in_order_at_their_places(self):
        rec = self.recording([(1.0, self.voice, 0.8), (4.5, self.applause, 0.6), (7.25, self.click, 1.0)])
        found = sound.find_in_order(rec, [("voice", self.voice), ("applause", self.applause),
                                          ("click", self.click)])
        for (name, at, score), want in zip(found, (1.0, 4.5, 7.25)):
            self.assertIsNotNone(at, "%s not found (best %.2f)" % (name, score))
            self.assertAlmostEqual(at, want, delta=0.01, msg=name)
            self.assertGreaterEqual(score, sound.MATCH_THRESHOLD)

    def test_overlapping_copies_of_a_sound_are_each_found(self):
        # The wrap-up's applause: four rounds, the first repeated twice and the second once.
        length = len(self.applause) / sound.RATE
        places = sorted([1.0, 1.0 + length, 1.0 + 2 * length, 1.325, 1.325 + length, 1.743, 1.975])
        rec = self.recording([(at, self.applause, 0.5) for at in places] + [(3.0, self.voice, 0.8)], music_gain=0)
        found = sound.copies(rec, self.applause, 0.5, 3.5, 0.5)
        self.assertEqual(len(found), len(places), found)
        for got, want in zip(found, places):
            self.assertAlmostEqual(got, want, delta=0.001)

    def test_a_sound_that_did_not_play_is_not_found(self):
        rec = self.recording([(1.0, self.voice, 0.8), (4.5, self.applause, 0.6)])
        found = sound.find_in_order(rec, [("other voice", self.other_voice), ("click", self.click)])
        self.assertEqual([f[1] for f in found], [None, None], found)

    def test_a_voice_under_loud_music_is_found_in_the_voice_band(self):
        rec = self.recording([(2.0, self.voice, 0.5)], music_gain=0.8)
        plain = sound.find_in_order(rec, [("voice", self.voice)])[0]
        self.assertIsNone(plain[1], "over the whole band the music hides the voice: %r" % (plain,))
        name, at, score = sound.find_in_order(rec, [("voice", self.voice)], band=True)[0]
        self.assertIsNotNone(at, "in the voice band it is found (best %.2f)" % score)
        self.assertAlmostEqual(at, 2.0, delta=0.01)
        other = sound.find_in_order(rec, [("other voice", self.other_voice)], band=True)[0]
        self.assertIsNone(other[1], "another voice is not: %r" % (other,))

    def test_order_counts(self):
        rec = self.recording([(1.0, self.voice, 0.8), (4.5, self.applause, 0.6)])
        found = sound.find_in_order(rec, [("applause", self.applause), ("voice", self.voice)])
        self.assertIsNotNone(found[0][1])
        self.assertIsNone(found[1][1], "the voice played before the applause, not after")


class Screenshots(unittest.TestCase):
    def blank(self):
        return numpy.zeros((480, 640, 3), dtype=numpy.uint8)

    def shot(self, pixels):
        return screen.Shot(pixels.tobytes(), 640, 480)

    def test_a_block_needs_48_of_its_64_pixels(self):
        rgb = (200, 16, 96)
        pixels = self.blank()
        pixels[20:28, 30:38] = rgb
        pixels[20:22, 30:38] = (0, 0, 0)  # 16 pixels covered: 48 left
        self.assertTrue(self.shot(pixels).block_shown(30, 20, rgb))
        pixels[22, 30] = (0, 0, 0)
        self.assertFalse(self.shot(pixels).block_shown(30, 20, rgb))
        self.assertFalse(self.shot(pixels).block_shown(31, 20, (200, 16, 97)))

    def test_a_block_is_found_wherever_it_is(self):
        rgb = (200, 16, 96)
        pixels = self.blank()
        self.assertIsNone(self.shot(pixels).block_anywhere(rgb))
        pixels[0:64, 400:464] = rgb  # a tile of the colour is no block
        self.assertIsNone(self.shot(pixels).block_anywhere(rgb))
        pixels[98:110, 299:330] = screen.LABEL_GROUND
        pixels[100:108, 301:309] = rgb
        pixels[100, 301:309] = (0, 0, 0)  # 56 of 64
        pixels[300:302, 10:40] = rgb  # a thin line of the colour is no block
        self.assertEqual(self.shot(pixels).block_anywhere(rgb), (301, 100))
        pixels[101:104, 301:309] = (0, 0, 0)  # 32 left
        self.assertIsNone(self.shot(pixels).block_anywhere(rgb))

    # "No winner." as the client drew it in a round winner's headline (10-pixel Liberation Sans).
    NO_WINNER = ["#...#...................#.........................",
                 "##..#.............................................",
                 "##..#..###.....#..##.##.#.####..####...###..###...",
                 "#.#.#.#...#....##.##.#..#.#...#.#...#.#...#.#.....",
                 "#..##.#...#.....##.#.#..#.#...#.#...#.#####.#.....",
                 "#..##.#...#.....##..##..#.#...#.#...#.#.....#.....",
                 "#...#..###......##..##..#.#...#.#...#..####.#....#"]

    def test_a_text_reads_as_the_words_it_shows(self):
        pixels = self.blank()
        pixels[:, :] = (168, 168, 168)
        rect = (130, 56, 140, 24)
        self.assertEqual(screen.text_reads(self.shot(pixels), rect, "No winner."), (False, None))
        for y, row in enumerate(self.NO_WINNER):
            for x, c in enumerate(row):
                if c == "#":
                    pixels[64 + y, 131 + x] = (0, 0, 0)
        shot = self.shot(pixels)
        for text, reads in (("No winner.", True), ("Well done, Zed!", False), ("Winner.", False),
                            ("No winner. Well done!", False)):
            self.assertEqual(screen.text_reads(shot, rect, text)[0], reads, text)
        pixels[64:71, 131:181] = (168, 168, 168)  # the same words in grey are no ink
        self.assertFalse(screen.text_reads(self.shot(pixels), rect, "No winner.")[0])

    def test_a_dialog_is_told_by_its_title_bar_s_ends(self):
        pixels = self.blank()
        left, top = screen.Shot(pixels.tobytes(), 640, 480).dialog_place("progress")
        width, height = screen.DIALOGS["progress"]["size"]
        pixels[top:top + height + 20, left:left + width] = screen.DIALOG_FACE
        pixels[top + 1:top + 20, left + 1:left + width - 1] = screen.DIALOG_TITLE
        shot = self.shot(pixels)
        self.assertTrue(shot.dialog_shown("progress"))
        self.assertFalse(shot.dialog_shown("logon"))
        self.assertFalse(shot.control_has_text("progress", "bytes"))
        x, y = shot.control_centre("progress", "bytes")
        pixels[y - 3:y + 3, x - 20:x] = (0, 0, 0)
        self.assertTrue(self.shot(pixels).control_has_text("progress", "bytes"))

    def test_animation_blocks_lie_inside_the_window_in_their_signature_colour(self):
        seen = set()
        for name, number in (("Comp.srf", 1), ("Intrfce.srf", 45), ("StandBy.srf", 1), ("Quonza.srf", 1)):
            x, y, rgb = screen.animation_block(name, number)
            self.assertTrue(0 <= x <= 632 and 0 <= y <= 472, (name, x, y))
            self.assertNotIn(rgb, seen)
            seen.add(rgb)
        with self.assertRaises(KeyError):
            screen.animation_block("Comp.srf", 100000)


def strip_cels(path, rid):
    """{cel: (cel rectangle, [(flags, part rectangle, number)])} of a pack's "off4" strip, the
    part rectangles as stored (in cel coordinates)."""
    data = sound.srf_resource(path, "off4", rid)
    size = struct.unpack(">I", data[:4])[0]  # the frame area's bytes
    words = struct.unpack(">%dH" % (size // 2), data[:size])
    slot_words, count = words[3], words[4]

    def signed(v):
        return v - 65536 if v >= 32768 else v
    cels = {}
    for cel in range(1, count + 1):
        slot = words[4 + cel]
        if not slot:
            continue
        head = 5 + count + (slot - 1) * slot_words
        rect = tuple(signed(v) for v in words[head + 1:head + 5])
        source = head if words[head] == 0 else 5 + count + (words[head] - 1) * slot_words
        parts = []
        for i in range(words[head + 5]):
            p = words[source + 6 + 6 * i:source + 12 + 6 * i]
            parts.append((p[0], tuple(signed(v) for v in p[1:5]), signed(p[5])))
        cels[cel] = (rect, parts)
    return cels


class PackLayout(unittest.TestCase):
    """The demo pack draws each label where the driver looks for it: the client places a cel's
    rectangle in the game area and its parts from that rectangle's top-left corner."""

    def animation(self, file_name, rid, number):
        rect, parts = strip_cels(os.path.join(pack(), "Resources", "Animation", file_name), rid)[number]
        return rect, parts

    def test_labels_lie_where_the_driver_looks_for_them(self):
        own = 3 << 8  # the labels' layer, drawn by the strip itself
        for file_name, rid, number in (("Intrfce.srf", 1200, 40), ("Intrfce.srf", 1200, 80),
                                       ("Intrfce.srf", 1200, 99), ("Intrfce.srf", 1200, 199),
                                       ("Comp.srf", 1000, 1), ("Comp.srf", 1000, 438), ("Vot.srf", 2900, 300),
                                       ("Vizuzor.srf", 1010, 107)):
            rect, parts = self.animation(file_name, rid, number)
            labels = [p for p in parts if p[0] == own]
            self.assertTrue(labels, (file_name, number))
            x, y, _ = screen.animation_block(file_name, number)
            self.assertEqual((rect[0] + labels[0][1][0] + 2, rect[1] + labels[0][1][1] + 2), (x, y),
                             "%s %d: cel %r, label part %r" % (file_name, number, rect, labels[0][1]))

    def test_the_timer_s_labels_lie_clear_of_the_picture_frame(self):
        left, top = screen.PICTURE_FRAME
        right, bottom = left + 400, top + 300
        for number in (80, 99, 199):
            x, y, _ = screen.animation_block("Intrfce.srf", number)
            self.assertTrue(x + 8 <= left or x >= right or y + 8 <= top or y >= bottom, (number, x, y))

    def test_the_timer_s_labels_cover_no_edit_field(self):
        own = 3 << 8
        labels = []
        for number in (80, 99, 199, 309, 314, 319):
            rect, parts = self.animation("Intrfce.srf", 1200, number)
            labels += [(number, (rect[0] + r[0], rect[1] + r[1], rect[0] + r[2], rect[1] + r[3]))
                       for layer, r, _ in parts if layer == own]
        # The caption, the slimerick's two lines and the chat's edit field.
        for file_name, number in (("Comp.srf", 438), ("Comp.srf", 460), ("Comp.srf", 477), ("Intrfce.srf", 75)):
            x, y, width, height = screen.text_rect(file_name, number, 0)
            for label, (left, top, right, bottom) in labels:
                self.assertTrue(x + width <= left or x >= right or y + height <= top or y >= bottom,
                                "Intrfce %d's label covers %s %d's field" % (label, file_name, number))

    def test_a_picture_cel_fits_the_whole_picture_to_the_frame(self):
        rect, parts = self.animation("Vizuzor.srf", 1010, 107)
        pictures = [(number, (rect[0] + r[0], rect[1] + r[1], rect[0] + r[2], rect[1] + r[3]))
                    for flags, r, number in parts if flags & 0x20]
        left, top = screen.PICTURE_FRAME
        # The picture strip's command 1 (fit to this rectangle), then 5 (draw the whole picture).
        self.assertEqual(pictures, [(1, (left, top, left + 400, top + 300)), (5, (left, top, left + 400, top + 300))])


if __name__ == "__main__":
    BUILD = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
