#!/usr/bin/env python3
"""The world bot plays a whole scripted game through ngircd with two scripted players.

    test_world.py [--full]

Starts ngircd on a free loopback port, the world bot with short phases, and two scripted
players (the second sends its round-3 caption late); passes when the bot reports the game
passed and both players passed. Every process started here is ended by its pid.
"""
import os
import socket
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def start_ngircd(folder):
    for _ in range(3):
        port = free_port()
        conf = os.path.join(folder, "ngircd.conf")
        with open(conf, "w") as f:
            f.write("[Global]\nName = irc.world\nInfo = world test\nListen = 127.0.0.1\nPorts = %d\n"
                    "MotdPhrase = \"world\"\n[Limits]\nMaxNickLength = 16\nMaxPenaltyTime = 0\n"
                    "MaxConnectionsIP = 0\nPingTimeout = 600\nPongTimeout = 600\n"
                    "[Options]\nPAM = no\nIdent = no\nDNS = no\n" % port)
        proc = subprocess.Popen(["/usr/sbin/ngircd", "-n", "-f", conf], stdout=subprocess.PIPE,
                                stderr=subprocess.STDOUT, text=True)
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline:
            try:
                socket.create_connection(("127.0.0.1", port), timeout=1).close()
                return proc, port
            except OSError:
                time.sleep(0.05)
        proc.kill()
        proc.wait()
    raise SystemExit("ngircd did not start")


def main():
    full = "--full" in sys.argv[1:]
    procs = []
    with tempfile.TemporaryDirectory() as folder:
        ngircd, port = start_ngircd(folder)
        procs.append(ngircd)
        try:
            bot = subprocess.Popen([sys.executable, os.path.join(HERE, "worldbot.py"), "--port", str(port),
                                    "--phases", "test", "--players", "2", "--once"]
                                   + (["--full"] if full else []),
                                   stdout=subprocess.PIPE, text=True)
            procs.append(bot)
            while True:
                line = bot.stdout.readline()
                if not line or line.strip() == "READY":
                    break
            clients = []
            for nick, late in (("Ann", 0), ("Ben", 3)):
                c = subprocess.Popen([sys.executable, os.path.join(HERE, "scriptclient.py"), "--port", str(port),
                                      "--nick", nick, "--late-round", str(late), "--limit", "90"]
                                     + (["--full"] if full else []),
                                     stdout=subprocess.PIPE, text=True)
                procs.append(c)
                clients.append((nick, c))
            ok = True
            for nick, c in clients:
                text, _ = c.communicate(timeout=120)
                fails = [l for l in text.splitlines() if "FAIL" in l]
                print("%s: %s" % (nick, text.strip().splitlines()[-1] if text.strip() else "(nothing)"))
                for l in fails:
                    print("  " + l)
                ok = ok and c.returncode == 0
            text, _ = bot.communicate(timeout=60)
            lines = text.splitlines()
            fails = [l for l in lines if l.startswith("CHECK FAIL")]
            for l in fails:
                print("bot: " + l)
            passed = "GAME PASSED" in lines and bot.returncode == 0
            print("bot: %s (exit %s)" % ("GAME PASSED" if passed else "GAME FAILED", bot.returncode))
            if not (ok and passed) or os.environ.get("WORLD_VERBOSE"):
                print("\n".join(lines[-60:]))
            return 0 if ok and passed else 1
        finally:
            for p in procs:
                if p.poll() is None:
                    p.kill()
                    p.wait()


if __name__ == "__main__":
    sys.exit(main())
