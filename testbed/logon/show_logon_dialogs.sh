#!/usr/bin/env bash
# Paints the five logon and registration dialogs over a black 640x480 game picture
# and saves one PNG each (logon, required, optional, progress, one-field).
# The dialogs are painted offscreen by the dialog painter, so no display is needed.
# Usage: bash testbed/logon/show_logon_dialogs.sh [out_folder]   (default build/logon_dialogs)
set -euo pipefail
cd "$(dirname "$0")/../.."
out=${1:-build/logon_dialogs}
build=build/testbed
bash tools/deps.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVIZUZOR_BENCHMARKS=OFF >/dev/null
cmake --build "$build" -j3 --target logon_dialogs_png >/dev/null
mkdir -p "$out"
"$build/testbed/logon/logon_dialogs_png" "$out"
