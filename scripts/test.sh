#!/usr/bin/env bash
# Every test, in one build: GCC with AddressSanitizer, UndefinedBehaviorSanitizer, libstdc++'s assertions and
# warnings as errors runs the whole suite (unit tests and lint); then the fuzz targets (clang, the core only)
# are built and each runs briefly. This is what CI runs. The optimised build's warnings are `make check`.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
fuzz_seconds=${FUZZ_SMOKE_SECONDS:-5}
# A fixed seed keeps the smoke run repeatable: what it finds, FUZZ_SEED=1 make fuzz finds again.
export FUZZ_SEED=${FUZZ_SEED:-1}

echo "== test build: AddressSanitizer + UndefinedBehaviorSanitizer (-Werror)"
cmake --preset asan
cmake --build --preset asan -j "$jobs"
ctest --preset asan

echo "== test build and suite took ${SECONDS}s"

echo "== fuzz smoke (${fuzz_seconds}s per target)"
SECONDS=0
./scripts/run-fuzz.sh "$fuzz_seconds"
echo "== fuzz build and smoke took ${SECONDS}s"
