#!/usr/bin/env python3
"""The demo world's room bot: a lobby and game rooms that play whole games through an IRC
server. It never links or imports the client's code; the room protocol's text form is
testbed/room/roomtext.py, the message table testbed/room/roombot.py's.

    worldbot.py --port IRC_PORT [--http-port P] [--room-port P] [--phases demo|test|e2e] [--full]
                [--players N] [--games N] [--once] [--lobby-full] [--late-caption N] [--report]
                [--picture N=NAME ...] [--part-at TAG]

The lobby bot "ZuvLobby" sits in #Big_List; each room has its bot ("ZuvRoom1" ...) in its own
channel. A client that joins a channel is logged on (LN, L, LA) and served:
- lobby: RR, then the room list (an open clean room, an adult room, a full one), RE;
  the client's LO is answered by LOA.
- room: RS is answered by ST at any time; the sponsor ad (SPA) and the ad list
  (ADLB/ADLI/ADLE) follow the logon; after the client's RR: H, the player list and a line
  of chat from Ada. Once N players (default 1) are ready, the room plays a game: three
  rounds (kinds 0, 2 and 3; --full: six rounds, every kind, a preflight, two ad breaks
  and hostile rows), then the game winner, then a second game's standings. Captions,
  votes and Dar Eradar picks are answered (received, late or invalid); Ada, Bram and
  Cleo, who live only in the bot's records, write and vote too.
With --lobby-full the lobby answers every logon with LER "This game is now full.".
With --late-caption N round N's composition takes no caption: each is answered CL, and the
phase then ends early as an answered one does. With --report the bot also logs each caption,
vote, Dar Eradar pick, ad impression and chat line it gets as "CHECK ok got TAG fields".
With --picture N=NAME round N shows the picture NAME (of pictures/round1, as the rounds'
own pN.jpg) instead. With --part-at TAG the room that sends its first segment of that tag
(SC, SV, ...) goes down right after it: its bot parts the channel, drops the game and its
players and joins again at once, so that a client that comes back finds the room and a new
game.
Phases are data: "demo" gives a person time (60 s to compose), "test" a few seconds,
"e2e" time for the client's screens and a driver's typing; in "test" and "e2e" a phase ends
early once every player has answered.

Output: "READY" once every bot has joined, "< nick text" for what a client sends,
"> nick text" for what the bot sends, "CHECK ok|FAIL what", and after each game
"GAME PASSED" or "GAME FAILED"; "PARTED #channel" when a room went down (--part-at);
with --once the bot ends after --games games.
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
import roomtext  # noqa: E402
from roombot import MESSAGES, show  # noqa: E402

# The game's own records: a room is "PR" round, seconds, clean, excluded, then "R" ...;
# a player "PP" score, then "P" name.
MESSAGES = dict(MESSAGES)
MESSAGES["RI"] = "iX"
MESSAGES["PLI"] = "iQ"

PHASES = {
    # segment: (first, middle, last) in ms; the segment lasts their sum
    "demo": {"SP": (2000, 8000, 1000), "SC": (6000, 60000, 1000), "SV": (2000, 40000, 1000),
             "SS": (1000, 12000, 1000), "SRW": (1000, 10000, 1000), "SFCS": (1000, 20000, 1000),
             "SFCR": (1000, 8000, 1000), "SZuvA": (0, 20000, 0), "SGW": (1000, 15000, 1000)},
    "test": {"SP": (100, 300, 100), "SC": (100, 3000, 100), "SV": (100, 3000, 100),
             "SS": (100, 300, 100), "SRW": (100, 300, 100), "SFCS": (100, 3000, 100),
             "SFCR": (100, 300, 100), "SZuvA": (0, 3000, 0), "SGW": (100, 300, 100)},
    # The client end to end: time for its screens' own first and last parts and for typing
    # and clicking (by a driver on a loaded machine), ending early as "test" does. The
    # scoring's narration of a tie begins 9 s into its main phase when some authors did not vote.
    "e2e": {"SP": (2000, 3000, 1000), "SC": (3000, 20000, 1000), "SV": (2000, 15000, 1000),
            "SS": (1000, 12000, 1000), "SRW": (1000, 4000, 1000), "SFCS": (1000, 12000, 1000),
            "SFCR": (1000, 4000, 1000), "SZuvA": (0, 10000, 0), "SGW": (1000, 5000, 1000)},
}
FAKES = ["Ada", "Bram", "Cleo"]
CAPTIONS = {"Ada": ("Nobody told me about the hat", ""), "Bram": ("Monday, again", "and it shows"),
            "Cleo": ("I came for the view", "")}


def out(text):
    sys.stdout.write(text + "\n")
    sys.stdout.flush()


def plain(value):
    """A message's fields as one line of words: texts as they are, records flattened, bools 1 or 0."""
    if isinstance(value, bytes):
        return show(value)
    if isinstance(value, (list, tuple)):
        return " ".join(plain(v) for v in value)
    return str(int(value)) if isinstance(value, bool) else str(value)


def put_extra(kind, value, out_tokens):
    """The two records the game adds, written like roomtext's own."""
    if kind == "X":  # game room record
        round_, seconds, clean, excluded, name, host, port, channel, state, players, preflight, limit = value
        text = roomtext.write("PR", "iibb", (round_, seconds, clean, excluded))
        text += roomtext.write("R", "ssissibi", (name, host, port, channel, state, players, preflight, limit))
    else:  # "Q": game player record
        text = roomtext.write("PP", "i", (value[0],)) + roomtext.write("P", "s", (value[1],))
    out_tokens.append(text[:-1])


def w(tag, *values):
    kinds = MESSAGES[tag]
    kinds = list(kinds) if isinstance(kinds, str) else kinds
    plain = [k for k in kinds if k not in ("X", "Q")]
    if len(plain) == len(kinds):
        return roomtext.write(tag, kinds, values)
    tokens = [tag.encode()]
    for kind, value in zip(kinds, values):
        if kind in ("X", "Q"):
            put_extra(kind, value, tokens)
        else:
            tokens.append(roomtext.write("", [kind], [value])[1:-1])
    return b" ".join(tokens) + b" "


def read(tag, text):
    kinds = MESSAGES.get(tag)
    if kinds is None:
        raise roomtext.Invalid("unknown tag")
    kinds = list(kinds) if isinstance(kinds, str) else kinds
    return roomtext.read(roomtext.tokenize(text), kinds)


class Parted(Exception):
    """Ends the game task of a room that went down (--part-at)."""


class Connection:
    """One registered IRC user that joins one channel."""

    def __init__(self, port, nick, channel):
        self.nick = nick
        self.channel = channel
        self.joined = False
        self.sock = socket.create_connection(("127.0.0.1", port))
        self.buffer = b""
        self.send_line(b"NICK " + nick.encode() + b"\r\nUSER " + nick.encode() + b" 0 * :world bot")

    def send_line(self, line):
        self.sock.sendall(line + b"\r\n")

    def lines(self):
        data = self.sock.recv(65536)
        if not data:
            raise EOFError(self.nick)
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


class Session:
    """One client in one channel."""

    def __init__(self, place, nick):
        self.place = place
        self.nick = nick
        self.name = None
        self.inbox = []  # (tag, fields, raw) in order of arrival
        self.ready = False
        self.gone = False
        self.score = 0
        self.late = set()  # the tags answered late since the room last collected answers


class Place:
    """The lobby or a game room: its bot connection and its clients."""

    def __init__(self, world, nick, channel, kind, record=None):
        self.world = world
        self.kind = kind
        self.record = record
        self.conn = Connection(world.args.port, nick, channel)
        self.sessions = {}
        self.game_running = False
        self.phase = None  # "comp", "vote" or "pick" while the room takes those answers


class World:
    def __init__(self, args):
        self.args = args
        self.phases = PHASES[args.phases]
        self.start = time.monotonic()
        self.tasks = []  # [generator, condition, deadline]
        self.failed = False
        self.games = 0
        self.parted = False
        self.ready = False
        self.pictures = dict((int(n), name) for n, _, name in (p.partition("=") for p in args.picture))
        self.lobby = Place(self, "ZuvLobby", "Big_List", "lobby")
        port = args.room_port or args.port
        self.rooms = [
            Place(self, "ZuvRoom1", "Room1", "room",
                  (1, 45, True, False, "Game Room 1", "127.0.0.1", port, "Room1", "open", 3, False, 12)),
            Place(self, "ZuvRoom2", "Room2", "room",
                  (2, 30, False, False, "After Dark", "127.0.0.1", port, "Room2", "open", 5, False, 12)),
            Place(self, "ZuvRoom3", "Room3", "full",
                  (4, 10, True, False, "Packed House", "127.0.0.1", port, "Room3", "full", 12, False, 12)),
        ]
        self.places = [self.lobby] + self.rooms

    # ---- time and checks ----
    def now(self):
        """The bot's clock in ms (the "S" time stamps and LA's server time)."""
        return 1000000 + int((time.monotonic() - self.start) * 1000)

    def check(self, ok, what):
        out("CHECK %s %s" % ("ok" if ok else "FAIL", what))
        if not ok:
            self.failed = True
        return ok

    # ---- sending ----
    def send(self, session, *texts):
        if session.gone:
            return
        line = b"\x03\x04".join(texts)
        out("> %s %s" % (session.nick, show(line)))
        session.place.conn.send_line(b"PRIVMSG " + session.nick.encode() + b" :" + line)

    def send_all(self, sessions, *texts):
        for s in sessions:
            self.send(s, *texts)
        tag = self.args.part_at
        if tag and not self.parted and sessions and any(t.split(b" ", 1)[0] == tag.encode() for t in texts):
            self.part(sessions[0].place)

    def part(self, place):
        """The room goes down in the middle of its game: its bot leaves the channel, the game
        and its players are dropped, and the bot joins again at once, as a room that comes
        back up. Raised out of the game task, which ends."""
        self.parted = True
        conn = place.conn
        conn.send_line(b"PART #" + conn.channel.encode())
        for session in place.sessions.values():
            session.gone = True
        place.game_running = False
        place.phase = None
        conn.joined = False
        conn.send_line(b"JOIN #" + conn.channel.encode())
        out("PARTED #%s" % conn.channel)
        raise Parted()

    # ---- tasks (generators yielding (condition, seconds)) ----
    def spawn(self, gen):
        self.tasks.append([gen, None, 0.0])
        self.step(self.tasks[-1], None)

    def step(self, task, value):
        try:
            condition, seconds = task[0].send(value)
            task[1] = condition
            task[2] = time.monotonic() + seconds
        except (StopIteration, Parted):
            self.tasks.remove(task)

    def run_tasks(self):
        progressed = True
        while progressed:
            progressed = False
            for task in list(self.tasks):
                if task not in self.tasks:
                    continue
                result = task[1]() if task[1] else None
                if result is not None:
                    self.step(task, result)
                    progressed = True
                elif time.monotonic() >= task[2]:
                    self.step(task, None)
                    progressed = True

    def next_deadline(self):
        if not self.tasks:
            return 1.0
        return max(0.0, min(t[2] for t in self.tasks) - time.monotonic())

    # ---- helpers used inside tasks ----
    @staticmethod
    def sleep(seconds):
        yield None, seconds

    def expect(self, session, tag, seconds, quiet=False):
        """The session's next message of that tag (others before it are kept), or None."""

        def found():
            for i, (t, fields, _) in enumerate(session.inbox):
                if t == tag:
                    del session.inbox[i]
                    return fields
            return None

        got = yield found, seconds
        if got is None and not quiet:
            self.check(False, "%s sent %s in time" % (session.nick, tag))
        return got

    # ---- IRC ----
    def on_line(self, place, line):
        words = line.split(b" ", 3)
        if len(words) < 2:
            return
        source = words[0][1:].split(b"!")[0].decode("latin-1")
        command = words[1]
        if command in (b"376", b"422"):
            place.conn.send_line(b"JOIN #" + place.conn.channel.encode())
        elif command == b"366":
            place.conn.joined = True
            if all(p.conn.joined for p in self.places) and not self.ready:
                self.ready = True
                out("READY")
        elif command == b"JOIN" and source != place.conn.nick:
            if source not in place.sessions or place.sessions[source].gone:
                session = Session(place, source)
                place.sessions[source] = session
                out("JOIN %s #%s" % (source, place.conn.channel))
                self.spawn(self.logon(session))
        elif command in (b"PART", b"QUIT") and source in place.sessions:
            place.sessions[source].gone = True
            out("%s %s #%s" % (command.decode(), source, place.conn.channel))
        elif command == b"PRIVMSG" and source in place.sessions and len(words) == 4:
            text = words[3][1:] if words[3].startswith(b":") else words[3]
            for piece in text.split(b"\x03\x04"):
                self.on_message(place.sessions[source], piece)

    def on_message(self, session, text):
        out("< %s %s" % (session.nick, show(text)))
        tokens = roomtext.tokenize(text)
        if not tokens:
            return
        tag = tokens[0].decode("latin-1")
        try:
            fields = read(tag, text)
        except (roomtext.Invalid, ValueError) as e:
            self.check(False, "%s: %s reads (%s)" % (session.nick, tag, e))
            return
        if self.args.report and tag in ("C", "V", "FCS", "AI", "MC", "PUC"):
            self.check(True, "got %s %s" % (tag, plain(fields)))
        if tag == "RS":  # answered at once, whenever it comes
            self.send(session, w("ST", (self.now(), 0, 0, 0, 0)))
            return
        if tag == "AI":  # impressions come as the ads show: logged, never awaited
            return
        if tag in ("PUC", "MC"):  # chat goes to the other players of the place
            for other in session.place.sessions.values():
                if other is not session and other.ready and not other.gone:
                    self.send(other, text)
            return
        if tag == "LSA":
            return
        # An answer outside its phase is late, whenever it comes.
        late = {"C": ("comp", "CL"), "V": ("vote", "VL"), "FCS": ("pick", "FCSL")}.get(tag)
        if late is not None and session.place.phase != late[0]:
            self.send(session, w(late[1], fields[0]))
            session.late.add(tag)
            return
        session.inbox.append((tag, fields, text))

    # ---- the lobby and the rooms ----
    def logon(self, session):
        place = session.place
        challenge = 1000 + (self.now() % 60000)
        generator = roomtext.GeneratorA(roomtext.load_table())
        self.send(session, w("LN", challenge))
        fields = yield from self.expect(session, "L", 30)
        if fields is None:
            return
        self.check(fields[1] == generator.answer(challenge), "%s answers the logon challenge" % session.nick)
        session.name = fields[0].decode("latin-1")
        if place.kind == "full":
            self.send(session, w("LER", "The room is full. Please choose another."))
            return
        if place.kind == "lobby" and self.args.lobby_full:
            self.send(session, w("LER", "This game is now full."))
            return
        room_name = "The Lobby" if place.kind == "lobby" else place.record[4]
        self.send(session, w("LA", room_name, (1, 0, 0, 0), self.now()))
        if place.kind == "lobby":
            yield from self.lobby_session(session)
        else:
            yield from self.room_session(session)

    def lobby_session(self, session):
        if (yield from self.expect(session, "RR", 60)) is None:
            return
        self.send(session, w("GP"))
        self.send(session, w("RB", len(self.rooms)))
        for i, room in enumerate(self.rooms):
            self.send(session, w("RI", i, room.record))
        self.send(session, w("RE"))
        self.send(session, w("H", "Welcome to the lobby. Pick a room."))
        fields = yield from self.expect(session, "LO", 3600 if self.args.phases == "demo" else 30)
        if fields is not None:
            self.send(session, w("LOA"))

    def ad(self, name, seconds):
        return (name, "http://127.0.0.1:%d/web/sponsors.cgi" % self.args.http_port, seconds * 1000)

    def room_session(self, session):
        self.send(session, w("SPA", self.ad("Sponsor1.srf", 3)))
        self.send(session, w("ADLB", 3), *[w("ADLI", i, self.ad("Ad%d.srf" % (i + 1), i + 2)) for i in range(3)],
                  w("ADLE"))
        if (yield from self.expect(session, "RR", 120)) is None:
            return
        session.ready = True
        place = session.place
        self.send(session, w("H", "Welcome to %s, %s!" % (place.record[4], session.name)))
        players = FAKES + [s.name for s in place.sessions.values() if s.ready and not s.gone]
        self.send(session, w("PLB", len(players)),
                  *[w("PLI", i, (0, name)) for i, name in enumerate(players)], w("PLE"))
        self.send(session, w("PUC", "Hello %s, glad you made it" % session.name, "Ada"))
        if not place.game_running:
            place.game_running = True
            self.spawn(self.game(place))
        # The session then waits for its logoff.
        while not session.gone:
            fields = yield from self.expect(session, "LO", 3600, quiet=True)
            if fields is not None:
                self.send(session, w("LOA"))
                return

    # ---- the game ----
    def seg(self, tag, scale=1.0):
        first, middle, last = self.phases[tag]
        middle = int(middle * scale)
        return (self.now(), first + middle + last, first, middle, last)

    def seconds(self, tag):
        return sum(self.phases[tag]) / 1000.0

    def collect(self, players, tag, seconds):
        """Each player's first message of that tag within the time (early end in tests)."""
        got = {}
        deadline = time.monotonic() + seconds
        for p in players:
            p.late.discard(tag)
        while True:
            for p in players:
                if p.nick not in got:
                    for i, (t, fields, _) in enumerate(p.inbox):
                        if t == tag:
                            del p.inbox[i]
                            got[p.nick] = fields
                            break
            everyone = all(p.nick in got or p.gone or tag in p.late for p in players)
            if time.monotonic() >= deadline or (self.args.phases in ("test", "e2e") and everyone):
                return got
            count = sum(len(p.inbox) + len(p.late) for p in players)
            yield (lambda: True if sum(len(p.inbox) + len(p.late) for p in players) != count else None), \
                max(0.0, deadline - time.monotonic())

    def game(self, place):
        wanted = self.args.players
        yield (lambda: True if sum(s.ready and not s.gone for s in place.sessions.values()) >= wanted else None), 3600
        yield None, 1.0 if self.args.phases == "demo" else 0.2
        for game in range(self.args.games):
            players = [s for s in place.sessions.values() if s.ready and not s.gone]
            if not players:
                break
            for p in players:
                p.score = 0
            scores = {name: 0 for name in FAKES}
            rounds = [(1, 0), (2, 2), (3, 3)]
            if self.args.full:
                # Every kind, then a hostile seventh round whose main phase is 0.
                rounds = [(1, 0), (2, 1), (3, 2), (4, 3), (5, 4), (6, 0), (7, 0)]
                zuv = self.picture(8)
                self.send_all(players, w("SP", zuv, self.seg("SP")))
                yield None, self.seconds("SP")
            for number, kind in rounds:
                yield from self.round(place, players, scores, number, kind)
            standings = sorted([(p.name, p.score) for p in players] + list(scores.items()), key=lambda e: -e[1])
            if self.args.full:
                standings = (standings + [("Guest%d" % i, 0) for i in range(11)])[:11]
            else:
                standings = standings[:4]
            self.send_all(players, w("SGW", True, standings, self.seg("SGW")))
            yield None, self.seconds("SGW")
            if game == 0:  # the second game's standings come straight after
                second = [(name, max(0, score - 3 * i)) for i, (name, score) in enumerate(standings)]
                self.send_all(players, w("SGW", False, second, self.seg("SGW")))
                yield None, self.seconds("SGW")
            self.games += 1
            out("GAME %s" % ("FAILED" if self.failed else "PASSED"))
        place.game_running = False
        if self.args.once and self.games >= self.args.games:
            # Wait for every player's logoff, then end.
            yield (lambda: True if all(s.gone for s in place.sessions.values()) else None), 60
            raise SystemExit(1 if self.failed else 0)

    def picture(self, number):
        name = self.pictures.get(number, "p%d.jpg" % (1 + (number - 1) % 8))
        return (name, "pictures/round1", 100 + number, 1, "Picture %d" % number, number)

    def round(self, place, players, scores, number, kind):
        zuv = self.picture(number)
        comp_id, vote_id, fc_id = number, 100 + number, 200 + number
        texts = ("", "", "") if kind != 3 else ("Three", "texts", "here")
        self.send_all(players, w("DP", zuv), w("SC", comp_id, zuv, kind, texts[0], texts[1], texts[2],
                                                 self.seg("SC", 0.0 if number == 7 else 1.0)))
        captions = {}
        place.phase = "comp" if number != self.args.late_caption else None
        got = yield from self.collect(players, "C", self.seconds("SC") if number != 7 else 0.5)
        place.phase = None
        for p in players:
            fields = got.get(p.nick)
            if fields is None:
                continue
            if fields[0] != comp_id:
                self.send(p, w("CI", fields[0], "That round is over"))
            else:
                captions[p.name] = (fields[1].decode("latin-1"), fields[2].decode("latin-1"))
                self.send(p, w("CR", comp_id))
        for name in FAKES:
            captions[name] = CAPTIONS[name]
        authors = list(captions)
        two_lines = kind == 2
        self.send_all(players, w("CLB", len(authors), 0, two_lines),
                      *[w("CLI", i, a, captions[a][0], captions[a][1]) for i, a in enumerate(authors)], w("CLE"))
        # Its flag: nobody composed (the invented players always do).
        self.send_all(players, w("SV", vote_id, zuv, not authors, self.seg("SV")))
        votes = {a: 0 for a in authors}
        voted = set()
        place.phase = "vote"
        got = yield from self.collect(players, "V", self.seconds("SV"))
        place.phase = None
        for p in players:
            fields = got.get(p.nick)
            if fields is None:
                continue
            target = fields[1].decode("latin-1")
            if fields[0] != vote_id:
                self.send(p, w("VL", fields[0]))
            elif target == p.name or target not in votes:
                self.send(p, w("VI", vote_id, "You cannot vote for that caption"))
            else:
                votes[target] += 1
                voted.add(p.name)
                self.send(p, w("VR", vote_id))
        # The invented players vote as the round's story needs.
        humans = [p.name for p in players if p.name in captions]
        if number == 1 and humans:
            winner_story = humans[0]
            votes[winner_story] += 3
        elif number == 2:
            best = max(votes.values())
            votes["Ada"] = best + 1
            for other in authors:
                if other != "Ada" and votes[other] >= best:
                    votes[other] = best + 1  # a tie with Ada, which Ada wins
        elif number == 3:
            for a in authors:
                votes[a] = 0
        voted.update(FAKES)
        points = {a: votes[a] * 2 for a in authors}
        for a in authors:
            if a in scores:
                scores[a] += points[a]
        for p in players:
            p.score += points.get(p.name, 0)
        score_of = dict(scores)
        score_of.update({p.name: p.score for p in players})
        rows = [w("RLI", i, a, votes[a], points[a], score_of[a], a in voted) for i, a in enumerate(authors)]
        self.send_all(players, w("RLB", len(authors), 0, number, True), *rows, w("RLE"))
        best = max(votes.values()) if votes else 0
        leaders = [a for a in authors if votes[a] == best and best > 0]
        winner = ""
        if number == 2 and "Ada" in leaders:
            winner = "Ada"
        elif leaders:
            winner = leaders[0]
        # Nobody voted, some authors did not vote, a tie; the top vote count and the winner.
        self.send_all(players, w("SS", best == 0, any(a not in voted for a in authors), len(leaders) > 1, best,
                                 winner, self.seg("SS")))
        yield None, self.seconds("SS")
        line1, line2 = captions.get(winner, ("", ""))
        self.send_all(players, w("SRW", winner, line1, line2, zuv, True, bool(line2), winner != "", self.seg("SRW")))
        yield None, self.seconds("SRW")
        if number == 1 and winner:
            yield from self.fat_chance(place, players, winner, fc_id)
        if number == 1 or (self.args.full and number == 4):
            ads = [self.ad("Ad%d.srf" % (i + 1), i + 2) for i in range(3)]
            if self.args.full and number == 4:
                ads.append(self.ad("Missing.srf", 2))  # an ad without a file
            self.send_all(players, w("SZuvA", 0 if number == 1 else 12 if self.args.full else 1, (True, ads),
                                     self.seg("SZuvA")))
            # The break lasts its whole time: its ads show one after another.
            yield None, self.seconds("SZuvA")

    def fat_chance(self, place, players, winner, fc_id):
        board = [(i % 9, i in (2, 5)) for i in range(10)]
        if self.args.full:
            board = [(9, False)] + board  # a value out of range, a board of 11
        self.send_all(players, w("SFCS", fc_id, winner, 1, board, True, 0, self.seg("SFCS")))
        chooser = [p for p in players if p.name == winner]
        choice = 0
        place.phase = "pick"
        got = yield from self.collect(chooser, "FCS", self.seconds("SFCS"))
        place.phase = None
        for p in chooser:
            fields = got.get(p.nick)
            if fields is None:
                continue
            if fields[0] != fc_id:
                self.send(p, w("FCSL", fields[0]))
            elif not 0 <= fields[1] < len(board) or board[fields[1]][1]:
                self.send(p, w("FCSI", fc_id, "That one is taken"))
            else:
                choice = fields[1]
                self.send(p, w("FCSR", fc_id))
        value = board[choice][0]
        revealed = [(v, r or i == choice) for i, (v, r) in enumerate(board)]
        if self.args.full:
            choice = 10  # a choice past the board
        self.send_all(players, w("SFCR", winner, revealed, choice, value, self.seg("SFCR")))
        yield None, self.seconds("SFCR")

    # ---- main loop ----
    def run(self):
        while True:
            socks = {p.conn.sock: p for p in self.places}
            readable, _, _ = select.select(list(socks), [], [], min(self.next_deadline(), 1.0))
            for s in readable:
                place = socks[s]
                for line in place.conn.lines():
                    self.on_line(place, line)
            self.run_tasks()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--http-port", type=int, default=80)
    parser.add_argument("--room-port", type=int, default=0, help="the IRC port the room list names (default --port)")
    parser.add_argument("--phases", choices=sorted(PHASES), default="demo")
    parser.add_argument("--full", action="store_true")
    parser.add_argument("--players", type=int, default=1)
    parser.add_argument("--games", type=int, default=1)
    parser.add_argument("--once", action="store_true")
    parser.add_argument("--lobby-full", action="store_true", help="the lobby refuses every client: it is full")
    parser.add_argument("--late-caption", type=int, default=0, help="the round whose captions all come late")
    parser.add_argument("--report", action="store_true", help="log what the client sends as CHECK lines")
    parser.add_argument("--picture", action="append", default=[], metavar="N=NAME",
                        help="round N shows the picture NAME of pictures/round1")
    parser.add_argument("--part-at", metavar="TAG",
                        help="the room goes down (its bot parts and joins again) right after its first TAG segment")
    args = parser.parse_args()
    world = World(args)
    try:
        world.run()
    except (EOFError, KeyboardInterrupt):
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
