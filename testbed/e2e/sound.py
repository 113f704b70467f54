"""The sounds of a recording: each expected sound of the pack, decoded by the project's own
sound-decode, is looked for in the client's recording (SDL's disk audio: signed 16-bit mono at
22050 Hz) by normalised cross-correlation, in the order given.

The .srf reader here is the testbed's own (the format as testbed/srf/make_srf.py writes it);
it shares no code with the client.
"""
import os
import struct
import subprocess
import tempfile

import numpy

RATE = 22050
# A sound counts as found where its normalised cross-correlation with the recording reaches
# this. The mixer's own copy of a sound alone scores near 1, under music as loud as itself
# about 0.7; another sound scores far below, except one that says nearly the same words
# ("Final Extro 1" scores 0.68 against "Final Extro 2"), which the rows do not tell apart.
MATCH_THRESHOLD = 0.6
# At most this much of a sound's start is looked for (long music needs no more).
TEMPLATE_SECONDS = 3.0
# Windows of the recording quieter than this (mean square) are not compared.
QUIET = 1.0
# The band a voice under music is looked for in (Hz): the voices (G.723.1 at 8 kHz) carry
# much of their energy in it, the pack's music (tones of 131 to 659 Hz) next to none. A voice
# under music as loud as itself scores about 0.45 to 0.7 over the whole band, near 1 in this.
VOICE_BAND = (800.0, 3800.0)


def fourcc(code):
    return struct.unpack(">I", code.encode("latin-1"))[0]


def srf_resource(path, kind, rid):
    """The bytes of resource (kind, rid) of a .srf file, or None."""
    with open(path, "rb") as f:
        data = f.read()
    if len(data) < 12 or data[:4] not in (b"srf1", b"srf2"):
        raise ValueError("%s is not a .srf file" % path)
    words = 3 if data[:4] == b"srf1" else 4
    index_size = struct.unpack(">I", data[8:12])[0]
    at, end = 12, min(len(data), 12 + index_size)
    while at + 8 <= end:
        kind_value, count = struct.unpack(">II", data[at:at + 8])
        at += 8
        for _ in range(count):
            if at + 4 * words > end:
                return None
            entry_id, offset, size = struct.unpack(">iII", data[at:at + 12])
            at += 4 * words
            if kind_value == fourcc(kind) and entry_id == rid:
                return data[offset:offset + size]
    return None


def decode(sound_decode, stored):
    """Stored sound data decoded at the mixer's rate, as the client's mixer takes it."""
    with tempfile.TemporaryDirectory(prefix="e2e-sound-") as work:
        source, out = os.path.join(work, "in"), os.path.join(work, "out.s16")
        with open(source, "wb") as f:
            f.write(stored)
        subprocess.run([sound_decode, source, out], check=True, capture_output=True)
        return numpy.fromfile(out, dtype="<i2")


def pack_sound(sound_decode, pack, relative_path, kind, rid):
    stored = srf_resource(os.path.join(pack, relative_path), kind, rid)
    if stored is None:
        raise KeyError("%s holds no %s %d" % (relative_path, kind, rid))
    return decode(sound_decode, stored)


def read_recording(path):
    try:
        return numpy.fromfile(path, dtype="<i2")
    except (OSError, ValueError):
        return numpy.zeros(0, dtype="<i2")


def voice_band(samples):
    """The samples with everything outside VOICE_BAND taken out."""
    s = numpy.asarray(samples, dtype=numpy.float64)
    if len(s) == 0:
        return s
    size = 1 << int(len(s)).bit_length()
    spectrum = numpy.fft.rfft(s, size)
    frequencies = numpy.fft.rfftfreq(size, 1.0 / RATE)
    spectrum[(frequencies < VOICE_BAND[0]) | (frequencies > VOICE_BAND[1])] = 0
    return numpy.fft.irfft(spectrum, size)[:len(s)]


def template(samples, band=False):
    """The part of a sound that is looked for: from its first sound, at most TEMPLATE_SECONDS;
    with band, in the voice band only."""
    loud = numpy.nonzero(numpy.abs(samples) > 64)[0]
    if len(loud) == 0:
        return numpy.zeros(0)
    s = voice_band(samples) if band else samples.astype(numpy.float64)
    return s[loud[0]:loud[0] + int(TEMPLATE_SECONDS * RATE)]


def correlation(recording, samples, band=False):
    """The normalised cross-correlation of the sound's template at every offset of the
    recording (an offset where the template starts), and the template's start within the sound.
    With band, the recording is taken to be in the voice band already (voice_band)."""
    t = template(samples, band)
    r = recording.astype(numpy.float64)
    n = len(t)
    if n == 0 or len(r) < n:
        return numpy.zeros(0), 0
    size = 1 << int(len(r) + n - 1).bit_length()
    dot = numpy.fft.irfft(numpy.fft.rfft(r, size) * numpy.conj(numpy.fft.rfft(t, size)), size)[:len(r) - n + 1]
    squares = numpy.concatenate(([0.0], numpy.cumsum(r * r)))
    energy = squares[n:] - squares[:-n]
    norm = numpy.sqrt(numpy.maximum(energy, 0.0)) * numpy.sqrt(float((t * t).sum()))
    ncc = numpy.where(energy > QUIET * n, dot / numpy.maximum(norm, 1e-9), 0.0)
    loud = numpy.nonzero(numpy.abs(samples) > 64)[0]
    return ncc, int(loud[0]) if len(loud) else 0


def find_in_order(recording, sounds, threshold=MATCH_THRESHOLD, band=False, banded=False):
    """sounds: [(name, samples)]. Each is looked for after where the one before it started;
    with band, in the voice band only (for voices under music; banded: the recording is in
    the band already, from voice_band). Returns [(name, seconds where it starts or None, best
    score)]."""
    out = []
    start = 0
    if band and not banded:
        recording = voice_band(recording)
    for name, samples in sounds:
        ncc, lead = correlation(recording[start:], samples, band)
        if len(ncc) == 0:
            out.append((name, None, 0.0))
            continue
        above = numpy.nonzero(ncc >= threshold)[0]
        best = float(ncc.max())
        if len(above) == 0:
            out.append((name, None, best))
            continue
        # The first peak above the threshold: the highest score within the template's length.
        first = int(above[0])
        window = ncc[first:first + len(template(samples, band))]
        at = first + int(window.argmax())
        out.append((name, (start + at - lead) / RATE, float(ncc[at])))
        # The next sound is looked for from where this one's peak falls below the threshold.
        below = numpy.nonzero(ncc[at:] < threshold)[0]
        start = start + at + (int(below[0]) if len(below) else 1)
    return out


def copies(recording, samples, begin, end, threshold=MATCH_THRESHOLD, most=16):
    """Where copies of the sound start between begin and end (seconds of the recording), for
    copies that overlap: the best matching copy is found, all found so far are fitted to the
    recording at their own loudness (least squares) and taken out, and the next is looked for
    in what is left, until none scores the threshold. Sorted seconds."""
    s = numpy.asarray(samples, dtype=numpy.float64)
    lo = max(0, int(begin * RATE))
    part = numpy.asarray(recording[lo:int(end * RATE) + len(s)], dtype=numpy.float64)
    found = []
    left = part
    for _ in range(most):
        ncc, lead = correlation(left, samples)
        if len(ncc) == 0:
            break
        at = int(ncc.argmax())
        start = at - lead
        if ncc[at] < threshold or start in found:
            break
        found.append(start)
        columns = numpy.zeros((len(part), len(found)))
        for j, first in enumerate(found):
            piece = s[max(0, -first):len(part) - first]
            columns[max(0, first):max(0, first) + len(piece), j] = piece
        gains = numpy.linalg.lstsq(columns, part, rcond=None)[0]
        left = part - columns @ gains
    return sorted((lo + start) / RATE for start in found)
