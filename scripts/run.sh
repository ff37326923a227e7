#!/usr/bin/env bash
# Runs the program from the dev build. With no arguments it shows the commands and previews a sample
# track against the built-in configuration, so `make run` shows something useful before the desktop
# program exists.
set -euo pipefail
cd "$(dirname "$0")/.."
program=build/dev/app/cli/nimbrel
if [ ! -x "$program" ]; then
    echo "The nimbrel program is not built yet: run 'make run' (or 'cmake --preset dev && cmake --build --preset dev')."
    exit 1
fi
if [ $# -gt 0 ]; then
    exec "$program" "$@"
fi
"$program" --help
echo
echo "Sample: nimbrel preview --config resources/config.json --artist \"Ames & Brook\" --track \"Night Drive (Remastered 2011)\" --genre Electronic"
echo
"$program" preview --config resources/config.json --artist "Ames & Brook" \
    --track "Night Drive (Remastered 2011)" --genre Electronic
