#!/usr/bin/env bash
# Installs a finished build into a scratch prefix and checks the tree as a user would meet it: the program
# starts from there with no help finding its library, the desktop entry validates, the icon and the user
# unit are in place, and nothing of the sign-in service came along.
#   check-install.sh BUILD_DIR SOURCE_DIR
set -euo pipefail

build=$1
source=$2
scratch=$(mktemp -d "${TMPDIR:-/tmp}/nimbrel-install-XXXXXX")
trap 'rm -rf "$scratch"' EXIT

fail() {
    echo "check-install: $*" >&2
    exit 1
}

cmake --install "$build" --component nimbrel --prefix "$scratch" >/dev/null

binary="$scratch/bin/nimbrel"
[ -x "$binary" ] || fail "no executable at $binary"
desktop="$scratch/bin/nimbrel-desktop"
[ -x "$desktop" ] || fail "no desktop program at $desktop"
library=$(find "$scratch" -name 'libNimbrelCore.so.*' -type f | head -n 1)
[ -n "$library" ] || fail "libNimbrelCore was not installed"

# The library must come from the prefix, not from the build tree or LD_LIBRARY_PATH.
resolved=$(env -u LD_LIBRARY_PATH ldd "$binary" | awk '/libNimbrelCore/ { print $3 }')
case "$resolved" in
"$scratch"/*) ;;
*) fail "nimbrel finds libNimbrelCore at '$resolved', not in $scratch" ;;
esac
# Only the desktop program loads the GUI libraries.
# (Read whole first: `grep -q` would stop reading early, and pipefail would count ldd's broken pipe.)
binary_libraries=$(env -u LD_LIBRARY_PATH ldd "$binary")
desktop_libraries=$(env -u LD_LIBRARY_PATH ldd "$desktop")
! grep -q 'libQt6Widgets' <<<"$binary_libraries" || fail "nimbrel links the GUI libraries"
grep -q 'libQt6Widgets' <<<"$desktop_libraries" || fail "nimbrel-desktop does not link Qt Widgets"
help=$(env -u LD_LIBRARY_PATH "$binary" --help) || fail "nimbrel --help failed"
grep -q 'preview' <<<"$help" || fail "nimbrel --help printed no commands: $help"

desktop="$scratch/share/applications/com.quillmoor.nimbrel.desktop"
[ -f "$desktop" ] || fail "no desktop entry at $desktop"
desktop-file-validate "$desktop" || fail "the installed desktop entry does not validate"
grep -qx 'MimeType=x-scheme-handler/nimbrel;' "$desktop" || fail "the desktop entry does not handle nimbrel://"

icon="$scratch/share/icons/hicolor/scalable/apps/com.quillmoor.nimbrel.svg"
cmp -s "$icon" "$source/resources/icons/com.quillmoor.nimbrel.svg" || fail "no icon at $icon"

unit="$scratch/lib/systemd/user/nimbrel.service"
grep -q '^ExecStart=.*/nimbrel --headless$' "$unit" || fail "no user unit at $unit"

[ ! -e "$scratch/bin/nimbrel-signin" ] || fail "the sign-in service was installed with the program"
echo "check-install: ok ($scratch)"
