#!/usr/bin/env python3
"""The end-to-end driver's own checks, on known input: the .srf reader, sound-decode's WAVE
and "XIMA" output, the sounds found in a recording in order, a signature block and a dialog
in a screenshot.

    test_checks.py BUILD
        BUILD holds tools/sound-decode/sound-decode and the demo pack (demo/pack).
"""
import os
import random
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

    def test_a_sound_that_did_not_play_is_not_found(self):
        rec = self.recording([(1.0, self.voice, 0.8), (4.5, self.applause, 0.6)])
        found = sound.find_in_order(rec, [("other voice", self.other_voice), ("click", self.click)])
        self.assertEqual([f[1] for f in found], [None, None], found)

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


if __name__ == "__main__":
    BUILD = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
