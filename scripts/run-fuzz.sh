#!/usr/bin/env bash
# Builds every fuzz target (clang, libFuzzer, ASan, UBSan) and runs each for the given seconds on a scratch
# copy of its seed corpus. Exits non-zero on any finding; crash inputs are kept in build/fuzz/findings/.
# FUZZ_SEED fixes libFuzzer's seed (CI uses 1, so a finding there is found again here with the same seed);
# without it every run explores afresh.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
seed_option=()
if [[ -n "${FUZZ_SEED:-}" ]]; then
    seed_option=(-seed="$FUZZ_SEED")
fi
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"
findings=build/fuzz/findings
mkdir -p "$findings"
failed=()
for target in build/fuzz/fuzz/fuzz_*; do
    name=${target##*/fuzz_}
    work=$(mktemp -d)
    cp -r "fuzz/corpus/$name/." "$work/" 2>/dev/null || true
    echo "== $name: ${seconds}s"
    if ! "$target" "$work" "${seed_option[@]}" -max_total_time="$seconds" -max_len=16384 -timeout=10 \
        -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$findings/$name-" 2>"$work.log"; then
        failed+=("$name")
        tail -n 40 "$work.log"
        cp "$work.log" "$findings/$name.log"
    else
        grep -E 'stat::number_of_executed_units|stat::peak_rss_mb' "$work.log" | sed 's/^/   /'
    fi
    rm -rf "$work" "$work.log"
done
if ((${#failed[@]} > 0)); then
    # Said last, so that a log cut to its end still names the finding and carries the input that caused it.
    for name in "${failed[@]}"; do
        echo "== FUZZ FINDING in $name:"
        grep -E '^(==[0-9]+==ERROR|SUMMARY|artifact_prefix|Test unit written|MS: )' "$findings/$name.log" | head -n 8 || true
        for input in "$findings/$name"-*; do
            [[ -f "$input" && "$input" != *.log ]] || continue
            echo "   input $input, base64 (first 3000 bytes):"
            head -c 3000 "$input" | base64 -w 0
            echo
        done
    done
    exit 1
fi
