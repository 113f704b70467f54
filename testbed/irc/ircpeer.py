#!/usr/bin/env python3
"""A scripted IRC user for the client's tests; it never links the client's code.

It connects to the server, registers (unless --raw) with its nick, joins the channel (so that,
joining first, it is the channel's operator and can KICK) and prints "READY".
Then every line from stdin is sent to the server as it stands (bytes 1, 3 and 4
included), except these commands:

  FLOOD N TARGET TEXT   send N private messages of TEXT to TARGET, then "FLOODED"
  COUNT N FROM          print "COUNTED N SECONDS" once N private messages from
                        the nick FROM have arrived (for speed comparisons)

Every line from the server is printed as "< line" (bytes below 32 as \\xNN).
PINGs are answered.
"""
import argparse
import select
import socket
import sys
import time


def show(data):
    return "".join(c if 32 <= ord(c) < 127 else "\\x%02x" % ord(c) for c in data.decode("latin-1"))


def out(text):
    sys.stdout.write(text + "\n")
    sys.stdout.flush()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--nick", default="peer")
    parser.add_argument("--channel", default="")
    parser.add_argument("--raw", action="store_true", help="do not register: stdin says everything")
    args = parser.parse_args()

    s = socket.create_connection(("127.0.0.1", args.port))
    ready = args.raw
    if ready:
        out("READY")
    else:
        s.sendall(("NICK %s\r\nUSER %s 0 * :peer\r\n" % (args.nick, args.nick)).encode())
    buffer = b""
    stdin_buffer = b""
    counting = None  # [wanted, from, seen, started]
    while True:
        readable, _, _ = select.select([s, sys.stdin.buffer], [], [], 1.0)
        if s in readable:
            data = s.recv(65536)
            if not data:
                out("CLOSED")
                return
            buffer += data
            while b"\n" in buffer:
                line, buffer = buffer.split(b"\n", 1)
                line = line.rstrip(b"\r")
                words = line.split(b" ")
                if words[0] == b"PING":
                    s.sendall(b"PONG " + b" ".join(words[1:]) + b"\r\n")
                    continue
                if counting is not None and len(words) > 1 and words[1] == b"PRIVMSG" \
                        and line[1:].split(b"!")[0].decode("latin-1") == counting[1]:
                    if counting[2] == 0:
                        counting[3] = time.monotonic()
                    counting[2] += 1
                    if counting[2] == counting[0]:
                        out("COUNTED %d %.6f" % (counting[0], time.monotonic() - counting[3]))
                        counting = None
                    continue
                out("< " + show(line))
                if not ready and len(words) > 1 and words[1] in (b"376", b"422"):
                    if args.channel:
                        s.sendall(("JOIN #%s\r\n" % args.channel).encode())
                    else:
                        ready = True
                        out("READY")
                if not ready and len(words) > 1 and words[1] == b"366":
                    ready = True
                    out("READY")
        if sys.stdin.buffer in readable:
            chunk = sys.stdin.buffer.read1(65536)
            if not chunk:
                s.sendall(b"QUIT :done\r\n")
                return
            stdin_buffer += chunk
            while b"\n" in stdin_buffer:
                line, stdin_buffer = stdin_buffer.split(b"\n", 1)
                if line.startswith(b"FLOOD "):
                    _, count, target, text = line.split(b" ", 3)
                    lines = b"".join(b"PRIVMSG " + target + b" :" + text + b"\r\n" for _ in range(int(count)))
                    s.sendall(lines)
                    out("FLOODED")
                elif line.startswith(b"COUNT "):
                    _, count, sender = line.decode("latin-1").split(" ")
                    counting = [int(count), sender, 0, 0.0]
                    out("COUNTING")
                else:
                    s.sendall(line + b"\r\n")


if __name__ == "__main__":
    main()
