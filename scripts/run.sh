#!/usr/bin/env bash
# Runs the program from the dev build: with no arguments the desktop program (the cat in the tray, the
# island, the settings), else the command given (`make run ARGS="status"`, `ARGS="--headless"`, …).
set -euo pipefail
cd "$(dirname "$0")/.."
program=build/dev/app/cli/nimbrel
if [ ! -x "$program" ] || [ ! -x "$program-desktop" ]; then
    echo "The nimbrel program is not built yet: run 'make run' (or 'cmake --preset dev && cmake --build --preset dev')."
    exit 1
fi
exec "$program" "$@"
