# Sourced by the demo scripts once their demo is built: starts Xvfb on
# $display (1024x768x24) and points SDL at it. The script then starts its demo
# in the background, sets $demo to its pid, and waits for the file $ready that
# the demo writes once its window is up; all of it ends when the script exits.
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
demo=""
ready=$(mktemp -u)
cleanup() {
  if [ -n "$demo" ]; then kill "$demo" 2>/dev/null || true; wait "$demo" 2>/dev/null || true; fi
  kill "$xvfb" 2>/dev/null || true
  wait "$xvfb" 2>/dev/null || true
  rm -f "$ready"
}
trap cleanup EXIT
export DISPLAY=$display
unset SDL_VIDEODRIVER
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
