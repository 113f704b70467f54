#!/usr/bin/env python3
"""A scripted player for the world bot's tests: speaks the room protocol as a client
would, from the protocol alone (testbed/room/roomtext.py), through an IRC server.

    scriptclient.py --port IRC_PORT --nick NAME [--late-round N] [--limit SECONDS]

It joins #Big_List, answers the lobby bot's logon, asks for the rooms, picks the first
open one, logs off, joins that room's channel and plays: a caption for each "SC" (in
round --late-round only once the vote has begun, which the bot must call late), a vote for
another player's caption, a Dar Eradar pick when it is the selecting player, an "AI" for
each ad of a break; after the second game's standings it logs off, parts and quits.

Prints "< text" for every message, "CHECK ok|FAIL what", and "CLIENT PASSED" or
"CLIENT FAILED" at the end (exit status 0 or 1).
"""
import argparse
import os
import select
import socket
import sys
import time

sys.dont_write_bytecode = True  # nothing is written beside the sources
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "room"))
sys.path.insert(0, HERE)
import roomtext  # noqa: E402
from worldbot import MESSAGES, show  # noqa: E402

# What the client reads of the game's records.
READS = dict(MESSAGES)


def out(text):
    sys.stdout.write(text + "\n")
    sys.stdout.flush()


class Client:
    def __init__(self, args):
        self.args = args
        self.nick = args.nick
        self.sock = socket.create_connection(("127.0.0.1", args.port))
        self.buffer = b""
        self.failed = False
        self.generator = roomtext.GeneratorA(roomtext.load_table())
        self.channel = None
        self.bot = None
        self.place = "lobby"
        self.rooms = []
        self.captions = []
        self.segment = 0
        self.round = 0
        self.pending_late = None
        self.seen = []  # tags in order
        self.sgw = 0
        self.done = False
        self.send_raw(b"NICK " + self.nick.encode() + b"\r\nUSER " + self.nick.encode() + b" 0 * :scripted player")

    def check(self, ok, what):
        out("CHECK %s %s" % ("ok" if ok else "FAIL", what))
        if not ok:
            self.failed = True
        return ok

    def send_raw(self, line):
        self.sock.sendall(line + b"\r\n")

    def send(self, tag, *values):
        kinds = MESSAGES[tag]
        kinds = list(kinds) if isinstance(kinds, str) else kinds
        text = roomtext.write(tag, kinds, values)
        out("> " + show(text))
        self.send_raw(b"PRIVMSG " + self.bot.encode() + b" :" + text)

    def join(self, channel):
        self.channel = channel
        self.bot = None
        self.send_raw(b"JOIN #" + channel.encode())

    # ---- the room protocol ----
    def on_message(self, sender, text):
        out("< %s %s" % (sender, show(text)))
        tokens = roomtext.tokenize(text)
        if not tokens:
            return
        tag = tokens[0].decode("latin-1")
        if self.bot is None and tag == "LN":
            self.bot = sender
        if sender != self.bot:
            return
        self.seen.append(tag)
        handler = getattr(self, "on_" + tag, None)
        if handler is not None:
            handler(tokens)

    def fields(self, tokens, kinds):
        return roomtext.read(tokens, kinds)

    def on_LN(self, tokens):
        challenge = self.fields(tokens, "u")[0]
        self.send("L", self.nick, self.generator.answer(challenge), (1, 0, 0, 0), 7, 8, 1)

    def on_LA(self, tokens):
        if self.place == "lobby":
            self.send("RR")
        else:
            self.send("RS", 99999, 99999)

    def on_ST(self, tokens):
        pass

    def on_ADLE(self, tokens):
        self.check("SPA" in self.seen and "ADLB" in self.seen, "the sponsor ad and the ad list came first")
        self.send("RR")

    def on_RI(self, tokens):
        # "RI" index, then "PR" round seconds clean excluded, then "R" name host port channel ...
        f = self.fields(tokens, ["i", "s", "i", "i", "b", "b", "s", "s", "s", "i", "s", "s", "i", "b", "i"])
        self.rooms.append({"name": f[7], "port": f[9], "channel": f[10].decode(), "state": f[11],
                           "clean": f[4], "players": f[12], "limit": f[14]})

    def on_RE(self, tokens):
        self.check(len(self.rooms) == 3, "three rooms listed")
        self.check(any(r["clean"] for r in self.rooms) and any(not r["clean"] for r in self.rooms),
                   "a clean and an adult room")
        self.check(any(r["players"] >= r["limit"] for r in self.rooms), "a full room")
        self.send("LO", False)

    def on_LOA(self, tokens):
        if self.place == "lobby":
            room = [r for r in self.rooms if r["clean"] and r["players"] < r["limit"]][0]
            self.send_raw(b"PART #" + self.channel.encode())
            self.place = "room"
            self.join(room["channel"])
        else:
            self.send_raw(b"PART #" + self.channel.encode())
            self.send_raw(b"QUIT :bye")
            self.done = True

    def on_SC(self, tokens):
        f = self.fields(tokens, MESSAGES["SC"])
        self.segment = f[0]
        self.round += 1
        self.check(f[0] == self.round, "round %d's SC carries its number" % self.round)
        self.check(f[6][1] == f[6][2] + f[6][3] + f[6][4], "the segment lasts its phases")
        line2 = "and a second line" if f[2] == 2 else ""
        caption = ("%s says hi in round %d" % (self.nick, self.round), line2)
        if self.round == self.args.late_round:
            self.pending_late = caption
        else:
            self.send("C", self.segment, caption[0], caption[1])

    def on_CR(self, tokens):
        self.check(self.fields(tokens, "i")[0] == self.segment, "caption received")

    def on_CL(self, tokens):
        self.check(self.round == self.args.late_round, "a late caption is called late")

    def on_CLB(self, tokens):
        self.captions = []

    def on_CLI(self, tokens):
        f = self.fields(tokens, "isss")
        self.captions.append(f[1].decode("latin-1"))

    def on_SV(self, tokens):
        f = self.fields(tokens, MESSAGES["SV"])
        self.segment = f[0]
        if self.pending_late:
            self.send("C", self.round, self.pending_late[0], self.pending_late[1])
            self.pending_late = None
        others = [a for a in self.captions if a != self.nick]
        self.check(bool(others), "captions of others to vote for")
        if others:
            self.send("V", self.segment, others[0])

    def on_VI(self, tokens):
        self.check(False, "vote refused")

    def on_SRW(self, tokens):
        f = self.fields(tokens, MESSAGES["SRW"])
        winner = f[0].decode("latin-1")
        expected = {1: None, 2: "Ada", 3: ""}.get(self.round)
        if expected is not None:
            self.check(winner == expected, "round %d won by %r (got %r)" % (self.round, expected, winner))
        else:
            self.check(winner not in ("", "Ada", "Bram", "Cleo"), "round 1 won by a player (%r)" % winner)
        self.round_winner = winner

    def on_SFCS(self, tokens):
        f = self.fields(tokens, MESSAGES["SFCS"])
        self.segment = f[0]
        if f[1].decode("latin-1") == self.nick:
            hidden = [i for i, (_, revealed) in enumerate(f[3]) if not revealed]
            self.send("FCS", self.segment, hidden[0])

    def on_FCSI(self, tokens):
        self.check(False, "pick refused")

    def on_SZuvA(self, tokens):
        f = self.fields(tokens, MESSAGES["SZuvA"])
        for ad in f[1][1]:
            self.send("AI", False, ad)

    def on_SGW(self, tokens):
        f = self.fields(tokens, MESSAGES["SGW"])
        self.sgw += 1
        self.check(len(f[1]) == (11 if self.args.full else 4), "the standings' count")
        if self.sgw == 2:
            self.check(self.round == (7 if self.args.full else 3), "every round was played")
            self.send("LO", True)

    # ---- IRC ----
    def on_line(self, line):
        words = line.split(b" ", 3)
        if len(words) < 2:
            return
        source = words[0][1:].split(b"!")[0].decode("latin-1")
        if words[1] in (b"376", b"422"):
            self.join("Big_List")
        elif words[1] == b"PRIVMSG" and len(words) == 4:
            text = words[3][1:] if words[3].startswith(b":") else words[3]
            for piece in text.split(b"\x03\x04"):
                self.on_message(source, piece)

    def run(self):
        deadline = time.monotonic() + self.args.limit
        while not self.done and time.monotonic() < deadline:
            readable, _, _ = select.select([self.sock], [], [], 0.5)
            if not readable:
                continue
            data = self.sock.recv(65536)
            if not data:
                break
            self.buffer += data
            while b"\n" in self.buffer:
                line, self.buffer = self.buffer.split(b"\n", 1)
                line = line.rstrip(b"\r")
                if line.startswith(b"PING"):
                    self.send_raw(b"PONG" + line[4:])
                    continue
                self.on_line(line)
        self.check(self.done, "the game ended with the logoff")
        if self.args.late_round:
            self.check("CL" in self.seen, "the late caption was called late")
        for tag in ("H", "PLB", "PLE", "PUC", "DP", "SV", "SS", "SRW", "SFCR", "SZuvA", "SGW") + \
                (("SP",) if self.args.full else ()):
            self.check(tag in self.seen, "got " + tag)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--nick", required=True)
    parser.add_argument("--late-round", type=int, default=0)
    parser.add_argument("--limit", type=float, default=120)
    parser.add_argument("--full", action="store_true", help="the bot plays its --full game")
    args = parser.parse_args()
    client = Client(args)
    client.run()
    out("CLIENT %s" % ("FAILED" if client.failed else "PASSED"))
    return 1 if client.failed else 0


if __name__ == "__main__":
    sys.exit(main())
