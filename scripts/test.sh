#!/usr/bin/env bash
# Every test: the optimised build with warnings as errors, the same suite under AddressSanitizer and
# UndefinedBehaviorSanitizer, and a short run of every fuzz target. This is what CI runs.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
fuzz_seconds=${FUZZ_SMOKE_SECONDS:-10}

echo "== optimised build (-Werror)"
cmake --preset ci
cmake --build --preset ci -j "$jobs"
ctest --preset ci

echo "== AddressSanitizer + UndefinedBehaviorSanitizer"
cmake --preset asan
cmake --build --preset asan -j "$jobs"
ctest --preset asan

echo "== fuzz smoke (${fuzz_seconds}s per target)"
./scripts/run-fuzz.sh "$fuzz_seconds"
