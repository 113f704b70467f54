#!/usr/bin/env python3
"""A TCP proxy between an IRC client and an IRC server that injects faults.

It listens on a free loopback port and, for each client it accepts, connects to
the server. On start it prints "PORT <port>". Commands arrive on stdin, one per
line, each acknowledged with "OK <command>" on stdout:

  split N          write toward the client N bytes at a time (0: as read)
  delay MS         wait MS milliseconds before each write toward the client
  drop TEXT        drop server lines that contain TEXT (no more than once each)
  inject HEX       send the bytes (hex) toward the client
  stall MS         pass nothing either way for MS milliseconds, then what was held back
  cut              close both sides of every connection
  reset            the same, but the client's side with a reset

Every line that passes is logged on stdout: "C> line" from the client, "S> line"
from the server, and "X> line" for a dropped one (bytes below 32 as \\xNN).
It never links or imports the client's code.
"""
import argparse
import select
import socket
import struct
import sys
import time


def show(data):
    return "".join(c if 32 <= ord(c) < 127 else "\\x%02x" % ord(c) for c in data.decode("latin-1"))


def out(text):
    sys.stdout.write(text + "\n")
    sys.stdout.flush()


class Link:
    def __init__(self, client, server):
        self.client = client
        self.server = server
        self.from_client = b""
        self.from_server = b""
        self.held_for_server = b""  # while stalled
        self.held_for_client = b""


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--target", required=True, help="host:port of the IRC server")
    args = parser.parse_args()
    host, port = args.target.rsplit(":", 1)

    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", 0))
    listener.listen(8)
    out("PORT %d" % listener.getsockname()[1])

    split = 0
    delay = 0.0
    drops = []
    links = []
    stalled_until = 0.0
    stdin_buffer = b""

    def to_client(link, data):
        step = split if split > 0 else len(data)
        for i in range(0, len(data), step):
            if delay:
                time.sleep(delay)
            try:
                link.client.sendall(data[i:i + step])
            except OSError:
                return

    def close(link):
        for s in (link.client, link.server):
            try:
                s.close()
            except OSError:
                pass
        if link in links:
            links.remove(link)

    while True:
        stalled = time.monotonic() < stalled_until
        if not stalled:
            for link in list(links):
                try:
                    if link.held_for_server:
                        link.server.sendall(link.held_for_server)
                    if link.held_for_client:
                        to_client(link, link.held_for_client)
                except OSError:
                    pass
                link.held_for_server = link.held_for_client = b""
        readers = [listener, sys.stdin.buffer]
        for link in links:
            readers += [link.client, link.server]
        wait = max(0.0, min(1.0, stalled_until - time.monotonic())) if stalled else 1.0
        ready, _, _ = select.select(readers, [], [], wait)
        for r in ready:
            if r is listener:
                client, _ = listener.accept()
                server = socket.create_connection((host, int(port)))
                links.append(Link(client, server))
            elif r is sys.stdin.buffer:
                chunk = sys.stdin.buffer.read1(65536)
                if not chunk:
                    for link in list(links):
                        close(link)
                    return
                stdin_buffer += chunk
                while b"\n" in stdin_buffer:
                    line, stdin_buffer = stdin_buffer.split(b"\n", 1)
                    words = line.decode("latin-1").strip().split(" ", 1)
                    command, arg = words[0], words[1] if len(words) > 1 else ""
                    if command == "split":
                        split = int(arg)
                    elif command == "delay":
                        delay = int(arg) / 1000.0
                    elif command == "stall":
                        stalled_until = time.monotonic() + int(arg) / 1000.0
                    elif command == "drop":
                        drops.append(arg.encode("latin-1"))
                    elif command == "inject":
                        data = bytes.fromhex(arg)
                        for link in list(links):
                            to_client(link, data)
                        out("I> " + show(data))
                    elif command in ("cut", "reset"):
                        for link in list(links):
                            if command == "reset":
                                link.client.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER,
                                                       struct.pack("ii", 1, 0))
                            close(link)
                    out("OK " + command)
            else:
                link = next((l for l in links if r in (l.client, l.server)), None)
                if link is None:
                    continue
                try:
                    data = r.recv(65536)
                except OSError:
                    data = b""
                if not data:
                    close(link)
                    continue
                if r is link.client:
                    link.from_client += data
                    while b"\n" in link.from_client:
                        line, link.from_client = link.from_client.split(b"\n", 1)
                        out("C> " + show(line.rstrip(b"\r")))
                    if time.monotonic() < stalled_until:
                        link.held_for_server += data
                    else:
                        link.server.sendall(data)
                else:
                    link.from_server += data
                    passed = b""
                    while b"\n" in link.from_server:
                        line, link.from_server = link.from_server.split(b"\n", 1)
                        hit = next((d for d in drops if d in line), None)
                        if hit is not None:
                            drops.remove(hit)
                            out("X> " + show(line.rstrip(b"\r")))
                            continue
                        out("S> " + show(line.rstrip(b"\r")))
                        passed += line + b"\n"
                    if passed and time.monotonic() < stalled_until:
                        link.held_for_client += passed
                    elif passed:
                        to_client(link, passed)


if __name__ == "__main__":
    main()
