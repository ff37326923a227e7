#!/usr/bin/env bash
# Builds every fuzz target (clang, libFuzzer, ASan, UBSan) and runs each for the given seconds on a scratch
# copy of its seed corpus. Exits non-zero on any finding; crash inputs are kept in build/fuzz/findings/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"
findings=build/fuzz/findings
mkdir -p "$findings"
status=0
for target in build/fuzz/fuzz/fuzz_*; do
    name=${target##*/fuzz_}
    work=$(mktemp -d)
    cp -r "fuzz/corpus/$name/." "$work/" 2>/dev/null || true
    echo "== $name: ${seconds}s"
    if ! "$target" "$work" -max_total_time="$seconds" -max_len=16384 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$findings/$name-" 2>"$work.log"; then
        status=1
        tail -n 40 "$work.log"
    else
        grep -E 'stat::number_of_executed_units|stat::peak_rss_mb' "$work.log" | sed 's/^/   /'
    fi
    rm -rf "$work" "$work.log"
done
exit "$status"
