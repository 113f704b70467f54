"""An Xvfb display that answers, for the test drivers that run the client under one.

Another test may take the same display number at the same moment; the loser's Xvfb ends, or
the display answers from the winner's server, and the next number is tried. A server that is
slow to answer on a loaded machine is waited for.
"""
import os
import random
import subprocess
import time

POLL = 0.1
ANSWER_LIMIT = 60  # seconds an Xvfb has to answer before the next number is tried


def _lock_holder(number):
    try:
        with open("/tmp/.X%d-lock" % number, "rb") as f:
            return f.read().decode("latin-1").strip()
    except OSError:
        return ""


def start(size, preexec_fn=None, tries=40):
    """(the Xvfb process, its display name ":N"), or (None, None) when no number gave a display
    that answered. size: "WxHxD". -noreset: the server does not start over when its last
    client (the question below) leaves, so that the client never meets it in the middle of
    that."""
    numbers = random.Random(os.getpid() ^ time.time_ns()).sample(range(100, 1000), tries)
    for number in numbers:
        if os.path.exists("/tmp/.X%d-lock" % number) or os.path.exists("/tmp/.X11-unix/X%d" % number):
            continue
        display = ":%d" % number
        xvfb = subprocess.Popen(["Xvfb", display, "-screen", "0", size, "-nolisten", "tcp", "-noreset"],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, preexec_fn=preexec_fn)
        deadline = time.monotonic() + ANSWER_LIMIT
        while xvfb.poll() is None and time.monotonic() < deadline:
            if subprocess.run(["xdpyinfo", "-display", display], capture_output=True).returncode == 0:
                # The display answered: ours only when our Xvfb holds its lock.
                if _lock_holder(number) == str(xvfb.pid):
                    return xvfb, display
                break
            time.sleep(POLL)
        if xvfb.poll() is None:
            xvfb.kill()
        xvfb.wait()
    return None, None
