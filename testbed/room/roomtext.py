"""The room protocol's text form and generator A, written from the protocol alone.

Independent of the client: the only thing shared is the 55-word starting table of
generator A, read as data from divir/include/divir/LogonRandom.h.
"""
import os
import re

Q = b"\x02"


def quote(text):
    """The wire form of a string (bytes)."""
    if Q not in text and text and b" " not in text:
        return text
    return Q + text.replace(Q, b"\x04") + Q


def tokenize(text):
    """Splits a received text (its first 512 bytes, up to a zero byte) into tokens."""
    text = text[:512].split(b"\x00", 1)[0]
    tokens = []
    state = "between"
    current = bytearray()
    i = 0
    while i < len(text):
        c = text[i:i + 1]
        if state == "between":
            i += 1
            if c == b" ":
                continue
            current = bytearray()
            if c == Q:
                state = "quoted"
            else:
                current += c
                state = "plain"
        elif state == "plain":
            i += 1
            if c == b" ":
                tokens.append(bytes(current))
                state = "between"
            else:
                current += c
        elif state == "quoted":
            i += 1
            if c == Q:
                state = "after"
            else:
                current += c
        else:  # after a byte 2 inside a quoted token
            if c == Q:
                i += 1
                current += Q
                state = "quoted"
            else:
                tokens.append(bytes(current))
                state = "between"
    if state != "between":
        tokens.append(bytes(current))
    return tokens


def write(tag, types, values):
    """A message's text: the tag and each field, each followed by one space."""
    out = []

    def put(kind, value):
        if kind == "s":
            out.append(quote(value if isinstance(value, bytes) else value.encode("latin-1")))
        elif kind in ("i", "u"):
            out.append(str(value).encode())
        elif kind == "b":
            out.append(b"1" if value else b"-1")
        elif kind == "V":
            out.append(b"Version")
            out.extend(str(v).encode() for v in value)
        elif kind == "P":
            out.append(b"P")
            put("s", value)
        elif kind == "R":
            out.append(b"R")
            for k, v in zip("ssissibi", value):
                put(k, v)
        elif kind == "Ad":
            out.append(b"Ad")
            put("s", value[0])
            put("s", value[1])
            put("i", value[2])
        elif kind == "AL":
            out.append(b"AL")
            out.append(str(len(value)).encode())
            for ad in value:
                put("Ad", ad)
        elif kind == "S":
            out.append(b"S")
            out.extend(str(v).encode() for v in value)
        elif kind == "Zuv":
            out.append(b"Zuv")
            for k, v in zip("ssuisu", value):
                put(k, v)
        elif kind == "BL":
            out.append(b"BL")
            out.append(str(len(value)).encode())
            for number, flag in value:
                out.append(b"B")
                put("i", number)
                put("b", flag)
        elif kind == "GS":
            out.append(str(len(value)).encode())
            for name, score in value:
                put("s", name)
                put("i", score)
        elif kind == "SA":
            out.append(b"SA")
            put("b", value[0])
            put("AL", value[1])
        else:
            raise ValueError(kind)

    out.append(tag.encode())
    for kind, value in zip(types, values):
        put(kind, value)
    return b"".join(t + b" " for t in out)


class Invalid(Exception):
    pass


def read(tokens, types):
    """Reads the fields after the tag; raises Invalid as the protocol demands."""
    pos = [1]

    def take():
        if pos[0] >= len(tokens):
            raise Invalid("missing field")
        pos[0] += 1
        return tokens[pos[0] - 1]

    def number(signed):
        token = take().decode("latin-1")
        m = re.match(r"[-+]?\d+", token)
        if not m:
            raise Invalid("not a number: %r" % token)
        return int(m.group(0))

    def get(kind):
        if kind == "s":
            return take()
        if kind in ("i", "u"):
            return number(kind == "i")
        if kind == "b":
            v = number(True)
            if v not in (1, -1):
                raise Invalid("not a bool")
            return v == 1
        if kind == "V":
            expect(b"Version")
            return tuple(number(True) for _ in range(4))
        if kind == "P":
            expect(b"P")
            return take()
        if kind == "R":
            expect(b"R")
            return tuple(get(k) for k in "ssissibi")
        if kind == "Ad":
            expect(b"Ad")
            return (take(), take(), number(True))
        if kind == "AL":
            expect(b"AL")
            return [get("Ad") for _ in range(max(0, number(True)))]
        if kind == "S":
            expect(b"S")
            return tuple(number(True) for _ in range(5))
        if kind == "Zuv":
            expect(b"Zuv")
            return tuple(get(k) for k in "ssuisu")
        if kind == "BL":
            expect(b"BL")
            entries = []
            for _ in range(max(0, number(True))):
                expect(b"B")
                entries.append((number(True), get("b")))
            return entries
        if kind == "GS":
            return [(take(), number(True)) for _ in range(max(0, number(True)))]
        if kind == "SA":
            expect(b"SA")
            return (get("b"), get("AL"))
        raise ValueError(kind)

    def expect(tag):
        if take() != tag:
            raise Invalid("record tag")

    return [get(kind) for kind in types]


def load_table(path=None):
    """The 55 words of generator A's starting table."""
    if path is None:
        here = os.path.dirname(os.path.abspath(__file__))
        path = os.path.join(here, "..", "..", "divir", "include", "divir", "LogonRandom.h")
    text = open(path).read()
    body = text.split("kLogonRandomTable", 1)[1].split("{", 1)[1].split("}", 1)[0]
    words = [int(w, 16) for w in re.findall(r"0x([0-9A-Fa-f]+)u", body)]
    if len(words) != 55:
        raise SystemExit("LogonRandom.h: expected 55 words, found %d" % len(words))
    return words


class GeneratorA:
    def __init__(self, table):
        self.table = table
        self.state = list(table)
        self.j = 0
        self.k = 24

    def seed(self, seed):
        seed &= 0xFFFFFFFF
        mix = seed ^ (((seed << 16) | (seed >> 16)) & 0xFFFFFFFF)
        self.state = [w ^ mix for w in self.table]
        self.j = mix % 55
        self.k = (mix % 55 + 24) % 55

    def next16(self):
        while True:
            self.j = 54 if self.j == 0 else self.j - 1
            self.k = 54 if self.k == 0 else self.k - 1
            self.state[self.j] = (self.state[self.j] + self.state[self.k]) & 0xFFFFFFFF
            value = self.state[self.j] >> 16
            if value < 65535:
                return value

    def answer(self, challenge):
        self.seed(challenge)
        return self.next16()
