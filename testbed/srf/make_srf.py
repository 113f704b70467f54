#!/usr/bin/env python3
"""Writes .srf resource files from a JSON manifest, for test fixtures and demo resources.

Usage:
    python3 testbed/srf/make_srf.py MANIFEST.json OUT.srf [--expect OUT.expect]
    python3 testbed/srf/make_srf.py --batch BATCH.json OUT_FOLDER
        (BATCH.json maps names to manifests; writes NAME.srf and NAME.expect for each)

This writer is independent of the client's reader on purpose: it shares no code with it,
so a misreading of the format cannot pass on both ends. --expect writes, per entry, one line
"<type as 8 hex digits> <id> <block size> <hex of the bytes a correct load yields>" (an entry
whose load must fail writes "-" as its hex).

Manifest (JSON object; every key optional unless said):
  "version": 1 or 2 (default 2)
  "base_offset": N       filler bytes before the .srf inside the host file (default 0)
  "trailing": N          filler bytes after the .srf (default 0)
  "faults": {            deliberately wrong fields
      "magic": "srf9", "total_delta": -1, "index_size": N (header field only),
      "count_past_index": N (added to the last group's count word),
      "truncate": N (the host file is cut to N bytes) }
  "index_pad_bytes": N   zero bytes appended to the index and counted in its size
                         (zero words read as empty groups of type 0)
  "entries": [ ... ]     one object per resource; consecutive entries of one type form
                         one index group (a type that comes back later opens a new group)

Entry keys: "type" (four characters, required), "id" (signed 32-bit, required), and one
content key:
  "text": "..."                     the bytes of the text (Latin-1), no terminator
  "hex": "0a0b..."                  raw bytes
  "file": "path"                    raw bytes of a file (relative to the manifest)
  "random": {"size": N, "seed": S}  N pseudo-random bytes
  "palette": [[r,g,b], ...] or "gray"  palette text: " %x %x %x" CR LF per colour
  "coded_text": ["line", ...]       the language filter's coded "Text" block
  "strip": {...}                    an "off4" strip (below)
  "sound": {...}                    a stored sound (below)
Layout and deliberate faults per entry:
  "at": N        data begins at this offset of the .srf (zero padding before it)
  "method": M    version 2: store a method byte M before the data (stored size = data length,
                 block size = data length + 1 unless given)
  "size": N      the index's block size field; "stored": N the index's stored size field
  "offset": N    the index's offset field (the data stays where it was laid out)
  "fails": true  the reader must refuse the load (the --expect line says "-")

Strip ("off4"):
  "images": [{"width": W, "height": H, "rows": [[index or -1 for transparent, ...], ...]}
             or {"width": W, "height": H, "fill": index} ...]
  "opaque": O (default: every image), "slot_words": S (default: the smallest that fits),
  "lz": true|false (default true: matches where they pay; false: literals only),
  "cels": [null for a missing cel, or {"rect": [l,t,r,b],
           "parts": [{"flags": F, "rect": [l,t,r,b], "number": n}, ...],
           "parts_from": k (take the part list of slot k; "parts" then only counts)}]
  Slots are numbered 1.. in the order of the cels that exist.

Sound ("snd ", "Musi", "Voic", "Sfx "): "form" is one of
  "pcm"    RIFF WAVE, 16-bit mono 22050 Hz, from "samples": [...] or "tone"
  "ima"    "XIMA" + block count + 34-byte blocks of 64 samples, from "samples" or "tone"
  "music"  "XMP" + header byte + total samples + frames at a fixed stride,
           from "mp2": path (MPEG-2 LSF Layer II, mono, 22050 Hz); "samples_total" optional
  "speech" "TS" + total samples + frame bytes + frames, from "frames": path (packed G.723.1
           frames) or "zero_frames": n (24-byte frames of zeros); "samples_total" optional
  "tone": {"hz": 440, "ms": 50, "amplitude": 8000}
"""

import json
import math
import os
import random
import struct
import sys


def fourcc_value(code):
    raw = code.encode("latin-1")
    if len(raw) != 4:
        raise ValueError("type must have four characters: %r" % code)
    return struct.unpack(">I", raw)[0]


# ---- coded "Text" (language filter list) ----

def coded_text(lines):
    text = b"".join(line.encode("latin-1") + b"\r\n" for line in lines)
    checksum = 0
    for count, byte in enumerate(text, start=1):
        signed = byte - 256 if byte >= 128 else byte
        checksum = (checksum + signed * count) & 0xFFFFFFFF
    coded = bytes((b + 48) & 0xFF if b < 10 else (b + 55) & 0xFF for b in text)
    return struct.pack("<II", checksum, len(coded)) + coded


def palette_text(colours):
    if colours == "gray":
        colours = [[i, i, i] for i in range(256)]
    return b"".join((" %x %x %x\r\n" % tuple(c)).encode("ascii") for c in colours)


# ---- "off4" strips ----

def run_stream(pixels):
    """Transparent/opaque run pairs over the image's pixels taken row after row."""
    out = bytearray()
    i = 0
    n = len(pixels)
    while True:
        t = 0
        while i + t < n and pixels[i + t] < 0:
            t += 1
        i_t = t
        while i_t > 255:
            out += bytes([255, 0])
            i_t -= 255
        k = 0
        while i + t + k < n and pixels[i + t + k] >= 0 and k < 255:
            k += 1
        out += bytes([i_t, k])
        out += bytes(pixels[i + t:i + t + k])
        i += t + k
        if i >= n:
            break
    while len(out) < 3:
        out.append(0)
    return bytes(out)


def lz_compress(stream, use_matches=True):
    """Stored form: three bytes as they are, then flag bytes each governing eight items
    (MSB first; 0 literal, 1 match). Matches never overlap their own output."""
    out = bytearray(stream[:3])
    items = []
    pos = 3
    n = len(stream)
    while pos < n:
        best_len, best_dist = 0, 0
        if use_matches:
            max_len = min(273, n - pos)
            for dist in range(1, min(4095, pos) + 1):
                limit = min(max_len, dist)
                if limit < 3 or limit <= best_len:
                    continue
                length = 0
                src = pos - dist
                while length < limit and stream[src + length] == stream[pos + length]:
                    length += 1
                if length > best_len:
                    best_len, best_dist = length, dist
                    if length == max_len:
                        break
        if best_len >= 3:
            if best_len <= 17:
                items.append((1, struct.pack("<H", ((best_len - 2) << 12) | best_dist)))
            else:
                items.append((1, struct.pack("<H", best_dist) + bytes([best_len - 18])))
            pos += best_len
        else:
            items.append((0, bytes([stream[pos]])))
            pos += 1
    # The end: a match of distance 0 (with a spare length byte, whichever way it is read).
    items.append((1, b"\x00\x00\x00"))
    for g in range(0, len(items), 8):
        group = items[g:g + 8]
        flags = 0
        for bit, (is_match, _) in enumerate(group):
            if is_match:
                flags |= 0x80 >> bit
        out.append(flags)
        for _, data in group:
            out += data
    return bytes(out)


def image_pixels(image):
    w, h = image["width"], image["height"]
    if "fill" in image:
        return [image["fill"]] * (w * h)
    rows = image["rows"]
    if len(rows) != h or any(len(r) != w for r in rows):
        raise ValueError("image rows do not match its size")
    return [p for row in rows for p in row]


def strip_data(strip):
    images = strip.get("images", [])
    cels = strip.get("cels", [])
    use_lz = strip.get("lz", True)
    existing = [c for c in cels if c is not None]
    max_parts = max([len(c.get("parts", [])) for c in existing] + [0])
    slot_words = strip.get("slot_words", 6 + 6 * max_parts)
    n = len(cels)
    words = [0, 0, 0, slot_words, n]
    slot_numbers = []
    slot = 0
    for cel in cels:
        if cel is None:
            slot_numbers.append(0)
        else:
            slot += 1
            slot_numbers.append(slot)
    words += slot_numbers
    for cel in existing:
        parts = cel.get("parts", [])
        body = [cel.get("parts_from", 0)] + [v & 0xFFFF for v in cel["rect"]]
        body.append(cel.get("part_count", len(parts)))
        if not cel.get("parts_from"):
            for part in parts:
                body += [part.get("flags", 0)] + [v & 0xFFFF for v in part["rect"]] + [part["number"]]
        if len(body) > slot_words:
            raise ValueError("slot too small for its parts")
        words += body + [0] * (slot_words - len(body))
    frame_bytes = 2 * len(words)
    frame = bytearray(struct.pack(">" + "H" * len(words), *[w & 0xFFFF for w in words]))
    struct.pack_into(">I", frame, 0, frame_bytes)

    count = len(images)
    opaque = strip.get("opaque", count)
    table_size = 4 + 8 * count
    coded = [lz_compress(run_stream(image_pixels(img)), use_lz) for img in images]
    table = bytearray(struct.pack(">HH", count, opaque))
    offset = frame_bytes + table_size
    for img, data in zip(images, coded):
        table += struct.pack(">IHH", offset, img["width"], img["height"])
        offset += len(data)
    return bytes(frame) + bytes(table) + b"".join(coded)


# ---- sounds ----

def tone_samples(tone):
    hz = tone.get("hz", 440)
    count = tone.get("ms", 50) * 22050 // 1000
    amp = tone.get("amplitude", 8000)
    return [int(round(amp * math.sin(2 * math.pi * hz * i / 22050))) for i in range(count)]


def sound_samples(sound):
    if "samples" in sound:
        return list(sound["samples"])
    return tone_samples(sound.get("tone", {}))


def riff_wave(samples):
    data = struct.pack("<%dh" % len(samples), *samples)
    fmt = struct.pack("<HHIIHH", 1, 1, 22050, 44100, 2, 16)
    body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"data" + struct.pack("<I", len(data)) + data
    return b"RIFF" + struct.pack("<I", len(body)) + body


IMA_STEPS = [
    7, 8, 9, 10, 11, 12, 13, 14, 16, 17, 19, 21, 23, 25, 28, 31, 34, 37, 41, 45, 50, 55, 60, 66, 73, 80,
    88, 97, 107, 118, 130, 143, 157, 173, 190, 209, 230, 253, 279, 307, 337, 371, 408, 449, 494, 544,
    598, 658, 724, 796, 876, 963, 1060, 1166, 1282, 1411, 1552, 1707, 1878, 2066, 2272, 2499, 2749,
    3024, 3327, 3660, 4026, 4428, 4871, 5358, 5894, 6484, 7132, 7845, 8630, 9493, 10442, 11487, 12635,
    13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767]
IMA_INDEX = [-1, -1, -1, -1, 2, 4, 6, 8, -1, -1, -1, -1, 2, 4, 6, 8]


def ima_blocks(samples):
    """34-byte blocks: a big-endian word that is both the first predictor and (low 7 bits)
    the step index, then 64 four-bit codes, low nibble first."""
    blocks = bytearray()
    pred, index = 0, 0
    padded = samples + [0] * (-len(samples) % 64)
    for b in range(0, len(padded), 64):
        word = (pred & ~0x7F) | index
        word = ((word + 0x8000) & 0xFFFF) - 0x8000
        pred = word
        codes = []
        for s in padded[b:b + 64]:
            step = IMA_STEPS[index]
            diff = s - pred
            code = 0
            if diff < 0:
                code = 8
                diff = -diff
            if diff >= step:
                code |= 4
                diff -= step
            if diff >= step >> 1:
                code |= 2
                diff -= step >> 1
            if diff >= step >> 2:
                code |= 1
            delta = step >> 3
            if code & 4:
                delta += step
            if code & 2:
                delta += step >> 1
            if code & 1:
                delta += step >> 2
            if code & 8:
                delta = -delta
            pred = max(-32767, min(32767, pred + delta))
            index = max(0, min(88, index + IMA_INDEX[code]))
            codes.append(code)
        blocks += struct.pack(">h", word)
        for i in range(0, 64, 2):
            blocks.append(codes[i] | (codes[i + 1] << 4))
    return struct.pack(">4sI", b"XIMA", len(padded) // 64) + bytes(blocks)


MP2_LENGTHS = [0, 52, 104, 156, 208, 261, 313, 365, 417, 522, 626, 731, 835, 940, 1044, 0]


def stored_music(raw, samples_total=None):
    frames = []
    pos = 0
    while pos + 4 <= len(raw):
        if raw[pos] != 0xFF or (raw[pos + 1] & 0xF0) != 0xF0:
            raise ValueError("no MPEG frame at byte %d" % pos)
        length = MP2_LENGTHS[raw[pos + 2] >> 4] + ((raw[pos + 2] >> 1) & 1)
        if length == 0:
            raise ValueError("free or bad bitrate")
        frames.append(raw[pos:pos + length])
        pos += length
    if not frames:
        raise ValueError("no frames")
    h = frames[0][2] & ~0x02
    stride = MP2_LENGTHS[h >> 4] - 3
    total = samples_total if samples_total is not None else 1152 * len(frames)
    body = b"".join(f[4:].ljust(stride, b"\0") for f in frames)
    return b"XMP" + bytes([h]) + struct.pack(">I", total) + body


def stored_speech(frames, samples_total=None):
    count = 0
    pos = 0
    sizes = {0: 24, 1: 20, 2: 4, 3: 1}
    while pos < len(frames):
        pos += sizes[frames[pos] & 3]
        count += 1
    total = samples_total if samples_total is not None else count * 1323 // 2
    return b"TS" + struct.pack(">II", total, len(frames)) + frames


def sound_data(sound, base_dir):
    form = sound["form"]
    if form == "pcm":
        return riff_wave(sound_samples(sound))
    if form == "ima":
        return ima_blocks(sound_samples(sound))
    if form == "music":
        with open(os.path.join(base_dir, sound["mp2"]), "rb") as f:
            return stored_music(f.read(), sound.get("samples_total"))
    if form == "speech":
        if "frames" in sound:
            with open(os.path.join(base_dir, sound["frames"]), "rb") as f:
                frames = f.read()
        else:
            frames = bytes(24 * sound.get("zero_frames", 1))
        return stored_speech(frames, sound.get("samples_total"))
    raise ValueError("unknown sound form %r" % form)


# ---- the container ----

def entry_content(entry, base_dir):
    if "text" in entry:
        return entry["text"].encode("latin-1")
    if "hex" in entry:
        return bytes.fromhex(entry["hex"])
    if "file" in entry:
        with open(os.path.join(base_dir, entry["file"]), "rb") as f:
            return f.read()
    if "random" in entry:
        rnd = random.Random(entry["random"].get("seed", 1))
        return bytes(rnd.getrandbits(8) for _ in range(entry["random"]["size"]))
    if "palette" in entry:
        return palette_text(entry["palette"])
    if "coded_text" in entry:
        return coded_text(entry["coded_text"])
    if "strip" in entry:
        return strip_data(entry["strip"])
    if "sound" in entry:
        return sound_data(entry["sound"], base_dir)
    return b""


def build(manifest, base_dir="."):
    """Returns (host file bytes, expectation lines)."""
    version = manifest.get("version", 2)
    faults = manifest.get("faults", {})
    entries = manifest.get("entries", [])
    entry_words = 3 if version == 1 else 4

    groups = []
    for entry in entries:
        if groups and groups[-1][0] == entry["type"]:
            groups[-1][1].append(entry)
        else:
            groups.append((entry["type"], [entry]))
    index_words = sum(2 + entry_words * len(g[1]) for g in groups)
    index_size = 4 * index_words + manifest.get("index_pad_bytes", 0)

    contents = [entry_content(e, base_dir) for e in entries]
    data = bytearray()
    position = 12 + index_size
    layout = []
    for entry, content in zip(entries, contents):
        at = entry.get("at", position)
        if at < position:
            raise ValueError("entry %s %d: 'at' %d overlaps what comes before" % (entry["type"], entry["id"], at))
        data += bytes(at - position)
        position = at
        stored_bytes = content
        if "method" in entry:
            if version != 2:
                raise ValueError("a method byte needs version 2")
            stored_bytes = bytes([entry["method"]]) + content
            size = entry.get("size", len(content) + 1)
            stored = entry.get("stored", len(content))
        else:
            size = entry.get("size", len(content))
            stored = entry.get("stored", size)
        layout.append((entry.get("offset", position), size, stored, content))
        data += stored_bytes
        position += len(stored_bytes)

    total = 12 + index_size + len(data)
    index = bytearray()
    k = 0
    for g, (kind, members) in enumerate(groups):
        count = len(members)
        if g == len(groups) - 1:
            count += faults.get("count_past_index", 0)
        index += struct.pack(">II", fourcc_value(kind), count & 0xFFFFFFFF)
        for entry in members:
            offset, size, stored, _ = layout[k]
            k += 1
            index += struct.pack(">iII", entry["id"], offset & 0xFFFFFFFF, size & 0xFFFFFFFF)
            if version == 2:
                index += struct.pack(">I", stored & 0xFFFFFFFF)

    index += bytes(manifest.get("index_pad_bytes", 0))
    magic = faults.get("magic", "srf1" if version == 1 else "srf2").encode("latin-1")
    header = magic + struct.pack(">II", (total + faults.get("total_delta", 0)) & 0xFFFFFFFF,
                                 faults.get("index_size", index_size) & 0xFFFFFFFF)
    srf = header + bytes(index) + bytes(data)
    host = bytes(manifest.get("base_offset", 0)) + srf + bytes(manifest.get("trailing", 0))
    if "truncate" in faults:
        host = host[:faults["truncate"]]

    expect = []
    for entry, (_, size, _, content) in zip(entries, layout):
        if entry.get("fails") or entry.get("method", 0) != 0:
            text = "-"
        else:
            block = content[:size] + bytes(max(0, size - len(content)))
            text = block.hex() if block else ""
        expect.append("%08x %d %d %s" % (fourcc_value(entry["type"]), entry["id"], size, text))
    return host, expect


def write_outputs(host, expect, out_path, expect_path):
    with open(out_path, "wb") as f:
        f.write(host)
    if expect_path:
        with open(expect_path, "w", encoding="ascii") as f:
            f.write("\n".join(expect) + ("\n" if expect else ""))


def main(argv):
    args = argv[1:]
    if args and args[0] == "--batch":
        if len(args) != 3:
            sys.stderr.write(__doc__)
            return 2
        with open(args[1], "r", encoding="utf-8") as f:
            batch = json.load(f)
        base_dir = os.path.dirname(os.path.abspath(args[1]))
        os.makedirs(args[2], exist_ok=True)
        for name, manifest in batch.items():
            host, expect = build(manifest, base_dir)
            write_outputs(host, expect, os.path.join(args[2], name + ".srf"),
                          os.path.join(args[2], name + ".expect"))
        return 0
    expect_path = None
    if "--expect" in args:
        i = args.index("--expect")
        expect_path = args[i + 1]
        del args[i:i + 2]
    if len(args) != 2:
        sys.stderr.write(__doc__)
        return 2
    manifest_path, out_path = args
    with open(manifest_path, "r", encoding="utf-8") as f:
        manifest = json.load(f)
    host, expect = build(manifest, os.path.dirname(os.path.abspath(manifest_path)))
    write_outputs(host, expect, out_path, expect_path)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
