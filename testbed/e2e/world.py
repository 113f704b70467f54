"""One end-to-end world: a virtual display, ngircd, the IRC fault proxy, the HTTP server with
the demo server tree, the world bot, and the client in a program folder of its own, all on
free loopback ports and in one work folder. Every wait has a limit and polls its condition;
nothing waits a fixed time.

The work folder keeps every log: ngircd.log, proxy.log, http.log (the server's output,
"REQ path" per request), http-requests/ (each request's bytes), bot.log, client.out,
client.err (each message box's title and text among them), xdg-open.log, game.raw (the
recording: SDL's disk audio, signed 16-bit mono at 22050 Hz) and shots/ (screenshots).
"""
import glob
import os
import shutil
import signal
import socket
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.abspath(os.path.join(HERE, "..", ".."))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(ROOT, "testbed"))
import screen  # noqa: E402
import xvfb_display  # noqa: E402

CLIENT = "RovodevIdozEzozuz"
WINDOW_SIZE = (640, 480)
ERROR_TITLE = "Vizuzor - Error"
# The titles of the boxes the client shows.
BOX_TITLES = (ERROR_TITLE, "Error downloading picture", "Registration", "System Error Message")
# How often a condition is polled; the limits, not this, say how long a step may take.
POLL = 0.1


class StepFailed(Exception):
    pass


def die_with_parent():
    """In a child before its exec: the kernel ends it (SIGKILL) when the driver ends, however
    the driver ends (a ctest time-out among others), so that nothing is left behind."""
    import ctypes
    ctypes.CDLL(None, use_errno=True).prctl(1, signal.SIGKILL, 0, 0, 0)  # PR_SET_PDEATHSIG


def free_port():
    s = socket.socket()
    s.bind(("127.0.0.1", 0))
    port = s.getsockname()[1]
    s.close()
    return port


def read_text(path):
    try:
        with open(path, "rb") as f:
            return f.read().decode("latin-1")
    except OSError:
        return ""


class World:
    def __init__(self, build, work, fresh=False, full=False, faults=(), bot_args=(), http_port=None,
                 dispatch_port=None, log=print):
        self.build = os.path.abspath(build)
        self.work = os.path.abspath(work)
        self.fresh = fresh
        self.full = full
        self.faults = list(faults)
        self.bot_args = list(bot_args)
        self.dispatch_port = dispatch_port
        self.log = log
        self.procs = []  # (name, Popen), ended in reverse order
        self.client = None
        self.client_runs = 0
        self.display = None
        self.window = None
        self.shots = []  # (label, path)
        self.timers = []  # [when (monotonic), what, action]: run by the waits once due
        self.close_boxes = False  # the waits close each box as it shows, as a player would
        self.boxes_closed = 0
        self.in_timers = False
        self.started = time.monotonic()
        if os.path.isdir(self.work):
            shutil.rmtree(self.work)
        os.makedirs(os.path.join(self.work, "shots"))
        self.program = os.path.join(self.work, "program")
        self.pack = os.path.join(self.build, "demo", "pack")
        self.server_tree = os.path.join(self.build, "demo", "server")

    # ---- logging and waiting ----
    def say(self, text):
        self.log("[%6.1f] %s" % (time.monotonic() - self.started, text))

    def wait(self, what, condition, limit, client_may_end=False):
        """Polls condition until it gives something true (returned) or the limit passes. The
        client's end fails the wait at once unless client_may_end."""
        deadline = time.monotonic() + limit
        while True:
            self.run_timers()
            ended = self.client is not None and self.client.poll() is not None
            got = condition()
            if got:
                return got
            if ended and not client_may_end:
                raise StepFailed("%s: the client ended first (status %s)" % (what, self.client.returncode))
            if time.monotonic() >= deadline:
                raise StepFailed("%s: not within %d s" % (what, limit))
            time.sleep(POLL)

    def after(self, seconds, what, action):
        """Runs action once seconds have passed, inside whichever wait is under way then."""
        self.timers.append([time.monotonic() + seconds, what, action])

    def run_timers(self):
        if self.in_timers:
            return
        self.in_timers = True
        try:
            for timer in [t for t in self.timers if t[0] <= time.monotonic()]:
                self.timers.remove(timer)
                self.say("now: " + timer[1])
                timer[2]()
            if self.close_boxes and self.client is not None and len(self.box_lines()) > self.boxes_closed:
                title = self.box_lines()[self.boxes_closed].split(": ", 1)[0]
                self.boxes_closed += 1
                if self.client.poll() is None:
                    self.close_box(title)
        finally:
            self.in_timers = False

    # ---- the processes ----
    def spawn(self, name, args, **kw):
        proc = subprocess.Popen(args, preexec_fn=die_with_parent, **kw)
        self.procs.append((name, proc))
        return proc

    def first_line(self, path, what, limit=120):
        def line():
            text = read_text(path)
            return text.split("\n", 1)[0] if "\n" in text else None
        return self.wait(what, line, limit)

    def start_display(self):
        """Xvfb on a display nobody holds (testbed/xvfb_display.py)."""
        xvfb, display = xvfb_display.start("1024x768x24", preexec_fn=die_with_parent)
        if xvfb is None:
            raise StepFailed("no virtual display answered")
        self.procs.append(("Xvfb", xvfb))
        self.display = display

    def start(self):
        self.start_display()
        w = self.work
        irc_port = free_port()
        with open(os.path.join(w, "ngircd.conf"), "w") as f:
            f.write("[Global]\nName = irc.e2e\nInfo = Vizuzor e2e world\nListen = 127.0.0.1\nPorts = %d\n"
                    "MotdPhrase = \"e2e\"\n[Limits]\nMaxNickLength = 16\nMaxPenaltyTime = 0\n"
                    "MaxConnectionsIP = 0\nPingTimeout = 600\nPongTimeout = 600\n"
                    "[Options]\nPAM = no\nIdent = no\nDNS = no\n" % irc_port)
        self.spawn("ngircd", ["/usr/sbin/ngircd", "-n", "-f", os.path.join(w, "ngircd.conf")],
                   stdout=open(os.path.join(w, "ngircd.log"), "wb"), stderr=subprocess.STDOUT)
        self.wait("ngircd listens", lambda: self.listening(irc_port), 120)

        self.proxy = self.spawn("proxy", [sys.executable, os.path.join(ROOT, "testbed", "irc", "ircfault.py"),
                                          "--target", "127.0.0.1:%d" % irc_port],
                                stdin=subprocess.PIPE, stdout=open(os.path.join(w, "proxy.log"), "wb"),
                                stderr=subprocess.STDOUT)
        self.proxy_port = int(self.first_line(os.path.join(w, "proxy.log"), "the proxy's port").split()[1])

        os.makedirs(os.path.join(w, "http-requests"))
        args = [sys.executable, os.path.join(ROOT, "testbed", "http", "http_server.py"), "--exit-with-parent",
                "--log", os.path.join(w, "http-requests"), "--tree", self.server_tree,
                "--set", "IRC_PORT=%d" % self.proxy_port]
        for fault in self.faults:
            args += ["--fault", fault]
        self.spawn("http", args, stdout=open(os.path.join(w, "http.log"), "wb"), stderr=subprocess.STDOUT)
        self.http_port = int(self.first_line(os.path.join(w, "http.log"), "the HTTP server's port"))

        bot = [sys.executable, os.path.join(ROOT, "testbed", "world", "worldbot.py"), "--port", str(irc_port),
               "--room-port", str(self.proxy_port), "--http-port", str(self.http_port), "--phases", "e2e"]
        if self.full:
            bot.append("--full")
        self.spawn("bot", bot + self.bot_args, stdout=open(os.path.join(w, "bot.log"), "wb"),
                   stderr=subprocess.STDOUT)
        self.wait("the bot is ready", lambda: "READY" in self.bot_log(), 120)
        self.lay_program()
        self.say("world: display %s, IRC %d (proxy %d), HTTP %d" % (self.display, irc_port, self.proxy_port,
                                                                     self.http_port))

    @staticmethod
    def listening(port):
        try:
            socket.create_connection(("127.0.0.1", port), timeout=1).close()
            return True
        except OSError:
            return False

    def lay_program(self):
        p = self.program
        os.makedirs(os.path.join(p, ".config"))
        os.makedirs(os.path.join(p, "Resources"))
        shutil.copy2(os.path.join(self.build, "app", CLIENT), p)
        shutil.copy2(os.path.join(self.build, "app", "Resources", "EXEUpdater.exe"), os.path.join(p, "Resources"))
        if not self.fresh:
            for folder in ("Resources", "Ads"):
                shutil.copytree(os.path.join(self.pack, folder), os.path.join(p, folder), dirs_exist_ok=True)
        port = self.dispatch_port if self.dispatch_port is not None else self.http_port
        with open(os.path.join(p, "Vizuzor.ini"), "wb") as f:
            f.write(b"[Debug]\r\nDispatchServerName=127.0.0.1\r\nDispatchServerPort=%d\r\nFullScreen=0\r\n" % port)
        stub = os.path.join(self.work, "bin")
        os.makedirs(stub)
        with open(os.path.join(stub, "xdg-open"), "w") as f:
            f.write("#!/bin/sh\necho \"$*\" >> \"%s\"\n" % os.path.join(self.work, "xdg-open.log"))
        os.chmod(os.path.join(stub, "xdg-open"), 0o755)

    def start_client(self, args=()):
        """Starts the client (again); its output goes to client.out and client.err (a later
        run's to client-2.out and so on)."""
        self.client_runs += 1
        suffix = "" if self.client_runs == 1 else "-%d" % self.client_runs
        self.client_err = os.path.join(self.work, "client%s.err" % suffix)
        self.recording = os.path.join(self.work, "game%s.raw" % suffix)
        env = dict(os.environ, DISPLAY=self.display, SDL_AUDIODRIVER="disk", SDL_DISKAUDIOFILE=self.recording,
                   PATH=os.path.join(self.work, "bin") + os.pathsep + os.environ.get("PATH", ""),
                   XDG_CONFIG_HOME=os.path.join(self.program, ".config"))
        env.pop("SDL_VIDEODRIVER", None)
        env.pop("SDL_DISKAUDIODELAY", None)  # real pace: the disk driver's own delay per buffer
        # No session bus: D-Bus, which SDL starts, fails at once instead of launching one through
        # the display (which may hang when many clients start together).
        env["DBUS_SESSION_BUS_ADDRESS"] = "unix:path=" + os.path.join(self.work, "no-session-bus")
        # The system libraries' own leaks under a real display are not the client's.
        suppressions = "suppressions=" + os.path.join(HERE, "lsan.supp")
        env["LSAN_OPTIONS"] = ":".join(o for o in (os.environ.get("LSAN_OPTIONS", ""), suppressions) if o)
        self.client = subprocess.Popen([os.path.join(self.program, CLIENT)] + list(args), cwd=self.program,
                                       env=env, preexec_fn=die_with_parent,
                                       stdout=open(os.path.join(self.work, "client%s.out" % suffix), "wb"),
                                       stderr=open(self.client_err, "wb"))
        self.client_started = time.monotonic()
        self.window = None
        self.say("client started (run %d)" % self.client_runs)

    def client_stacks(self):
        """The running client's threads' stacks (with gdb, when there is one), for a hang."""
        if self.client is None or self.client.poll() is not None or not shutil.which("gdb"):
            return ""
        done = subprocess.run(["gdb", "-p", str(self.client.pid), "-batch", "-ex", "thread apply all bt 25"],
                              capture_output=True, text=True, timeout=120)
        path = os.path.join(self.work, "client-stacks.txt")
        with open(path, "w") as f:
            f.write(done.stdout)
            f.write("\n---- process states ----\n" + self.client_states())
        return "\n".join(line for line in done.stdout.split("\n") if line.startswith(("#", "Thread")))

    def client_states(self):
        """The life-cycle states of the hanging client's application, proxies, view, screens and the
        sequencers they wait on (client_states.py under gdb): which one never got where it was going."""
        try:
            done = subprocess.run(["gdb", "-p", str(self.client.pid), "-batch", "-x",
                                   os.path.join(HERE, "client_states.py")], capture_output=True, text=True, timeout=60)
        except subprocess.TimeoutExpired:
            return "(gdb took too long)\n"
        return "\n".join(line for line in done.stdout.split("\n")
                         if not line.startswith(("[New LWP", "[Thread", "Using host"))) + "\n"

    def stop(self):
        if self.client is not None and self.client.poll() is None:
            self.client.send_signal(signal.SIGTERM)
            try:
                self.client.wait(30)
            except subprocess.TimeoutExpired:
                self.client.kill()
                self.client.wait()
        for name, proc in reversed(self.procs):
            if proc.poll() is None:
                proc.terminate()
        for name, proc in reversed(self.procs):
            try:
                proc.wait(10)
            except subprocess.TimeoutExpired:
                proc.kill()
                proc.wait()

    # ---- what the world logged ----
    def bot_log(self):
        return read_text(os.path.join(self.work, "bot.log"))

    def proxy_log(self):
        return read_text(os.path.join(self.work, "proxy.log"))

    def client_errors(self):
        return read_text(self.client_err) if self.client is not None else ""

    def opened_pages(self):
        return [line for line in read_text(os.path.join(self.work, "xdg-open.log")).split("\n") if line]

    def requests(self):
        """[(number, raw bytes)] of every HTTP request so far, in order."""
        out = []
        for path in sorted(glob.glob(os.path.join(self.work, "http-requests", "*.req"))):
            with open(path, "rb") as f:
                out.append((os.path.basename(path), f.read()))
        return out

    def request_paths(self):
        out = []
        for _, raw in self.requests():
            line = raw.split(b"\r\n", 1)[0].split(b" ")
            target = line[1].decode("latin-1") if len(line) > 1 else ""
            if target.startswith("http://"):
                target = "/" + target.split("/", 3)[3] if target.count("/") >= 3 else "/"
            out.append((line[0].decode("latin-1"), target.split("?", 1)[0].lstrip("/"), raw))
        return out

    # ---- faults at run time ----
    def http_fault(self, mode, path):
        with socket.create_connection(("127.0.0.1", self.http_port), timeout=10) as s:
            s.sendall(b"GET /_fault/%s/%s HTTP/1.0\r\n\r\n" % (mode.encode(), path.encode()))
            s.recv(100)

    def http_release(self, path):
        """Ends a fault of the HTTP server's on that path: a held answer goes out now."""
        with socket.create_connection(("127.0.0.1", self.http_port), timeout=10) as s:
            s.sendall(b"GET /_release/%s HTTP/1.0\r\n\r\n" % path.encode())
            s.recv(100)

    def proxy_command(self, command):
        self.proxy.stdin.write((command + "\n").encode())
        self.proxy.stdin.flush()
        self.wait("the proxy takes " + command, lambda: ("OK " + command.split()[0]) in self.proxy_log(), 60)

    # ---- the display ----
    def x(self, *args):
        return subprocess.run(list(args), capture_output=True, text=True,
                              env=dict(os.environ, DISPLAY=self.display)).stdout

    def find_window(self, limit=300):
        """The client's window: its id and position on the display."""
        def found():
            for line in self.x("xwininfo", "-root", "-tree").split("\n"):
                words = line.split()
                if len(words) >= 2 and words[0].startswith("0x") and "%dx%d+" % WINDOW_SIZE in line \
                        and ERROR_TITLE not in line:
                    geometry = [w for w in words if w.startswith("%dx%d+" % WINDOW_SIZE)][0]
                    info = self.x("xwininfo", "-id", words[0])
                    if "IsViewable" not in info:
                        continue
                    left = int(info.split("Absolute upper-left X:")[1].split()[0])
                    top = int(info.split("Absolute upper-left Y:")[1].split()[0])
                    return (words[0], left, top, geometry)
            return None
        self.window = self.wait("the client's window shows", found, limit)
        return self.window

    def shot(self, label=None):
        """A screenshot of the client's window as a screen.Shot; with a label it is kept for the
        contact sheet."""
        if self.window is None:
            self.find_window()
        _, left, top, _ = self.window
        raw = subprocess.run(["import", "-window", "root", "-crop", "%dx%d+%d+%d" % (WINDOW_SIZE + (left, top)),
                              "-depth", "8", "rgb:-"], capture_output=True,
                             env=dict(os.environ, DISPLAY=self.display)).stdout
        shot = screen.Shot(raw, *WINDOW_SIZE)
        if label:
            path = os.path.join(self.work, "shots", "%02d.png" % (len(self.shots) + 1))
            shot.save(path)
            self.shots.append((label, path))
        return shot

    def root_shot(self, label):
        path = os.path.join(self.work, "shots", "%02d.png" % (len(self.shots) + 1))
        subprocess.run(["import", "-window", "root", path], capture_output=True,
                       env=dict(os.environ, DISPLAY=self.display))
        self.shots.append((label, path))

    def click(self, x, y):
        """A left click at window coordinates."""
        wid, left, top, _ = self.window or self.find_window()
        self.x("xdotool", "mousemove", "--sync", str(left + x), str(top + y), "click", "1")

    def point(self, x, y):
        wid, left, top, _ = self.window or self.find_window()
        self.x("xdotool", "mousemove", "--sync", str(left + x), str(top + y))

    def type(self, text):
        self.x("xdotool", "type", "--delay", "40", text)

    def key(self, *keys):
        self.x("xdotool", "key", "--delay", "40", *keys)

    # ---- message boxes ----
    def box_lines(self):
        """The first line of each box the client wrote on standard error ("title: text")."""
        return [line for line in self.client_errors().split("\n")
                if any(line.startswith(t + ": ") for t in BOX_TITLES)]

    def boxes_written(self):
        return self.box_lines()

    def top_windows(self):
        """[(id, name, width, height, left, top)] of the display's top-level windows."""
        out = []
        for line in self.x("xwininfo", "-root", "-tree").split("\n"):
            words = line.split()
            if len(words) < 3 or not words[0].startswith("0x") or '"' not in line:
                continue
            name = line.split('"')[1]
            geometry = [w for w in words if "x" in w and "+" in w and w[0].isdigit()]
            if not geometry:
                continue
            size, left, top = geometry[0].split("+")[:3]
            width, height = size.split("x")
            out.append((words[0], name, int(width), int(height), int(left), int(top)))
        return out

    def close_box(self, title, limit=120):
        """Finds the box's window (by its title), then presses Return over it: the box's
        default button."""
        def found():
            boxes = [w for w in self.top_windows() if w[1] == title]
            return boxes[-1] if boxes else None
        wid, _, width, height, left, top = self.wait("the box \"%s\" shows" % title, found, limit)
        self.root_shot("box: " + title)
        self.x("xdotool", "mousemove", "--sync", str(left + width // 2), str(top + height // 2))
        self.x("xdotool", "windowfocus", "--sync", str(int(wid, 16)))
        self.x("xdotool", "key", "Return")
        self.wait("the box \"%s\" closes" % title, lambda: not any(w[0] == wid for w in self.top_windows()), limit,
                  client_may_end=True)
        self.say("closed the box \"%s\"" % title)

    def sanitizer_reports(self):
        """The sanitizers' reports on the client's standard error, but for a leak report of the
        system's libraries alone (below)."""
        text = self.client_errors()
        found = [m for m in ("ERROR: AddressSanitizer", "runtime error:") if m in text]
        if "ERROR: LeakSanitizer" in text and not self.system_leaks_only(text):
            found.append("ERROR: LeakSanitizer")
        return found

    def system_leaks_only(self, text=None):
        """A leak report whose every leak lies in the system's libraries: SDL starts D-Bus as it
        starts, and its mutexes are never freed; lsan.supp names the library, and the leaks
        they hold show with no frame beyond the sanitizer's allocator (the stack runs into a
        library without frame pointers). A leak with any frame of the client's own code is the
        client's."""
        text = self.client_errors() if text is None else text
        if "ERROR: LeakSanitizer" not in text:
            return False
        report = text[text.index("ERROR: LeakSanitizer"):]
        for block in report.split("\n\n"):
            if not block.lstrip().startswith(("Direct leak", "Indirect leak")):
                continue
            frames = [line for line in block.split("\n")[1:] if line.strip().startswith("#")]
            for frame in frames[1:]:  # the first is the allocator
                if CLIENT in frame or ("../../" in frame and "libsanitizer" not in frame):
                    return False  # a frame of the client's own code
        return True
