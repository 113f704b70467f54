#!/usr/bin/env python3
"""A scripted HTTP/1.0 server for the network tests, on 127.0.0.1 only.

    http_server.py --log DIR [--files DIR]
        Serves on a free loopback port and prints that port on the first line
        of its output. Each request's exact bytes are written to DIR as
        NNNN-CCCC.req (NNNN the request's number, CCCC its connection's).
    http_server.py --write-stream KIND OUT
        Writes one compressed ("ZIP ") stream of that kind to OUT and exits.

Paths (each answered as the script below says; N is a byte count):
    /plain/N        200 with Content-Length, N pattern bytes, then close
    /nolength/N     200 without Content-Length, N pattern bytes, then close
    /keepalive/N    200 with Content-Length, connection kept open
    /pieces/N       the head in small pieces, the body glued to the last one
    /bighead/N      a head of over 511 bytes, then N pattern bytes
    /status/CODE    that status with a short body, then close
    /closefirst     close before any byte
    /closemid/N     announce N, send half, close
    /stall/N        announce N, send half, then nothing until the client goes
    /overlong/N     announce N, send N + 100 bytes, keep the connection open
    /zip/KIND       a compressed stream of that kind (see STREAMS)
    /zipsplit/K/KIND  the same with a first body piece of K bytes
    /file/NAME      the file NAME from the --files folder
    /gated/NAME     the same, once the file NAME.open exists in that folder (the test
                    opens the gate when it has seen what the client shows meanwhile)
    /echo           200 with the request's body as the body, then close
    /nohead         "HTTP/1.0 200 OK" and 17000 bytes of header lines, no blank line
    /flaky/N        the first request for it closes mid-body, later ones get N bytes
    /resetfirst/N   the first request for it is answered by a reset, later ones get N bytes
Anything else is a 404.

    http_server.py --log DIR --tree TREE [--set NAME=VALUE ...] [--fault MODE:PATH ...]
        Serves the files of TREE instead (the demo world's server tree): "@HTTP_PORT@"
        and "@NAME@" of each --set are filled in inside .ini files; POSTs to
        cgi/validate.cgi, cgi/register.cgi and cgi/change.cgi get the logon answers
        (any player with a password is taken, but the password "wrong"). Faults, per path, set at start or at run
        time through GET /_fault/MODE/PATH (and /_release/PATH): MODE is stall (half the
        body, then nothing), hold (nothing until released), 404, 500, cut (half the body,
        then close), trickle (the body in small slow pieces), drip (the body in 4 KB
        pieces 10 ms apart), crawl (the body a byte every 5 s: under way, never stalled long
        enough for a client's time-out, and done only after minutes) or none. A PATH ending in "/*" faults every path under it (the
        longest such PATH holds; an exact PATH before any); paths match in any letter case, as
        the tree's files do. A stalled answer waits up to 600 s for the client to go, longer
        than any time-out of the client. Every request is also printed on standard output as
        "REQ path" (while anyone reads it).

The pattern byte at offset i is (i * 7 + 3) mod 251. The server never links or
imports the client's code: it is written from the protocol alone.
"""

import argparse
import os
import socket
import socketserver
import struct
import sys
import threading
import time
import zlib

PATTERN_BLOCK = bytes((i * 7 + 3) % 251 for i in range(251))
# The crawl fault's pause between two bytes (seconds).
CRAWL_GAP = 5.0


def pattern(n):
    reps = n // len(PATTERN_BLOCK) + 1
    return (PATTERN_BLOCK * reps)[:n]


def text_content():
    line = b"The quick brown fox jumps over the lazy dog. 0123456789\n"
    return line * 4000


def zip_stream(data, flip_data=False, flip_sum=False, truncate=False):
    comp = zlib.compressobj(9, zlib.DEFLATED, -15)
    deflated = comp.compress(data) + comp.flush()
    checksum = zlib.adler32(data) & 0xFFFFFFFF
    if flip_sum:
        checksum ^= 0x00010000
    header = b"ZIP " + struct.pack(">III", len(data), len(deflated), checksum)
    if flip_data:
        deflated = bytearray(deflated)
        deflated[len(deflated) // 2] ^= 0x55
        deflated = bytes(deflated)
    if truncate:
        deflated = deflated[: len(deflated) // 2]
    return header + deflated


def stream_content(kind):
    """The uncompressed content of a stream kind."""
    if kind == "empty":
        return b""
    if kind == "zeros1m":
        return bytes(1 << 20)
    if kind == "big16m":
        return pattern(16 << 20)
    return text_content()


def make_stream(kind):
    data = stream_content(kind)
    return zip_stream(
        data,
        flip_data=kind == "flipdata",
        flip_sum=kind == "flipsum",
        truncate=kind == "truncated",
    )


class Server(socketserver.ThreadingMixIn, socketserver.TCPServer):
    daemon_threads = True
    allow_reuse_address = True

    def __init__(self, address, log_dir, files_dir, tree=None, values=None):
        super().__init__(address, Handler)
        self.log_dir = log_dir
        self.files_dir = files_dir
        self.tree = tree
        self.values = dict(values or {})
        self.values["HTTP_PORT"] = str(self.server_address[1])
        self.faults = {}
        self.holds = {}
        self.players = 0
        self.lock = threading.Lock()
        self.requests = 0
        self.connections = 0
        self.streams = {}
        self.seen = set()

    def next_connection(self):
        with self.lock:
            self.connections += 1
            return self.connections

    def record(self, connection, raw):
        with self.lock:
            self.requests += 1
            number = self.requests
        name = os.path.join(self.log_dir, "%04d-%04d.req" % (number, connection))
        with open(name + ".tmp", "wb") as f:
            f.write(raw)
        os.replace(name + ".tmp", name)

    def first_time(self, target):
        with self.lock:
            seen = target in self.seen
            self.seen.add(target)
            return not seen

    def stream(self, kind):
        with self.lock:
            if kind not in self.streams:
                self.streams[kind] = make_stream(kind)
            return self.streams[kind]


class Handler(socketserver.BaseRequestHandler):
    def setup(self):
        self.request.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        self.connection_number = self.server.next_connection()
        self.pending = b""

    def read_request(self):
        """The next request's exact bytes, or None when the client is gone."""
        while b"\r\n\r\n" not in self.pending:
            chunk = self.request.recv(65536)
            if not chunk:
                return None
            self.pending += chunk
        head_end = self.pending.index(b"\r\n\r\n") + 4
        length = 0
        for line in self.pending[:head_end].split(b"\r\n")[1:]:
            name, _, value = line.partition(b":")
            if name.strip().lower() == b"content-length":
                try:
                    length = int(value.strip())
                except ValueError:
                    length = 0
        while len(self.pending) < head_end + length:
            chunk = self.request.recv(65536)
            if not chunk:
                break
            self.pending += chunk
        raw = self.pending[: head_end + length]
        self.pending = self.pending[head_end + length :]
        return raw

    def send(self, data):
        try:
            self.request.sendall(data)
            return True
        except OSError:
            return False

    @staticmethod
    def head(status, length=None, extra=b""):
        reason = {200: b"OK", 404: b"Not Found", 500: b"Internal Server Error"}.get(status, b"Status")
        text = b"HTTP/1.0 %d %s\r\nContent-Type: application/octet-stream\r\n" % (status, reason)
        if length is not None:
            text += b"Content-Length: %d\r\n" % length
        return text + extra + b"\r\n"

    def wait_for_client_to_go(self, limit=60.0):
        self.request.settimeout(limit)
        try:
            while self.request.recv(65536):
                pass
        except OSError:
            pass

    def handle(self):
        while True:
            raw = self.read_request()
            if raw is None:
                return
            self.server.record(self.connection_number, raw)
            request_line = raw.split(b"\r\n", 1)[0].split(b" ")
            target = request_line[1].decode("latin-1") if len(request_line) > 1 else "/"
            if target.startswith("http://"):
                target = "/" + target.split("/", 3)[3] if target.count("/") >= 3 else "/"
            body = raw[raw.index(b"\r\n\r\n") + 4 :]
            if not self.answer(target, body):
                return

    def answer(self, target, body):
        """Answers one request; True to keep the connection for the next."""
        if self.server.tree:
            return self.answer_tree(target, body)
        parts = [p for p in target.split("/") if p]
        kind = parts[0] if parts else ""
        number = 0
        if len(parts) > 1 and parts[-1].isdigit():
            number = int(parts[-1])
        if kind == "plain":
            self.send(self.head(200, number) + pattern(number))
        elif kind == "nolength":
            self.send(self.head(200) + pattern(number))
        elif kind == "keepalive":
            self.send(self.head(200, number, b"Connection: Keep-Alive\r\n") + pattern(number))
            return True
        elif kind == "pieces":
            head = self.head(200, number)
            chunks = [head[i : i + 7] for i in range(0, len(head), 7)]
            chunks[-1] += pattern(number)
            for chunk in chunks:
                if not self.send(chunk):
                    return False
                time.sleep(0.01)
        elif kind == "bighead":
            extra = b"".join(b"X-Filler-%02d: %s\r\n" % (i, b"f" * 40) for i in range(16))
            self.send(self.head(200, number, extra) + pattern(number))
        elif kind == "status":
            self.send(self.head(number, 5) + b"nope\n")
        elif kind == "closefirst":
            pass
        elif kind == "closemid":
            self.send(self.head(200, number) + pattern(number // 2))
        elif kind == "stall":
            self.send(self.head(200, number) + pattern(number // 2))
            self.wait_for_client_to_go()
        elif kind == "overlong":
            self.send(self.head(200, number, b"Connection: Keep-Alive\r\n") + pattern(number + 100))
            return True
        elif kind == "zip" and len(parts) == 2:
            data = self.server.stream(parts[1])
            self.send(self.head(200, len(data)) + data)
        elif kind == "zipsplit" and len(parts) == 3 and parts[1].isdigit():
            data = self.server.stream(parts[2])
            first = int(parts[1])
            self.send(self.head(200, len(data)) + data[:first])
            time.sleep(0.05)
            self.send(data[first:])
        elif kind in ("file", "gated") and len(parts) == 2 and self.server.files_dir:
            path = os.path.join(self.server.files_dir, os.path.basename(parts[1]))
            if kind == "gated":
                while not os.path.exists(path + ".open"):
                    time.sleep(0.01)
            try:
                with open(path, "rb") as f:
                    data = f.read()
                self.send(self.head(200, len(data)) + data)
            except OSError:
                self.send(self.head(404, 0))
        elif kind == "nohead":
            self.send(b"HTTP/1.0 200 OK\r\n" + b"X-Long: " + b"y" * 17000)
            self.wait_for_client_to_go(5.0)
        elif kind == "flaky":
            if self.server.first_time(target):
                self.send(self.head(200, number) + pattern(number // 2))
            else:
                self.send(self.head(200, number) + pattern(number))
        elif kind == "resetfirst":
            if self.server.first_time(target):
                self.request.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
                self.request.close()
                return False
            self.send(self.head(200, number) + pattern(number))
        elif kind == "echo":
            self.send(self.head(200, len(body)) + body)
        else:
            self.send(self.head(404, 0))
        return False


    # ---- the demo world's tree ----

    def tree_file(self, path):
        """The file's bytes; names match in any letter case, as on the client's own system."""
        root = os.path.realpath(self.server.tree)
        full = root
        for part in [p for p in path.split("/") if p]:
            if part in (".", ".."):
                return None
            try:
                names = os.listdir(full)
            except OSError:
                return None
            match = part if part in names else next((n for n in names if n.lower() == part.lower()), None)
            if match is None:
                return None
            full = os.path.join(full, match)
        full = os.path.realpath(full)
        if not full.startswith(root + os.sep) or not os.path.isfile(full):
            return None
        with open(full, "rb") as f:
            data = f.read()
        if path.endswith(".ini"):
            for name, value in self.server.values.items():
                data = data.replace(b"@" + name.encode() + b"@", value.encode())
        return data

    def cgi(self, path, body):
        form = {}
        for pair in body.decode("latin-1").split("&"):
            name, _, value = pair.partition("=")
            form[name] = value
        if path == "cgi/validate.cgi":
            if not form.get("password") or form.get("password") == "wrong":
                return b"result=6\n"
            with self.server.lock:
                self.server.players += 1
                number = self.server.players
            return (b"result=0\nplayer_name=%s\nplayer_id=%d\nplayersession_id=%d\nadult=1\n"
                    % (form.get("player_name", "").encode("latin-1"), 7000 + number, 99000 + number))
        return b"Result=0&Detail=0"

    def answer_tree(self, target, body):
        path = target.split("?", 1)[0].lstrip("/")
        try:
            print("REQ %s" % path, flush=True)
        except (OSError, ValueError):
            pass  # nobody reads the output any more
        if path.startswith("_fault/"):
            mode, _, faulted = path[len("_fault/"):].partition("/")
            faulted = faulted.lower()
            with self.server.lock:
                self.server.faults[faulted] = mode
                if mode == "hold":
                    self.server.holds[faulted] = threading.Event()
            self.send(self.head(200, 3) + b"ok\n")
            return False
        if path.startswith("_release/"):
            with self.server.lock:
                event = self.server.holds.pop(path[len("_release/"):].lower(), None)
                self.server.faults.pop(path[len("_release/"):].lower(), None)
            if event:
                event.set()
            self.send(self.head(200, 3) + b"ok\n")
            return False
        with self.server.lock:
            key = path.lower()
            if key not in self.server.faults:
                under = [k for k in self.server.faults if k.endswith("/*") and key.startswith(k[:-1])]
                key = max(under, key=len) if under else key
            mode = self.server.faults.get(key, "none")
            event = self.server.holds.get(key)
        if mode == "hold" and event is not None:
            event.wait(300)
            mode = "none"
        if mode in ("404", "500"):
            self.send(self.head(int(mode), 5) + b"nope\n")
            return False
        data = self.cgi(path, body) if path.startswith("cgi/") else self.tree_file(path)
        if data is None:
            self.send(self.head(404, 0))
            return False
        if mode == "stall":
            self.send(self.head(200, len(data)) + data[: len(data) // 2])
            self.wait_for_client_to_go(600.0)
        elif mode == "cut":
            self.send(self.head(200, len(data)) + data[: len(data) // 2])
        elif mode == "trickle":
            if not self.send(self.head(200, len(data))):
                return False
            for i in range(0, len(data), 64):
                if not self.send(data[i:i + 64]):
                    return False
                time.sleep(0.02)
        elif mode == "drip":
            if not self.send(self.head(200, len(data))):
                return False
            for i in range(0, len(data), 4096):
                if not self.send(data[i:i + 4096]):
                    return False
                time.sleep(0.01)
        elif mode == "crawl":
            if not self.send(self.head(200, len(data))):
                return False
            for i in range(len(data)):
                if not self.send(data[i:i + 1]):
                    return False
                time.sleep(CRAWL_GAP)
        else:
            self.send(self.head(200, len(data)) + data)
        return False


def exit_with_parent():
    """Asks the kernel for SIGTERM when the parent goes, so a test that crashes
    leaves no server behind holding its output open."""
    import ctypes
    import signal
    parent = os.getppid()
    pr_set_pdeathsig = 1
    ctypes.CDLL(None, use_errno=True).prctl(pr_set_pdeathsig, signal.SIGTERM, 0, 0, 0)
    if os.getppid() != parent:
        sys.exit(0)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--log")
    parser.add_argument("--files")
    parser.add_argument("--tree")
    parser.add_argument("--set", action="append", default=[], metavar="NAME=VALUE")
    parser.add_argument("--fault", action="append", default=[], metavar="MODE:PATH")
    parser.add_argument("--write-stream", nargs=2, metavar=("KIND", "OUT"))
    parser.add_argument("--write-content", nargs=2, metavar=("KIND", "OUT"))
    parser.add_argument("--exit-with-parent", action="store_true",
                        help="end when the process that started the server ends, even by a crash")
    args = parser.parse_args()
    if args.exit_with_parent:
        exit_with_parent()
    if args.write_stream:
        with open(args.write_stream[1], "wb") as f:
            f.write(make_stream(args.write_stream[0]))
        return
    if args.write_content:
        with open(args.write_content[1], "wb") as f:
            f.write(stream_content(args.write_content[0]))
        return
    log_dir = args.log or os.getcwd()
    server = Server(("127.0.0.1", 0), log_dir, args.files, args.tree,
                    dict(v.split("=", 1) for v in args.set))
    for fault in args.fault:
        mode, _, path = fault.partition(":")
        path = path.lstrip("/").lower()
        server.faults[path] = mode
        if mode == "hold":
            server.holds[path] = threading.Event()
    print(server.server_address[1], flush=True)
    try:
        server.serve_forever(poll_interval=0.5)
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    sys.exit(main())
