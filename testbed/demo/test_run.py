#!/usr/bin/env python3
"""run.sh under a virtual display: the world starts, the program folder holds the client's
updater, the client's window appears, and after SIGTERM none of the processes run.sh started is left.

    test_run.py BUILD_DIR [--expect-window]
        BUILD_DIR holds the client and the demo pack and server tree. The window is
        checked only with --expect-window: the client opens it once its start-up chain
        shows the progress screen.
"""
import os
import shutil
import signal
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.abspath(os.path.join(HERE, "..", ".."))
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(ROOT, "testbed"))
import xvfb_display  # noqa: E402


def descendants(pid):
    found = []
    todo = [pid]
    while todo:
        p = todo.pop()
        try:
            with open("/proc/%d/task/%d/children" % (p, p)) as f:
                children = [int(c) for c in f.read().split()]
        except OSError:
            children = []
        found += children
        todo += children
    return found


def alive(pid):
    try:
        with open("/proc/%d/stat" % pid) as f:
            return f.read().split(")")[-1].split()[0] != "Z"
    except OSError:
        return False


def main():
    build = os.path.abspath(sys.argv[1])
    expect_window = "--expect-window" in sys.argv[2:]
    if not shutil.which("Xvfb") or not shutil.which("xwininfo") or not shutil.which("xdpyinfo"):
        print("Xvfb, xwininfo or xdpyinfo is missing")
        return 77
    xvfb, display = xvfb_display.start("800x600x24")
    if xvfb is None:
        print("FAIL no virtual display answered")
        return 1
    env = dict(os.environ, DISPLAY=display, SDL_AUDIODRIVER="dummy", VIZUZOR_BUILD=build)
    # The window goes to the virtual display, whatever video driver the tests run with.
    env.pop("SDL_VIDEODRIVER", None)
    run = subprocess.Popen(["bash", os.path.join(ROOT, "testbed", "demo", "run.sh"), "--no-build"], env=env,
                           stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    ok = True
    try:
        line = ""
        deadline = time.monotonic() + 60
        while "demo world:" not in line and time.monotonic() < deadline:
            line = run.stdout.readline()
            if not line:
                break
            print(line.rstrip())
        if "demo world:" not in line:
            print("FAIL the world did not start")
            return 1
        def name(pid):
            try:
                with open("/proc/%d/comm" % pid) as f:
                    return f.read().strip()
            except OSError:
                return ""

        def client_running():
            return any(name(p).startswith("RovodevIdoz") and alive(p) for p in descendants(run.pid))

        # The client starts right after the world's line.
        deadline = time.monotonic() + 30
        while not client_running() and run.poll() is None and time.monotonic() < deadline:
            time.sleep(0.05)
        started = descendants(run.pid)
        print("run.sh started %d processes" % len(started))
        ok = ok and len(started) >= 4
        updater = os.path.join(build, "demo", "program", "Resources", "EXEUpdater.exe")
        laid = os.access(updater, os.X_OK)
        print("%s the program folder holds the updater" % ("ok  " if laid else "FAIL"))
        ok = ok and laid
        shown = False
        deadline = time.monotonic() + (30 if expect_window else 0)
        while expect_window and not shown and time.monotonic() < deadline:
            tree = subprocess.run(["xwininfo", "-root", "-tree", "-display", display], capture_output=True,
                                  text=True).stdout
            shown = "640x480+" in tree
            time.sleep(0.2)
        if expect_window:
            print("%s the client's window appeared" % ("ok  " if shown else "FAIL"))
            ok = ok and shown
        running = run.poll() is None and client_running()
        print("%s run.sh and the client are running" % ("ok  " if running else "FAIL"))
        if run.poll() is not None:
            print("run.sh ended with %d:\n%s" % (run.returncode, run.stdout.read().rstrip()))
        ok = ok and running
        run.send_signal(signal.SIGTERM)
        run.wait(timeout=30)
        time.sleep(0.2)
        left = [p for p in started if alive(p)]
        print("%s none of them is left%s" % ("ok  " if not left else "FAIL", "" if not left else ": %r" % left))
        ok = ok and not left
    finally:
        if run.poll() is None:
            run.kill()
            run.wait()
        xvfb.terminate()
        xvfb.wait()
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
