#!/usr/bin/env python3
"""Records what an IRC client receives from ngircd while a room bot sends it
batched room messages: the raw bytes, registration and channel lines included.

  record_stream.py OUTPUT [LINES]

Starts ngircd (/usr/sbin/ngircd) on a free loopback port with the tests'
configuration, registers a reader "a7F000001C350" and a bot "bot" in #room, has
the bot send LINES (200 unless given) private and channel messages, each packing
four room messages separated by the byte pair 3, 4, and writes the reader's
bytes to OUTPUT.
"""
import os
import socket
import subprocess
import sys
import tempfile
import time


def free_port():
    s = socket.socket()
    s.bind(("127.0.0.1", 0))
    port = s.getsockname()[1]
    s.close()
    return port


def main():
    output = sys.argv[1]
    lines = int(sys.argv[2]) if len(sys.argv) > 2 else 200
    folder = tempfile.mkdtemp()
    port = free_port()
    conf = os.path.join(folder, "ngircd.conf")
    with open(conf, "w") as f:
        f.write("[Global]\nName = irc.test\nInfo = Vizuzor test server\nListen = 127.0.0.1\n"
                "Ports = %d\nMotdPhrase = \"Welcome to the test server\"\n"
                "[Limits]\nMaxNickLength = 16\nMaxPenaltyTime = 0\nMaxConnectionsIP = 0\n"
                "[Options]\nPAM = no\nIdent = no\nDNS = no\n" % port)
    server = subprocess.Popen(["/usr/sbin/ngircd", "-n", "-f", conf], stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL)
    try:
        for _ in range(200):
            try:
                socket.create_connection(("127.0.0.1", port)).close()
                break
            except OSError:
                time.sleep(0.02)
        bot = socket.create_connection(("127.0.0.1", port))
        bot.sendall(b"NICK bot\r\nUSER bot * * *\r\nJOIN #room\r\n")
        reader = socket.create_connection(("127.0.0.1", port))
        nick = b"a7F000001C350"
        reader.sendall(b"NICK " + nick + b"\nUSER " + nick + b" * * *\nMODE " + nick + b" +i\nJOIN #room\n")
        time.sleep(0.5)
        out = b""
        for i in range(lines):
            fragments = [b"PUC \x02hello number %d\x02 player%d " % (i, k) for k in range(4)]
            target = b"#room" if i % 2 else nick
            bot.sendall(b"PRIVMSG " + target + b" :" + b"\x03\x04".join(fragments) + b"\r\n")
        bot.sendall(b"PRIVMSG " + nick + b" :END\r\n")
        reader.settimeout(5)
        while not out.rstrip().endswith(b":END"):
            data = reader.recv(65536)
            if not data:
                break
            out += data
        with open(output, "wb") as f:
            f.write(out)
    finally:
        server.terminate()
        server.wait()


if __name__ == "__main__":
    main()
