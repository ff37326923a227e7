#!/usr/bin/env bash
# Fails when clang-format would change any tracked C++ source. Usage: check-format.sh [clang-format]
set -euo pipefail
cd "$(dirname "$0")/.."
formatter=${1:-clang-format}
mapfile -t files < <(git ls-files -- '*.cpp' '*.h')
if [ ${#files[@]} -eq 0 ]; then
    echo "no tracked C++ sources"
    exit 0
fi
"$formatter" --dry-run -Werror "${files[@]}"
echo "clang-format: ${#files[@]} files clean"
