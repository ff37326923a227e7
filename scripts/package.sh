#!/usr/bin/env bash
# Builds the Debian package of Nimbrel: an optimised, hardened build of its own in build/package (installed
# under /usr), then `cpack -G DEB`, then a look at what came out — the control fields, the files, and
# whether apt would install it here (a simulation: no root needed, nothing changes).
#   scripts/package.sh            → build/package/nimbrel_<version>_<arch>.deb
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/package"
jobs=${JOBS:-$(nproc)}

cmake -S "$root" -B "$build" -G Ninja \
    -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX=/usr \
    -DNIMBREL_BUILD_TESTS=OFF \
    -DNIMBREL_BUILD_BENCH=OFF
cmake --build "$build" -j "$jobs"
rm -f "$build"/nimbrel_*.deb
(cd "$build" && cpack -G DEB)

shopt -s nullglob
packages=("$build"/nimbrel_*.deb)
if [ ${#packages[@]} -ne 1 ]; then
    echo "package: expected one nimbrel_*.deb in $build, found ${#packages[@]}" >&2
    exit 1
fi
deb=${packages[0]}

echo
echo "== $deb ($(du -h "$deb" | cut -f1))"
dpkg-deb --info "$deb"
echo
dpkg-deb --contents "$deb"
echo
echo "== apt-get install --simulate"
apt-get install --simulate "$deb"
