#!/usr/bin/env python3
"""The scripted room bot of the client's tests; it never links or imports the client's code.

It connects to an IRC server as the room's bot, joins its channel before the client (with
the client's spelling, "#" + name), learns the client's nick from its JOIN and runs one
script of send and expect steps, each expect with a wall-clock limit. A step "go NAME"
prints "WAIT NAME" and waits for "GO NAME" on stdin, so the test can act on the client
(move its manual clock, resume or stop its proxy) between two steps.

It prints "READY" once joined, "< line" for every line it gets (bytes below 32 as \\xNN),
"CHECK ok|FAIL what" for each check, and ends with "SCRIPT PASSED" or "SCRIPT FAILED".

Usage: roombot.py --port P --channel NAME --script NAME [--nick bot] [--limit SECONDS]
"""
import argparse
import os
import select
import socket
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import roomtext  # noqa: E402

# The message table: tag -> field types (s string, i int, u unsigned, b bool, V version
# record, P player record, R room record, Ad, AL ad records, S segment part; for the
# game's messages Zuv picture record, BL entry list, GS standings, SA start-ads part).
MESSAGES = {
    "LN": "u", "L": "suVuui", "LA": "sVu", "LO": "b", "LOA": "", "SA": ["b", "AL", "S"],
    "SPA": ["Ad"], "ADLB": "i", "ADLI": ["i", "Ad"], "ADLE": "", "AI": ["b", "Ad"],
    "PUC": "ss", "PRC": "sss", "MC": "ss", "HC": "s", "PJ": "P", "PLEAVE": "P", "PLB": "i",
    "PLI": "iP", "PLE": "", "LER": "s", "FP": "P", "PF": "PR", "PNF": "P", "RB": "i", "RI": "iR",
    "RE": "", "LSR": "", "LSA": "", "RU": "R", "RR": "", "GP": "", "ST": "S", "RS": "uu",
    # The game's own messages.
    "H": "s", "SC": ["i", "Zuv", "i", "s", "s", "s", "S"], "SV": ["i", "Zuv", "b", "S"],
    "SS": "bbbisS", "SRW": ["s", "s", "s", "Zuv", "b", "b", "b", "S"],
    "SFCS": ["i", "s", "i", "BL", "b", "i", "S"], "SFCR": ["s", "BL", "i", "i", "S"],
    "SGW": ["b", "GS", "S"], "SZuvA": ["i", "SA", "S"], "SP": ["Zuv", "S"], "C": "iss", "CR": "i",
    "CL": "i", "CI": "is", "CLB": "iib", "CLI": "isss", "CLE": "", "V": "is", "VR": "i", "VL": "i",
    "VI": "is", "RLB": "iiib", "RLI": "isiiib", "RLE": "", "FCS": "ii", "FCSR": "i", "FCSL": "i",
    "FCSI": "is", "DP": ["Zuv"], "CP": "sis", "PV": "u",
}


def types_of(tag):
    t = MESSAGES[tag]
    return list(t) if isinstance(t, str) else t


def show(data):
    return "".join(c if 32 <= ord(c) < 127 else "\\x%02x" % ord(c) for c in data.decode("latin-1"))


def out(text):
    sys.stdout.write(text + "\n")
    sys.stdout.flush()


class Connection:
    """One registered IRC user."""

    def __init__(self, port, nick):
        self.nick = nick
        self.sock = socket.create_connection(("127.0.0.1", port))
        self.buffer = b""
        self.send_line(b"NICK " + nick.encode() + b"\r\nUSER " + nick.encode() + b" 0 * :room bot")

    def send_line(self, line):
        self.sock.sendall(line + b"\r\n")

    def lines(self):
        data = self.sock.recv(65536)
        if not data:
            raise EOFError
        self.buffer += data
        got = []
        while b"\n" in self.buffer:
            line, self.buffer = self.buffer.split(b"\n", 1)
            line = line.rstrip(b"\r")
            if line.startswith(b"PING"):
                self.send_line(b"PONG" + line[4:])
                continue
            got.append(line)
        return got


class Bot:
    def __init__(self, args):
        self.args = args
        self.channel = b"#" + args.channel.encode()
        self.generator = roomtext.GeneratorA(roomtext.load_table())
        self.main = Connection(args.port, args.nick)
        self.connections = [self.main]
        self.client = None
        self.challenge = None
        self.inbox = []  # (sender, target, text) of PRIVMSGs from the client
        self.irc = []  # other lines about the client (JOIN, PART, QUIT)
        self.stdin = b""
        self.failed = False

    def pump(self, timeout):
        socks = {c.sock: c for c in self.connections}
        readable, _, _ = select.select(list(socks) + [sys.stdin.buffer], [], [], timeout)
        for s in readable:
            if s is sys.stdin.buffer:
                chunk = sys.stdin.buffer.read1(4096)
                if not chunk:
                    raise SystemExit(0)
                self.stdin += chunk
                continue
            conn = socks[s]
            for line in conn.lines():
                if conn is self.main:
                    out("< " + show(line))
                self.on_line(conn, line)

    def on_line(self, conn, line):
        words = line.split(b" ", 3)
        if len(words) < 2:
            return
        source = words[0][1:].split(b"!")[0].decode("latin-1")
        if conn is not self.main:
            if words[1] in (b"376", b"422"):
                conn.ready = True
            return
        if words[1] in (b"376", b"422"):
            self.main.send_line(b"JOIN " + self.channel)
        elif words[1] == b"366":
            out("READY")
        elif words[1] == b"JOIN" and source != self.args.nick and self.client is None:
            self.client = source
            out("CLIENT " + source)
        elif words[1] == b"PRIVMSG" and source == self.client and len(words) == 4:
            text = words[3][1:] if words[3].startswith(b":") else words[3]
            self.inbox.append((words[2], text))
        elif source == self.client and words[1] in (b"PART", b"QUIT"):
            self.irc.append(line)

    def until(self, done, limit, what):
        deadline = time.monotonic() + limit
        while True:
            result = done()
            if result is not None:
                return result
            left = deadline - time.monotonic()
            if left <= 0:
                self.check(False, "in time: " + what)
                return None
            self.pump(min(left, 0.5))

    def check(self, ok, what):
        out("CHECK %s %s" % ("ok" if ok else "FAIL", what))
        if not ok:
            self.failed = True
        return ok

    def stranger(self, nick):
        for c in self.connections:
            if c.nick == nick:
                return c
        conn = Connection(self.args.port, nick)
        conn.ready = False
        self.connections.append(conn)
        self.until(lambda: True if conn.ready else None, self.args.limit, "stranger " + nick + " registered")
        return conn

    # Steps.
    def send(self, text, conn=None, to_channel=False):
        conn = conn or self.main
        target = self.channel if to_channel else self.client.encode()
        if text.startswith(b"LN "):
            self.challenge = int(text.split(b" ")[1])
        conn.send_line(b"PRIVMSG " + target + b" :" + text)

    def expect(self, tag, check=None, limit=None):
        def next_message():
            if not self.inbox:
                return None
            return self.inbox.pop(0)

        got = self.until(next_message, limit or self.args.limit, "expect " + tag)
        if got is None:
            return None
        target, text = got
        tokens = roomtext.tokenize(text)
        ok = self.check(target.decode("latin-1") == self.args.nick, "%s sent privately to the bot" % tag)
        if not tokens or tokens[0] != tag.encode():
            self.check(False, "expected %s, got %s" % (tag, show(text)))
            return None
        if not text.endswith(b" "):
            pass  # the server trims the final space
        try:
            fields = roomtext.read(tokens, types_of(tag))
        except roomtext.Invalid as e:
            self.check(False, "%s reads: %s" % (tag, e))
            return None
        self.check(ok, "got " + tag)
        if check is not None:
            self.check(check(fields), "%s fields %r" % (tag, fields))
        return fields

    def expect_none(self, seconds):
        """Nothing arrives from the client for a while (wall clock)."""
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            if self.inbox:
                break
            self.pump(deadline - time.monotonic())
        ok = not self.inbox
        self.check(ok, "nothing from the client" + ("" if ok else ": " + show(self.inbox[0][1])))
        self.inbox.clear()

    def expect_irc(self, command):
        def seen():
            for line in self.irc:
                if line.split(b" ")[1] == command.encode():
                    self.irc.remove(line)
                    return True
            return None

        return self.check(self.until(seen, self.args.limit, command) is not None, "client " + command)

    def go(self, name):
        out("WAIT " + name)

        def told():
            while b"\n" in self.stdin:
                line, self.stdin = self.stdin.split(b"\n", 1)
                if line.strip() == b"GO " + name.encode():
                    return True
            return None

        self.until(told, self.args.limit * 3, "go-ahead " + name)


def w(tag, *values):
    return roomtext.write(tag, types_of(tag), values)


ROOM_RECORD = ("Game Room 1", "127.0.0.1", 0, "game1", "open", 3, False, 12)


def lobby(bot):
    bot.send(w("LN", 4242))
    bot.expect("L", lambda f: f[0] == b"Ann" and f[1] == bot.generator.answer(4242) and f[2] == (1, 2, 3, 4)
               and f[3] == 11 and f[4] == 22 and f[5] == 1)
    bot.send(w("LA", "The Lobby", (2, 0, 0, 0), 123456))
    bot.go("resume")
    bot.expect("RR")
    bot.send(w("GP"))
    bot.send(w("RB", 1))
    room = list(ROOM_RECORD)
    room[2] = bot.args.port
    bot.send(w("RI", 0, tuple(room)), to_channel=True)
    bot.send(w("RE"), to_channel=True)
    bot.send(w("LSR"))
    bot.expect("LSA")
    bot.send(w("PUC", "hello there", "Bob"), to_channel=True)
    bot.go("chat")
    bot.expect("PUC", lambda f: f == [b"hi all", b"Ann"])
    bot.expect("PRC", lambda f: f == [b"psst", b"Ann", b"Bob"])
    bot.expect("MC", lambda f: f == [b"waves", b"Ann"])
    bot.expect("HC", lambda f: f == [b"host line"])
    bot.send(w("HC", "from the host"))
    bot.go("stop")
    bot.expect("LO", lambda f: f == [False])
    bot.send(w("LOA"))
    # After its PART the client shares no channel with the bot: its QUIT is not seen.
    bot.expect_irc("PART")


def negative(bot):
    mallory = bot.stranger("mallory")
    bot.send(w("LA", "early", (1, 0, 0, 0), 1))  # before LN: not heard
    bot.send(w("LN", 77))
    bot.expect("L", lambda f: f[1] == bot.generator.answer(77))
    bot.send(w("LN", 78), conn=mallory)  # a stranger's LN changes nothing
    bot.send(w("LA", "Negative", (1, 0, 0, 0), 5000))
    bot.go("resume")
    bot.expect("RR")
    # One line packs them (separated by bytes 3, 4), as the bot batches; the server's
    # flood control would hold back a line each.
    bot.send(b"\x03\x04".join([b"PUC", b"PUC onlyone ", b"LO 0 ", b"LO 2 ", b"puc a b ", b"XYZ 1 ",
                                 b"PLI 1 R x "]))
    # The server refuses lines over 512 bytes: the longest text that passes it.
    bot.send(b"PUC " + b"x" * 440)
    bot.send(b"PUC bare", conn=mallory)
    bot.send(w("ST", (1, 0, 0, 0, 0)), conn=mallory)
    bot.send(w("LER", "from mallory"), conn=mallory)
    bot.send(w("LA", "second", (1, 0, 0, 0), 1))  # a second LA: queued, harmless
    bot.send(w("LOA"))  # unasked
    bot.send(w("ST", (1, 0, 0, 0, 0)))  # no RS asked for it
    bot.send(w("LSR"))
    bot.expect("LSA")
    bot.go("check")
    bot.send(w("LER", "room closed"))
    bot.go("done")


def part(bot):
    bot.send(w("LN", 5))
    bot.expect("L")
    bot.send(w("LA", "Parting", (1, 0, 0, 0), 5000))
    bot.go("resume")
    bot.expect("RR")
    # Once parted the bot shares no channel with the client: what the client does
    # next is the test's to check.
    bot.main.send_line(b"PART " + bot.channel)


def room(bot):
    bot.send(w("LN", 99))
    bot.expect("L", lambda f: f[1] == bot.generator.answer(99) and f[5] == 7)
    bot.send(w("LA", "Game Room 1", (2, 0, 0, 0), 1000000))
    bot.expect("RS", lambda f: f == [99999, 99999])
    bot.go("clock")
    bot.send(w("ST", (1000500, 0, 0, 0, 0)))
    bot.go("resume")
    bot.expect("RR")
    bot.send(w("PLB", 1))
    bot.send(w("PLI", 0, "Bob"))
    bot.send(w("PLE"))
    bot.send(w("PJ", "Cy"))
    bot.send(w("PLEAVE", "Cy"))
    bot.go("sync")
    bot.expect("RS", lambda f: f == [300, 300])
    bot.go("stop")
    bot.expect("LO")
    bot.send(w("LOA"))
    bot.expect_irc("PART")


# The game's rounds. Every message the bot sends is printed as "SENT text" (bytes below
# 32 as \\xNN) so that the test can compare what the client read; segments are stamped on
# the bot's own clock, which stands at the time it gave in its "ST".
BOT_TIME = 1000500


def seg(duration, first, middle, last):
    return (BOT_TIME, duration, first, middle, last)


def say(bot, *texts, to_channel=False):
    """Sends the messages in one line, as the bot batches them (the server's flood
    control would hold back a line each)."""
    line = b"\x03\x04".join(texts)
    out("SENT " + show(line))
    bot.send(line, to_channel=to_channel)


def game_logon(bot, challenge, name):
    bot.send(w("LN", challenge))
    bot.expect("L", lambda f: f[1] == bot.generator.answer(challenge))
    bot.send(w("LA", name, (2, 0, 0, 0), 1000000))
    bot.expect("RS")
    bot.go("clock")
    bot.send(w("ST", (BOT_TIME, 0, 0, 0, 0)))
    bot.go("resume")
    bot.expect("RR")


CAT = ("cat.jpg", "pictures/1", 7, 1, "A cat on a mat", 0)
DOG = ("dog.jpg", "pictures/2", 8, 2, "", 42)


def game_lobby(bot):
    """The lobby proxy understands the game's tags as well."""
    game_logon(bot, 61, "Lobby")
    say(bot, w("H", "Welcome to the lobby"))
    say(bot, b"PLI 0 PP 12 P Bob ")
    bot.go("stop")
    bot.expect("LO")
    bot.send(w("LOA"))


def round_one(bot):
    """A whole round: composition, voting, scoring, round winner, Dar Eradar, ads, winner."""
    game_logon(bot, 62, "Game Room 1")
    say(bot, w("H", "Welcome to Game Room 1"))
    say(bot, w("PLB", 2), b"PLI 0 PP 12 P Bob ", w("PLI", 1, "Cy"), w("PLE"))
    say(bot, w("DP", CAT), w("SC", 17, CAT, 2, "a", "b", "c", seg(52000, 6000, 45000, 1000)))
    bot.go("comp")
    bot.expect("C", lambda f: f == [17, b"A cat", b""])
    say(bot, w("CR", 17), w("CLB", 2, 0, True), w("CLI", 0, "Bob", "A cat", "on a mat"),
        w("CLI", 1, "Ann", "A cat", ""), w("CLE"), w("SV", 18, CAT, True, seg(30000, 2000, 27000, 1000)))
    bot.go("vote")
    bot.expect("V", lambda f: f == [18, b"Bob"])
    say(bot, w("VR", 18), w("RLB", 2, 0, 3, True), w("RLI", 0, "Bob", 2, 10, 22, True),
        w("RLI", 1, "Ann", 0, 0, 5, False), w("RLE"), w("SS", True, False, True, 5, "Ann", seg(20000, 1000, 18000, 1000)))
    say(bot, w("SRW", "Bob", "A cat", "on a mat", CAT, True, False, True, seg(15000, 1000, 13000, 1000)),
        w("SFCS", 19, "Ann", 1, [(1, True), (2, False), (3, True)], False, 4, seg(20000, 1000, 18000, 1000)))
    bot.go("fcs")
    bot.expect("FCS", lambda f: f == [19, 2])
    say(bot, w("FCSR", 19), w("SFCR", "Ann", [(2, True)], 4, 5, seg(10000, 1000, 8000, 1000)),
        w("SZuvA", 3, (True, [("Shoes", "http://127.0.0.1/ads/shoes.srf", 9)]), seg(30000, 0, 30000, 0)))
    say(bot, w("SGW", True, [("Bob", 22), ("Ann", 5)], seg(20000, 1000, 18000, 1000)))
    bot.go("complain")
    bot.expect("CP", lambda f: f == [b"Bob", 3, b"NONE"])
    bot.expect("PV", lambda f: f == [7])
    bot.go("stop")
    bot.expect("LO")
    bot.send(w("LOA"))


def round_two(bot):
    """Late and invalid answers, a preflight, and a start message cut short."""
    game_logon(bot, 63, "Game Room 2")
    say(bot, w("CL", 21), w("CI", 22, "Too long"), w("VL", 23), w("VI", 24, "Own caption"), w("FCSL", 25),
        w("FCSI", 26, "No such entry"))
    # A composition start without its segment part is dropped; the round goes on.
    bot.send(w("SC", 27, DOG, 0, "", "", "", seg(1, 1, 1, 1)).split(b" S ")[0] + b" ")
    say(bot, w("SP", DOG, seg(8000, 1000, 6000, 1000)))
    bot.go("stop")
    bot.expect("LO")
    bot.send(w("LOA"))


def model_round(bot):
    """The client's application object plays a whole round: its answers carry the
    segment ids the start messages gave, an ad break is clicked, chat goes both
    ways, and at its exit it logs off for good before it parts."""
    game_logon(bot, 64, "Game Room 1")
    say(bot, w("H", "Welcome to Game Room 1"))
    say(bot, w("PLB", 2), b"PLI 0 PP 12 P Bob ", w("PLI", 1, "Cy"), w("PLE"))
    say(bot, w("PUC", "hello Ann", "Bob"))
    bot.expect("PUC", lambda f: f == [b"hi Bob", b"Ann"])
    say(bot, w("DP", CAT), w("SC", 17, CAT, 2, "a", "b", "c", seg(52000, 6000, 45000, 1000)))
    bot.expect("C", lambda f: f == [17, b"A cat", b""])
    say(bot, w("CR", 17), w("CLB", 2, 0, True), w("CLI", 0, "Bob", "A cat", "on a mat"),
        w("CLI", 1, "Ann", "A cat", ""), w("CLE"), w("SV", 18, CAT, True, seg(30000, 2000, 27000, 1000)))
    bot.expect("V", lambda f: f == [18, b"Bob"])
    say(bot, w("VR", 18), w("RLB", 2, 0, 3, True), w("RLI", 0, "Bob", 2, 10, 22, True),
        w("RLI", 1, "Ann", 0, 0, 5, False), w("RLE"), w("SS", True, False, True, 5, "Ann", seg(20000, 1000, 18000, 1000)))
    say(bot, w("SRW", "Bob", "A cat", "on a mat", CAT, True, False, True, seg(15000, 1000, 13000, 1000)),
        w("SFCS", 19, "Ann", 1, [(1, True), (2, False), (3, True)], False, 4, seg(20000, 1000, 18000, 1000)))
    bot.expect("FCS", lambda f: f == [19, 2])
    say(bot, w("FCSR", 19), w("SFCR", "Ann", [(2, True)], 4, 5, seg(10000, 1000, 8000, 1000)),
        w("SZuvA", 3, (True, [("Shoes", "Shoes & Socks", 9)]), seg(30000, 0, 30000, 0)))
    bot.expect("AI", lambda f: f[0] is True and f[1][0] == b"Shoes")
    say(bot, w("SGW", True, [("Bob", 22), ("Ann", 5)], seg(20000, 1000, 18000, 1000)))
    bot.expect("CP", lambda f: f == [b"Bob", 3, b"NONE"])
    bot.expect("PV", lambda f: f == [7])
    bot.expect("LO", lambda f: f == [True])
    bot.send(w("LOA"))
    # After its PART the client shares no channel with the bot: its QUIT is not seen.
    bot.expect_irc("PART")


def model_refuse(bot):
    """The game room sends the client away once it has logged on."""
    game_logon(bot, 65, "Game Room 3")
    bot.send(w("LER", "No seats left."))


def model_part(bot):
    """The game room's bot leaves while the client plays."""
    game_logon(bot, 66, "Game Room 3")
    bot.main.send_line(b"PART " + bot.channel)


def model_no_la(bot):
    """The logon is never accepted."""
    bot.send(w("LN", 67))
    bot.expect("L", lambda f: f[1] == bot.generator.answer(67))


def model_no_st(bot):
    """The clock request is never answered."""
    bot.send(w("LN", 68))
    bot.expect("L", lambda f: f[1] == bot.generator.answer(68))
    bot.send(w("LA", "Game Room 3", (2, 0, 0, 0), 1000000))
    bot.expect("RS")


def model_lobby_full(bot):
    """The lobby turns the client away."""
    bot.send(w("LN", 69))
    bot.expect("L", lambda f: f[1] == bot.generator.answer(69))
    bot.send(w("LER", "THIS GAME IS NOW FULL."))


def model_lobby_part(bot):
    """The lobby's bot leaves once the client is in."""
    bot.send(w("LN", 70))
    bot.expect("L", lambda f: f[1] == bot.generator.answer(70))
    bot.send(w("LA", "Lobby", (2, 0, 0, 0), 1000000))
    bot.go("resume")
    bot.expect("RR")
    bot.main.send_line(b"PART " + bot.channel)


FC_BOARD = [(4, False), (7, True), (0, False), (2, False), (5, False), (8, False), (1, True), (3, False),
            (6, False), (0, False)]


def fat_chance_round(bot):
    """Two Dar Eradar rounds with the client ("Al") as the round winner: the first
    picks swatch 3 by a click, which arrives as FCS with the segment's id; in the
    second nobody picks, and the automatic pick at the segment's end sends nothing."""
    game_logon(bot, 71, "Game Room 4")
    say(bot, w("SFCS", 31, "Al", 12, FC_BOARD, False, 5, seg(20000, 0, 20000, 0)))
    bot.expect("FCS", lambda f: f == [31, 3])
    say(bot, w("FCSR", 31), w("SFCR", "Al", FC_BOARD, 3, 15, seg(10000, 0, 10000, 0)))
    bot.go("second")
    say(bot, w("SFCS", 32, "Al", 15, FC_BOARD, True, 4, seg(20000, 0, 20000, 0)))
    bot.go("results")
    bot.expect_none(0.5)
    say(bot, w("SFCR", "Al", FC_BOARD, 4, 20, seg(10000, 0, 10000, 0)))
    bot.go("stop")
    # An FCS from the automatic pick would come before the log-off.
    bot.expect("LO")
    bot.send(w("LOA"))


def model_screens(bot):
    """The preflight's "/n" button and a two-line caption, as the client's screens send
    them: a host chat line, then the caption with the segment id of its start message
    and both lines; at its exit the client logs off."""
    game_logon(bot, 71, "Game Room 1")
    say(bot, w("SP", DOG, seg(8000, 1000, 6000, 1000)))
    bot.expect("HC", lambda f: f == [b"/n"])
    say(bot, w("SC", 31, CAT, 2, "", "", "", seg(52000, 6000, 45000, 1000)))
    bot.expect("C", lambda f: f == [31, b"A cat", b"on a mat"])
    bot.expect("LO", lambda f: f == [True])
    bot.send(w("LOA"))
    bot.expect_irc("PART")


# The game view's end-to-end scripts: the client runs the real view, so what it
# shows is checked by the test; the bot checks what the view sends back.
PICTURE_A = ("cat.jpg", "file", 7, 1, "A cat on a mat", 0)
PICTURE_B = ("dog.jpg", "file", 8, 1, "", 0)


def view_chat(bot):
    """Greeting, player list, the answers' lines and a public line, after the
    test has turned logging on; then the client's own line and its exit."""
    game_logon(bot, 71, "Game Room 1")
    bot.go("log")
    say(bot, w("H", "Welcome to Game Room 1"))
    say(bot, w("PLB", 3), b"PLI 0 PP 12 P Bob ", b"PLI 1 PP 0 P Cy ", b"PLI 2 PP 5 P Ann ", w("PLE"))
    say(bot, w("PUC", "hello Ann", "Bob"))
    say(bot, w("CL", 21), w("CI", 22, "Too long"), w("VL", 23), w("VI", 24, "Own caption"), w("FCSL", 25),
        w("FCSI", 26, "No such entry"))
    bot.expect("PUC", lambda f: f == [b"hi Bob", b"Ann"])
    bot.expect("LO", lambda f: f == [True])
    bot.send(w("LOA"))
    bot.expect_irc("PART")


def view_picture(bot):
    """Two rounds' pictures fetched ahead of their segments: each is reported
    viewed once (a chat line after each shows nothing came between), the
    voting segment keeps the round's picture and the player's "/v" vote comes
    as V with the segment's id. Each segment is stamped when the one before ends."""
    game_logon(bot, 72, "Game Room 1")
    say(bot, w("DP", PICTURE_A))
    bot.go("fetched")
    say(bot, w("SC", 17, PICTURE_A, 0, "a", "b", "c", seg(52000, 6000, 45000, 1000)))
    bot.expect("PV", lambda f: f == [7])
    bot.go("again")
    bot.expect("PUC", lambda f: f == [b"once", b"Ann"])
    say(bot, w("CR", 17), w("CLB", 2, 0, True), w("CLI", 0, "Bob", "A cat", "on a mat"),
        w("CLI", 1, "Cy", "The mat", ""), w("CLE"), w("SV", 18, PICTURE_A, False, (BOT_TIME + 52000, 30000, 2000, 27000, 1000)))
    bot.go("vote")
    bot.expect("V", lambda f: f == [18, b"Bob"])
    bot.expect("PUC", lambda f: f == [b"voted", b"Ann"])
    say(bot, w("VR", 18), w("DP", PICTURE_B))
    bot.go("fetched2")
    say(bot, w("SC", 19, PICTURE_B, 0, "a", "b", "c", (BOT_TIME + 82000, 52000, 6000, 45000, 1000)))
    bot.expect("PV", lambda f: f == [8])
    bot.go("again2")
    bot.expect("PUC", lambda f: f == [b"twice", b"Ann"])
    bot.expect("LO", lambda f: f == [True])
    bot.send(w("LOA"))
    bot.expect_irc("PART")


def view_fat_chance(bot):
    """A Dar Eradar selection with the client ("Ann") as the round winner: the
    swatch clicked arrives as FCS with the segment's id; then the results."""
    game_logon(bot, 73, "Game Room 1")
    bot.go("named")
    say(bot, w("SFCS", 31, "Ann", 12, FC_BOARD, False, 5, seg(20000, 0, 20000, 0)))
    bot.expect("FCS", lambda f: f == [31, 3])
    say(bot, w("FCSR", 31), w("SFCR", "Ann", FC_BOARD, 3, 15, (BOT_TIME + 20000, 10000, 0, 10000, 0)))
    bot.expect("LO", lambda f: f == [True])
    bot.send(w("LOA"))
    bot.expect_irc("PART")


def view_compose(bot):
    """A two-line (slimerick) composition: the caption typed on the client's
    keyboard arrives as C with the segment's id and both lines."""
    game_logon(bot, 74, "Game Room 1")
    say(bot, w("DP", PICTURE_A), w("SC", 21, PICTURE_A, 2, "", "", "", seg(52000, 6000, 45000, 1000)))
    bot.expect("PV", lambda f: f == [7])
    bot.expect("C", lambda f: f == [21, b"A cat", b"on a mat"])
    bot.expect("LO", lambda f: f == [True])
    bot.send(w("LOA"))
    bot.expect_irc("PART")

def view_preflight(bot):
    """The preflight segment's "next" button: its "/n" arrives as a host chat line."""
    game_logon(bot, 75, "Game Room 1")
    say(bot, w("SP", PICTURE_B, seg(8000, 1000, 6000, 1000)))
    bot.expect("HC", lambda f: f == [b"/n"])
    bot.expect("LO", lambda f: f == [True])
    bot.send(w("LOA"))
    bot.expect_irc("PART")

def view_ads(bot):
    """An ad break of the fixture pack's long test ad: the player's click on it
    comes back as AI, clicked, with the ad."""
    game_logon(bot, 76, "Game Room 1")
    say(bot, w("SZuvA", 0, (True, [("LongAd.srf", "s", 3000)]), seg(6000, 0, 6000, 0)))
    bot.expect("AI", lambda f: f[0] is True and f[1] == (b"LongAd.srf", b"s", 3000))
    bot.expect("LO", lambda f: f == [True])
    bot.send(w("LOA"))
    bot.expect_irc("PART")

def view_complaint(bot):
    """A complaint made through the control panel's problem-player dialog: CP
    with the player, the harassment reason and no description."""
    game_logon(bot, 77, "Game Room 1")
    bot.go("named")
    say(bot, w("PLB", 3), b"PLI 0 PP 12 P Bob ", b"PLI 1 PP 0 P Cy ", b"PLI 2 PP 5 P Ann ", w("PLE"))
    say(bot, w("SP", PICTURE_B, seg(60000, 1000, 58000, 1000)))
    bot.expect("CP", lambda f: f == [b"Bob", 2, b"NONE"])
    bot.expect("LO", lambda f: f == [True])
    bot.send(w("LOA"))
    bot.expect_irc("PART")

SCRIPTS = {"lobby": lobby, "fat_chance_round": fat_chance_round, "model_screens": model_screens,
           "model_round": model_round, "model_lobby_full": model_lobby_full,
           "model_lobby_part": model_lobby_part, "model_refuse": model_refuse, "model_part": model_part,
           "model_no_la": model_no_la, "model_no_st": model_no_st, "negative": negative, "part": part, "room": room, "game_lobby": game_lobby,
           "round_one": round_one, "round_two": round_two,
           "view_chat": view_chat, "view_picture": view_picture, "view_fat_chance": view_fat_chance,
           "view_compose": view_compose, "view_preflight": view_preflight,
           "view_ads": view_ads, "view_complaint": view_complaint}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--channel", required=True)
    parser.add_argument("--script", required=True, choices=sorted(SCRIPTS))
    parser.add_argument("--nick", default="bot")
    parser.add_argument("--limit", type=float, default=20.0)
    args = parser.parse_args()
    bot = Bot(args)
    bot.until(lambda: True if bot.client else None, args.limit * 3, "the client's JOIN")
    if bot.client:
        SCRIPTS[args.script](bot)
    out("SCRIPT FAILED" if bot.failed or not bot.client else "SCRIPT PASSED")
    # Stay in the channel until the test closes stdin.
    try:
        while True:
            bot.pump(1.0)
    except (EOFError, SystemExit):
        pass


if __name__ == "__main__":
    main()
