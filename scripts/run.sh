#!/usr/bin/env bash
# Runs the program from the dev build.
set -euo pipefail
cd "$(dirname "$0")/.."
program=build/dev/app/cli/nimbrel
if [ ! -x "$program" ]; then
    echo "Nimbrel has no runnable program yet: this build holds the core library (NimbrelCore) and its tests."
    echo "Run 'make test' to build and check it."
    exit 0
fi
exec "$program" "$@"
