#!/usr/bin/env python3
"""The client end to end: one row per run, each in a world of its own (testbed/e2e/world.py).

    e2e.py BUILD ROW [--work DIR] [--record OUT] [--seed N]
        BUILD holds the client (app/), sound-decode (tools/) and the demo pack and server tree
        (demo/). ROW is one of the rows below; --work names the work folder (default
        BUILD/e2e/ROW), which keeps every log. --record OUT also copies the logs, the
        recording as game.wav and a contact sheet of the labelled screenshots to OUT. --seed
        seeds the soak row's fault (default: the time).
    e2e.py --list
        The rows for CI, one a line: its name and its limit in seconds (the ctest time-out).
        The soak row is for testbed/e2e/soak.sh.

Every step waits for its condition with a limit; the limits are generous (two loaded cores)
and never shorter than the client's own time-outs, which the rows wait out. Output: one line
per step and check ("ok" or "FAIL"), then "PASSED" or "FAILED". Exit status 0 when passed, 1
when a check failed, 77 when a tool the rows need is missing.
"""
import os
import shutil
import subprocess
import sys
import time

sys.dont_write_bytecode = True
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

TOOLS = ("Xvfb", "xdpyinfo", "xwininfo", "xdotool", "import", "convert", "montage", "ffmpeg")

# The client's texts, as the player reads them.
TITLE = "Vizuzor - Error"
DISPATCH = "We cannot contact the dispatch server.\nPlease check your connection to the Internet\n" \
           "or try to play again later."
CONTENT = "The content server is down at this time.\n%s\nPlease try to play again later."
LOBBY_FULL = "The game server will not allow you to play because\nthe lobby is currently full.\n" \
             "Please try to play again later."
UNUSUAL = "An unusual internal error occurred.\nPlease check your connection to the Internet\n" \
          "or try to play again later."
SERVER_DOWN = "The game server is down at this time\nor you may have lost your Internet connection.\n" \
              "Please try to play again later."
PICTURE_TITLE = "Error downloading picture"
PICTURE_FAILED = "The game is unable to download content at this time.\nPlease try again later."
ROOM_DOWN = "Game room %s has just gone down.\nPlease choose another room."
NO_WINNER = "No winner."  # the round winner's headline when nobody won
# The open rooms of the bot's room list (testbed/world/worldbot.py): channel and the name the
# room's bot gives at logon, which the client shows.
ROOM_NAMES = {"Room1": "Game Room 1", "Room2": "After Dark"}

# The client's own time-outs (seconds), which the stall rows wait out.
DISPATCH_TIMEOUT = 120
UPDATE_TIMEOUT = 60
# A round picture's download (the HTTP client's own time-out), and the opening's stand-by for
# a sponsor ad that has not come.
PICTURE_TIMEOUT = 120
STAND_BY = 30
# The progress dialog shows this long after it is made, not before.
PROGRESS_DIALOG_DELAY = 4.0

PLAYER, PASSWORD = "Zed", "secret7"
# The client's buffer for a round picture (bytes): a larger picture fails its download.
PICTURE_BUFFER = 50000

# Limits (seconds), generous for a sanitizer build on two loaded cores, where the client's
# start alone may take a minute: the client's start-up steps (its window, the progress and
# logon dialogs), any later step, and the client's end once asked or failed.
START = 300
STEP = 180
END = 120
# The segments of the bot's game (its messages' tags).
SEGMENTS = {"SP", "SC", "SV", "SS", "SRW", "SFCS", "SFCR", "SZuvA", "SGW"}
# A whole game of the bot's (its "e2e" phases, the full game's seven rounds among them).
GAME = 900


class Row:
    def __init__(self, world_module, build, work, log):
        self.world_module = world_module
        self.build = build
        self.work = work
        self.log = log
        self.failures = []
        self.world = None

    def check(self, ok, what):
        self.log("%s %s" % ("ok  " if ok else "FAIL", what))
        if not ok:
            self.failures.append(what)
        return ok

    def make_world(self, **kw):
        self.world = self.world_module.World(self.build, self.work, log=self.log, **kw)
        self.world.start()
        return self.world

    # ---- steps shared by the rows ----
    def wait_dialog(self, name, limit):
        w = self.world
        w.find_window(limit)
        w.wait("the %s dialog shows" % name, lambda: w.shot().dialog_shown(name), limit)
        w.shot("%s dialog" % name)

    def log_on(self, limit=START):
        w = self.world
        self.wait_dialog("logon", limit)
        # The name field has the focus; Tab moves it to the password. Keys only: the client
        # serves pending keys before a pending click, so on a loaded machine a click between
        # the two fields can take effect after keys typed behind it.
        w.type(PLAYER)
        w.key("Tab")
        w.type(PASSWORD)
        w.shot("name and password typed")
        w.key("Return")
        w.say("logged on as %s" % PLAYER)

    def lobby_reached(self, limit=STEP):
        w = self.world
        w.wait("the lobby's room list", lambda: " RE" in w.bot_log(), limit)
        w.wait("the client asks the lobby for its rooms", lambda: self.client_line("RR"), limit)

    def client_line(self, tag, nick=None):
        """The first line of that tag the bot logged from the client (from that nick: one of its
        connections)."""
        for line in self.world.bot_log().split("\n"):
            words = line.split(" ", 3)
            if len(words) >= 3 and words[0] == "<" and words[2] == tag and nick in (None, words[1]):
                return line
        return None

    def ends_with_box(self, text, limit, page=True, at_least=0.0):
        """The error box with that text within the limit (and not before at_least seconds),
        closed by the driver; then the error page (when page) and the client's end."""
        w = self.world
        w.wait("the box \"%s\"" % text.split("\n")[-2 if text.count("\n") > 1 else 0],
               lambda: w.boxes_written(), limit, client_may_end=True)
        took = time.monotonic() - w.client_started
        errors = w.client_errors()
        self.check(self.world_module.screen.box_shown(errors, TITLE, text),
                   "the box reads %r (standard error: %r)" % (text, w.box_lines()))
        self.check(took >= at_least, "the box came after %.1f s (not before %.0f s)" % (took, at_least))
        w.close_box(TITLE, STEP)
        w.wait("the client ends", lambda: w.client.poll() is not None, END, client_may_end=True)
        self.check(len(w.box_lines()) == 1, "one box only: %r" % w.box_lines())
        if page:
            self.check(any(p.endswith("/web/error.html") for p in w.opened_pages()),
                       "the error page opened: %r" % w.opened_pages())
        self.client_ended_cleanly()

    def client_ended_cleanly(self, status=0):
        w = self.world
        if w.system_leaks_only():
            # The leak report of the system's libraries ends the sanitizer build's run with abort.
            self.log("note the leak checker found leaks in the system's libraries only (SDL's D-Bus)")
            status = -6
        self.check(w.client.returncode == status, "the client's exit status is %s (%s)" % (status, w.client.returncode))
        self.check(not w.sanitizer_reports(), "no sanitizer report %r" % w.sanitizer_reports())

    # ---- sounds ----
    def pack_sound(self, name):
        """The decoded samples of the pack's sound of that name (a voice, music or effect)."""
        import json
        import sound
        with open(os.path.join(HERE, "..", "demo", "pack", "manifest.json")) as f:
            manifest = json.load(f)
        table = [("Voice", "Voic", n, i) for n, i in manifest["voices"]]
        table += [("Music", "Musi", n, i) for n, i in manifest["music"]["files"]]
        table += [("Sfx", "Sfx ", n, i) for n, i, _ in manifest["effects"]]
        for ad in manifest["ads"]:
            if ad["file"][:-4] == name:  # an ad's own sound
                return sound.pack_sound(os.path.join(self.build, "tools", "sound-decode", "sound-decode"),
                                        os.path.join(self.build, "demo", "pack"), os.path.join("Ads", ad["file"]),
                                        "snd ", 1)
        for folder, kind, file_name, rid in table:
            if file_name[:-4] == name:
                return sound.pack_sound(os.path.join(self.build, "tools", "sound-decode", "sound-decode"),
                                        os.path.join(self.build, "demo", "pack"),
                                        os.path.join("Resources", folder, file_name), kind, rid)
        raise KeyError("the pack has no sound %s" % name)

    def wait_sounds(self, names, limit=STEP):
        """Waits until each sound is found in the client's recording, in this order, after the
        sounds found by the waits before; checks each (its place and score)."""
        import sound
        samples = [(n, self.pack_sound(n)) for n in names]
        start = getattr(self, "heard_until", 0)
        found = []

        def heard():
            recording = sound.read_recording(self.world.recording)
            found[:] = [(n, None if at is None else at + start / sound.RATE, score)
                        for n, at, score in sound.find_in_order(recording[start:], samples)]
            return all(at is not None for _, at, _ in found)
        try:
            self.world.wait("the sounds %s" % ", ".join(names), heard, limit)
        except self.world_module.StepFailed:
            pass
        for name, at, score in found:
            self.check(at is not None, "%s sounds%s (score %.2f, threshold %.2f)"
                       % (name, " at %.2f s of the recording" % at if at is not None else "", score,
                          sound.MATCH_THRESHOLD))
        if found and found[-1][1] is not None:
            self.heard_until = int(found[-1][1] * sound.RATE) + 1
        return found

    def close_client(self):
        """Asks the client to close (SIGTERM, as a desktop does); it ends cleanly."""
        import signal
        w = self.world
        w.client.send_signal(signal.SIGTERM)
        w.wait("the client ends", lambda: w.client.poll() is not None, END, client_may_end=True)
        self.client_ended_cleanly()

    def content_requests(self, since=0):
        return [p for _, p, _ in self.world.request_paths()[since:] if p.startswith("content/1.0.0.0/")]


# ---- the rows ----

def row_fresh(r):
    """Whole game 1: a fresh program folder, its content trickled from the server."""
    w = r.make_world(fresh=True, faults=["drip:content/1.0.0.0/*"])
    w.start_client()
    w.find_window(START)
    shown = w.wait("the progress dialog shows", lambda: w.shot().dialog_shown("progress"), START)
    took = time.monotonic() - w.client_started
    r.check(shown and took >= PROGRESS_DIALOG_DELAY, "the progress dialog shows %.1f s after the start" % took)
    r.check(len(r.content_requests()) > 0, "the content is downloading when it shows")

    def filled():
        shot = w.shot()
        return all(shot.control_has_text("progress", c) for c in ("bytes", "rate", "time left"))
    w.wait("the dialog shows bytes, rate and time left", filled, STEP)
    w.shot("progress: bytes, rate, time left")
    r.check(True, "the dialog shows bytes, rate and time left")
    r.wait_dialog("logon", START)

    pack = os.path.join(r.build, "demo", "pack")
    files = []
    for root, _, names in os.walk(os.path.join(pack, "Resources")):
        files += [os.path.relpath(os.path.join(root, n), pack) for n in names]

    def same(rel):
        # The client's file names match in any letter case, as on its own system.
        found = w.program
        for part in rel.split(os.sep):
            names = os.listdir(found) if os.path.isdir(found) else []
            match = [n for n in names if n.lower() == part.lower()]
            if not match:
                return False
            found = os.path.join(found, match[0])
        try:
            with open(os.path.join(pack, rel), "rb") as a, open(found, "rb") as b:
                return a.read() == b.read()
        except OSError:
            return False
    w.wait("every file of the pack is downloaded", lambda: all(same(f) for f in files), START)
    r.check(True, "the %d files equal the pack's" % len(files))
    downloaded = len(set(r.content_requests()))
    r.check(downloaded == len(files), "%d files were downloaded, each once" % downloaded)

    shot = w.shot()
    w.click(*shot.control_centre("logon", "exit"))
    w.wait("the client ends", lambda: w.client.poll() is not None, END, client_may_end=True)
    r.check(not w.box_lines(), "no box: %r" % w.box_lines())
    r.client_ended_cleanly()

    before = len(w.request_paths())
    w.start_client()
    r.wait_dialog("logon", START)
    r.check(not r.content_requests(before), "the next start downloads none: %r" % r.content_requests(before)[:5])
    w.click(*w.shot().control_centre("logon", "exit"))
    w.wait("the client ends", lambda: w.client.poll() is not None, END, client_may_end=True)
    r.client_ended_cleanly()


def row_game(r):
    """The three-round game with the player acting (play_acting)."""
    play_acting(r)


def row_game_full(r):
    """The world bot's full game with its hostile rows, as far as the client plays it: the bot
    plays it whole (its phases end at their times when the player does not answer)."""
    r.make_world(full=True)
    play_game(r)
    r.check(not r.world.box_lines(), "no box: %r" % r.world.box_lines())
    r.close_client()


def play_game(r):
    """The logon (log_on_checked), Enter in the room chooser and the opening; then the bot
    plays the game whole."""
    w = r.world
    w.start_client()
    log_on_checked(r)
    nick, _ = enter_room(r)
    opening(r, nick)
    # The rounds, the ad break and both games' ends: the bot plays them whole (its phases end
    # at their times when the player does not answer) and checks what it gets.
    seen = set(range(len(w.bot_log().split("\n")) - 1))  # from now on

    def segments():
        """Each segment the bot starts gets a labelled screenshot a moment into it."""
        prefix = "> %s " % nick
        for number, line in enumerate(w.bot_log().split("\n")[:-1]):  # whole lines only
            if number in seen or not line.startswith(prefix):
                continue
            seen.add(number)
            # Messages sent together are logged on one line, joined by "\x03\x04".
            for piece in line[len(prefix):].split("\\x03\\x04"):
                tag = piece.split(" ", 1)[0]
                if tag in SEGMENTS:
                    w.after(2.0, "a screenshot of " + tag, lambda tag=tag: w.shot("segment " + tag))
        return "\nGAME " in w.bot_log()
    w.wait("the bot's game ends", segments, GAME)
    r.check("\nGAME PASSED" in w.bot_log(), "the bot's checks of the game pass: %r"
            % [line for line in w.bot_log().split("\n") if line.startswith("CHECK FAIL")][:5])
    w.shot("after the game")


def log_on_checked(r):
    """Name, password and Enter: one POST to validate.cgi with them; the lobby's room list and
    its logon (L) naming the player."""
    w = r.world
    r.log_on()
    w.wait("the logon's POST", lambda: [q for q in w.request_paths() if q[0] == "POST"], STEP)
    r.lobby_reached()
    posts = [q for q in w.request_paths() if q[0] == "POST"]
    r.check(len(posts) == 1 and posts[0][1] == "cgi/validate.cgi", "one POST, to validate.cgi: %r"
            % [p[1] for p in posts])
    body = posts[0][2].split(b"\r\n\r\n", 1)[1].decode("latin-1")
    fields = dict(pair.partition("=")[::2] for pair in body.split("&"))
    r.check(fields.get("player_name") == PLAYER and fields.get("password") == PASSWORD,
            "it carries the name and password: %r" % body)
    line = r.client_line("L")
    r.check(line is not None and (" L %s " % PLAYER) in line, "the lobby's logon names the player: %r" % line)


def enter_room(r):
    """Enter in the room chooser: Options 1 and the voice Beginning; the client joins an open
    room, logs on there with configuration 1 and asks for the room's time (RS)."""
    w = r.world
    w.wait("the room chooser shows (Options 1)", lambda: w.shot().animation_shown("Options.srf", 1), STEP)
    w.shot("the room chooser: Options 1")
    r.wait_sounds(["Beginning"])
    w.key("Return")

    def joined():
        for line in w.bot_log().split("\n"):
            words = line.split()
            if len(words) == 3 and words[0] == "JOIN" and words[2].startswith("#Room"):
                return words[1], words[2][1:]
        return None
    nick, room = w.wait("the client joins a game room", joined, STEP)
    r.check(room in ("Room1", "Room2"), "the room joined is an open one: %s" % room)
    logon = w.wait("the room's logon", lambda: r.client_line("L", nick), STEP)
    r.check(logon.endswith(" 1"), "the room's logon gives configuration 1: %r" % logon)
    w.wait("the client asks the room for its time (RS)", lambda: r.client_line("RS", nick), STEP)
    return nick, room


def opening(r, nick):
    """The room's opening: Instr 1 and the voice Instructions; then the client is ready (RR)."""
    w = r.world
    w.wait("the opening shows (Instr 1)", lambda: w.shot().animation_shown("Instr.srf", 1), STEP)
    w.shot("the opening: Instr 1")
    r.wait_sounds(["Instructions"])
    w.wait("the client is ready in the room (RR)", lambda: r.client_line("RR", nick), STEP)


def segment_sent(r, nick, tag, first_field):
    """The bot sent the client that segment (its first field: the round's id)."""
    prefix = "> %s " % nick
    for line in r.world.bot_log().split("\n")[:-1]:
        if line.startswith(prefix):
            for piece in line[len(prefix):].split("\\x03\\x04"):
                if piece.split(" ")[:2] == [tag, str(first_field)]:
                    return True
    return False


# ---- the game with a player who acts (the game row) ----

SPONSOR_AD = "content/ads/Sponsor1.srf"
# The mixer's buffers (seconds): a sound starts on one. The mixer keeps up to seven of them
# queued (250 ms and a lead of two), so a sound started on another's stop is heard that much
# after its end.
MIXER_BUFFER = 1024 / 22050.0
MIXER_AHEAD = 7 * MIXER_BUFFER
# Applause after the wrap-up music's end (seconds), each that far from the first within a
# few buffers (the timers fire in the client's frames; a sound starts on a buffer).
APPLAUSE_AFTER = (0.0, 0.333, 0.750, 1.000)
APPLAUSE_SLACK = (-2 * MIXER_BUFFER, 3 * MIXER_BUFFER)
# The rounds overlap; each is found after the others found are taken out.
APPLAUSE_MATCH = 0.5
MUSIC_SILENT_AFTER_MUTE = 2.0
# A key the client has taken shows its effect within this time (seconds).
KEY_TAKEN = 5.0
# The chat box's lines from the game itself begin so (in the chat log too).
SYSTEM_LINE = "<Veda>: "
# Tries at a caption whose keys went to the chat box.
CAPTION_TRIES = 4
# The caret of an empty edit field: this many black pixels in its text rectangle, while it
# blinks on.
CARET_INK = (3, 12)
CARET = "the caption field's caret"


def bot_lines(r):
    return r.world.bot_log().split("\n")[:-1]  # whole lines only


def client_lines(r, nick, tag):
    """Every line of that tag the bot logged from the client's room connection."""
    return [line for line in bot_lines(r) if line.startswith("< %s %s" % (nick, tag))
            and line.split(" ", 3)[2] == tag]


def reported(r, tag, *words):
    """The bot's "CHECK ok got TAG ..." line that begins with those words, or None."""
    head = "CHECK ok got %s %s" % (tag, " ".join(str(w) for w in words))
    for line in bot_lines(r):
        if line == head.rstrip() or line.startswith(head.rstrip() + " "):
            return line
    return None


def watch(r, what, items, done, limit=STEP, label=None):
    """Screenshots until done(seen) holds; items: [(name, test(shot))], each noted once seen.
    Checks that every item showed; returns the set seen."""
    w = r.world
    seen = set()

    def look():
        shot = w.shot()
        for name, test in items:
            if name not in seen and test(shot):
                seen.add(name)
                if label:
                    w.shot("%s: %s" % (label, name))
        return done(seen)
    try:
        w.wait(what, look, limit)
    except r.world_module.StepFailed:
        pass
    for name, _ in items:
        r.check(name in seen, "%s shows" % name)
    return seen


def shown(file_name, number):
    return lambda shot: shot.animation_shown(file_name, number)


def heard_one_of(r, names, limit=STEP):
    """Waits until one of the voices is found after the sounds found before; checks it. The
    voices speak over music: they are looked for in the voice band (see sound.py). Of several
    voices (which may say nearly the same words) the best scoring counts."""
    import sound
    samples = [(n, r.pack_sound(n)) for n in names]
    start = getattr(r, "heard_until", 0)
    best = []

    def heard():
        recording = sound.voice_band(sound.read_recording(r.world.recording)[start:])
        found = [sound.find_in_order(recording, [pair], band=True, banded=True)[0] for pair in samples]
        best[:] = [max((f for f in found if f[1] is not None), key=lambda f: f[2], default=None)]
        return best[0] is not None
    try:
        r.world.wait("one of the sounds %s" % ", ".join(names), heard, limit)
    except r.world_module.StepFailed:
        pass
    got = best[0] if best else None
    what = names[0] if len(names) == 1 else "one of " + ", ".join(names)
    r.check(got is not None, "%s sounds in the voice band%s" % (what, "" if got is None else ": %s at %.2f s (score %.2f)"
                                                                % (got[0], got[1] + start / sound.RATE, got[2])))
    if got is not None:
        r.heard_until = start + int(got[1] * sound.RATE) + 1
    return got


def caption_field(lines):
    """The animation of the caption's (first) field."""
    return "Comp.srf", 460 if len(lines) == 2 else 438


def caret_item(lines):
    """A watch item: the caption field shows its caret, once the composition takes typing
    (before that, keys go to the chat box)."""
    field = caption_field(lines)
    return CARET, lambda shot: caret_shown(shot, *field)


def type_until_sent(r, nick, number, lines, limit=STEP, ready=False):
    """Once the caption field shows its caret (ready: it has just shown it), types the caption
    (Tab between two lines) and Enter until the bot logs C for the round. Keys typed before the
    field takes them go to the chat box (its Enter sends them as a chat line): such a try is
    typed again."""
    w = r.world
    deadline = time.monotonic() + limit
    tries = 0
    field = caption_field(lines)
    while True:
        tries += 1
        if tries > 1 or not ready:
            w.wait("round %d: the caption field's caret shows (try %d)" % (number, tries),
                   lambda: caret_shown(w.shot(), *field), max(1, deadline - time.monotonic()))
        chats = len(client_lines(r, nick, "PUC"))
        for i, line in enumerate(lines):
            if i:
                w.key("Tab")
            w.type(line)
        w.key("Return")

        def answered():
            sent = [l for l in client_lines(r, nick, "C") if l.split(" ", 4)[3] == str(number)]
            if sent:
                return sent[0]
            return "chat" if len(client_lines(r, nick, "PUC")) > chats else None
        got = w.wait("round %d's caption reaches the room (try %d)" % (number, tries), answered,
                     max(1, min(30, deadline - time.monotonic())))
        if got != "chat" or time.monotonic() >= deadline or tries >= CAPTION_TRIES:
            break
        r.log("note round %d: try %d went to the chat box; typed again" % (number, tries))
    words = [part for part in got.split("\\x02") if part.strip()]
    r.check(words[1:1 + len(lines)] == lines, "round %d: C %d carries %r: %r" % (number, number, lines, got))
    return got


def check_applause(r, end):
    """The four rounds of applause after the wrap-up music's end (seconds of the recording):
    the first as it ends (heard the mixer's queue later), the others 333, 750 and 1000 ms after
    the first; the first repeats twice, the second once, each repeat right after its play."""
    import sound
    applause = r.pack_sound("Applause")
    length = len(applause) / sound.RATE
    last = end + MIXER_AHEAD + APPLAUSE_AFTER[-1] + APPLAUSE_SLACK[1]  # the last round's start, at the latest
    r.world.wait("the applause has played", lambda: len(sound.read_recording(r.world.recording)) / sound.RATE
                 > last + 2 * length, STEP)
    starts = sound.copies(sound.read_recording(r.world.recording), applause, end - MIXER_BUFFER, last, APPLAUSE_MATCH)
    r.check(len(starts) == 7, "seven plays of Applause: %r" % ["%.0f ms" % ((t - end) * 1000) for t in starts])
    if not starts:
        return
    first = starts[0]
    r.check(-MIXER_BUFFER <= first - end <= MIXER_AHEAD + MIXER_BUFFER,
            "the first applause starts as WrapUp ends, the mixer's queue later (%.0f ms)" % ((first - end) * 1000))

    def repeat_of(t):
        return [u for u in starts if abs(u - (t + length)) < 0.002]
    rounds = [first]
    left = [t for t in starts[1:] if t not in repeat_of(first) and t not in repeat_of(first + length)]
    if left:
        rounds.append(left[0])  # the second round, and its repeat
        left = [t for t in left[1:] if t not in repeat_of(left[0])]
    rounds += left
    for after, at in zip(APPLAUSE_AFTER[1:], rounds[1:] + [None] * 3):
        offset = None if at is None else at - first - after
        r.check(offset is not None and APPLAUSE_SLACK[0] <= offset <= APPLAUSE_SLACK[1],
                "an applause round %.0f ms after the first (%s)" % (after * 1000, "none" if offset is None
                                                                     else "%+.0f ms" % (offset * 1000)))


def caret_shown(shot, file_name, number):
    """The empty edit field of that animation shows its caret."""
    rect = screen_module().text_rect(file_name, number, 0)
    return shot.animation_shown(file_name, number) and CARET_INK[0] <= shot.ink(*rect) <= CARET_INK[1]


def wait_sent(r, nick, tag, first_field, limit=GAME):
    r.world.wait("the bot sends %s %s" % (tag, first_field), lambda: segment_sent(r, nick, tag, first_field), limit)


def chat_log(r):
    from world import read_text
    path = os.path.join(r.world.program, "RaruvedOzo.txt")
    return read_text(path) if os.path.exists(path) else None


def play_acting(r):
    """The player acts through the bot's three-round game: the opening with the sponsor ad
    held back until Please Stand By shows; round 1's caption, a vote for Ada and a swatch of
    the Dar Eradar board; a click on the break's first ad; round 2's two lines and, while its
    captions are voted on, a chat line, an emote and /save; round 3's caption, which the bot
    calls late; the wrap-up and its applause; the control panel's music mute and exit."""
    import sound
    w = r.make_world(bot_args=["--late-caption", "3", "--report"])
    os.remove(os.path.join(w.program, "Ads", "Sponsor1.srf"))
    w.http_fault("hold", SPONSOR_AD)
    w.start_client()
    log_on_checked(r)
    nick, _ = enter_room(r)

    # 4: the opening.
    w.wait("the opening shows (Instr 1)", lambda: w.shot().animation_shown("Instr.srf", 1), STEP)
    w.shot("the opening: Instr 1")
    r.wait_sounds(["Instructions"])
    watch(r, "Please Stand By (StandBy 1) while the sponsor ad is held back", [("StandBy 1", shown("StandBy.srf", 1))],
          lambda seen: seen, label="opening")
    w.http_release(SPONSOR_AD)
    watch(r, "the brand, the sponsor ad and the title",
          [("Quonza 1", shown("Quonza.srf", 1)), ("Intro 1", shown("Intro.srf", 1))],
          lambda seen: "Intro 1" in seen, label="opening")
    r.wait_sounds(["Sponsor1"])  # the sponsor ad, between the two
    heard_one_of(r, ["Welcome1", "Welcome2", "Welcome3"], 30)
    w.wait("the client is ready in the room (RR)", lambda: r.client_line("RR", nick), STEP)
    r.check(True, "RR once the opening is over")

    # 5: round 1.
    wait_sent(r, nick, "SC", 1)
    lines = ["The hat stays on"]
    seen = watch(r, "round 1's composition", [("Comp 1", shown("Comp.srf", 1)), ("picture 1's block in its frame",
                                                                                  picture_shown(1)),
                                               ("Comp 438", shown("Comp.srf", 438)),
                                               ("the timer (Intrfce 80, 99 or 199)", timer_shown), caret_item(lines)],
                 lambda seen: CARET in seen and "picture 1's block in its frame" in seen, label="round 1")
    type_until_sent(r, nick, 1, lines, ready=CARET in seen)
    heard_one_of(r, ["Go"], limit=20)
    wait_sent(r, nick, "SV", 101)
    vote_for(r, nick, 101, "Ada")
    # The Dar Eradar selection: the round's winner is the player (the bot's story).
    wait_sent(r, nick, "SFCS", 201)
    swatch = 1
    # The board takes a click once the last hidden swatch's highlight plays (swatch 9 of the
    # bot's board): its arrival and face come first.
    watch(r, "the board takes a pick", [("Chance %d (the last highlight)" % LAST_HIGHLIGHT,
                                         shown("Chance.srf", LAST_HIGHLIGHT))], lambda seen: seen, label="round 1")
    # A swatch takes clicks over its highlight's art (the pack lays it apart from the face). A
    # press near the last one within the double-click time is a double click, which the board
    # does not take: the clicks alternate between two places of the highlight.
    highlight = screen_module().animation_block("Chance.srf", [33, 242, 452][swatch])
    clicks = []

    def picked():
        if client_lines(r, nick, "FCS"):
            r.log("note the pick went out after %d click(s)" % len(clicks))
            return "FCS"
        if segment_sent(r, nick, "SFCR", PLAYER):
            return "SFCR"  # the phase is over
        clicks.append(highlight[0] + 4 + 8 * (len(clicks) % 2))
        w.click(clicks[-1], highlight[1] + 4)
        return None
    if w.wait("a click on swatch %d is taken (FCS)" % swatch, picked, STEP) != "FCS":
        # The game goes on without the pick (the bot ends the phase): so does the row.
        r.check(False, "a click on swatch %d is taken (FCS) before the bot ends the pick (SFCR)" % swatch)
    else:
        w.shot("round 1: a swatch picked")
        r.check(reported(r, "FCS", 201, swatch) is not None, "the bot logs FCS 201 %d" % swatch)
        value = swatch % 9  # the bot's board
        you = [2298, 2310, 2322, 2334, 2346, 2358, 2190, 2202, 2214][value]
        you_voice = ["YouReceive1", "YouReceive2", "YouReceive3", "YouReceive4", "YouReceive6", "YouReceive8",
                     "YouLose1", "YouLose2", "YouLose4"][value]
        watch(r, "the result of the pick", [("Chance %d (You, value %d)" % (you, value), shown("Chance.srf", you))],
              lambda seen: seen, label="round 1")
        r.wait_sounds(["WinFanfare"], 20)
        heard_one_of(r, ["RoundWinner1", "RoundWinner2", "RoundWinner3"], 30)
        r.wait_sounds([you_voice], 20)

    # 6: the ad break: a click on its first ad.
    wait_sent(r, nick, "SZuvA", 0)
    watch(r, "the ad break opens", [("SegA1 1", shown("SegA1.srf", 1))], lambda seen: seen, label="ad break")

    ad_clicks = []

    def clicked():
        if reported(r, "AI", 1, "Ad1.srf"):
            return True
        shot = w.shot()
        if shot.animation_shown("AdClick.srf", 15):
            w.shot("ad break: the ad clicked")
            return True
        # The ad takes the mouse while it plays: a click anywhere is a click on the ad. It
        # clears the screen to the display's palette, under which its block is not found.
        size = r.world_module.WINDOW_SIZE
        place = screen_module().ad_place(shot) or (size[0] // 2, size[1] // 2)
        # A press where the last one was is not taken (see the pick above): every other click
        # lands a little apart.
        shift = 12 * (len(ad_clicks) % 2)
        ad_clicks.append(place)
        w.click(place[0] + 4 + shift, place[1] + 4 + shift)
        return False
    w.wait("a click on the ad is taken", clicked, STEP)
    w.wait("the ad's impression, clicked (AI)", lambda: reported(r, "AI", 1, "Ad1.srf"), STEP)
    r.check(True, "AI with clicked set: %s" % reported(r, "AI", 1, "Ad1.srf"))
    r.wait_sounds(["R3Intro", "Ad1"])

    # 7: round 2, two lines; its voting carries the chat (9).
    wait_sent(r, nick, "SC", 2)
    lines = ["Roses are red", "the hat is too"]
    seen = watch(r, "round 2's introduction", [("Final 1", shown("Final.srf", 1)), ("Slim 1", shown("Slim.srf", 1)),
                                               ("Comp 460", shown("Comp.srf", 460)), caret_item(lines)],
                 lambda seen: CARET in seen, label="round 2")
    type_until_sent(r, nick, 2, lines, ready=CARET in seen)
    heard_one_of(r, ["FinalRndIntro"], 20)
    heard_one_of(r, ["SlimerickVoiceA1"], 20)
    wait_sent(r, nick, "SV", 102)
    list_shows(r, nick, 102)
    w.shot("round 2: voting")
    for text, tag, words in (("what a picture", "PUC", ["what", "a", "picture"]), ("/me waves", "MC", ["waves"])):
        w.type(text)
        w.key("Return")
        got = w.wait("the chat line %r reaches the room (%s)" % (text, tag),
                     lambda tag=tag, words=words: [l for l in client_lines(r, nick, tag)
                                                   if l.split(" ")[3:3 + len(words)] == words
                                                   or " ".join(words) in l], STEP)
        r.check(True, "%r goes out as %s: %r" % (text, tag, got[0]))
    w.type("/save")
    w.key("Return")
    w.wait("/save writes RaruvedOzo.txt", lambda: chat_log(r), STEP)
    heard_one_of(r, ["VoteTie"])

    # Round 3: its caption comes late.
    wait_sent(r, nick, "SC", 3)
    lines = ["Three of a kind"]
    seen = watch(r, "round 3's introduction", [("Final 1", shown("Final.srf", 1)), ("CopyF 1", shown("CopyF.srf", 1)),
                                               ("Comp 514", shown("Comp.srf", 514)), caret_item(lines)],
                 lambda seen: CARET in seen, label="round 3")
    type_until_sent(r, nick, 3, lines, ready=CARET in seen)
    w.wait("the bot calls it late (CL 3)", lambda: segment_sent(r, nick, "CL", 3), STEP)
    w.wait("\"Caption late\" reaches the chat log", lambda: "Caption late" in (chat_log(r) or ""), STEP)
    heard_one_of(r, ["CopyFitsVoice1"], 20)
    wait_sent(r, nick, "SRW", "\\x02\\x02")
    watch(r, "round 3's winner", [("Comp 426", shown("Comp.srf", 426)), ("\"No winner.\"", headline_reads(NO_WINNER))],
          lambda seen: len(seen) == 2, label="round 3")
    r.wait_sounds(["FatChanceNegFanfare"])

    # 8: both games' ends.
    watch(r, "the game winner", [("Wrap 223", shown("Wrap.srf", 223))], lambda seen: seen, limit=GAME, label="wrap")
    found = r.wait_sounds(["WrapUp", "Applause"])
    if found and all(at is not None for _, at, _ in found):
        check_applause(r, found[0][1] + len(r.pack_sound("WrapUp")) / sound.RATE)
    w.wait("the bot's game ends", lambda: "\nGAME " in w.bot_log(), GAME)
    r.check("\nGAME PASSED" in w.bot_log(), "the bot's checks of the game pass: %r"
            % [line for line in bot_lines(r) if line.startswith("CHECK FAIL")][:5])

    # 9: the chat log.
    pvs = sorted(set(l.split(" ")[3] for l in client_lines(r, nick, "PV")))
    r.check(pvs == ["101", "102", "103"] and len(client_lines(r, nick, "PV")) == 3,
            "one PV per picture: %r" % [l.split(" ", 2)[2] for l in client_lines(r, nick, "PV")])
    lines = (chat_log(r) or "").split("\r\n")
    rule = SYSTEM_LINE + "-" * 80
    stamp = [i for i, l in enumerate(lines) if l.startswith("========== ") and l.endswith(" ==========")]
    rules = [i for i, l in enumerate(lines) if l == rule]
    ada = [i for i, l in enumerate(lines) if l == "<Ada>: Hello Zed, glad you made it"]
    late = [i for i, l in enumerate(lines) if l == SYSTEM_LINE + "Caption late"]
    r.check(stamp[:1] == [0], "RaruvedOzo.txt opens with a stamp line: %r" % lines[:1])
    r.check(len(rules) >= 2 and rules[1] - rules[0] >= 2 and any("Welcome" in l for l in lines[rules[0]:rules[1]]),
            "the greeting between 80-dash rules: %r" % lines[:8])
    r.check(ada and late and rules[1:] and rules[1] < ada[0] < late[0],
            "then Ada's line and \"Caption late\": %r" % lines[-6:])

    # 10: the control panel: Escape, M (music off), E (exit).
    r.check(not w.box_lines(), "no box: %r" % w.box_lines())
    w.key("Escape")
    watch(r, "the control panel", [("CPanel 1", shown("CPanel.srf", 1))], lambda seen: seen, label="control panel")
    # The panel takes keys once it has started: M again until settings.ini changes.
    settings = os.path.join(w.program, "settings.ini")
    from world import read_text
    presses = []

    def muted():
        if os.path.exists(settings) and "MusicMuted=1" in read_text(settings):
            return True
        if not presses or time.monotonic() - presses[-1] >= KEY_TAKEN:
            w.key("m")
            presses.append(time.monotonic())
        return False
    w.wait("settings.ini keeps MusicMuted=1", muted, STEP)
    r.check(True, "M mutes the music (%d press(es)); settings.ini keeps MusicMuted=1" % len(presses))
    muted_at = len(sound.read_recording(w.recording))
    w.key("e")
    w.wait("the room's logoff (LO 1)", lambda: [l for l in client_lines(r, nick, "LO") if l.endswith(" LO 1")], STEP)
    w.wait("the client leaves the room (PART)", lambda: "\nPART %s " % nick in w.bot_log(), STEP)
    # The bot shares no channel with the client after its PART: the proxy sees the QUIT.
    def quit_after_part():
        _, part, after = w.proxy_log().rpartition("\nC> PART #")
        return bool(part) and "\nC> QUIT" in after
    w.wait("the client quits IRC (QUIT)", quit_after_part, STEP, client_may_end=True)
    w.wait("the client ends", lambda: w.client.poll() is not None, END, client_may_end=True)
    recording = sound.read_recording(w.recording)
    import json
    with open(os.path.join(HERE, "..", "demo", "pack", "manifest.json")) as f:
        music = [n[:-4] for n, _ in json.load(f)["music"]["files"]]
    after = recording[muted_at + int(MUSIC_SILENT_AFTER_MUTE * sound.RATE):]
    heard = [n for n in music if sound.find_in_order(after, [(n, r.pack_sound(n))])[0][1] is not None]
    r.check(not heard, "no music after the mute: %r" % heard)
    from urllib.parse import unquote
    ad1 = "http://127.0.0.1:%d/web/sponsors.cgi" % w.http_port
    pages = w.opened_pages()
    r.check(any("&ads=" in p and unquote(p.split("&ads=", 1)[1].split("&")[0]) == ad1 for p in pages),
            "the sponsor page opened with &ads= and Ad1's second text: %r" % pages)
    r.check(not w.box_lines(), "no box: %r" % w.box_lines())
    r.client_ended_cleanly()


OWN_MARKER = 554  # Vot.srf: the marker on the player's own caption
LAST_HIGHLIGHT = 1915  # Chance.srf: swatch 9's highlight
# A caption's text shows with this many black pixels or more; the captions show within this
# time of their list (the voting phase is 13 s).
INK_LEAST = 40
INK_LIMIT = 8


def caption_list(r, nick, vote_id):
    """[(author, line1, line2)] of the list the bot sent before SV vote_id, and whether its
    captions have two lines."""
    prefix = "> %s " % nick
    found = None
    for line in bot_lines(r):
        if not line.startswith(prefix):
            continue
        pieces = line[len(prefix):].split("\\x03\\x04")
        if pieces[0].startswith("CLB "):
            found = pieces
        elif pieces[0].split(" ")[:2] == ["SV", str(vote_id)]:
            break
    if found is None:
        return [], False
    two = found[0].split(" ")[3] not in ("0", "-1", "")
    captions = []
    for piece in found[1:]:
        if piece.startswith("CLI "):
            texts = piece.split("\\x02")
            captions.append((piece.split(" ")[2], texts[1], texts[3] if len(texts) > 3 else ""))
    return captions, two


def list_shows(r, nick, vote_id):
    """Waits until the list panel of SV vote_id's captions (by their count and lines) shows;
    returns the captions, whether they have two lines, and the panel's number."""
    captions, two = caption_list(r, nick, vote_id)
    r.check(captions, "the bot sent a list of captions before SV %d" % vote_id)
    pack = pack_module()
    panel = (pack.TWO_LINE_LISTS if two else pack.ONE_LINE_LISTS)[max(1, min(10, len(captions))) - 1]
    r.world.wait("the captions' list shows (Vot %d, %d captions)" % (panel, len(captions)),
                 lambda: r.world.shot().animation_shown("Vot.srf", panel), STEP)
    return captions, two, panel


def vote_for(r, nick, vote_id, author):
    """While SV vote_id's list shows, clicks rows (the one whose text is widest first when
    that is the author's) until the client sends V; a row of the player's own caption shows
    the own marker instead. Checks the vote names the author."""
    w = r.world
    captions, two, panel = list_shows(r, nick, vote_id)
    # The rows' order is the client's own (it shuffles the list): the row whose caption the
    # author's is taken to be is the one of the same rank by the ink of its text (on the
    # pack's plate), read once every row shows some.
    def read_inks():
        shot = w.shot()
        inks = []
        for row in range(len(captions)):
            items = (2 * row, 2 * row + 1) if two else (row,)
            rects = [screen_module().text_rect("Vot.srf", panel, k) for k in items]
            ink = sum(shot.ink(*rect) for rect in rects)
            if not INK_LEAST <= ink <= sum(rect[2] * rect[3] for rect in rects) // 3:
                return None
            inks.append(ink)
        return inks
    inks = w.wait("every row's caption shows", read_inks, INK_LIMIT)
    w.shot("vote %d: the list (Vot %d)" % (vote_id, panel))
    by_ink = sorted(range(len(captions)), key=lambda row: -inks[row])
    by_length = sorted(captions, key=lambda c: -len(c[1] + c[2]))
    guess = by_ink[[c[0] for c in by_length].index(author)]
    r.log("note vote %d: ink by row %r; %s's row taken to be %d" % (vote_id, inks, author, guess + 1))
    order = [guess] + [row for row in range(len(captions)) if row != guess]
    own_seen = False
    for row in order:
        place = screen_module().animation_block("Vot.srf", pack_module().VOTE_BUTTONS[two] + 3 * row)[:2]

        def answered():
            if client_lines(r, nick, "V"):
                return "vote"
            if not own_seen and w.shot().animation_shown("Vot.srf", OWN_MARKER):
                return "own"
            w.click(place[0] + 4, place[1] + 4)
            return None
        try:
            got = w.wait("row %d's click answers" % (row + 1), answered, 20)
        except r.world_module.StepFailed:
            continue
        w.shot("vote %d: row %d clicked (%s)" % (vote_id, row + 1, got))
        if got == "vote":
            break
        own_seen = True
        r.log("note row %d is the player's own caption" % (row + 1))
    votes = client_lines(r, nick, "V")
    r.check(votes and votes[0].split(" ")[3:5] == [str(vote_id), author],
            "the first vote is V %d %s: %r" % (vote_id, author, votes[:1]))
    r.check(reported(r, "V", vote_id, author) is not None, "the bot logs the vote for %s" % author)


def timer_shown(shot):
    return any(shot.animation_shown("Intrfce.srf", n) for n in (80, 99, 199))


def headline_reads(text):
    """A watch item's test: the round winner's one-line panel (Comp 426) shows, its headline
    reading that text."""
    def test(shot):
        screen = screen_module()
        return (shot.animation_shown("Comp.srf", 426)
                and screen.text_reads(shot, screen.text_rect("Comp.srf", 426, 1), text)[0])
    return test


def picture_shown(number):
    """Round picture pN.jpg in the picture frame: its flat block of its own colour."""
    return lambda shot: screen_module().picture_block_shown(shot, number)


def screen_module():
    import screen
    return screen


def pack_module():
    """The demo pack's generator (its tables of the pack's animations), on screen's path."""
    screen_module()
    import make_pack
    return make_pack


# The first lines of the texts a fault may end the client with.
TABLE = [t.split("\n")[0] for t in (DISPATCH, CONTENT, LOBBY_FULL, UNUSUAL, SERVER_DOWN)] + [
    "The game is unable to download content at this time.", "Game room "]


def row_soak(r):
    """One cut or stall at a seeded random moment (the seed: --seed, default the time): through
    the IRC fault proxy (a cut, or a stall of up to 90 s) or the HTTP server (a picture or an ad
    stalled or cut). Passes when the game goes on, or the client ends with a text of the table,
    in time; a step that waits past its limit (a hang) fails."""
    import random
    rng = random.Random(r.seed)
    w = r.make_world()
    picture = "pictures/round1/p%d.jpg" % rng.randint(1, 8)
    ad = "content/ads/Ad%d.srf" % rng.randint(1, 3)
    stall = rng.randint(5, 90)
    faults = [("the proxy cuts IRC", lambda: w.proxy_command("cut")),
              ("the proxy stalls IRC %d s" % stall, lambda: w.proxy_command("stall %d" % (stall * 1000))),
              ("%s stalls" % picture, lambda: w.http_fault("stall", picture)),
              ("%s is cut" % picture, lambda: w.http_fault("cut", picture)),
              ("%s stalls" % ad, lambda: w.http_fault("stall", ad)),
              ("%s is cut" % ad, lambda: w.http_fault("cut", ad))]
    what, action = rng.choice(faults)
    # How long the fault may take to tell: a stalled download only when the client's own
    # time-out runs out (a picture asked for near the game's end times out after it).
    tells = stall if "proxy" in what else PICTURE_TIMEOUT if "stalls" in what else 5
    moment = rng.uniform(0.0, 60.0)
    r.log("seed %d: %s at %.1f s" % (r.seed, what, moment))
    w.close_boxes = True
    w.after(moment, what, action)
    try:
        play_game(r)
        # The game went as far as the client plays it; the fault comes now if it has not yet,
        # and the client then either goes on or ends with a text of the table.
        w.wait("the fault has come", lambda: not w.timers, STEP)
        settle = time.monotonic() + tells + 30
        w.wait("the client goes on after the fault", lambda: time.monotonic() >= settle, tells + 60)
    except w_module().StepFailed as e:
        if w.client.poll() is None:
            raise
        r.log("the client ended: %s" % e)
    if w.client.poll() is None:
        r.check(True, "the client goes on")
        r.close_client()
        return
    boxes = w.box_lines()
    known = [b for b in boxes if any(b.split(": ", 1)[1].startswith(t) for t in TABLE)]
    r.check(boxes and known == boxes, "the client ended with a text of the table: %r" % boxes)
    r.client_ended_cleanly()


def w_module():
    import world
    return world


def row_dispatch_closed(r):
    import world
    w = r.make_world(dispatch_port=world.free_port())
    w.start_client()
    r.ends_with_box(DISPATCH, DISPATCH_TIMEOUT + START, page=False)


def row_dispatch_stalled(r):
    w = r.make_world(faults=["stall:picture/dispatch/client/dispatch.ini"])
    w.start_client()
    r.ends_with_box(DISPATCH, DISPATCH_TIMEOUT + START, page=False, at_least=DISPATCH_TIMEOUT - 5)


def row_cancel(r):
    """Cancel in the progress dialog while the content downloads: no box, the client ends."""
    w = r.make_world(fresh=True, faults=["drip:content/1.0.0.0/*"])
    w.start_client()
    r.wait_dialog("progress", START)
    w.wait("the content downloads", lambda: r.content_requests(), STEP)
    w.click(*w.shot().control_centre("progress", "cancel"))
    w.wait("the client ends", lambda: w.client.poll() is not None, END, client_may_end=True)
    r.check(not w.box_lines(), "no box: %r" % w.box_lines())
    r.client_ended_cleanly()


def row_script_404(r):
    w = r.make_world(faults=["404:content/updatescript.ini"])
    w.start_client()
    r.ends_with_box(CONTENT % "Cannot download the update script.", START)


def row_script_stalled(r):
    w = r.make_world(faults=["stall:content/updatescript.ini"])
    w.start_client()
    r.ends_with_box(CONTENT % "Timed out downloading the update script.", UPDATE_TIMEOUT + START,
                    at_least=UPDATE_TIMEOUT - 5)


def row_mandatory_500(r):
    w = r.make_world(fresh=True, faults=["500:content/1.0.0.0/Resources/Palette/Palette.srf"])
    w.start_client()
    r.ends_with_box(CONTENT % "Cannot download a mandatory file.", START)


def row_lobby_full(r):
    w = r.make_world(bot_args=["--lobby-full"])
    w.start_client()
    r.log_on()
    r.ends_with_box(LOBBY_FULL, STEP)


def row_cut_irc(r):
    """The proxy cuts the lobby's IRC connection while its logon is under way."""
    w = r.make_world()
    w.proxy_command("drop LN ")
    w.start_client()
    r.log_on()
    w.wait("the lobby's logon challenge is held back", lambda: "X> " in w.proxy_log(), STEP)
    w.proxy_command("cut")
    r.ends_with_box(SERVER_DOWN, STEP)


def row_cut_lobby(r):
    """The proxy cuts the lobby's connection once the room chooser shows."""
    w = r.make_world()
    w.start_client()
    r.log_on()
    r.lobby_reached()
    w.proxy_command("cut")
    r.ends_with_box(SERVER_DOWN, STEP)


def row_cut_room(r):
    """The proxy cuts the connection in a game room once the opening has played."""
    w = r.make_world()
    nick, _ = into_room(r)
    w.wait("round 1's composition starts (SC)", lambda: segment_sent(r, nick, "SC", 1), STEP)
    w.proxy_command("cut")
    r.ends_with_box(SERVER_DOWN, STEP)


def into_room(r):
    """The client started and logged on, in an open room whose opening has played (the client
    is ready there): its nick and the room's channel."""
    w = r.world
    w.start_client()
    r.log_on()
    r.lobby_reached()
    nick, room = enter_room(r)
    opening(r, nick)
    return nick, room


def picture_fails(r, limit, since, at_least=0.0):
    """The picture's box within the limit (not before at_least seconds after since), closed by
    the driver; then the box of the unusual internal error, closed too, and the client's end."""
    w = r.world
    w.wait("the box \"%s\"" % PICTURE_TITLE, lambda: w.boxes_written(), limit, client_may_end=True)
    took = time.monotonic() - since
    r.check(r.world_module.screen.box_shown(w.client_errors(), PICTURE_TITLE, PICTURE_FAILED),
            "the box \"%s\" reads %r (standard error: %r)" % (PICTURE_TITLE, PICTURE_FAILED, w.box_lines()))
    if at_least:
        r.check(took >= at_least, "the box came %.1f s after the picture was asked for (not before %.0f s)"
                % (took, at_least))
    w.close_box(PICTURE_TITLE, STEP)
    w.wait("the box \"%s\"" % UNUSUAL.split("\n")[0], lambda: len(w.boxes_written()) >= 2, STEP,
           client_may_end=True)
    r.check(r.world_module.screen.box_shown(w.client_errors(), TITLE, UNUSUAL),
            "then the box reads %r (standard error: %r)" % (UNUSUAL, w.box_lines()))
    w.close_box(TITLE, STEP)
    w.wait("the client ends", lambda: w.client.poll() is not None, END, client_may_end=True)
    r.check(len(w.box_lines()) == 2, "two boxes only: %r" % w.box_lines())
    r.client_ended_cleanly()


def asked_for(r, path):
    """The client has asked the HTTP server for that path."""
    return path in [p for _, p, _ in r.world.request_paths()]


def row_picture_stalled(r):
    """Round 2's picture stalls half way: the client's own time-out, then the picture's box."""
    picture = "pictures/round1/p2.jpg"  # the bot's round 2 shows p2.jpg
    w = r.make_world(faults=["stall:" + picture])
    nick, _ = into_room(r)
    w.wait("round 2's picture is asked for", lambda: asked_for(r, picture), GAME)
    asked = time.monotonic()
    r.check(segment_sent(r, nick, "SC", 2), "with round 2's composition (SC 2)")
    picture_fails(r, PICTURE_TIMEOUT + STEP, asked, at_least=PICTURE_TIMEOUT - 5)


def row_picture_big(r):
    """Round 1's picture is larger than the client's picture buffer."""
    picture = "pictures/round1/big.jpg"
    w = r.make_world(bot_args=["--picture", "1=big.jpg"])
    size = os.path.getsize(os.path.join(w.server_tree, picture))
    r.check(size > PICTURE_BUFFER, "%s has %d bytes, more than the buffer's %d" % (picture, size, PICTURE_BUFFER))
    into_room(r)
    w.wait("round 1's picture is asked for", lambda: asked_for(r, picture), GAME)
    picture_fails(r, STEP, time.monotonic())


def row_sponsor_missing(r):
    """The room's sponsor ad is not in the ad folder and its download crawls on (never done, never
    timed out): the opening's stand-by gives up after its time and the game goes on; no box."""
    ad = "content/ads/Sponsor1.srf"  # the bot's sponsor ad (SPA "Sponsor1.srf")
    w = r.make_world(faults=["crawl:" + ad])
    os.remove(os.path.join(w.program, "Ads", "Sponsor1.srf"))
    w.start_client()
    r.log_on()
    r.lobby_reached()
    nick, _ = enter_room(r)
    w.wait("the sponsor ad is asked for", lambda: asked_for(r, ad), STEP)
    w.wait("the stand-by shows (StandBy 1)", lambda: w.shot().animation_shown("StandBy.srf", 1), STEP)
    shown = time.monotonic()
    w.shot("the stand-by: StandBy 1")
    w.wait("the stand-by ends", lambda: not w.shot().animation_shown("StandBy.srf", 1), STAND_BY + STEP)
    took = time.monotonic() - shown
    w.shot("the stand-by has ended")
    r.check(STAND_BY - 5 <= took <= 2 * STAND_BY, "the stand-by showed %.1f s (its time: %d s)" % (took, STAND_BY))
    w.wait("the client is ready in the room (RR)", lambda: r.client_line("RR", nick), STEP)
    w.wait("round 1's composition starts (SC)", lambda: segment_sent(r, nick, "SC", 1), STEP)
    w.wait("round 1's composition shows (Comp 1)", lambda: w.shot().animation_shown("Comp.srf", 1), STEP)
    w.shot("round 1: composition")
    r.check(not os.path.exists(os.path.join(w.program, "Ads", "Sponsor1.srf")) or
            os.path.getsize(os.path.join(w.program, "Ads", "Sponsor1.srf")) <
            os.path.getsize(os.path.join(w.server_tree, ad)), "the sponsor ad is still on its way")
    r.check(not w.box_lines(), "no box: %r" % w.box_lines())
    r.close_client()
    r.check(not w.box_lines(), "no box: %r" % w.box_lines())


def row_bot_parts(r):
    """The room's bot parts its channel in round 1's voting: the room's box; closed, the room
    chooser shows, and Enter joins a room again, where a new game begins."""
    w = r.make_world(bot_args=["--part-at", "SV"])
    nick, room = into_room(r)
    w.wait("the room goes down in round 1's voting", lambda: "\nPARTED #" in w.bot_log(), GAME)
    r.check(segment_sent(r, nick, "SV", 101), "it went down after round 1's voting started (SV 101)")
    text = ROOM_DOWN % ROOM_NAMES[room]
    w.wait("the box \"%s\"" % text.split("\n")[0], lambda: w.boxes_written(), STEP)
    r.check(r.world_module.screen.box_shown(w.client_errors(), TITLE, text),
            "the box reads %r (standard error: %r)" % (text, w.box_lines()))
    parted = len(w.bot_log())
    w.close_box(TITLE, STEP)
    w.wait("the room chooser shows again (Options 1)", lambda: w.shot().animation_shown("Options.srf", 1), STEP)
    w.shot("the room chooser again: Options 1")
    w.wait("the lobby's room list again", lambda: " RE" in w.bot_log()[parted:], STEP)
    w.key("Return")

    def joined():
        for line in w.bot_log()[parted:].split("\n")[:-1]:
            words = line.split()
            if len(words) == 3 and words[0] == "JOIN" and words[2].startswith("#Room"):
                return words[1], words[2][1:]
        return None
    again, room = w.wait("the client joins a game room again", joined, STEP)
    r.check(room in ROOM_NAMES, "the room joined is an open one: %s" % room)

    def new_game():
        prefix = "> %s " % again
        return any(piece.startswith("SC ") for line in w.bot_log()[parted:].split("\n")[:-1]
                   if line.startswith(prefix) for piece in line[len(prefix):].split("\\x03\\x04"))
    w.wait("a new game's first segment arrives (SC)", new_game, GAME)
    w.wait("its composition shows (Comp 1)", lambda: w.shot().animation_shown("Comp.srf", 1), STEP)
    w.shot("the new game: composition")
    r.check(len(w.box_lines()) == 1, "one box only: %r" % w.box_lines())
    r.close_client()


ROWS = {
    "fresh": (row_fresh, 1200),
    "game": (row_game, 1500),
    "game-full": (row_game_full, 1500),
    "soak": (row_soak, 1200),
    "dispatch-closed": (row_dispatch_closed, 900),
    "dispatch-stalled": (row_dispatch_stalled, 900),
    "cancel": (row_cancel, 900),
    "script-404": (row_script_404, 900),
    "script-stalled": (row_script_stalled, 900),
    "mandatory-500": (row_mandatory_500, 900),
    "lobby-full": (row_lobby_full, 900),
    "cut-irc": (row_cut_irc, 900),
    "cut-lobby": (row_cut_lobby, 900),
    "cut-room": (row_cut_room, 1200),
    "picture-stalled": (row_picture_stalled, 1500),
    "picture-big": (row_picture_big, 1200),
    "sponsor-missing": (row_sponsor_missing, 1200),
    "bot-parts": (row_bot_parts, 1500),
}


# Rows for a person, not for CI.
NOT_IN_CI = {"soak"}


def record(w, out):
    """Keeps the logs, the recording as game.wav and a contact sheet in out."""
    os.makedirs(out, exist_ok=True)
    for name in sorted(os.listdir(w.work)):
        path = os.path.join(w.work, name)
        if os.path.isfile(path) and not name.endswith(".raw"):
            shutil.copy2(path, out)
    shutil.copytree(os.path.join(w.work, "shots"), os.path.join(out, "shots"), dirs_exist_ok=True)
    for raw in sorted(f for f in os.listdir(w.work) if f.endswith(".raw")):
        subprocess.run(["ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-f", "s16le", "-ar", "22050", "-ac", "1",
                        "-i", os.path.join(w.work, raw), os.path.join(out, raw[:-4] + ".wav")], check=False)
    if w.shots:
        args = ["montage"]
        for label, path in w.shots:
            args += ["-label", label, path]
        args += ["-tile", "4x", "-geometry", "320x240+4+4", "-pointsize", "12"]
        font = "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf"  # fonts-liberation
        if os.path.exists(font):
            args += ["-font", font]
        args.append(os.path.join(out, "contact.png"))
        subprocess.run(args, check=False)


def main(argv):
    if "--list" in argv:
        print("\n".join("%s %d" % (name, limit) for name, (_, limit) in ROWS.items() if name not in NOT_IN_CI))
        return 0
    if len(argv) < 2 or argv[1] not in ROWS:
        print(__doc__.strip().split("\n\n")[1], file=sys.stderr)
        return 2
    build, name = os.path.abspath(argv[0]), argv[1]
    work = os.path.join(build, "e2e", name)
    out = None
    if "--work" in argv:
        work = os.path.abspath(argv[argv.index("--work") + 1])
    if "--record" in argv:
        out = os.path.abspath(argv[argv.index("--record") + 1])
    seed = int(argv[argv.index("--seed") + 1]) if "--seed" in argv else int(time.time())
    missing = [t for t in TOOLS if not shutil.which(t)]
    try:
        import numpy  # noqa: F401
    except ImportError:
        missing.append("python3-numpy")
    if missing:
        print("missing: %s (bash tools/deps.sh installs them)" % " ".join(missing))
        return 77
    import world
    row = Row(world, build, work, lambda text: print(text, flush=True))
    row.seed = seed
    function, _ = ROWS[name]
    try:
        function(row)
    except world.StepFailed as e:
        row.check(False, str(e))
        if row.world is not None and row.world.client is not None and row.world.client.poll() is None:
            try:
                print("the client still runs; its stacks:\n" + row.world.client_stacks()[:6000])
            except (OSError, subprocess.SubprocessError) as problem:
                print("no stacks: %s" % problem)
    finally:
        if row.world is not None:
            if row.world.client is not None and row.world.client.poll() is None:
                try:
                    row.world.shot("the end")
                except world.StepFailed:
                    pass
            row.world.stop()
            if row.failures:
                tail = row.world.client_errors()[-3000:] if row.world.client is not None else ""
                print("the client's standard error ends:\n" + tail)
                print("logs: " + row.world.work)
            if out:
                record(row.world, out)
    print("PASSED" if not row.failures else "FAILED: " + "; ".join(row.failures))
    return 0 if not row.failures else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
