#!/usr/bin/env bash
# Installs every Debian 12 package that building, testing and running Nimbrel needs. Idempotent: it only
# calls apt when something is missing. Runs as root, or through sudo.
set -euo pipefail

packages=(
    # toolchain
    build-essential cmake ninja-build pkg-config git
    # the core's libraries
    libicu-dev nlohmann-json3-dev libssl-dev
    # tests, benchmarks, lint
    libgtest-dev libgmock-dev libbenchmark-dev clang-format
    # fuzzing (libFuzzer) and the sanitizer runtimes
    clang libclang-rt-14-dev
    # build cache: CMake compiles through it when present
    ccache
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    echo "install-deps: all ${#packages[@]} packages present"
    exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
    as_root=()
elif command -v sudo >/dev/null 2>&1; then
    as_root=(sudo)
else
    echo "install-deps: missing ${missing[*]}; run this script as root or install sudo" >&2
    exit 1
fi

echo "install-deps: installing ${missing[*]}"
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
