#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those missing.
# Quiet and idempotent: a machine that has everything runs no apt-get at all.
set -euo pipefail

packages=(
  # Build tools.
  build-essential cmake ninja-build pkg-config
  # The client: window, input and sound; text; compressed downloads (for the
  # network layer); xdg-open, through which it opens web pages.
  libsdl2-dev libfreetype-dev libfontconfig-dev fonts-liberation
  zlib1g-dev
  xdg-utils
  # Tests and benchmarks; libjpeg makes the reference decodes of the JPEG tests.
  libgtest-dev libgmock-dev libbenchmark-dev
  libjpeg62-turbo-dev
  # The test peers: the HTTP server, the .srf writer and the IRC peers (python3),
  # the IRC server.
  python3 ngircd
  # The demo pack's generator: voices, music and effects coded at generation time.
  ffmpeg espeak-ng
  # A virtual display and captures for the demo scripts and the message-box tests
  # (SDL draws its boxes with X core fonts).
  xvfb xauth x11-utils imagemagick xfonts-base
  # The end-to-end rows: typing and clicking on the virtual display, reading recordings.
  xdotool python3-numpy
  # The fuzz targets: clang with libFuzzer.
  clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
