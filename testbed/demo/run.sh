#!/usr/bin/env bash
# The demo world and the client in one command:
#   bash testbed/demo/run.sh [--fresh] [--full] [--proxy] [--no-build]
# Builds the client and the demo pack, lays a program folder in the build tree
# (build/release/demo/program: the client, its updater as Resources/EXEUpdater.exe, the
# pack unless --fresh, Vizuzor.ini with the dispatch server's port and FullScreen=0, its
# own registry store), starts ngircd, the HTTP server with the demo server tree and the
# world bot (--full: its full game with hostile rows; --proxy: the IRC fault proxy
# between the client and ngircd, commands to its fifo build/release/demo/run/proxy.in)
# on free loopback ports, runs the client with a stub xdg-open that logs each address to
# build/release/demo/run/xdg-open.log, and when the client ends (or on SIGINT/SIGTERM)
# ends the processes it started, by pid.
# Logs: build/release/demo/run/{ngircd,http,bot,proxy}.log.
# --no-build uses what the build folder (VIZUZOR_BUILD, default build/release) holds.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
fresh=0 full=() proxy=0 build_it=1
for arg in "$@"; do
  case "$arg" in
    --fresh) fresh=1 ;;
    --full) full=(--full) ;;
    --proxy) proxy=1 ;;
    --no-build) build_it=0 ;;
    *) echo "usage: bash testbed/demo/run.sh [--fresh] [--full] [--proxy] [--no-build]" >&2; exit 2 ;;
  esac
done

build=${VIZUZOR_BUILD:-build/release}
if [ "$build_it" = 1 ]; then
  bash tools/deps.sh
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVIZUZOR_TESTS=OFF -DVIZUZOR_BENCHMARKS=OFF >/dev/null
  cmake --build "$build" -j "${JOBS:-$(nproc)}" --target RovodevIdozEzozuz demo-pack
fi

demo=$(cd "$build" && pwd)/demo
program=$demo/program
run=$demo/run
rm -rf "$program" "$run"
mkdir -p "$program/.config" "$run/bin"
cp "$build/app/RovodevIdozEzozuz" "$program/"
mkdir -p "$program/Resources"
cp "$build/app/Resources/EXEUpdater.exe" "$program/Resources/"
if [ "$fresh" = 0 ]; then
  cp -r "$demo/pack/Resources" "$demo/pack/Ads" "$program/"
fi
cat > "$run/bin/xdg-open" <<STUB
#!/bin/sh
echo "\$*" >> "$run/xdg-open.log"
STUB
chmod +x "$run/bin/xdg-open"

pids=()
client=""
cleanup() {
  trap - EXIT INT TERM
  # The client first, while the world it leaves still answers; one that has not
  # ended after 20 s is killed.
  if [ -n "$client" ] && kill "$client" 2>/dev/null; then
    for _ in $(seq 200); do
      kill -0 "$client" 2>/dev/null || break
      sleep 0.1
    done
    kill -KILL "$client" 2>/dev/null || true
  fi
  for pid in "${pids[@]}"; do
    kill "$pid" 2>/dev/null || true
  done
  for pid in "${pids[@]}"; do
    wait "$pid" 2>/dev/null || true
  done
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }
wait_port() {
  python3 - "$1" <<'PY'
import socket, sys, time
deadline = time.monotonic() + 10
while time.monotonic() < deadline:
    try:
        socket.create_connection(("127.0.0.1", int(sys.argv[1])), timeout=1).close()
        sys.exit(0)
    except OSError:
        time.sleep(0.05)
sys.exit("nothing listens on port " + sys.argv[1])
PY
}
first_line() {  # waits for a process's first output line (its port)
  local file=$1 line=""
  for _ in $(seq 200); do
    line=$(head -n 1 "$file" 2>/dev/null || true)
    [ -n "$line" ] && { echo "$line"; return; }
    sleep 0.05
  done
  echo "no port in $file" >&2; exit 1
}

irc_port=$(free_port)
cat > "$run/ngircd.conf" <<CONF
[Global]
Name = irc.demo
Info = Vizuzor demo world
Listen = 127.0.0.1
Ports = $irc_port
MotdPhrase = "Welcome to the Vizuzor demo world"
[Limits]
MaxNickLength = 16
MaxPenaltyTime = 0
MaxConnectionsIP = 0
PingTimeout = 600
PongTimeout = 600
[Options]
PAM = no
Ident = no
DNS = no
CONF
/usr/sbin/ngircd -n -f "$run/ngircd.conf" > "$run/ngircd.log" 2>&1 &
pids+=($!)
wait_port "$irc_port"

client_irc_port=$irc_port
if [ "$proxy" = 1 ]; then
  mkfifo "$run/proxy.in"
  exec 8<>"$run/proxy.in"
  python3 testbed/irc/ircfault.py --target "127.0.0.1:$irc_port" < "$run/proxy.in" > "$run/proxy.log" 2>&1 &
  pids+=($!)
  client_irc_port=$(first_line "$run/proxy.log" | sed 's/^PORT //')
fi

mkdir -p "$run/http-requests"
python3 testbed/http/http_server.py --log "$run/http-requests" --tree "$demo/server" \
  --set "IRC_PORT=$client_irc_port" > "$run/http.log" 2>&1 &
pids+=($!)
http_port=$(first_line "$run/http.log")

python3 testbed/world/worldbot.py --port "$irc_port" --room-port "$client_irc_port" \
  --http-port "$http_port" "${full[@]}" > "$run/bot.log" 2>&1 &
pids+=($!)

printf '[Debug]\r\nDispatchServerName=127.0.0.1\r\nDispatchServerPort=%s\r\nFullScreen=0\r\n' \
  "$http_port" > "$program/Vizuzor.ini"
echo "demo world: IRC 127.0.0.1:$client_irc_port, HTTP 127.0.0.1:$http_port; logs in $run"

# The client ends at once without a sound device (a machine without one, or a virtual
# display with no sound server): there the world runs without sound.
if [ -z "${SDL_AUDIODRIVER:-}" ]; then
  rt=${XDG_RUNTIME_DIR:-/run/user/$(id -u)}
  if [ ! -S "$rt/pulse/native" ] && [ ! -S "$rt/pipewire-0" ] && [ -z "${PULSE_SERVER:-}" ] \
     && ! ls /dev/snd/pcmC* >/dev/null 2>&1; then
    echo "no sound device found: the client runs without sound (SDL_AUDIODRIVER=dummy)"
    export SDL_AUDIODRIVER=dummy
  fi
fi

cd "$program"
PATH="$run/bin:$PATH" XDG_CONFIG_HOME="$program/.config" ./RovodevIdozEzozuz &
client=$!
pids+=($client)
status=0
wait "$client" || status=$?
exit "$status"
