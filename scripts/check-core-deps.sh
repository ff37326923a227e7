#!/usr/bin/env bash
# Fails when the core library links anything beyond the standard library, ICU and libcrypto: the core must
# stay platform-free (no Qt, no D-Bus, no GUI). Usage: check-core-deps.sh path/to/libNimbrelCore.so
set -euo pipefail
library=$1
needed=$(readelf -d "$library" | sed -n 's/.*Shared library: \[\(.*\)\]/\1/p')
status=0
for dependency in $needed; do
    case "$dependency" in
        libicuuc.so.* | libicui18n.so.* | libicudata.so.* | libcrypto.so.* | libstdc++.so.* | libgcc_s.so.* | \
            libc.so.* | libm.so.* | ld-linux*.so.* | libasan.so.* | libubsan.so.*) ;; # sanitizer runtimes in the asan build
        *)
            echo "libNimbrelCore links $dependency, which the platform-free core must not use" >&2
            status=1
            ;;
    esac
done
[ "$status" -eq 0 ] && echo "libNimbrelCore links only:" $needed
exit "$status"
